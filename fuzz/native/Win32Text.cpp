// The text calls of util/Platform.h for the native fuzz build, with the Windows contracts.
#include <cstdio>
#include <cwchar>
#include <string>

#include "util/Platform.h"

namespace {
constexpr char32_t kReplacement = 0xFFFD;

void PutUnit(std::u16string& out, char32_t cp)
{
    if (cp > 0xFFFF) {
        cp -= 0x10000;
        out += static_cast<char16_t>(0xD800 + (cp >> 10));
        out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
    } else {
        out += static_cast<char16_t>(cp);
    }
}

std::u16string DecodeUtf8(const unsigned char* s, size_t n)
{
    std::u16string out;
    size_t i = 0;
    while (i < n) {
        const unsigned char b = s[i];
        size_t length = 0;
        char32_t cp = 0;
        char32_t minimum = 0;
        if (b < 0x80) {
            out += static_cast<char16_t>(b);
            ++i;
            continue;
        }
        if (b >= 0xC2 && b <= 0xDF) {
            length = 2, cp = b & 0x1F, minimum = 0x80;
        } else if (b >= 0xE0 && b <= 0xEF) {
            length = 3, cp = b & 0x0F, minimum = 0x800;
        } else if (b >= 0xF0 && b <= 0xF4) {
            length = 4, cp = b & 0x07, minimum = 0x10000;
        } else {
            out += static_cast<char16_t>(kReplacement);
            ++i;
            continue;
        }
        // A maximal valid prefix is replaced by one U+FFFD, as Windows does.
        size_t used = 1;
        while (used < length && i + used < n && (s[i + used] & 0xC0) == 0x80) {
            cp = (cp << 6) | (s[i + used] & 0x3F);
            ++used;
        }
        if (used < length || cp < minimum || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
            out += static_cast<char16_t>(kReplacement);
            i += used;
            continue;
        }
        PutUnit(out, cp);
        i += used;
    }
    return out;
}

std::string EncodeUtf8(const wchar_t* s, size_t n)
{
    std::string out;
    for (size_t i = 0; i < n; ++i) {
        char32_t cp = static_cast<char32_t>(s[i]) & 0xFFFF;
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < n && (s[i + 1] & 0xFC00) == 0xDC00) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + ((static_cast<char32_t>(s[i + 1]) & 0xFFFF) - 0xDC00);
            ++i;
        } else if (cp >= 0xD800 && cp <= 0xDFFF) {
            cp = kReplacement;
        }
        if (cp < 0x80) {
            out += static_cast<char>(cp);
        } else if (cp < 0x800) {
            out += static_cast<char>(0xC0 | (cp >> 6));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else if (cp < 0x10000) {
            out += static_cast<char>(0xE0 | (cp >> 12));
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (cp >> 18));
            out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        }
    }
    return out;
}

// A Windows CRT format in glibc's terms: "%s" and "%c" are wide, "%hs", "%S" narrow, "%I64" is "ll".
std::wstring TranslateFormat(const wchar_t* format)
{
    std::wstring out;
    for (const wchar_t* p = format; *p != L'\0'; ++p) {
        out += *p;
        if (*p != L'%') {
            continue;
        }
        ++p;
        if (*p == L'%') {
            out += L'%';
            continue;
        }
        while (*p != L'\0' && std::wcschr(L"-+ 0#123456789.*", *p) != nullptr) {
            out += *p++;
        }
        bool narrow = false;
        bool wide = false;
        if (p[0] == L'I' && p[1] == L'6' && p[2] == L'4') {
            out += L"ll", p += 3;
        } else if (p[0] == L'I' && p[1] == L'3' && p[2] == L'2') {
            p += 3;
        } else if (p[0] == L'I') {
            out += L'z', ++p;
        } else if (p[0] == L'h') {
            narrow = true, ++p;
        } else if (p[0] == L'l' || p[0] == L'w') {
            wide = true, ++p;
            if (*p == L'l') {
                out += L"ll", ++p, wide = false;
            }
        }
        if (*p == L'\0') {
            break;
        }
        const wchar_t conversion = *p;
        if (conversion == L's' || conversion == L'c') {
            if (!narrow) {
                out += L'l';
            }
            out += conversion;
        } else if (conversion == L'S' || conversion == L'C') {
            out += static_cast<wchar_t>(conversion == L'S' ? L's' : L'c');
        } else {
            if (narrow) {
                out += L'h';
            } else if (wide) {
                out += L'l';
            }
            out += conversion;
        }
    }
    return out;
}
} // namespace

int MultiByteToWideChar(UINT codePage, DWORD /*flags*/, LPCSTR text, int bytes, LPWSTR out, int outChars)
{
    if (text == nullptr || bytes < 0) {
        return 0;
    }
    const auto* s = reinterpret_cast<const unsigned char*>(text);
    std::u16string units;
    if (codePage == CP_UTF8) {
        units = DecodeUtf8(s, static_cast<size_t>(bytes));
    } else {
        units.assign(s, s + bytes); // the other pages as Latin-1
    }
    if (outChars == 0) {
        return static_cast<int>(units.size());
    }
    if (out == nullptr || static_cast<size_t>(outChars) < units.size()) {
        return 0;
    }
    for (size_t i = 0; i < units.size(); ++i) {
        out[i] = static_cast<wchar_t>(units[i]);
    }
    return static_cast<int>(units.size());
}

int WideCharToMultiByte(UINT codePage, DWORD /*flags*/, LPCWSTR text, int chars, LPSTR out, int outBytes,
                        LPCSTR /*defaultChar*/, LPBOOL /*usedDefault*/)
{
    if (text == nullptr || chars < 0) {
        return 0;
    }
    std::string bytes;
    if (codePage == CP_UTF8) {
        bytes = EncodeUtf8(text, static_cast<size_t>(chars));
    } else {
        for (int i = 0; i < chars; ++i) {
            bytes += static_cast<char>(text[i] >= 0 && text[i] <= 0xFF ? text[i] : L'?');
        }
    }
    if (outBytes == 0) {
        return static_cast<int>(bytes.size());
    }
    if (out == nullptr || static_cast<size_t>(outBytes) < bytes.size()) {
        return 0;
    }
    bytes.copy(out, bytes.size());
    return static_cast<int>(bytes.size());
}

int _vsnwprintf(wchar_t* buffer, size_t count, const wchar_t* format, va_list args)
{
    const std::wstring translated = TranslateFormat(format);
    // glibc always writes a terminator: a text of exactly `count` characters reports -1 here.
    const int written = std::vswprintf(buffer, count, translated.c_str(), args);
    return written >= 0 ? written : -1;
}
