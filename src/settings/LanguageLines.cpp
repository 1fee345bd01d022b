#include "settings/LanguageLines.h"

#include <cwchar>

#include "util/StringUtil.h"
#include "util/WideFormat.h"

namespace {
// A message number as the language files write it; text that is no number gives 0.
int MessageNumberOf(const std::wstring& key)
{
    return static_cast<int>(std::wcstol(key.c_str(), nullptr, 10));
}
} // namespace

std::wstring LanguageFilePath(int lcid, const std::wstring& folder)
{
    return FormatW(L"%lsDefault%d.ulf", folder.c_str(), lcid);
}

int LanguageFileId(const std::vector<std::wstring>& fileInfoLines, std::wstring& id)
{
    for (const auto& line : fileInfoLines) {
        const size_t equals = line.find(L'=');
        if (equals != std::wstring::npos && line.compare(0, equals, L"ID") == 0) {
            id = TrimW(std::wstring_view(line).substr(equals + 1));
            return 1;
        }
    }
    return 0;
}

void AddLanguageLines(const std::vector<std::wstring>& lines, std::map<int, std::wstring>& table)
{
    for (const auto& line : lines) {
        const size_t equals = line.find(L'=');
        if (equals == std::wstring::npos) {
            continue; // "//" group lines carry no entry
        }
        table[MessageNumberOf(line.substr(0, equals))] = ReplaceAll(line.substr(equals + 1), L"[NEWLINE]", L"\n");
    }
}
