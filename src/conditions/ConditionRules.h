#pragma once
// The decision rules of the requirements check as functions over plain values: version and string
// comparison, operators, field splitting, name collection, path tokens and the message rule.
// No registry, file system or log access here; CCondition feeds these with what it read.
#include <functional>
#include <string>
#include <vector>

// Results of CompareVersions.
constexpr int kVersionGreater = 0; // a > b
constexpr int kVersionLess = 1;    // a < b
constexpr int kVersionEqual = 2;

// Registry read status.
constexpr int kRegistryRead = 1;
constexpr int kRegistryMissing = -2;

// Operators and value types as written in the properties file (braces included).
constexpr wchar_t kOperatorExist[] = L"{EXIST}";
constexpr wchar_t kOperatorNotExist[] = L"{NOTEXIST}";
constexpr wchar_t kOperatorAny[] = L"{}";
constexpr wchar_t kOperatorEqual[] = L"{=}";
constexpr wchar_t kOperatorNotEqual[] = L"{!=}";
constexpr wchar_t kOperatorGreaterEqual[] = L"{>=}";
constexpr wchar_t kOperatorLessEqual[] = L"{<=}";
constexpr wchar_t kOperatorGreater[] = L"{>}";
constexpr wchar_t kOperatorLess[] = L"{<}";
constexpr wchar_t kValueTypeFile[] = L"{File}";
constexpr wchar_t kValueTypeRegistry[] = L"{Registry}";
constexpr wchar_t kValueTypeRegistry64[] = L"{Registry64}";

// Compares two version texts: text before the first digit is ignored, the first "_" counts as ".",
// parts are signed 32-bit numbers (their leading digits), missing parts count as 0, and a text
// without any part equals every version. Returns kVersionGreater, kVersionLess or kVersionEqual.
int CompareVersions(const std::wstring& a, const std::wstring& b);

// 1 when the comparison result satisfies the operator ("{=}", "{>=}", ... compared exactly), else 0.
int ApplyOperator(const std::wstring& op, int comparison);

// "{=}": 1 when equal without regard to case; "{!=}": 1 when they differ; any other operator 0.
int CompareStrings(const std::wstring& op, const std::wstring& expected, const std::wstring& actual);

// A field without its own braces: one leading "{" and one trailing "}". Braces that belong to the
// text stay, so a folder or a value named "{GUID}" can be written "{{GUID}}".
std::wstring StripFieldBraces(const std::wstring& field);

// The operator field with every blank removed ("{ > = }" -> "{>=}").
std::wstring NormalizeOperator(const std::wstring& op);

// A condition definition split at ";": fields trimmed, empty fields dropped, order kept.
std::vector<std::wstring> SplitConditionFields(const std::wstring& definition);

// The condition names an expression mentions, lower-cased, in order of occurrence (duplicates kept):
// each "condition" starts a name that runs to the next blank, ")" or the end of the text.
std::vector<std::wstring> CollectConditionNames(const std::wstring& expression);

// The number of a condition name ("condition12" -> 12): the name without "condition", as an integer.
unsigned short ConditionNumberOf(const std::wstring& name);

// Replaces the first "[%NAME%]" token of a file path by the variable's value with a trailing
// backslash; the token stays when `lookup` gives an empty value.
std::wstring ExpandPathVariable(const std::wstring& path,
                                const std::function<std::wstring(const std::wstring&)>& lookup);

// A registry location "{HIVE\key\path\value}" cut into hive name, key path and value name.
struct RegistryLocation {
    std::wstring Hive;
    std::wstring KeyPath;
    std::wstring ValueName;
};
RegistryLocation SplitRegistryLocation(const std::wstring& location);

// Result (0/1) of a {Registry} condition from the normalised operator, the read status, the value
// read and the expected text (its braces already removed).
int EvaluateRegistryRule(const std::wstring& op, int status, const std::wstring& actual, const std::wstring& expected);

// Result (0/1) of a {File} condition with a comparing operator from the file's version (empty when
// it has none) and the expected version.
int EvaluateFileVersionRule(const std::wstring& op, const std::wstring& version, const std::wstring& expected);

// Whether a false condition ("Condition%d") matters for the expression: false when every
// occurrence of it is negated (directly or inside a negated group), true otherwise.
bool ShouldShowConditionMessage(const std::wstring& expression, const std::wstring& name);

// Message keys are compared without their braces and without regard to case.
bool SameMessageKey(const std::wstring& a, const std::wstring& b);
