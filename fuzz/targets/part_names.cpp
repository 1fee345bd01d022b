// Numbered part names: the part-file pattern from the package, the numbers read back from names and
// the name under which the next part is looked for. Input lines: pattern, recorded name, number.
#include "FuzzText.h"
#include "cabinet/CabNames.h"
#include "util/Util.h"
#include "util/UtilRules.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::vector<std::wstring> lines = fuzz::Pieces(fuzz::Utf8Text(data, size), L'\n');
    const std::wstring& pattern = lines[0];
    const std::wstring recorded = lines.size() > 1 ? lines[1] : L"";
    const int number = lines.size() > 2 ? CUtil::ToInt32(lines[2]) : 2;

    // Only a pattern whose last dot starts one integer field is ever formatted.
    const std::wstring name = CUtil::FormatNumberedName(pattern, number);
    const size_t dot = pattern.rfind(L'.');
    const std::wstring field = pattern.substr(dot == std::wstring::npos ? 0 : dot);
    if (!utilrules::IsSingleIntegerFormat(field)) {
        FUZZ_CHECK(name == pattern);
    } else {
        FUZZ_CHECK(name.compare(0, pattern.size() - field.size(), pattern, 0, pattern.size() - field.size()) == 0);
    }
    std::wstring digits;
    const int part = ParsePartNumber(name, digits);
    FUZZ_CHECK(part >= 0 && part <= 999999999);
    if (number >= 1 && number <= 999 && dot != std::wstring::npos) {
        std::wstring ignored;
        FUZZ_CHECK(ParsePartNumber(CUtil::FormatNumberedName(pattern.substr(0, dot) + L".%03d", number), ignored) ==
                   number);
    }
    const std::wstring next = RenameNextCabinet(pattern, number, recorded);
    FUZZ_CHECK(recorded.empty() == next.empty());
    return 0;
}
