#pragma once
// The Windows types and the few text calls that the parsing code needs. On Windows this is
// windows.h. The native Linux build (fuzz/ only, never shipped) gets plain definitions here and
// implementations of the calls in fuzz/native/.
//
// Text is UTF-16 code units in std::wstring on both: natively wchar_t is 32 bits wide, but every
// element still holds one 16-bit code unit (surrogates stay pairs), so the parsers see exactly
// the values they see on Windows. Input bytes are turned into code units at the boundary, never
// by copying them into wchar_t storage.
#ifdef _WIN32
#include <windows.h>
#else
#include <cstdarg>
#include <cstddef>
#include <cstdint>

using BYTE = uint8_t;
using WORD = uint16_t;
using USHORT = uint16_t;
using DWORD = uint32_t; // unsigned long is 64 bits here
using UINT = unsigned int;
using BOOL = int;
using LONG = int32_t;
using INT_PTR = intptr_t;
using WCHAR = wchar_t;
using LPWSTR = wchar_t*;
using LPCWSTR = const wchar_t*;
using LPSTR = char*;
using LPCSTR = const char*;
using LPBOOL = BOOL*;
using WPARAM = uintptr_t;
using LPARAM = intptr_t;
using LRESULT = intptr_t;
using HANDLE = void*;
using HWND = struct HWND__*;
using HKEY = struct HKEY__*;
using HMODULE = struct HMODULE__*;

struct FILETIME {
    DWORD dwLowDateTime;
    DWORD dwHighDateTime;
};

#ifndef FALSE
#define FALSE 0
#define TRUE 1
#endif
#define WM_USER 0x0400
#define CP_ACP 0
#define CP_OEMCP 1
#define CP_UTF8 65001

// Same contracts as the Windows calls (flags 0 only): invalid UTF-8 becomes U+FFFD, code points
// above U+FFFF become surrogate pairs; other code pages are taken as Latin-1.
int MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR text, int bytes, LPWSTR out, int outChars);
int WideCharToMultiByte(UINT codePage, DWORD flags, LPCWSTR text, int chars, LPSTR out, int outBytes,
                        LPCSTR defaultChar, LPBOOL usedDefault);
// Windows CRT formatting ("%s" is wide in a wide format, "%I64d" is 64-bit); -1 when it does not fit.
int _vsnwprintf(wchar_t* buffer, size_t count, const wchar_t* format, va_list args);
#endif
