#include "app/PasswordCheck.h"

#include <map>

#include "log/BuildLogFile.h"
#include "settings/OrloInitalizer.h"
#include "util/Profile.h"
#include "util/ProcessContext.h"
#include "util/StringUtil.h"
#include "util/Util.h"

std::wstring UnscramblePassword(const std::wstring& stored, int shift)
{
    std::wstring decoded;
    decoded.reserve(stored.size());
    for (wchar_t c : stored) {
        const int value = static_cast<int>(c);
        decoded.push_back(static_cast<wchar_t>(value - 32 < shift ? value - shift + 95 : value - shift));
    }
    return decoded;
}

PasswordState PreparePassword(const std::wstring& propertiesPath)
{
    std::map<std::wstring, std::wstring> runtime;
    CUtil::ReadSection(propertiesPath, L"runtime", runtime);
    std::wstring stored;
    const auto found = runtime.find(L"extractionpassword");
    if (found != runtime.end()) {
        stored = TrimW(found->second);
    }
    const int shift = ReadProfileInt(propertiesPath, L"Temporary", L"Number", 0);

    PasswordState state;
    state.decoded = UnscramblePassword(stored, shift);

    const std::wstring required = ReadProfileString(propertiesPath, L"Runtime", L"ExtractPasswordRequired");
    WriteProfileString(propertiesPath, L"Orlo", L"Required", required);
    DeleteProfileKey(propertiesPath, L"Runtime", L"ExtractPasswordRequired");
    DeleteProfileKey(propertiesPath, L"Runtime", L"ExtractionPassword");
    DeleteProfileKey(propertiesPath, L"Temporary", L"Number");
    state.required = ReadProfileString(propertiesPath, L"Orlo", L"Required");
    return state;
}

bool CheckCommandLinePassword(int runMode, const PasswordState& state, const std::wstring& commandLinePassword)
{
    if (runMode == kRunModeGui) {
        return true;  // the wizard asks for it
    }
    if (state.required != L"1") {
        return true;
    }
    if (commandLinePassword.empty()) {
        Log().WriteLine(kLogError, L"CheckPassword",
                        L"Please provide the Password from the command line parameter : -ExtractionPassword");
        return false;
    }
    if (commandLinePassword != state.decoded) {
        Log().WriteLine(kLogError, L"CheckPassword", L"Password provided by user is invalid");
        return false;
    }
    Log().WriteLine(kLogInfo, L"CheckPassword", L"Password provided by user is correct");
    return true;
}
