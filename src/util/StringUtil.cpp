#include "util/StringUtil.h"

#include "util/Platform.h"

#include <cwctype>

namespace {
bool IsBlank(wchar_t c)
{
    return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n' || c == L'\v' || c == L'\f';
}
}  // namespace

std::wstring TrimW(std::wstring_view text)
{
    size_t begin = 0;
    size_t end = text.size();
    while (begin < end && IsBlank(text[begin])) {
        ++begin;
    }
    while (end > begin && IsBlank(text[end - 1])) {
        --end;
    }
    return std::wstring(text.substr(begin, end - begin));
}

std::wstring ToLowerW(std::wstring_view text)
{
    std::wstring result(text);
    for (auto& c : result) {
        c = static_cast<wchar_t>(std::towlower(c));
    }
    return result;
}

std::wstring ToUpperW(std::wstring_view text)
{
    std::wstring result(text);
    for (auto& c : result) {
        c = static_cast<wchar_t>(std::towupper(c));
    }
    return result;
}

bool EqualsNoCase(std::wstring_view a, std::wstring_view b)
{
    if (a.size() != b.size()) {
        return false;
    }
    for (size_t i = 0; i < a.size(); ++i) {
        if (std::towlower(a[i]) != std::towlower(b[i])) {
            return false;
        }
    }
    return true;
}

bool StartsWithNoCase(std::wstring_view text, std::wstring_view prefix)
{
    return text.size() >= prefix.size() && EqualsNoCase(text.substr(0, prefix.size()), prefix);
}

bool EndsWithNoCase(std::wstring_view text, std::wstring_view suffix)
{
    return text.size() >= suffix.size() && EqualsNoCase(text.substr(text.size() - suffix.size()), suffix);
}

std::wstring ReplaceAll(std::wstring text, std::wstring_view from, std::wstring_view to)
{
    if (from.empty()) {
        return text;
    }
    size_t pos = 0;
    while ((pos = text.find(from, pos)) != std::wstring::npos) {
        text.replace(pos, from.size(), to);
        pos += to.size();
    }
    return text;
}

std::wstring ReplaceFirst(std::wstring text, std::wstring_view from, std::wstring_view to)
{
    if (from.empty()) {
        return text;
    }
    const size_t pos = text.find(from);
    if (pos != std::wstring::npos) {
        text.replace(pos, from.size(), to);
    }
    return text;
}

std::wstring CodePageToWide(std::string_view text, unsigned codePage)
{
    if (text.empty()) {
        return {};
    }
    const int needed = ::MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    if (needed <= 0) {
        return {};
    }
    std::wstring result(static_cast<size_t>(needed), L'\0');
    ::MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), result.data(), needed);
    return result;
}

std::string WideToCodePage(std::wstring_view text, unsigned codePage)
{
    if (text.empty()) {
        return {};
    }
    const int needed =
        ::WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    if (needed <= 0) {
        return {};
    }
    std::string result(static_cast<size_t>(needed), '\0');
    ::WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), result.data(), needed, nullptr,
                          nullptr);
    return result;
}

std::wstring Utf8ToWide(std::string_view text) { return CodePageToWide(text, CP_UTF8); }
std::string WideToUtf8(std::wstring_view text) { return WideToCodePage(text, CP_UTF8); }
