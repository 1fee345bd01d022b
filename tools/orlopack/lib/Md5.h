#pragma once
// MD5 of a file through CryptoAPI, read in large blocks (the digest is what matters).
#include <windows.h>

#include <string>

namespace orlopack {

// 0 and `hash` = 32 lower-case hexadecimal digits, or a Win32 error code with `error` set.
DWORD Md5OfFile(const std::wstring& path, std::wstring& hash, std::wstring& error);

} // namespace orlopack
