// A language file as the loader takes it in: the [FileInfo] ID and the numbered message lines.
#include "FuzzText.h"
#include "IniDocument.h"
#include "settings/LanguageLines.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::wstring text;
    std::wstring error;
    orlopack::IniDocument document;
    if (!orlopack::IniDocument::DecodeText(std::vector<uint8_t>(data, data + size), text, error) ||
        !document.Parse(text, false, error)) {
        return 0;
    }
    // The section lines as the profile functions hand them over: "key=value".
    auto linesOf = [&](const wchar_t* section) {
        std::vector<std::wstring> lines;
        for (const auto& [key, value] : document.Keys(section)) {
            lines.push_back(key + L"=" + value);
        }
        return lines;
    };
    std::wstring id;
    if (LanguageFileId(linesOf(L"FileInfo"), id) == 1) {
        FUZZ_CHECK(id == TrimW(id));
    }
    std::map<int, std::wstring> table;
    for (const wchar_t* section : {L"FileInfo", L"Messages", L"Dialog", L"RADIOBUTTONSTRING"}) {
        AddLanguageLines(linesOf(section), table);
    }
    for (const auto& [number, message] : table) {
        FUZZ_CHECK(message.find(L"[NEWLINE]") == std::wstring::npos);
    }
    FUZZ_CHECK(LanguageFilePath(1031, L"C:\\Temp\\") == L"C:\\Temp\\Default1031.ulf");
    return 0;
}
