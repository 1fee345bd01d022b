#pragma once
// CLicensePage: the license and security documents of the current language, each to be accepted.
#include "ui/WizardPage.h"

class CLicensePage : public CWizardPage {
public:
    explicit CLicensePage(COrloSheet& sheet);

protected:
    void OnInitDialog() override;
    void OnSetActive() override;

private:
    bool IsStartPage() const;
};
