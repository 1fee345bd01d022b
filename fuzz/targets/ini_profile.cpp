// The INI reading the builder shares with the program's view of a properties file: decoding,
// lenient and strict parsing, lookups, key replacement and the text written back.
#include "FuzzText.h"
#include "IniDocument.h"

using orlopack::IniDocument;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::wstring text;
    std::wstring error;
    if (!IniDocument::DecodeText(std::vector<uint8_t>(data, data + size), text, error)) {
        FUZZ_CHECK(!error.empty());
        return 0;
    }
    FUZZ_CHECK(text.find(L'\0') == std::wstring::npos);
    std::wstring again;
    FUZZ_CHECK(IniDocument::DecodeText(IniDocument::EncodeUtf16(text), again, error) && again == text);

    IniDocument strict;
    if (strict.Parse(text, true, error)) {
        FUZZ_CHECK(strict.SectionCount() > 0);
    } else {
        FUZZ_CHECK(!error.empty());
    }
    IniDocument document;
    FUZZ_CHECK(document.Parse(text, false, error));

    // What the builder writes reads back the same, and nothing else moves.
    const std::wstring written = document.ToText();
    IniDocument reread;
    FUZZ_CHECK(reread.Parse(written, false, error) && reread.ToText() == written);
    const wchar_t* const sections[] = {L"Orlo", L"Runtime", L"Size", L"OS", L"FileInfo", L"Conditions", L"Part"};
    for (const wchar_t* section : sections) {
        FUZZ_CHECK(reread.Keys(section) == document.Keys(section));
    }
    document.Set(L"Orlo", L"PackageSize", L"123456");
    document.Set(L"Part", L"MD5_1", L"0123456789abcdef0123456789abcdef");
    FUZZ_CHECK(reread.Parse(document.ToText(), false, error));
    FUZZ_CHECK(reread.Get(L"Orlo", L"PackageSize") == L"123456");
    FUZZ_CHECK(reread.Get(L"Part", L"MD5_1") == L"0123456789abcdef0123456789abcdef");
    FUZZ_CHECK(reread.Keys(L"FileInfo") == document.Keys(L"FileInfo"));
    return 0;
}
