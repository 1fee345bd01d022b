#pragma once
// Small text helpers over std::wstring (pure functions, no Win32 state).
#include <string>
#include <string_view>

std::wstring TrimW(std::wstring_view text);  // blanks, tabs, CR, LF on both ends
std::wstring ToLowerW(std::wstring_view text);
std::wstring ToUpperW(std::wstring_view text);
bool EqualsNoCase(std::wstring_view a, std::wstring_view b);
bool StartsWithNoCase(std::wstring_view text, std::wstring_view prefix);
bool EndsWithNoCase(std::wstring_view text, std::wstring_view suffix);
// Replaces every occurrence of `from` (non-empty) by `to`.
std::wstring ReplaceAll(std::wstring text, std::wstring_view from, std::wstring_view to);
// Replaces only the first occurrence; returns the text unchanged when `from` is absent.
std::wstring ReplaceFirst(std::wstring text, std::wstring_view from, std::wstring_view to);

std::wstring Utf8ToWide(std::string_view text);
std::string WideToUtf8(std::wstring_view text);
// Bytes of a code page (CP_ACP, CP_OEMCP, 1252, ...) to UTF-16 and back.
std::wstring CodePageToWide(std::string_view text, unsigned codePage);
std::string WideToCodePage(std::wstring_view text, unsigned codePage);
