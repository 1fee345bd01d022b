#include "ui/DirChangePage.h"

#include "ui/OrloSheet.h"

CDirChangePage::CDirChangePage(COrloSheet& sheet) : CWizardPage(sheet, WizardPage::Location, kLocationTemplate) {}

bool CDirChangePage::IsStartPage() const
{
    return m_sheet.IsStartPage(Kind()) ||
           (m_sheet.requirementsPassedOnRetry != 0 && m_sheet.PageIndex(Kind()) == 1);
}

void CDirChangePage::OnInitDialog() { OnSetActive(); }

void CDirChangePage::OnSetActive()
{
    m_sheet.SetButtonTexts(L"");
    m_sheet.SetFirstPageButtons(IsStartPage(), false);
    m_sheet.FocusNextButton(true);
}
