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
#include "util/PauseGate.h"
#include "util/ProcessContext.h"
#include "util/SentMessageWait.h"

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
      m_progress([this] { ::SetWindowTextW(m_status, GetMessage(508).c_str()); }),
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
                                    reinterpret_cast<LPARAM>(static_cast<CDialogBinding*>(this)));
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

INT_PTR CUnattendedExtracter::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        OnInitDialog();
        return TRUE;
    case UM_WORKER_REPORTS:
        ::SetWindowLongPtrW(m_window, DWLP_MSGRESULT, m_progress.Handle(wParam));
        return TRUE;
    case UM_EXTRACTION_DONE:
    case UM_EXTRACTION_FAILED:
        if (m_questionOpen) {
            m_deferredEnd = message;  // the answer decides what the end means
        } else if (!m_done) {
            OnWorkerEnd(message);
        }
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
    m_status = ::GetDlgItem(m_window, IDC_UNATTENDED_STATUS);
    m_progress.Attach(m_window, ::GetDlgItem(m_window, IDC_UNATTENDED_PROGRESS));
    HICON icon = ::LoadIconW(m_instance, MAKEINTRESOURCEW(IDI_TARVEX));
    ::SendMessageW(m_window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
    ::SendMessageW(m_window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
    m_statusFont.Reset(::CreateFontIndirectW(&m_statusFontDescription));
    ::SendMessageW(m_status, WM_SETFONT, reinterpret_cast<WPARAM>(m_statusFont.Get()), TRUE);

    if (m_visible == 1) {
        ::SetWindowTextW(m_window, Settings().GetDisplayName().c_str());
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
    WaitAnsweringSentMessages(m_worker.ThreadHandle());
}

void CUnattendedExtracter::OnWorkerEnd(UINT message)
{
    WaitAnsweringSentMessages(m_worker.ThreadHandle());  // posted last: the worker is returning
    m_worker.WaitAndClose(0);
    if (message == UM_EXTRACTION_DONE) {
        OnExtractionDone();
    } else {
        End(IDOK);
    }
}

// The question is asked at once; the worker goes on to its next checkpoint (before the next file)
// and waits there until the answer is in, so nothing is written after a confirmed cancel and no
// thread is ever stopped at an arbitrary point.
void CUnattendedExtracter::OnClose()
{
    if (m_launching || m_questionOpen || m_done) {
        return;  // a close while the setup runs or while the question is open changes nothing
    }
    int answer = IDYES;
    {
        PauseGateHold hold(WorkerPause());
        Log().WriteLine(kLogInfo, L"OnClose", L"Extraction paused");
        // The question only makes sense where a person sees the window; nobody answers a silent run.
        m_questionOpen = true;
        if (m_visible == 1) {
            answer = DoMessageBox(GetMessage(113), MB_YESNO);
        }
        m_questionOpen = false;
        if (answer == IDYES) {
            Flags().UserCancelled = 1;
            Flags().Continue = 0;  // seen by the worker when the gate opens
        }
    }
    if (answer != IDYES) {
        if (m_deferredEnd != 0) {
            ::PostMessageW(m_window, std::exchange(m_deferredEnd, 0u), 0, 0);
        }
        return;
    }
    // The worker stops before its next file; its last reports are answered meanwhile.
    WaitAnsweringSentMessages(m_worker.ThreadHandle());
    m_worker.WaitAndClose(0);
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
