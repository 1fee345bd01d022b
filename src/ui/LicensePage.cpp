#include "ui/LicensePage.h"

#include "ui/OrloSheet.h"

CLicensePage::CLicensePage(COrloSheet& sheet) : CWizardPage(sheet, WizardPage::License, kLicenseTemplate) {}

bool CLicensePage::IsStartPage() const
{
    return m_sheet.IsStartPage(Kind()) ||
           (m_sheet.requirementsPassedOnRetry != 0 && m_sheet.PageIndex(Kind()) == 1);
}

void CLicensePage::OnInitDialog() { OnSetActive(); }

void CLicensePage::OnSetActive()
{
    m_sheet.SetButtonTexts(L"");
    m_sheet.SetFirstPageButtons(IsStartPage(), false);
    m_sheet.FocusNextButton(true);
}
