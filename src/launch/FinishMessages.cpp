#include "launch/FinishMessages.h"

#include "launch/LaunchState.h"
#include "log/BuildLogFile.h"
#include "log/RunResult.h"
#include "settings/OrloInitalizer.h"
#include "util/ProcessContext.h"
#include "util/Profile.h"
#include "util/StringUtil.h"
#include "util/Util.h"
#include "util/WideFormat.h"

namespace {
constexpr wchar_t kErrorPrefix[] = L"error:";
constexpr wchar_t kSuccessPrefix[] = L"success:";

const std::wstring* Find(const std::map<std::wstring, std::wstring>& map, const wchar_t* key)
{
    const auto entry = map.find(key);
    return entry == map.end() ? nullptr : &entry->second;
}
} // namespace

std::wstring ReturnCodePrefix(const std::wstring& value)
{
    if (StartsWithNoCase(value, kErrorPrefix)) {
        return value.substr(0, 6);
    }
    if (StartsWithNoCase(value, kSuccessPrefix)) {
        return value.substr(0, 8);
    }
    return {};
}

std::wstring BracedLanguageKey(const std::wstring& trimmedPart)
{
    if (trimmedPart.empty() || trimmedPart.front() != L'{' || trimmedPart.back() != L'}') {
        return {};
    }
    return CUtil::StripBraces(trimmedPart);
}

std::wstring ReturnCodeLookupKey(const std::wstring& launchKey, int exitCode)
{
    return ToLowerW(FormatW(L"%ls:%ls%d", launchKey.c_str(), L"ReturnCode_", exitCode));
}

std::wstring ChooseFinishMessage(const std::map<std::wstring, std::wstring>& finishMessages)
{
    const std::wstring* chosen = Find(finishMessages, kFinishError);
    if (!chosen) {
        if (!Find(finishMessages, kFinishNotSet)) {
            chosen = Find(finishMessages, kFinishSuccess);
        }
        if (!chosen) {
            chosen = Find(finishMessages, kFinishMessageOnFinish);
        }
    }
    return chosen ? *chosen : std::wstring();
}

bool HasUnconfiguredResultIn(const std::map<std::wstring, std::wstring>& finishMessages)
{
    return !Find(finishMessages, kFinishError) && Find(finishMessages, kFinishNotSet);
}

void LoadReturnCodeMessages(const std::wstring& launchKey)
{
    const std::wstring language = FormatW(L"%d", Settings().GetLanguage());
    const std::wstring& properties = Settings().GetPropertiesPath();
    LaunchState& state = LaunchData();
    if (!launchKey.empty()) {
        // The whole section: a package with many configured codes must not lose the later ones.
        for (const auto& [name, value] : ReadProfileSectionPairs(properties, launchKey)) {
            const std::wstring entryName = TrimW(name);
            if (!StartsWithNoCase(entryName, L"ReturnCode_") || value.empty()) {
                continue;
            }
            const std::wstring message = GetMessageFromLangSection(value, language);
            state.ReturnCodeMessages[ToLowerW(FormatW(L"%ls:%ls", launchKey.c_str(), entryName.c_str()))] = message;
        }
    }
    if (!state.FinishMessages.count(kFinishMessageOnFinish)) {
        state.FinishMessages[kFinishMessageOnFinish] = ReadProfileString(properties, language, L"MessageOnFinish");
    }
}

std::wstring GetMessageFromLangSection(const std::wstring& value, const std::wstring& language)
{
    const std::wstring prefix = ReturnCodePrefix(value);
    std::wstring rest = value.substr(prefix.size());
    Log().WriteLine(8, L"GetMessageFromLangSection", L"Checking message part : %ls ", rest.c_str());
    rest = TrimW(rest);
    std::wstring text;
    if (rest.empty()) {
        Log().WriteLine(8, L"GetMessageFromLangSection", L"Message part not provided");
    } else {
        const std::wstring key = BracedLanguageKey(rest);
        if (!key.empty()) {
            text = ReadProfileString(Settings().GetPropertiesPath(), language, key);
        }
    }
    return prefix + text;
}

ReturnCodeMapping SetFinishMessage(int exitCode, const std::wstring& launchKey)
{
    LaunchState& state = LaunchData();
    const auto entry = state.ReturnCodeMessages.find(ReturnCodeLookupKey(launchKey, exitCode));
    if (entry != state.ReturnCodeMessages.end() && !entry->second.empty()) {
        const std::wstring& value = entry->second;
        if (StartsWithNoCase(value, kErrorPrefix)) {
            Settings().SetExtractionStatus(-6);
            const std::wstring text = value.substr(6);
            Log().WriteLine(0, L"SetFinishMessage", L"Error while installation. Message Configuerd : %ls",
                            text.c_str());
            state.FinishMessages[kFinishError] = text;
            return {kSetupMappedError, text};
        } else if (StartsWithNoCase(value, kSuccessPrefix)) {
            const std::wstring text = value.substr(8);
            Log().WriteLine(8, L"SetFinishMessage", L"Message Configuerd : %ls", text.c_str());
            state.FinishMessages[kFinishSuccess] = text;
            return {kSetupMappedSuccess, text};
        }
        return {kSetupUnconfigured, value};
    }
    Log().WriteLine(8, L"SetFinishMessage", L"Return Code is not Configured");
    state.FinishMessages[kFinishNotSet] = kReturnCodeNotConfigured;
    return {kSetupUnconfigured, kReturnCodeNotConfigured};
}

bool HasUnconfiguredResult()
{
    return HasUnconfiguredResultIn(LaunchData().FinishMessages);
}

std::wstring GetFinishMessage()
{
    return ChooseFinishMessage(LaunchData().FinishMessages);
}
