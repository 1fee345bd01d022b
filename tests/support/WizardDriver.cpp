#include "WizardDriver.h"

#include <gtest/gtest.h>

#include <commctrl.h>

namespace testenv {

namespace {
// The title as the window system keeps it; unlike WM_GETTEXT this never waits for the window.
std::wstring TitleOf(HWND window)
{
    wchar_t title[512] = {};
    ::GetWindowTextW(window, title, 512);
    return title;
}
} // namespace

WizardDriver::WizardDriver(const std::wstring& program, const std::vector<std::wstring>& arguments, DWORD limitMs)
    : m_process(program, arguments), m_limitMs(limitMs), m_stop(::CreateEventW(nullptr, TRUE, FALSE, nullptr))
{
    if (m_process.Started()) {
        m_watchdog = std::thread([this] { Watch(m_limitMs); });
    }
}

WizardDriver::~WizardDriver()
{
    ::SetEvent(m_stop);
    if (m_watchdog.joinable()) {
        m_watchdog.join();
    }
    ::CloseHandle(m_stop);
    // Reported here, on the test's thread: GoogleTest is built without thread support.
    if (m_killed) {
        ADD_FAILURE() << "the wizard was still running after its time limit of " << m_limitMs / 1000
                      << " s and was killed";
    }
}

void WizardDriver::Watch(DWORD limitMs)
{
    const HANDLE handles[2] = {m_process.Handle(), m_stop};
    if (::WaitForMultipleObjects(2, handles, FALSE, limitMs) == WAIT_TIMEOUT) {
        m_killed = true;
        ::TerminateProcess(m_process.Handle(), 0xDEAD);
    }
}

bool WizardDriver::Running() const
{
    return m_process.Started() && ::WaitForSingleObject(m_process.Handle(), 0) == WAIT_TIMEOUT;
}

bool WizardDriver::WaitForExit(DWORD& exitCode, DWORD timeoutMs)
{
    return m_process.Wait(timeoutMs, exitCode);
}

bool WizardDriver::WaitWhileRunning(const std::function<bool()>& condition, DWORD timeoutMs) const
{
    return WaitUntil([&] { return !Running() || condition(); }, timeoutMs) && condition();
}

bool WizardDriver::WaitForSheet(const std::wstring& title, DWORD timeoutMs)
{
    return WaitWhileRunning(
        [&] {
            for (HWND window : VisibleTopLevelWindows(ProcessId())) {
                if (ClassOf(window) == L"#32770" && TitleOf(window) == title) {
                    m_sheet = window;
                    return true;
                }
            }
            return false;
        },
        timeoutMs);
}

HWND WizardDriver::ActivePage() const
{
    LRESULT page = 0;
    return m_sheet != nullptr && Query(m_sheet, PSM_GETCURRENTPAGEHWND, 0, 0, page) ? reinterpret_cast<HWND>(page)
                                                                                    : nullptr;
}

bool WizardDriver::OnPage(int controlId) const
{
    const HWND page = ActivePage();
    return page != nullptr && ChildById(page, controlId) != nullptr;
}

bool WizardDriver::WaitForPage(int controlId, DWORD timeoutMs) const
{
    return WaitWhileRunning([&] { return OnPage(controlId); }, timeoutMs);
}

HWND WizardDriver::Control(int id) const
{
    if (const HWND page = ActivePage()) {
        if (const HWND control = ChildById(page, id)) {
            return control;
        }
    }
    return m_sheet != nullptr ? ChildById(m_sheet, id) : nullptr;
}

int WizardDriver::FocusedId() const
{
    const HWND focus = m_sheet != nullptr ? FocusOf(m_sheet) : nullptr;
    return focus != nullptr ? ::GetDlgCtrlID(focus) : 0;
}

bool WizardDriver::ClickWindow(HWND control)
{
    return control != nullptr && ::IsWindowVisible(control) && ClickAt(CentreOf(control));
}

bool WizardDriver::HoverWindow(HWND control)
{
    return control != nullptr && ::IsWindowVisible(control) && MovePointerTo(CentreOf(control));
}

HWND WizardDriver::KeyTarget() const
{
    // A modal box leaves the sheet disabled: the enabled dialog is the one on top.
    for (HWND dialog : DialogsOf(ProcessId(), m_sheet)) {
        if (::IsWindowEnabled(dialog)) {
            return dialog;
        }
    }
    return m_sheet;
}

bool WizardDriver::Press(WORD virtualKey, unsigned modifiers)
{
    const HWND target = KeyTarget();
    return target != nullptr && BringToForeground(target) && PressKey(virtualKey, modifiers);
}

bool WizardDriver::Type(const std::wstring& text)
{
    const HWND target = KeyTarget();
    return target != nullptr && BringToForeground(target) && TypeText(text);
}

HWND WizardDriver::WaitForDialog(DWORD timeoutMs) const
{
    HWND found = nullptr;
    WaitWhileRunning(
        [&] {
            const auto dialogs = DialogsOf(ProcessId(), m_sheet);
            found = dialogs.empty() ? nullptr : dialogs.front();
            return found != nullptr;
        },
        timeoutMs);
    return found;
}

CaptureResult WizardDriver::Screenshot(const std::wstring& name, CaptureArea area) const
{
    if (m_sheet == nullptr) {
        CaptureResult none;
        none.error = "no sheet to capture";
        return none;
    }
    ::CreateDirectoryW(kArtefactFolder.c_str(), nullptr);
    const std::wstring path = kArtefactFolder + name + L".png";
    ::DeleteFileW(path.c_str());
    return CaptureWindowToPng(m_sheet, path, area);
}

} // namespace testenv
