#pragma once
// The language files' lines as the loader reads them, over plain values.
#include <map>
#include <string>
#include <vector>

std::wstring LanguageFilePath(int lcid, const std::wstring& folder); // "%sDefault%d.ulf"
// The value of the first "ID=" line (key compared case-sensitively, value trimmed): 1 when found.
int LanguageFileId(const std::vector<std::wstring>& fileInfoLines, std::wstring& id);
// Adds "number=text" lines to `table` ("[NEWLINE]" becomes a line feed; a non-number key is 0).
void AddLanguageLines(const std::vector<std::wstring>& lines, std::map<int, std::wstring>& table);
