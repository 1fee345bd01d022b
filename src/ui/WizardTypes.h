#pragma once
// What the wizard's sheet and pages share: the page kinds, the dialog templates, and what start-up
// hands to the wizard.
#include <windows.h>

#include <string>

class WorkerThread;

enum class WizardPage { Welcome, Language, Requirements, License, Location, Progress, Launch, Finish };

// Dialog template of each page.
constexpr int kWelcomeTemplate = 905;
constexpr int kLanguageTemplate = 903;
constexpr int kRequirementsTemplate = 920;
constexpr int kLicenseTemplate = 906;
constexpr int kLocationTemplate = 908;
constexpr int kProgressTemplate = 909;
constexpr int kLaunchTemplate = 173;
constexpr int kFinishTemplate = 911;

// Navigation buttons of the sheet (the platform's own ids, so keyboard commands keep their meaning).
constexpr int kBackButtonId = 12323;
constexpr int kNextButtonId = 12324;
constexpr int kFinishButtonId = 12325;
constexpr int kCancelButtonId = IDCANCEL;

constexpr COLORREF kWizardBackground = RGB(240, 240, 240);
constexpr int kHeaderHeight = 60;

// Start-up's part of the wizard: fonts, header images, the display name, the worker slot and the
// password the prompt compares with.
struct WizardContext {
    HINSTANCE instance = nullptr;
    std::wstring displayName;
    LOGFONTW titleFont{};  // "Tahoma" 16, weight 600
    LOGFONTW textFont{};   // "Tahoma" 15, weight 100
    std::wstring topImagePath;
    std::wstring bottomImagePath;
    WorkerThread* worker = nullptr;
    int userInterfaceLanguage = 1033;
    std::wstring requiredPassword;  // "1" when the package asks for its extraction password
    std::wstring decodedPassword;
};
