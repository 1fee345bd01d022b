#pragma once
// Which pages the wizard of a package gets, in their fixed order, and running it.
#include <functional>
#include <string>
#include <vector>

#include "ui/WizardTypes.h"

// What decides the pages: [Dialogs] WelcomeDialog, LanguageDialog, LicenseDialog, [Runtime]
// AutoLaunchInstallationDialog (texts as read), the NoConditioncheck option, [Runtime]
// AllowChangeTarget and start-up's display decision (0: the configured path could not be used).
struct WizardPageRules {
    std::wstring welcomeDialog;
    std::wstring languageDialog;
    std::wstring licenseDialog;
    std::wstring installationDialog;
    bool noConditionCheck = false;
    int allowChangeTarget = 0;
    int displayDecision = 1;
};

// The pages in order. `conditionsMet` is asked only when the package's requirements are checked;
// the requirements page stays only when they fail.
std::vector<WizardPage> ChooseWizardPages(const WizardPageRules& rules, const std::function<bool()>& conditionsMet);

// Builds the wizard for the package that start-up has read and runs it until the user finishes it.
void RunWizard(const WizardContext& context, int displayDecision);
