// Version comparison as the requirement conditions use it: three versions, one a line.
#include "FuzzText.h"
#include "conditions/ConditionRules.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::vector<std::wstring> lines = fuzz::Pieces(fuzz::Utf8Text(data, size), L'\n');
    const std::wstring& a = lines[0];
    const std::wstring b = lines.size() > 1 ? lines[1] : L"";
    const std::wstring c = lines.size() > 2 ? lines[2] : L"";
    auto inverse = [](int result) {
        return result == kVersionGreater ? kVersionLess : result == kVersionLess ? kVersionGreater : kVersionEqual;
    };
    FUZZ_CHECK(CompareVersions(a, a) == kVersionEqual);
    const int ab = CompareVersions(a, b);
    FUZZ_CHECK(ab == kVersionGreater || ab == kVersionLess || ab == kVersionEqual);
    FUZZ_CHECK(CompareVersions(b, a) == inverse(ab));
    // Versions without any number equal everything, so order is only transitive among real ones.
    const int bc = CompareVersions(b, c);
    const bool numbered = a.find_first_of(L"0123456789") != std::wstring::npos &&
                          b.find_first_of(L"0123456789") != std::wstring::npos &&
                          c.find_first_of(L"0123456789") != std::wstring::npos;
    if (numbered && ab == bc) {
        FUZZ_CHECK(CompareVersions(a, c) == ab);
    }
    for (const wchar_t* op : {L"{=}", L"{!=}", L"{>=}", L"{<=}", L"{>}", L"{<}", L"{~}"}) {
        const int applied = ApplyOperator(op, ab);
        FUZZ_CHECK(applied == 0 || applied == 1);
        if (!a.empty()) {
            FUZZ_CHECK(EvaluateFileVersionRule(op, a, b) == applied);
        }
    }
    FUZZ_CHECK(ApplyOperator(L"{>=}", ab) + ApplyOperator(L"{<}", ab) == 1);
    return 0;
}
