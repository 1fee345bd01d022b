#include "settings/SettingsRules.h"

#include <climits>
#include <cmath>
#include <cwchar>
#include <cwctype>

#include "util/StringUtil.h"

int AllowChangeTargetOf(const std::wstring& value) { return EqualsNoCase(value, L"1") ? 1 : 0; }

const wchar_t* AutoLaunchKeyOf(const std::wstring& multilaunch)
{
    return multilaunch == L"1" ? L"AutoLaunch1" : L"AutoLaunch";
}

WaitRule WaitForAutolaunchFinishOf(const std::wstring& value)
{
    if (value == L"0") {
        return {0, true};
    }
    if (value == L"1" || value.empty()) {
        return {1, true};
    }
    return {1, false};
}

const wchar_t* RunModeName(int runMode)
{
    if (runMode == 530) {
        return L"Silent";
    }
    return runMode == 520 ? L"Unattended" : L"Full GUI";
}

int CopyBufferSizeOf(uint64_t physicalBytes, int valuePer128MB)
{
    const uint64_t value = valuePer128MB > 0 ? static_cast<uint64_t>(valuePer128MB) : 5242880ULL;
    const auto blocks = static_cast<uint64_t>(std::ceil(static_cast<double>(physicalBytes) / 134217728.0));
    if (blocks != 0 && value > static_cast<uint64_t>(INT_MAX) / blocks) {
        return INT_MAX;
    }
    return static_cast<int>(blocks * value);
}

uint64_t SizeValueOf(const std::wstring& text)
{
    const long long value = std::wcstoll(text.c_str(), nullptr, 10);
    return value > 0 ? static_cast<uint64_t>(value) : 0;
}

uint64_t RequiredSpaceOf(uint64_t packageSize, uint64_t cabSize, const std::wstring& extractionPath,
                         const std::wstring& tempDirectory, int multiPartDownload)
{
    if (multiPartDownload != 0 || extractionPath.size() < 2 || tempDirectory.size() < 2 ||
        !EqualsNoCase(std::wstring_view(extractionPath).substr(0, 2), std::wstring_view(tempDirectory).substr(0, 2))) {
        return packageSize;
    }
    // The cabinet of a single-file package is first copied into the temp directory.
    return cabSize > UINT64_MAX - packageSize ? UINT64_MAX : packageSize + cabSize;
}

std::wstring ExpandFinishMessage(const std::wstring& text)
{
    return ReplaceAll(ReplaceAll(text, L"[NEWLINE]", L"\n"), L"[TAB]", L"\t");
}

bool IsSettingsFolderName(const std::wstring& name)
{
    if (name.size() != 38 || name.front() != L'{' || name.back() != L'}') {
        return false;
    }
    for (size_t i = 1; i < 37; ++i) {
        const bool dash = i == 9 || i == 14 || i == 19 || i == 24;
        if (dash ? name[i] != L'-' : !std::iswxdigit(name[i])) {
            return false;
        }
    }
    return true;
}

bool IsSettingsFileName(const std::wstring& name, const std::vector<std::wstring>& imageNames)
{
    if (EqualsNoCase(name, L"Properties_Orlo.ini") || EqualsNoCase(name, L"WebCab1") ||
        (StartsWithNoCase(name, L"default") && EndsWithNoCase(name, L".ulf"))) {
        return true;
    }
    for (const std::wstring& image : imageNames) {
        if (EqualsNoCase(name, image)) {
            return true;
        }
    }
    return false;
}
