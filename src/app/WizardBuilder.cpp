#include "app/WizardBuilder.h"

#include "settings/OrloInitalizer.h"
#include "ui/OrloSheet.h"
#include "util/Profile.h"
#include "util/ProcessContext.h"
#include "validation/ExtractorValidator.h"

std::vector<WizardPage> ChooseWizardPages(const WizardPageRules& rules, const std::function<bool()>& conditionsMet)
{
    std::vector<WizardPage> pages;
    if (rules.welcomeDialog != L"0") {
        pages.push_back(WizardPage::Welcome);
    }
    if (rules.languageDialog == L"1") {
        pages.push_back(WizardPage::Language);
    }
    if (!rules.noConditionCheck && !conditionsMet()) {
        pages.push_back(WizardPage::Requirements);
    }
    if (rules.licenseDialog == L"1") {
        pages.push_back(WizardPage::License);
    }
    if (rules.allowChangeTarget == 1 || (rules.allowChangeTarget == 0 && rules.displayDecision == 0)) {
        pages.push_back(WizardPage::Location);
    }
    pages.push_back(WizardPage::Progress);
    if (rules.installationDialog == L"1") {
        pages.push_back(WizardPage::Launch);
    }
    pages.push_back(WizardPage::Finish);
    return pages;
}

void RunWizard(const WizardContext& context, int displayDecision)
{
    COrloSheet sheet(context);
    const std::wstring& properties = Settings().GetPropertiesPath();
    WizardPageRules rules;
    rules.welcomeDialog = ReadProfileString(properties, L"Dialogs", L"WelcomeDialog");
    rules.languageDialog = ReadProfileString(properties, L"Dialogs", L"LanguageDialog");
    rules.licenseDialog = ReadProfileString(properties, L"Dialogs", L"LicenseDialog");
    rules.installationDialog = ReadProfileString(properties, L"Runtime", L"AutoLaunchInstallationDialog");
    rules.noConditionCheck = Settings().GetNoConditioncheck() == 1;
    rules.allowChangeTarget = Settings().GetAllowChangeTarget();
    rules.displayDecision = displayDecision;
    Settings().SetExtractionStatus(-1);
    const auto conditionsMet = [] { return Validator().CheckConditions(Settings().GetLanguage()) == 1; };
    for (WizardPage page : ChooseWizardPages(rules, conditionsMet)) {
        sheet.AddPage(page);
    }
    sheet.DoModal();
}
