#include "ui/UnattendedExtracter.h"

#include <commctrl.h>
#include <objbase.h>

#include <utility>

#include "log/BuildLogFile.h"
#include "resources/ResourceIds.h"
#include "settings/Messages.h"
#include "settings/OrloInitalizer.h"
#include "settings/WindowMessages.h"
#include "ui/LaunchSetup.h"
#include "ui/MessageBox.h"
#include "util/ProcessContext.h"

namespace {
unsigned __stdcall LaunchThread(void* /*worker*/)
{
    // The shell may start the setup through COM extensions.
    const HRESULT com = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    HandleLaunchSetup(nullptr);
    if (SUCCEEDED(com)) {
        ::CoUninitialize();
    }
    return 0;
}
}  // namespace

CUnattendedExtracter::CUnattendedExtracter(int visible, WorkerThread& worker, const LOGFONTW& statusFont,
                                           WorkerThread::Procedure job, std::function<void()> quit)
    : m_statusFontDescription(statusFont), m_worker(worker), m_job(job), m_quit(std::move(quit)),
      m_reports(
          nullptr,
          [this](WPARAM step, LPARAM value) {
              m_batchProgress = true;
              OnProgress(step, value);
              m_batchProgress = false;
          },
          {}, [this] { ::SendMessageW(m_progress, PBM_SETPOS, static_cast<WPARAM>(m_counter), 0); }),
      m_visible(visible)
{
}

CUnattendedExtracter::~CUnattendedExtracter()
{
    if (m_window != nullptr) {
        ::DestroyWindow(m_window);
    }
}

INT_PTR CUnattendedExtracter::DoModal(HINSTANCE instance)
{
    m_instance = instance;
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_PROGRESS_CLASS};
    ::InitCommonControlsEx(&controls);
    m_window = ::CreateDialogParamW(instance, MAKEINTRESOURCEW(IDD_UNATTENDED), nullptr, DialogProc,
                                    reinterpret_cast<LPARAM>(this));
    if (m_window == nullptr) {
        const DWORD error = ::GetLastError();
        Log().WriteLine(kLogError, L"CUnattendedExtracter", L"The progress window could not be created : %lu", error);
        return -1;
    }
    if (m_visible == 1) {
        ::ShowWindow(m_window, SW_SHOW);
    }
    // Own modal loop: Enter and Escape never end the run, they act as Tab.
    MSG message{};
    while (!m_done && ::GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (message.message == WM_KEYDOWN && (message.wParam == VK_RETURN || message.wParam == VK_ESCAPE)) {
            message.wParam = VK_TAB;
        }
        if (!::IsDialogMessageW(m_window, &message)) {
            ::TranslateMessage(&message);
            ::DispatchMessageW(&message);
        }
    }
    ::DestroyWindow(m_window);
    m_window = nullptr;
    return m_result;
}

INT_PTR CALLBACK CUnattendedExtracter::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept
{
    auto* self = reinterpret_cast<CUnattendedExtracter*>(::GetWindowLongPtrW(window, DWLP_USER));
    if (message == WM_INITDIALOG) {
        self = reinterpret_cast<CUnattendedExtracter*>(lParam);
        ::SetWindowLongPtrW(window, DWLP_USER, lParam);
        self->m_window = window;
    }
    if (self == nullptr) {
        return FALSE;
    }
    if (message == WM_NCDESTROY) {
        ::SetWindowLongPtrW(window, DWLP_USER, 0);
        return FALSE;
    }
    try {
        return self->HandleMessage(message, wParam, lParam);
    } catch (...) {
        return FALSE;  // nothing may escape into the window system
    }
}

INT_PTR CUnattendedExtracter::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        OnInitDialog();
        return TRUE;
    case UM_PROGRESS:
        OnProgress(wParam, lParam);
        AskToCancelIfRequested(::InSendMessage() != FALSE);
        return TRUE;
    case UM_WORKER_REPORTS:
        m_reports.Handle(wParam);
        AskToCancelIfRequested(::InSendMessage() != FALSE);
        ::SetWindowLongPtrW(m_window, DWLP_MSGRESULT, 1);
        return TRUE;
    case UM_LOG_REQUEST: {
        const auto* record = reinterpret_cast<const ExtractLogRecord*>(wParam);
        if (record != nullptr) {
            Log().WriteLine(record->kind, record->function.c_str(), record->format.c_str(), record->argument.c_str());
        }
        AskToCancelIfRequested(::InSendMessage() != FALSE);
        ::SetWindowLongPtrW(m_window, DWLP_MSGRESULT, 1);
        return TRUE;
    }
    case UM_EXTRACTION_DONE:
        AskToCancelIfRequested(true);  // the worker has finished
        if (!m_done) {
            OnExtractionDone();
        }
        return TRUE;
    case UM_EXTRACTION_FAILED:
        m_closeRequested = false;  // nothing is left to cancel
        End(IDOK);
        return TRUE;
    case WM_CLOSE:
        OnClose();
        return TRUE;
    case WM_COMMAND:
        return TRUE;  // the window has no buttons; IDOK/IDCANCEL from the keyboard do nothing
    case WM_PAINT:
        if (m_visible != 1) {
            ::ShowWindow(m_window, SW_HIDE);
        }
        return FALSE;
    case WM_WINDOWPOSCHANGING:
        if (m_visible != 1) {
            auto* position = reinterpret_cast<WINDOWPOS*>(lParam);
            position->flags &= ~static_cast<UINT>(SWP_SHOWWINDOW);
            position->flags |= SWP_HIDEWINDOW;
        }
        return FALSE;
    default:
        return FALSE;
    }
}

void CUnattendedExtracter::OnInitDialog()
{
    m_reports.SetWindow(m_window);
    m_progress = ::GetDlgItem(m_window, IDC_UNATTENDED_PROGRESS);
    m_status = ::GetDlgItem(m_window, IDC_UNATTENDED_STATUS);
    HICON icon = ::LoadIconW(m_instance, MAKEINTRESOURCEW(IDI_TARVEX));
    ::SendMessageW(m_window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
    ::SendMessageW(m_window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
    m_statusFont.Reset(::CreateFontIndirectW(&m_statusFontDescription));
    ::SendMessageW(m_status, WM_SETFONT, reinterpret_cast<WPARAM>(m_statusFont.Get()), TRUE);

    if (m_visible == 1) {
        ::SetWindowTextW(m_window, Settings().GetDisplayName().c_str());
        ::SendMessageW(m_progress, PBM_SETRANGE, 0, MAKELPARAM(0, 100));
        ::SendMessageW(m_progress, PBM_SETPOS, 1, 0);
        ::SetWindowTextW(m_status, GetMessage(507).c_str());
    }
    Flags().Continue = 1;
    Log().WriteLine(kLogInfo, L"ExtractPath", L" %ls", Settings().GetExtractionPath().c_str());
    const HRESULT started = m_worker.Start(m_window, m_job);
    if (FAILED(started)) {
        Log().WriteLine(kLogError, L"CUnattendedExtracter", L"The extraction could not be started : 0x%08lx",
                        static_cast<unsigned long>(started));
        ::PostMessageW(m_window, UM_EXTRACTION_FAILED, 0, 0);
        return;
    }
    m_started = 1;
}

void CUnattendedExtracter::OnProgress(WPARAM step, LPARAM value)
{
    switch (step) {
    case 1:
        ++m_counter;
        if (!m_batchProgress) { // a batch moves the bar once, at its end
            ::SendMessageW(m_progress, PBM_SETPOS, static_cast<WPARAM>(m_counter), 0);
        }
        break;
    case 2:
        ::SendMessageW(m_progress, PBM_SETPOS, 2, 0);
        break;
    case 3:
        ::SendMessageW(m_progress, PBM_SETRANGE, 0,
                       MAKELPARAM(0, static_cast<WORD>(m_counter + static_cast<int>(value))));
        ::SendMessageW(m_progress, PBM_SETSTEP, 1, 0);
        ::SetWindowTextW(m_status, GetMessage(508).c_str());
        break;
    default:
        break;
    }
}

void CUnattendedExtracter::OnExtractionDone()
{
    if (Settings().GetAutolaunch() == 1) {
        ::ShowWindow(m_window, SW_HIDE);
        RunLaunchStep();
        End(0);
        return;
    }
    End(IDOK);
}

// The setup is waited for on the worker while this thread goes on answering sent messages: a
// window whose thread does not answer blocks every program that broadcasts with SendMessage, and a
// setup that announces an environment change that way would wait for us while we wait for it.
// Posted messages (a close request, input) stay queued until the launch step is over.
void CUnattendedExtracter::RunLaunchStep()
{
    m_launching = true;
    if (FAILED(m_worker.Start(m_window, LaunchThread))) {
        HandleLaunchSetup(nullptr);
        return;
    }
    const HANDLE thread = m_worker.ThreadHandle();
    for (;;) {
        const DWORD woken = ::MsgWaitForMultipleObjects(1, &thread, FALSE, INFINITE, QS_SENDMESSAGE);
        if (woken == WAIT_OBJECT_0 + 1) {
            MSG message;
            ::PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
            continue;
        }
        if (woken != WAIT_OBJECT_0) {
            ::WaitForSingleObject(thread, INFINITE);
        }
        return;
    }
}

// The worker is not suspended wherever it happens to be: a thread stopped at a random point may
// hold the heap or loader lock, and the question box on this thread then waits for it for good.
// It is held instead where it next reports to this window and waits for the answer: inside the
// handling of its sent progress or log message, or once it has finished.
void CUnattendedExtracter::OnClose()
{
    if (m_launching || m_questionOpen) {
        return;  // a close while the setup runs or while the question is open changes nothing
    }
    m_closeRequested = true;
    Flags().HoldWorker = 1; // it reports and waits at its next file
}

void CUnattendedExtracter::AskToCancelIfRequested(bool workerWaiting)
{
    if (!m_closeRequested || m_questionOpen || !workerWaiting) {
        return;
    }
    m_closeRequested = false;
    Log().WriteLine(kLogInfo, L"OnClose", L"Extraction paused");
    // The question only makes sense where a person sees the window.
    m_questionOpen = true;
    const int answer = m_visible == 1 ? DoMessageBox(GetMessage(113), MB_YESNO) : IDYES;
    m_questionOpen = false;
    if (answer != IDYES) {
        return;  // the worker goes on when its message returns
    }
    Flags().UserCancelled = 1;
    Flags().Continue = 0;
    m_worker.Stop();
    Settings().SetExtractionStatus(11);
    if (m_quit) {
        m_quit();
    }
    End(IDCANCEL);
}

void CUnattendedExtracter::End(INT_PTR result)
{
    m_result = result;
    m_done = true;
    ::PostMessageW(m_window, WM_NULL, 0, 0);  // wake the loop
}
