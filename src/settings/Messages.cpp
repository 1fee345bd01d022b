#include "settings/Messages.h"

#include "util/Profile.h"
#include "util/StringUtil.h"
#include "util/Util.h"
#include "util/WideFormat.h"

namespace {
std::map<int, std::wstring>& Table()
{
    static std::map<int, std::wstring> table;
    return table;
}
}  // namespace

std::map<int, std::wstring>& MessageTable() { return Table(); }

void ClearMessageTable() { Table().clear(); }

bool IsLanguageLoaded() { return !Table().empty(); }

std::wstring GetEnglishMessage(int id)
{
    const wchar_t* text = nullptr;
    // With a zero buffer size LoadStringW hands out a read-only pointer into the resource.
    const int length = ::LoadStringW(::GetModuleHandleW(nullptr), static_cast<UINT>(id),
                                     reinterpret_cast<LPWSTR>(&text), 0);
    if (length <= 0 || text == nullptr) {
        return {};
    }
    return std::wstring(text, static_cast<size_t>(length));
}

std::wstring GetMessage(int id)
{
    const auto& table = Table();
    const auto found = table.find(id);
    if (found != table.end()) {
        return found->second;
    }
    return GetEnglishMessage(id);
}

int LoadLanguage(int lcid, const std::wstring& folder)
{
    if (lcid == 1033) {
        // English lives in the executable: an empty table makes every lookup fall through to it.
        Table().clear();
        return 1;
    }
    const std::wstring path = LanguageFilePath(lcid, folder);
    if (!CUtil::FileExists(path)) {
        return 0;
    }
    std::wstring id;
    if (LanguageFileId(ReadProfileSectionLines(path, L"FileInfo"), id) == 1 &&
        !EqualsNoCase(id, FormatW(L"%d", lcid))) {
        return -1;  // a file of another language never mixes into the table
    }
    // Not cleared first: a second language replaces only the numbers it defines.
    for (const auto& section : ReadProfileSectionNames(path)) {
        AddLanguageLines(ReadProfileSectionLines(path, section), Table());
    }
    return 0;
}

std::wstring GetLanguageCaption(int lcid, const std::wstring& folder)
{
    const std::wstring caption = ReadProfileString(FormatW(L"%lsDefaultx.ulf", folder.c_str()), L"RADIOBUTTONSTRING",
                                                   FormatW(L"%d", lcid));
    return caption.empty() ? std::wstring(L"Unknown Language") : caption;
}

std::wstring GetLanguageName(int lcid, const std::wstring& folder)
{
    return ReadProfileString(LanguageFilePath(lcid, folder), L"FileInfo", L"LangName");
}
