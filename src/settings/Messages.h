#pragma once
// Numbered message texts: the current language's table first, then the executable's English
// string table. windows.h comes first so that GetMessage names the same function everywhere.
#include <windows.h>

#include <map>
#include <string>
#include <vector>

#include "settings/LanguageLines.h"

// The text of message `id` in the current language, else the executable's English text, else empty.
std::wstring GetMessage(int id);
// The executable's own (English) string-table text for id; empty when there is none.
std::wstring GetEnglishMessage(int id);

// Fills the message table from "%sDefault%d.ulf" in `folder` (ends with "\"):
// 1 for 1033 (table cleared), -1 when the file's ID names another language, 0 otherwise.
int LoadLanguage(int lcid, const std::wstring& folder);
// [RADIOBUTTONSTRING] <lcid> of "%sDefaultx.ulf" in `folder`; "Unknown Language" when missing or empty.
std::wstring GetLanguageCaption(int lcid, const std::wstring& folder);
// [FileInfo] LangName of the language's own file; empty when missing.
std::wstring GetLanguageName(int lcid, const std::wstring& folder);
bool IsLanguageLoaded();
void ClearMessageTable();
std::map<int, std::wstring>& MessageTable();
