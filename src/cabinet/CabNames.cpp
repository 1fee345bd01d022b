#include "cabinet/CabNames.h"

#include "cabinet/CabStrings.h"
#include "util/StringUtil.h"
#include "util/Util.h"

std::wstring DecodeStoredName(std::string_view raw, uint16_t attributes)
{
    if ((attributes & kCabAttribUtf8Name) != 0) {
        return CStrW::FromUtf8(raw).Str();
    }
    return CStrW::FromBytes(raw).Str();
}

std::wstring NormalizeStoredName(std::wstring_view name)
{
    std::wstring result(name);
    for (wchar_t& c : result) {
        if (c == L'/') {
            c = L'\\';
        }
    }
    if (result.empty() || result[0] != L'\\') {
        result.insert(result.begin(), L'\\');
    }
    return result;
}

std::wstring CheckStoredName(std::wstring_view normalized)
{
    if (normalized.size() < 2 || normalized[0] != L'\\') {
        return L"empty name";
    }
    for (wchar_t c : normalized) {
        if (c == L':') {
            return L"drive or stream name";
        }
        if (c < 0x20) {
            return L"control character";
        }
    }
    if (normalized[1] == L'\\') {
        return L"UNC or rooted path";
    }
    size_t start = 1;
    while (start <= normalized.size()) {
        size_t end = normalized.find(L'\\', start);
        if (end == std::wstring_view::npos) {
            end = normalized.size();
        }
        const std::wstring_view component = normalized.substr(start, end - start);
        if (component.empty()) {
            return L"empty path component";
        }
        // Windows drops trailing dots and blanks: "..", "... " and "." all mean a parent or this folder.
        const size_t meaningful = component.find_last_not_of(L". ");
        if (meaningful == std::wstring_view::npos) {
            return L"relative path component";
        }
        if (IsDeviceName(component)) {
            return L"device name";
        }
        start = end + 1;
    }
    return {};
}

CabTargetPath BuildTargetPath(const std::wstring& targetFolder, const std::wstring& normalized)
{
    CabTargetPath result;
    const size_t slash = normalized.rfind(L'\\');
    if (slash == std::wstring::npos) {
        result.fileName = normalized;
    } else {
        result.relativeFolder = normalized.substr(0, slash + 1);
        result.fileName = normalized.substr(slash + 1);
    }
    std::wstring base = targetFolder;
    if (!base.empty() && base.back() == L'\\') {
        base.pop_back();
    }
    result.fileFolder = base + result.relativeFolder;
    result.targetPath = result.fileFolder + result.fileName;
    return result;
}

bool IsInsideFolder(const std::wstring& path, const std::wstring& folder)
{
    return folder.size() >= 2 && path.size() > folder.size() && folder.back() == L'\\' &&
           StartsWithNoCase(path, folder);
}

std::wstring RenameNextCabinet(const std::wstring& pattern, int counter, const std::wstring& recorded)
{
    if (recorded.empty()) {
        return {};
    }
    if (pattern.empty()) {
        return recorded;
    }
    const std::wstring numbered = CUtil::FormatNumberedName(pattern, counter);
    const size_t baseDot = numbered.rfind(L'.');
    const std::wstring base = baseDot != std::wstring::npos
                                  ? numbered.substr(0, baseDot)
                                  : numbered.substr(0, numbered.size() >= 4 ? numbered.size() - 4 : 0);
    const size_t suffixDot = recorded.rfind(L'.');
    const std::wstring suffix = suffixDot != std::wstring::npos
                                    ? recorded.substr(suffixDot)
                                    : recorded.substr(recorded.size() >= 4 ? recorded.size() - 4 : 0);
    return base + suffix;
}

int ParsePartNumber(const std::wstring& path, std::wstring& digits)
{
    const size_t slash = path.rfind(L'\\');
    const size_t dot = path.rfind(L'.');
    if (dot != std::wstring::npos && (slash == std::wstring::npos || dot > slash)) {
        digits = path.substr(dot + 1);
    } else {
        digits = path.substr(path.size() >= 3 ? path.size() - 3 : 0);
    }
    if (digits.empty() || digits.size() > 9) {
        return 0;
    }
    int value = 0;
    for (wchar_t c : digits) {
        if (c < L'0' || c > L'9') {
            return 0;
        }
        value = value * 10 + (c - L'0');
    }
    return value;
}
