#include "ui/AutoLaunchSilentPage.h"

#include <commctrl.h>
#include <objbase.h>

#include "util/WorkerThread.h"
#include "launch/Launcher.h"
#include "log/BuildLogFile.h"
#include "settings/Messages.h"
#include "settings/OrloInitalizer.h"
#include "settings/WindowMessages.h"
#include "ui/LaunchSetup.h"
#include "ui/OrloSheet.h"
#include "ui/WizardMessages.h"
#include "util/ProcessContext.h"
#include "util/SentMessageWait.h"

namespace {
constexpr int kHeading = 1062;
constexpr int kStatusText = 1063;
constexpr int kProgressBar = 1064;
}  // namespace

CAutoLaunchSilentPage::CAutoLaunchSilentPage(COrloSheet& sheet)
    : CWizardPage(sheet, WizardPage::Launch, kLaunchTemplate)
{
}

void CAutoLaunchSilentPage::SetStatus(int messageId)
{
    SetItemText(kHeading, GetMessage(513));
    SetItemText(kStatusText, GetMessage(messageId));
    Repaint();
}

void CAutoLaunchSilentPage::OnInitDialog()
{
    SetItemFont(kHeading, m_sheet.TitleFont());
    SetItemFont(kStatusText, m_sheet.TextFont());
    HWND bar = Item(kProgressBar);
    ::SendMessageW(bar, PBM_SETRANGE, 0, MAKELPARAM(0, 100));
    ::SendMessageW(bar, PBM_SETPOS, 1, 0);
    ::SendMessageW(m_window, DM_SETDEFID, kNextButtonId, 0);
    WorkerThread& worker = *m_sheet.Context().worker;
    if (FAILED(worker.Start(m_window, LaunchSetupThread))) {
        Log().WriteLine(kLogError, L"LaunchSetupThread", L"The launch could not be started");
        m_launchReturned = true;
        ::PostMessageW(m_window, UM_LAUNCH_THREAD_DONE, 0, 0);
    }
}

void CAutoLaunchSilentPage::OnSetActive()
{
    m_sheet.SetButtonTexts(L"");
    SetStatus(512);
    m_sheet.FocusCancelButton();
}

unsigned __stdcall CAutoLaunchSilentPage::LaunchSetupThread(void* worker)
{
    auto* owner = static_cast<WorkerThread*>(worker);
    const HWND page = owner->Window();
    // The shell may start the setup through COM extensions.
    const HRESULT com = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    Log().WriteLine(kLogInfo, L"LaunchSetupThread", L"Started the Launch process");
    LaunchPageLink link;
    link.page = page;
    link.progressBar = ::GetDlgItem(page, kProgressBar);
    HandleLaunchSetup(nullptr, nullptr, link);
    if (SUCCEEDED(com)) {
        ::CoUninitialize();
    }
    if (auto* self = dynamic_cast<CAutoLaunchSilentPage*>(CDialogBinding::FromWindow(page))) {
        self->m_launchReturned = true;
    }
    ::PostMessageW(page, UM_LAUNCH_THREAD_DONE, 0, 0);
    return 0;
}

bool CAutoLaunchSilentPage::OnMessage(UINT message, WPARAM wParam, LPARAM /*lParam*/, LRESULT& result)
{
    switch (message) {
    case UM_LOG_REQUEST:
        if (const auto* record = reinterpret_cast<const ExtractLogRecord*>(wParam)) {
            Log().WriteLine(record->kind, record->function.c_str(), record->format.c_str(), record->argument.c_str());
        }
        result = 1;
        return true;
    case UM_LAUNCH_THREAD_DONE:
        OnLaunchSetupFinish();
        return true;
    case UM_LAUNCH_COMPLETE:
        if (!m_completed) {
            m_completed = true;
            m_sheet.ActivatePage(WizardPage::Finish);
        }
        return true;
    default:
        return false;
    }
}

void CAutoLaunchSilentPage::OnLaunchSetupFinish()
{
    WorkerThread& worker = *m_sheet.Context().worker;
    if (m_launchReturned.load()) {
        // The launch step is over; the worker only has to return.
        WaitAnsweringSentMessages(worker.ThreadHandle());
        worker.WaitAndClose(0);
        ::PostMessageW(m_window, UM_LAUNCH_COMPLETE, 0, 0);
        return;
    }
    // A setup still runs: it may finish, but nothing more starts, and the user waits for it.
    Log().WriteLine(kLogInfo, L"OnLaunchSetupFinish", L"Disabling the Cancel button");
    m_sheet.EnableCloseCommand(0);
    m_sheet.EnableButtons(L"CANCEL", false);
    SetStatus(613);
}
