#pragma once
// Writing a whole file so that readers see either the old content or the new one, never a part.
#include <windows.h>

#include <string>

// Writes `bytes` to a temporary file in the folder of `path`, flushes it and renames it over
// `path`. Returns 0, or the Win32 error of the step that failed (the temporary file is removed).
DWORD WriteFileAtomically(const std::wstring& path, const std::string& bytes);
