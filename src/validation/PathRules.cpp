#include "validation/PathRules.h"

#include <cwchar>

#include "util/StringUtil.h"
#include "util/Util.h"
#include "util/WideFormat.h"

std::wstring FormatSizeText(uint64_t bytes)
{
    const auto [number, unit] = CUtil::ScaleSize(bytes);
    return FormatW(L"%.02f %ls", number, unit.c_str());
}

InvalidPathRule InvalidPathRuleFor(int errorCode)
{
    switch (errorCode) {
    case 161:
        return {413, L"Invalid path : %ls"};
    case 5:
        return {414, L"Please check the permission of the path : %ls"};
    case 82:
        return {415, L"You cannot extract in the folder : %ls"};
    case 206:
    case 400:
        return {412, L"The path you have specified is too long."};
    default:
        return {};
    }
}

int PathLengthLimitOf(const std::wstring& text)
{
    const long long value = std::wcstoll(text.c_str(), nullptr, 10);
    // A negative limit would refuse every folder; like a missing one it means no limit.
    if (value <= 0) {
        return 0;
    }
    return value > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<int>(value);
}

std::wstring FillInvalidPath(const std::wstring& text, const std::wstring& path)
{
    return ReplaceAll(ReplaceAll(text, L"[INVALIDPATH]", path), L"[NEWLINE]", L"\n");
}

std::wstring FillDriveSpace(const std::wstring& text407, const std::wstring& drive, const std::wstring& available)
{
    return ReplaceAll(ReplaceAll(text407, L"[DRIVENAME]", drive), L"[AVALSPACEIN]", available);
}

std::wstring FillRequiredSpace(const std::wstring& text408, const std::wstring& required)
{
    return ReplaceAll(text408, L"[REQSPACEIN]", required);
}

std::wstring FillDriveName(const std::wstring& text409, const std::wstring& drive)
{
    return ReplaceAll(text409, L"[DRIVENAME]", drive);
}

bool HasLicenseFileForm(const std::wstring& path)
{
    return path.size() >= 5 && (EndsWithNoCase(path, L".txt") || EndsWithNoCase(path, L".rtf"));
}
