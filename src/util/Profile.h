#pragma once
// Access to the package's INI files (properties file, language files) through the Windows
// private-profile functions only, always with a full path. Missing files read as empty.
#include <string>
#include <utility>
#include <vector>

constexpr unsigned kProfileValueChars = 1024;  // values of 1024 characters or more come back cut to 1023

// [section] key, or `defaultValue` when the section, the key or the file is missing.
std::wstring ReadProfileString(const std::wstring& file, const std::wstring& section, const std::wstring& key,
                               const std::wstring& defaultValue = L"");
int ReadProfileInt(const std::wstring& file, const std::wstring& section, const std::wstring& key, int defaultValue);
// Every "key=value" line of a section, in file order; the buffer grows until the section fits.
std::vector<std::wstring> ReadProfileSectionLines(const std::wstring& file, const std::wstring& section);
// Every "key=value" line split at its first "=" (lines without "=" are skipped).
std::vector<std::pair<std::wstring, std::wstring>> ReadProfileSectionPairs(const std::wstring& file,
                                                                           const std::wstring& section);
std::vector<std::wstring> ReadProfileSectionNames(const std::wstring& file);
// Writes (creates or replaces) a key; returns false when the system refused.
bool WriteProfileString(const std::wstring& file, const std::wstring& section, const std::wstring& key,
                        const std::wstring& value);
bool DeleteProfileKey(const std::wstring& file, const std::wstring& section, const std::wstring& key);

// Splits a zero-separated, double-zero-terminated list as the profile functions return it.
std::vector<std::wstring> SplitZeroList(const wchar_t* buffer, size_t count);
