#pragma once
// CWelcomePage: greets the user with the package's display name and, when the package asks for it,
// the welcome picture below the header.
#include "ui/GdiplusImage.h"
#include "ui/WizardPage.h"

class CWelcomePage : public CWizardPage {
public:
    explicit CWelcomePage(COrloSheet& sheet);

protected:
    void OnInitDialog() override;
    void OnSetActive() override;
    LRESULT OnWizardNext() override;
    void PaintBackground(HDC dc, const RECT& client) override;

private:
    GdiplusImage m_picture;
};
