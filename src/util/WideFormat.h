#pragma once
// printf-style formatting of wide strings with the Windows CRT conventions: in a wide format "%s"
// takes a wide string and "%I64d" a 64-bit integer. Prefer "%ls" for wide arguments: it means the
// same under both the Windows and the C99 conventions. All wide formatting goes through here.
#include <cstdarg>
#include <string>

std::wstring VFormatW(const wchar_t* format, va_list args);
std::wstring FormatW(const wchar_t* format, ...);
