#include "util/NameRules.h"

#include "util/StringUtil.h"

bool IsDeviceName(std::wstring_view component)
{
    std::wstring_view stem = component.substr(0, component.find(L'.'));
    while (!stem.empty() && stem.back() == L' ') {
        stem.remove_suffix(1);
    }
    for (const wchar_t* device : {L"CON", L"PRN", L"AUX", L"NUL", L"CONIN$", L"CONOUT$"}) {
        if (EqualsNoCase(stem, device)) {
            return true;
        }
    }
    return stem.size() == 4 && (StartsWithNoCase(stem, L"COM") || StartsWithNoCase(stem, L"LPT")) && stem[3] >= L'1' &&
           stem[3] <= L'9';
}

std::wstring CheckPlainFileName(std::wstring_view name)
{
    if (name.empty()) {
        return L"empty name";
    }
    for (wchar_t c : name) {
        if (c < 0x20) {
            return L"control character";
        }
        if (c == L'\\' || c == L'/') {
            return L"folder part";
        }
        if (c == L':') {
            return L"drive or stream name";
        }
        if (c == L'*' || c == L'?' || c == L'"' || c == L'<' || c == L'>' || c == L'|') {
            return L"wildcard or reserved character";
        }
    }
    // Windows drops trailing dots and blanks: ".", ".." and "... " all mean a folder, not a file.
    if (name.find_first_not_of(L". ") == std::wstring_view::npos || name.find(L"..") != std::wstring_view::npos) {
        return L"relative path component";
    }
    if (IsDeviceName(name)) {
        return L"device name";
    }
    return {};
}

std::wstring LongPath(const std::wstring& path)
{
    if (path.size() < 248 || path.compare(0, 4, L"\\\\?\\") == 0) {
        return path;
    }
    if (path.size() > 2 && path[0] == L'\\' && path[1] == L'\\') {
        return L"\\\\?\\UNC\\" + path.substr(2);
    }
    if (path.size() > 2 && path[1] == L':' && path[2] == L'\\') {
        return L"\\\\?\\" + path;
    }
    return path;
}

std::wstring WithoutLongPathPrefix(const std::wstring& path)
{
    if (path.compare(0, 8, L"\\\\?\\UNC\\") == 0) {
        return L"\\\\" + path.substr(8);
    }
    if (path.compare(0, 4, L"\\\\?\\") == 0) {
        return path.substr(4);
    }
    return path;
}
