#pragma once
// Drives the wizard of another process as a person does, for the UI tests under Wine and Xvfb.
//
// The driver starts the program (a package in full-GUI mode: no switches) with a hard time limit,
// finds the wizard sheet by its title among the process's top-level windows, and tells the active
// page by a control id it carries (PSM_GETCURRENTPAGEHWND works across processes). Controls are
// looked up by id on the active page first, then on the sheet itself, and read with messages that
// have time-outs. Everything that acts is real input (RealInput.h): the wizard's owner-drawn buttons
// answer the mouse messages, capture and tracking that real pointer input brings, never BM_CLICK.
// Keys go to the foreground window; the driver brings the process's topmost dialog to the front
// before each key.
//
//   testenv::WizardDriver wizard(package);
//   ASSERT_TRUE(wizard.WaitForSheet(L"Product 1.0"));
//   ASSERT_TRUE(wizard.WaitForPage(kWelcomeTextId));
//   EXPECT_FALSE(wizard.Read(ID_WIZBACK).visible);
//   ASSERT_TRUE(wizard.Click(ID_WIZNEXT));
//   wizard.Screenshot(L"welcome");  // D:\artefacts\welcome.png
//
// When the time limit passes, the process is killed, every wait ends, and the driver's destructor
// fails the test: a hung wizard fails, it never hangs the run. What Wine and Xvfb do with all this:
// docs/ui-tests.md.
#include <windows.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "ProcessRunner.h"
#include "RealInput.h"
#include "WindowCapture.h"
#include "WindowQuery.h"

namespace testenv {

// Where screenshots land: D:\artefacts\ on the test drive (build/x64/wine/drives/d/artefacts/).
inline const std::wstring kArtefactFolder = L"D:\\artefacts\\";

class WizardDriver {
public:
    static constexpr DWORD kDefaultLimitMs = 90000;
    static constexpr DWORD kDefaultWaitMs = 15000;

    explicit WizardDriver(const std::wstring& program, const std::vector<std::wstring>& arguments = {},
                          DWORD limitMs = kDefaultLimitMs);
    ~WizardDriver();
    WizardDriver(const WizardDriver&) = delete;
    WizardDriver& operator=(const WizardDriver&) = delete;

    bool Started() const { return m_process.Started(); }
    DWORD ProcessId() const { return m_process.ProcessId(); }
    bool Running() const;
    // The time limit passed and the process was killed.
    bool Killed() const { return m_killed; }
    // Waits for the end of the process; false on time-out.
    bool WaitForExit(DWORD& exitCode, DWORD timeoutMs = kDefaultWaitMs);

    // Waits for a visible "#32770" top-level window of the process titled `title`.
    bool WaitForSheet(const std::wstring& title, DWORD timeoutMs = kDefaultWaitMs);
    HWND Sheet() const { return m_sheet; }
    HWND ActivePage() const;
    // The active page carries a control with this id.
    bool OnPage(int controlId) const;
    bool WaitForPage(int controlId, DWORD timeoutMs = kDefaultWaitMs) const;

    // The control with this id on the active page, else on the sheet; null when neither has it.
    HWND Control(int id) const;
    ControlState Read(int id) const { return ReadControl(Control(id)); }
    std::vector<ListItem> ListItems(int id) const { return ListViewItems(Control(id)); }
    // The control id of the control with the keyboard focus; 0 when none.
    int FocusedId() const;

    // Real pointer input at the centre of a control (false when it is missing or hidden).
    bool Click(int id) { return ClickWindow(Control(id)); }
    bool Hover(int id) { return HoverWindow(Control(id)); }
    bool ClickWindow(HWND control);
    bool HoverWindow(HWND control);
    // Real keys to the process's topmost dialog (a message box over the sheet, else the sheet).
    bool Press(WORD virtualKey, unsigned modifiers = kNoModifier);
    bool Type(const std::wstring& text);

    // A visible dialog of the process other than the sheet (message box, prompt); null on time-out.
    // Before WaitForSheet, any dialog of the process counts.
    HWND WaitForDialog(DWORD timeoutMs = kDefaultWaitMs) const;
    // Clicks button `id` of such a dialog with the pointer.
    bool ClickDialogButton(HWND dialog, int id) { return ClickWindow(ChildById(dialog, id)); }

    // A PNG of the sheet in D:\artefacts\<name>.png; look at it in build/x64/wine/drives/d/artefacts/.
    CaptureResult Screenshot(const std::wstring& name, CaptureArea area = CaptureArea::Client) const;

private:
    // The window that keys should reach: a visible dialog over the sheet, else the sheet.
    HWND KeyTarget() const;
    bool WaitWhileRunning(const std::function<bool()>& condition, DWORD timeoutMs) const;
    void Watch(DWORD limitMs);

    BackgroundProcess m_process;
    DWORD m_limitMs;
    HWND m_sheet = nullptr;
    HANDLE m_stop;
    std::atomic<bool> m_killed{false};
    std::thread m_watchdog;
};

} // namespace testenv
