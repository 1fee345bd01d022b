#pragma once
// CFinishPage: the last page of every run. It states the outcome, may offer to open the extraction
// folder and, for a single setup that is not waited for, starts it when Finish is pressed.
#include "ui/WizardPage.h"
#include "util/Handles.h"

class CFinishPage : public CWizardPage {
public:
    explicit CFinishPage(COrloSheet& sheet);

protected:
    void OnInitDialog() override;
    void OnSetActive() override;
    bool OnWizardFinish() override;

private:
    void SetResult();
    void SetIcon(int bitmapId);
    void OfferOpenLocation();
    void OpenExtractionLocation();

    bool m_outcomeShown = false;
    bool m_activatedOnce = false;
    UniqueGdiObject m_icon;
};
