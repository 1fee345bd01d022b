// CExtractorValidator: setup language, the command-line autolaunch switch and the license files.
#include <windows.h>

#include <cwchar>

#include "log/BuildLogFile.h"
#include "settings/Messages.h"
#include "settings/OrloInitalizer.h"
#include "util/ProcessContext.h"
#include "util/Profile.h"
#include "util/StringUtil.h"
#include "util/Util.h"
#include "util/WideFormat.h"
#include "validation/ExtractorValidator.h"
#include "validation/PathRules.h"

namespace {
constexpr int kEnglish = 1033;
}

void CExtractorValidator::ValidateSetupLangPassedFromCommandLine(const std::wstring& value)
{
    long language = kEnglish;
    if (!value.empty()) {
        Log().WriteLine(kLogInfo, L"ValidateSetupLangPassedFromCommandLine",
                        L"Command line parameter for SetupLanguage : %ls", value.c_str());
        language = std::wcstol(value.c_str(), nullptr, 10);
        if (language == 0) {
            Log().WriteLine(kLogInfo, L"Command Line Parameters",
                            L"Invalid Command line parameter for SetupLanguage. English taken as default SetupLanguage");
        }
    }
    Settings().SetLanguage(static_cast<int>(language));
    SetLanguaeForProgressBar();
}

void CExtractorValidator::SetLanguaeForProgressBar()
{
    const wchar_t* function = L"SetLanguaeForProgressBar";
    int language = Settings().GetLanguage();
    if (!IsLanguageSupported(language)) {
        Log().WriteLine(kLogWarning, function, L"Language not supported. Default English taken as Setup language");
        language = kEnglish;
    }
    if (!::IsValidLocale(static_cast<LCID>(language), LCID_SUPPORTED)) {
        Log().WriteLine(kLogWarning, function,
                        L"Language : %d not supported by OS. Default English taken as Setup language", language);
        language = kEnglish;
    }
    Settings().SetLanguage(language);
    if (LoadLanguage(language, Settings().GetOrloTempDir()) == -1) {
        Log().WriteLine(kLogWarning, function, L"Language file for %d belongs to another language", language);
    }
}

void CExtractorValidator::SetupLanguages(std::list<std::wstring>& list)
{
    const std::wstring value = ReadProfileString(m_propertiesPath, L"Languages", L"SetupLanguages");
    if (value.empty()) {
        Log().WriteLine(kLogInfo, L"SetupLanguages", L"SetupLanguages not found.");
    }
    CUtil::Split(value, L";", list);
}

bool CExtractorValidator::IsLanguageSupported(int lcid)
{
    std::list<std::wstring> languages;
    SetupLanguages(languages);
    const std::wstring text = FormatW(L"%d", lcid);
    for (const auto& entry : languages) {
        if (EqualsNoCase(entry, text)) {
            return true;
        }
    }
    return false;
}

int CExtractorValidator::GetDefaultLanguage()
{
    const int language = CUtil::GetUILanguage();
    return (language != -1 && IsLanguageSupported(language)) ? language : kEnglish;
}

void CExtractorValidator::ValidateAndSetAutolaunchFromCommandLine(const std::wstring& value)
{
    if (value.empty()) {
        return;
    }
    Log().WriteLine(kLogInfo, L"Command Line Parameters", L"Command line parameter for Autolaunch : %ls",
                    value.c_str());
    const bool multilaunch = ReadProfileString(m_propertiesPath, L"Runtime", L"Multilaunch") == L"1";
    const std::wstring program =
        ReadProfileString(m_propertiesPath, L"Runtime", multilaunch ? L"AutoLaunch1" : L"AutoLaunch");
    if (program.empty()) {
        Log().WriteLine(kLogInfo, L"Command Line Parameters", L"Autolaunch is not enabled for the Web Package");
        return;
    }
    const wchar_t* function = L"ValidateAndSetAutolaunchFromCommandLine";
    if (EqualsNoCase(value, L"no")) {
        Settings().SetAutolaunch(0);
        Log().WriteLine(kLogInfo, function, L"Autolaunch disabled");
    } else if (EqualsNoCase(value, L"yes")) {
        Settings().SetAutolaunch(1);
        Log().WriteLine(kLogInfo, function, L"Autolaunch enabled");
    } else {
        Settings().SetAutolaunch(1);
        Log().WriteLine(kLogInfo, function, L"Invalid value for Autolaunch. Autolaunch is enabled by default");
    }
}

std::wstring CExtractorValidator::CheckLicenseFiles(int lcid, const std::wstring& folder, int kind)
{
    if (kind != 1 && kind != 2) {
        return {};
    }
    const wchar_t* function = L"CheckLicenseFiles";
    const wchar_t* section = kind == 1 ? L"LicenseFiles" : L"SecurityLicenseFiles";
    const wchar_t* label = kind == 1 ? L"License File" : L"Security License File";
    const std::wstring language = FormatW(L"%d", lcid);
    const std::wstring value = ReadProfileString(m_propertiesPath, section, language);
    if (!value.empty()) {
        const std::wstring path = FormatW(L"%ls%ls", folder.c_str(), value.c_str());
        if (IsValidLicenseFile(path)) {
            Log().WriteLine(kLogInfo, function, L"%ls for language %ls : %ls", label, language.c_str(), path.c_str());
            return path;
        }
        Log().WriteLine(kLogWarning, function, L"Invalid %ls for language %ls : %ls", label, language.c_str(),
                        path.c_str());
        return {};
    }
    Log().WriteLine(kLogWarning, function, L"%ls for language %ls not found.", label, language.c_str());
    if (lcid != kEnglish) {
        const std::wstring english = ReadProfileString(m_propertiesPath, section, L"1033");
        if (!english.empty()) {
            Log().WriteLine(kLogInfo, function, L"English file taken as default.");
            return FormatW(L"%ls%ls", folder.c_str(), english.c_str());
        }
    }
    return {};
}

bool CExtractorValidator::IsValidLicenseFile(const std::wstring& path)
{
    return HasLicenseFileForm(path) && CUtil::FileExists(path);
}
