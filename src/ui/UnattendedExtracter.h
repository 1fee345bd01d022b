#pragma once
// CUnattendedExtracter: the progress window of silent and unattended runs. It owns the extraction
// worker, follows its progress and log messages and, after a successful extraction, runs the launch
// step. In silent mode the window exists but is never shown.
#include <windows.h>

#include "ui/DialogBinding.h"

#include <functional>

#include "ui/ExtractionProgress.h"
#include "util/Handles.h"
#include "util/WorkerThread.h"

class CUnattendedExtracter : public CDialogBinding {
public:
    // `visible`: the unattended option of the command line; `statusFont` from start-up; `job` is
    // the worker procedure (the extraction driver); `quit` ends the process after a confirmed cancel
    // (the application's shutdown; empty: the window only closes).
    CUnattendedExtracter(int visible, WorkerThread& worker, const LOGFONTW& statusFont, WorkerThread::Procedure job,
                         std::function<void()> quit);
    ~CUnattendedExtracter();
    CUnattendedExtracter(const CUnattendedExtracter&) = delete;
    CUnattendedExtracter& operator=(const CUnattendedExtracter&) = delete;

    // Creates the window and runs its message loop until the run ends; returns the end code.
    INT_PTR DoModal(HINSTANCE instance);

    HWND Window() const { return m_window; }

private:
    INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnInitDialog();
    void OnExtractionDone();
    void RunLaunchStep();
    void OnWorkerEnd(UINT message);
    void OnClose();
    void End(INT_PTR result);

    HINSTANCE m_instance = nullptr;
    HWND m_status = nullptr;
    UniqueGdiObject m_statusFont;
    LOGFONTW m_statusFontDescription{};
    WorkerThread& m_worker;
    WorkerThread::Procedure m_job;
    std::function<void()> m_quit;
    CExtractionProgress m_progress;
    int m_visible = 0;
    int m_started = 0;
    bool m_launching = false;        // the extraction is over and the launch step runs
    bool m_questionOpen = false;
    UINT m_deferredEnd = 0;          // the worker's end, arrived while the question was open
    bool m_done = false;
    INT_PTR m_result = 0;
};
