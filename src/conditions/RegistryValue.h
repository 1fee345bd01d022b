#pragma once
// Reading one registry value for the requirements check, in the 32-bit or the 64-bit view.
#include <windows.h>

#include <string>

// Hive of a [ReadRegEntries] Root: 0 HKEY_CLASSES_ROOT, 1 HKEY_CURRENT_USER, 2 HKEY_LOCAL_MACHINE,
// 3 HKEY_USERS; nullptr for anything else.
HKEY HiveFromRoot(int root);
// Hive of a condition location's first part, spelled exactly ("HKEY_LOCAL_MACHINE"); nullptr otherwise.
HKEY HiveFromName(const std::wstring& name);

// Reads `valueName` under `hive`\`keyPath` as text: REG_DWORD and REG_QWORD in decimal, REG_MULTI_SZ
// its first string, REG_BINARY empty, other types the data as text (not expanded, at most 1024
// characters). Returns kRegistryRead (1), or kRegistryMissing (-2) when the key or the value cannot
// be read; `value` is empty then. `view64` selects the 64-bit view, else the 32-bit view.
int ReadRegistryValue(HKEY hive, const std::wstring& keyPath, const std::wstring& valueName, std::wstring& value,
                      bool view64);

// A condition location "{HIVE\key path\value name}" read with ReadRegistryValue.
int ReadRegistryCondition(const std::wstring& location, std::wstring& value, bool view64);
