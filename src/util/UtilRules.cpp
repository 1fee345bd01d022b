// Pure rules behind CUtil (no Win32 state).
#include "util/UtilRules.h"

#include <cwchar>
#include <iterator>

#include "util/StringUtil.h"
#include "util/Util.h"
#include "util/WideFormat.h"

namespace {
constexpr const wchar_t* kReservedNames[] = {
    L"AUX",  L"NUL",  L"CON",  L"COM1", L"COM2", L"COM3", L"COM4", L"COM5", L"COM6", L"COM7", L"COM8",
    L"COM9", L"LPT1", L"LPT2", L"LPT3", L"LPT4", L"LPT5", L"LPT6", L"LPT7", L"LPT8", L"LPT9",
};
static_assert(std::size(kReservedNames) == 21);

constexpr uint64_t kOneGiB = uint64_t{1} << 30;
constexpr uint64_t kOneMiB = uint64_t{1} << 20;
} // namespace

bool CUtil::IsValidPathComponent(const std::wstring& component)
{
    if (component == L"..") {
        return true;
    }
    if (component.find(L"..") != std::wstring::npos) {
        return false;
    }
    for (const wchar_t* reserved : kReservedNames) {
        if (EqualsNoCase(component, reserved)) {
            return false;
        }
    }
    return component.find_first_not_of(L'.') != std::wstring::npos;
}

std::pair<double, std::wstring> CUtil::ScaleSize(uint64_t bytes)
{
    if (bytes > kOneGiB) {
        return {static_cast<double>(bytes) / static_cast<double>(kOneGiB), L"GB"};
    }
    if (bytes > kOneMiB) {
        return {static_cast<double>(bytes) / static_cast<double>(kOneMiB), L"MB"};
    }
    return {static_cast<double>(bytes) / 1024.0, L"KB"};
}

namespace utilrules {
namespace {
bool IsAsciiLetter(wchar_t c) { return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z'); }
bool IsAsciiDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }
}  // namespace

int CheckPathText(const std::wstring& path)
{
    if (path.find_first_of(L"\"/*?><|") != std::wstring::npos) {
        return kPathBadPathName;
    }
    std::list<std::wstring> components;
    CUtil::Split(path, L"\\", components);
    for (const auto& component : components) {
        if (!CUtil::IsValidPathComponent(component)) {
            return kPathBadPathName;
        }
    }
    if (path.size() > 255) {
        return kPathNameTooLong;
    }
    return kPathValid;
}

PathForm ClassifyPath(const std::wstring& path)
{
    if (path.size() > 2 && path[0] == L'\\' && path[1] == L'\\') {
        return PathForm::Network;
    }
    if (path.size() >= 3 && IsAsciiLetter(path[0]) && path[1] == L':' && path[2] == L'\\') {
        return PathForm::Drive;
    }
    if (path.rfind(L"..\\", 0) == 0 || path.rfind(L"\\..\\", 0) == 0 || path == L"\\..") {
        return PathForm::DotRelative;
    }
    return PathForm::Other;
}

int GetNetworkRoot(const std::wstring& path, std::wstring& root)
{
    const size_t serverEnd = path.find(L'\\', 2);
    if (serverEnd == std::wstring::npos) {
        return kPathBadPathName;
    }
    const size_t shareEnd = path.find(L'\\', serverEnd + 1);
    // An empty server or share name ("\\\x", "\\server\\") is no network path either.
    if (shareEnd == std::wstring::npos || serverEnd == 2 || shareEnd == serverEnd + 1) {
        return kPathBadPathName;
    }
    const wchar_t first = path[2];
    if (!IsAsciiLetter(first) && !IsAsciiDigit(first) && first != L'.') {
        return kPathBadPathName;
    }
    root = path.substr(0, shareEnd + 1);
    return kPathValid;
}

bool StripRoot(const std::wstring& path, const std::wstring& root, std::wstring& rest)
{
    if (!StartsWithNoCase(path, root)) {
        return false;
    }
    rest = path.substr(root.size());
    return true;
}

bool IsSingleIntegerFormat(const std::wstring& format)
{
    int conversions = 0;
    for (size_t i = 0; i < format.size(); ++i) {
        if (format[i] != L'%') {
            continue;
        }
        ++i;
        if (i < format.size() && format[i] == L'%') {
            continue;
        }
        // wcschr finds the terminator too: a NUL in the text must not pass for a flag or a conversion.
        while (i < format.size() && format[i] != L'\0' && std::wcschr(L"-+ 0#", format[i]) != nullptr) {
            ++i;
        }
        // Width and precision of at most two digits: "%999999999d" would make a name of a billion
        // characters.
        auto skipDigits = [&]() {
            const size_t start = i;
            while (i < format.size() && IsAsciiDigit(format[i])) {
                ++i;
            }
            return i - start <= 2;
        };
        if (!skipDigits()) {
            return false;
        }
        if (i < format.size() && format[i] == L'.') {
            ++i;
            if (!skipDigits()) {
                return false;
            }
        }
        if (i >= format.size() || format[i] == L'\0' || std::wcschr(L"diuxXo", format[i]) == nullptr) {
            return false;  // a width "*", a size prefix or any non-integer conversion
        }
        ++conversions;
    }
    return conversions == 1;
}

std::wstring FormatDriveSpaceText(uint64_t totalBytes, uint64_t freeBytes)
{
    // A drive never has more free than total bytes; a confused report must not wrap "used" around.
    const uint64_t usedBytes = freeBytes <= totalBytes ? totalBytes - freeBytes : 0;
    const auto total = CUtil::ScaleSize(totalBytes);
    const auto used = CUtil::ScaleSize(usedBytes);
    const auto free = CUtil::ScaleSize(freeBytes);
    return FormatW(L"Total Space: %.02lf %ls\tUsed space: %.02lf %ls\tFree space: %.02lf %ls", total.first,
                   total.second.c_str(), used.first, used.second.c_str(), free.first, free.second.c_str());
}

void CollectProcessorNames(const std::function<bool(int index, std::wstring& name)>& readName,
                           std::list<std::wstring>& list)
{
    for (int index = 0;; ++index) {
        std::wstring name;
        if (!readName(index, name)) {
            return;
        }
        list.push_front(name);
        if (name.empty()) {
            return;
        }
    }
}

}  // namespace utilrules
