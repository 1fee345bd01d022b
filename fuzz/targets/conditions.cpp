// The requirement conditions: the expression reducer, the definition fields and the rules that
// judge a condition. Input: a first line of results for CONDITION1, 2, ... ("T" true, "F" false,
// anything else none), then the expression; further lines are condition definitions.
#include <algorithm>

#include "FuzzText.h"
#include "conditions/ConditionParser.h"
#include "conditions/ConditionRules.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::vector<std::wstring> lines = fuzz::Pieces(fuzz::Utf8Text(data, size), L'\n');
    if (lines.size() < 2) {
        return 0;
    }
    ConditionResults results;
    for (size_t i = 0; i < lines[0].size() && i < 64; ++i) {
        if (lines[0][i] == L'T' || lines[0][i] == L'F') {
            results[static_cast<uint16_t>(i + 1)] = lines[0][i] == L'T' ? 1 : 0;
        }
    }
    const std::wstring& expression = lines[1];
    ConditionNames used;
    const int verdict = COrloConditionParser().Evaluate(expression, results, used);
    FUZZ_CHECK(verdict >= kExpressionUnbalanced && verdict <= kExpressionTrue);
    FUZZ_CHECK((verdict == kExpressionUnbalanced) == !COrloConditionParser::AreParenthesesBalanced(expression));
    for (size_t i = 0; i < used.size(); ++i) {
        FUZZ_CHECK(StartsWithNoCase(used[i], L"CONDITION"));
        for (size_t j = 0; j < i; ++j) {
            FUZZ_CHECK(!EqualsNoCase(used[i], used[j]));
        }
    }
    // NOT of a reduced expression gives the other letter. (A lone stray character counts as reduced
    // to false, which its negation does not repeat.)
    std::wstring letters = ToUpperW(expression);
    letters.erase(std::remove(letters.begin(), letters.end(), L' '), letters.end());
    const bool stray = letters.size() == 1 && letters != L"T" && letters != L"F";
    if ((verdict == kExpressionTrue || verdict == kExpressionFalse) && !stray) {
        ConditionNames ignored;
        const int negated = COrloConditionParser().Evaluate(L"NOT (" + expression + L")", results, ignored);
        FUZZ_CHECK(negated == 1 - verdict);
    }
    for (const std::wstring& name : CollectConditionNames(expression)) {
        ShouldShowConditionMessage(expression, name);
        ConditionNumberOf(name);
    }

    for (size_t i = 2; i < lines.size(); ++i) {
        const std::vector<std::wstring> fields = SplitConditionFields(lines[i]);
        for (const std::wstring& field : fields) {
            FUZZ_CHECK(!field.empty() && field == TrimW(field) && field.find(L';') == std::wstring::npos);
        }
        if (fields.size() < 3) {
            continue;
        }
        const std::wstring op = NormalizeOperator(fields[1]);
        FUZZ_CHECK(op.find_first_of(L" \t") == std::wstring::npos);
        const RegistryLocation location = SplitRegistryLocation(fields[0]);
        FUZZ_CHECK(location.Hive.find(L'\\') == std::wstring::npos);
        FUZZ_CHECK(location.ValueName.find(L'\\') == std::wstring::npos);
        const std::wstring expected = StripFieldBraces(fields[2]);
        for (int status : {kRegistryRead, kRegistryMissing, 0}) {
            const int rule = EvaluateRegistryRule(op, status, fields.size() > 3 ? fields[3] : L"", expected);
            FUZZ_CHECK(rule == 0 || rule == 1);
        }
        const int file = EvaluateFileVersionRule(op, fields.size() > 3 ? fields[3] : L"", expected);
        FUZZ_CHECK(file == 0 || file == 1);
        const std::wstring path = ExpandPathVariable(fields[0], [](const std::wstring& name) {
            return name.size() % 2 == 0 ? std::wstring(L"C:\\Program Files") : std::wstring();
        });
        FUZZ_CHECK(path == fields[0] || path.find(L"C:\\Program Files\\") != std::wstring::npos);
    }
    return 0;
}
