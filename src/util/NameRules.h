#pragma once
// Rules for names and paths that come from a package (payload entries, values of the properties,
// names stored in cabinets). The program and the package builder share them: what the builder
// calls sound, the program accepts.
#include <string>
#include <string_view>

// "CON", "nul.txt", "COM1 " ... name a device wherever they stand in a path.
bool IsDeviceName(std::wstring_view component);

// Empty when `name` is one plain file name that stays inside any folder it is joined to: no folder
// part, no "..", no drive or stream ":", no device name, no control or wildcard characters, not
// only dots and blanks. Otherwise why not.
std::wstring CheckPlainFileName(std::wstring_view name);
inline bool IsPlainFileName(std::wstring_view name)
{
    return CheckPlainFileName(name).empty();
}

// The path with the "\\?\" prefix when it is too long for the plain Win32 form (folders may not
// pass 247 characters there, files 259).
std::wstring LongPath(const std::wstring& path);
// The path without the "\\?\" or "\\?\UNC\" prefix: the plain form that the rest of the program
// composes and compares.
std::wstring WithoutLongPathPrefix(const std::wstring& path);
