#pragma once
// CDirChangePage: the folder the package is extracted to, and what happens after extracting.
#include "ui/WizardPage.h"

class CDirChangePage : public CWizardPage {
public:
    explicit CDirChangePage(COrloSheet& sheet);

protected:
    void OnInitDialog() override;
    void OnSetActive() override;

private:
    bool IsStartPage() const;
};
