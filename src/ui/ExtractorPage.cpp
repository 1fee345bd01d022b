#include "ui/ExtractorPage.h"

#include <commctrl.h>

#include "util/WorkerThread.h"
#include "launch/FinishMessages.h"
#include "ui/MessageBox.h"
#include "log/BuildLogFile.h"
#include "extraction/ExtractionDriver.h"
#include "settings/Messages.h"
#include "settings/OrloInitalizer.h"
#include "settings/WindowMessages.h"
#include "ui/FileOverwrite.h"
#include "ui/OrloSheet.h"
#include "ui/WizardFlow.h"
#include "util/ProcessContext.h"
#include "util/SentMessageWait.h"

namespace {
constexpr int kProgressBar = 1002;
constexpr int kStatusText = 1037;
constexpr int kHeading = 1052;
}  // namespace

CExtractorPage::CExtractorPage(COrloSheet& sheet)
    : CWizardPage(sheet, WizardPage::Progress, kProgressTemplate), m_progress([this] { SetStatus(508); })
{
}

void CExtractorPage::SetStatus(int messageId)
{
    SetItemText(kHeading, GetMessage(506));
    SetItemText(kStatusText, GetMessage(messageId));
    Repaint();
}

void CExtractorPage::OnInitDialog()
{
    SetItemFont(kHeading, m_sheet.TitleFont());
    SetItemFont(kStatusText, m_sheet.TextFont());
    m_sheet.SetButtonTexts(L"");
    SetStatus(507);
    m_sheet.ShowButtons(L"NEXT,BACK", SW_HIDE);
    m_progress.Attach(m_window, Item(kProgressBar));
    // Nothing is extracted for a run whose password prompt was cancelled.
    const bool mayRun = !m_sheet.IsStartPage(Kind()) || AskPasswordIfRequired(m_sheet);
    if (mayRun && Flags().Continue != 0) {
        WorkerThread& worker = *m_sheet.Context().worker;
        const HRESULT started = worker.Start(m_window, ExtractPackageThread<WorkerThread>);
        if (FAILED(started)) {
            Log().WriteLine(kLogError, L"CExtractorPage", L"The extraction could not be started : 0x%08lx",
                            static_cast<unsigned long>(started));
            ::PostMessageW(m_window, UM_EXTRACTION_FAILED, 0, 0);
        } else {
            m_started = true;
        }
    }
    m_sheet.FocusCancelButton();
}

void CExtractorPage::OnSetActive()
{
    m_sheet.SetButtonTexts(L"");
    SetStatus(507);
    m_sheet.ShowButtons(L"NEXT,BACK", SW_HIDE);
    m_sheet.FocusCancelButton();
}

bool CExtractorPage::OnMessage(UINT message, WPARAM wParam, LPARAM /*lParam*/, LRESULT& result)
{
    switch (message) {
    case UM_WORKER_REPORTS:
        result = m_progress.Handle(wParam);
        return true;
    case UM_ASK_OVERWRITE:
        Flags().OverwriteAnswer = CFileOverwrite(m_sheet, Flags().CurrentFileName).DoModal();
        result = 1;
        return true;
    case UM_SHOW_ERROR_BOX:
        if (const auto* text = reinterpret_cast<const std::wstring*>(wParam)) {
            DoMessageBox(*text, MB_OK | MB_ICONHAND);
        }
        result = 1;
        return true;
    case UM_EXTRACTION_DONE:
    case UM_EXTRACTION_FAILED:
        OnWorkerEnd(message);
        result = 0;
        return true;
    default:
        return false;
    }
}

void CExtractorPage::OnWorkerEnd(UINT message)
{
    if (m_sheet.QuestionOpen()) {
        m_deferredEnd = message;  // the answer decides what the end means
        return;
    }
    // Posted last: the worker is returning.
    WaitAnsweringSentMessages(m_sheet.Context().worker->ThreadHandle());
    m_sheet.Context().worker->WaitAndClose(0);
    if (Flags().UserCancelled != 0) {
        m_sheet.ActivatePage(WizardPage::Finish);
        return;
    }
    if (message == UM_EXTRACTION_DONE) {
        OnExtractionDone();
    } else {
        m_sheet.ActivatePage(WizardPage::Finish);
    }
}

void CExtractorPage::ReplayDeferredEnd()
{
    if (m_deferredEnd != 0 && m_window != nullptr) {
        ::PostMessageW(m_window, m_deferredEnd, 0, 0);
        m_deferredEnd = 0;
    }
}

void CExtractorPage::StopWorker()
{
    WorkerThread& worker = *m_sheet.Context().worker;
    // The worker passes its next checkpoint, sees the cleared continue flag and returns; its last
    // reports are answered meanwhile.
    WaitAnsweringSentMessages(worker.ThreadHandle());
    worker.WaitAndClose(0);
}

void CExtractorPage::OnExtractionDone()
{
    m_sheet.OnExtractionDone();
}
