#pragma once
// CExtractorPage: the page on which the package is extracted. Creating it starts the run's only
// extraction worker; it follows the worker's progress, writes its log lines, asks its overwrite
// questions and, when the worker is done, hands over to the launch or finish page.
#include "ui/ExtractionProgress.h"
#include "ui/WizardPage.h"

class CExtractorPage : public CWizardPage {
public:
    explicit CExtractorPage(COrloSheet& sheet);

    void SetStatus(int messageId);
    // After a confirmed cancel: lets the worker see the cleared continue flag and waits for its end.
    void StopWorker();
    // The worker's end arrived while the cancel question was open; handled once it is answered.
    void ReplayDeferredEnd();

protected:
    void OnInitDialog() override;
    void OnSetActive() override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    void OnExtractionDone();
    void OnWorkerEnd(UINT message);

    CExtractionProgress m_progress;
    UINT m_deferredEnd = 0;
    bool m_started = false;
};
