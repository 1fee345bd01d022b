#include <gtest/gtest.h>

#include <array>
#include <map>

#include "conditions/ConditionRules.h"

TEST(CompareVersions, FollowsTheVersionRules)
{
    struct Case {
        const wchar_t* a;
        const wchar_t* b;
        int expected;
    };
    const Case cases[] = {
        {L"1.2.3.4", L"1.2.3.4", kVersionEqual},
        {L"1.2.3.5", L"1.2.3.4", kVersionGreater},
        {L"1.2.3.4", L"1.2.3.5", kVersionLess},
        {L"2.0", L"1.9.9.9", kVersionGreater},
        {L"1.10", L"1.9", kVersionGreater}, // numbers, not text
        {L"10", L"9.99", kVersionGreater},
        // Leading text is dropped up to the first digit.
        {L"v5.4", L"5.4", kVersionEqual},
        {L"Version 5.4 build", L"5.4", kVersionEqual}, // a part counts by its leading digits
        {L"-1", L"0", kVersionGreater},                // "-" lies before the first digit
        {L"abc", L"1", kVersionLess},                  // no digit: the text stays and counts as 0
        {L"abc", L"0", kVersionEqual},
        {L"1.a", L"1.0", kVersionEqual},
        {L"1.2a", L"1.2", kVersionEqual},
        {L"1.-1", L"1.0", kVersionLess},
        // The first "_" is a dot.
        {L"5.4_12", L"5.4", kVersionGreater},
        {L"5.4_12", L"5.4.12", kVersionEqual},
        {L"5.4", L"5.4_12", kVersionLess},
        {L"5_4_12", L"5.4.12", kVersionLess}, // only the first: 5.4_12 reads as 5.4
        // Empty parts and texts.
        {L"1..2", L"1.2", kVersionEqual},
        {L" 1 . 2 ", L"1.2", kVersionEqual},
        {L"", L"1.2", kVersionEqual},
        {L"1.2", L"", kVersionEqual},
        {L"...", L"9", kVersionEqual},
        {L"9", L". .", kVersionEqual},
        // A longer version decides only with a non-zero extra part.
        {L"1.2", L"1.2.0.0", kVersionEqual},
        {L"1.2.0.0", L"1.2", kVersionEqual},
        {L"1.2.0.1", L"1.2", kVersionGreater},
        {L"1.2", L"1.2.0.1", kVersionLess},
        {L"1.0.0.0.0.0.1", L"1", kVersionGreater},
        {L"1.2.0.-1", L"1.2", kVersionGreater}, // "not 0" decides, even when negative
        // Parts are 32-bit: larger numbers saturate.
        {L"2147483647", L"2147483646", kVersionGreater},
        {L"4294967296", L"2147483647", kVersionEqual},
        {L"99999999999", L"88888888888", kVersionEqual},
        {L"99999999999.1", L"99999999999.2", kVersionLess},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CompareVersions(c.a, c.b), c.expected) << "'" << testing::PrintToString(std::wstring(c.a)) << "' vs '"
                                                         << testing::PrintToString(std::wstring(c.b)) << "'";
    }
}

TEST(ApplyOperator, MapsEveryOperatorAndComparison)
{
    // Expected results for greater, less, equal.
    const std::map<std::wstring, std::array<int, 3>> table = {
        {L"{=}", {0, 0, 1}},    {L"{!=}", {1, 1, 0}}, {L"{>=}", {1, 0, 1}},    {L"{<=}", {0, 1, 1}},
        {L"{>}", {1, 0, 0}},    {L"{<}", {0, 1, 0}},  {L"{EXIST}", {0, 0, 0}}, {L"{}", {0, 0, 0}},
        {L"{ >= }", {0, 0, 0}}, {L">=", {0, 0, 0}},   {L"{=>}", {0, 0, 0}},
    };
    for (const auto& [op, results] : table) {
        EXPECT_EQ(ApplyOperator(op, kVersionGreater), results[0]) << testing::PrintToString(op);
        EXPECT_EQ(ApplyOperator(op, kVersionLess), results[1]) << testing::PrintToString(op);
        EXPECT_EQ(ApplyOperator(op, kVersionEqual), results[2]) << testing::PrintToString(op);
    }
}

TEST(CompareStrings, KnowsOnlyEqualAndNotEqual)
{
    EXPECT_EQ(CompareStrings(L"{=}", L"Hello", L"hELLO"), 1);
    EXPECT_EQ(CompareStrings(L"{=}", L"Hello", L"Hello!"), 0);
    EXPECT_EQ(CompareStrings(L"{=}", L"", L""), 1);
    EXPECT_EQ(CompareStrings(L"{!=}", L"Hello", L"hello"), 0);
    EXPECT_EQ(CompareStrings(L"{!=}", L"Hello", L"World"), 1);
    EXPECT_EQ(CompareStrings(L"{>}", L"b", L"a"), 0);
    EXPECT_EQ(CompareStrings(L"{<=}", L"a", L"a"), 0);
}

// The rows that real registry values cannot easily reach; the rest runs against the registry.
TEST(RegistryRule, DecidesFromStatusValueAndExpectedText)
{
    struct Case {
        const wchar_t* op;
        int status;
        const wchar_t* actual;
        const wchar_t* expected;
        int result;
    };
    const Case cases[] = {
        {L"{notexist}", kRegistryMissing, L"", L"", 1},
        {L"{=}", kRegistryMissing, L"", L"", 0},   // nothing read equals nothing only when read
        {L"{!=}", kRegistryMissing, L"", L"x", 0}, // the one-side-empty rule needs a read value
        {L"{>=}", kRegistryMissing, L"", L"", 0},
        {L"{!=}", kRegistryRead, L"1.0", L"1.0.0", 0}, // version comparison for {!=}
        {L"{=}", kRegistryRead, L"5.4", L"5.4.0", 0},  // but text equality for {=}
        {L"{=>}", kRegistryRead, L"5", L"5", 0},
        {L"EXIST", kRegistryRead, L"5", L"5", 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(EvaluateRegistryRule(c.op, c.status, c.actual, c.expected), c.result)
            << testing::PrintToString(std::wstring(c.op)) << " status " << c.status << " actual "
            << testing::PrintToString(std::wstring(c.actual)) << " expected "
            << testing::PrintToString(std::wstring(c.expected));
    }
}

TEST(ShouldShowConditionMessage, LeavesOutOnlyNegatedNames)
{
    struct Case {
        const wchar_t* expression;
        const wchar_t* name;
        bool show;
    };
    const Case cases[] = {
        {L"Condition1 AND NOT (Condition2 OR Condition3)", L"Condition3", false},
        {L"Condition1 AND NOT (Condition2 OR Condition3)", L"Condition2", false},
        {L"Condition1 AND NOT (Condition2 OR Condition3)", L"Condition1", true},
        {L"Condition1 AND NOT Condition2 AND (Condition2 OR Condition3)", L"Condition2", true},
        {L"Condition1 AND NOT Condition2", L"Condition2", false},
        {L"condition1 and not   condition2", L"Condition2", false},
        {L"NOT(Condition2)", L"Condition2", false},
        {L"not   (condition2)", L"Condition2", false},
        {L"NOT NOT Condition2", L"Condition2", true},
        {L"Condition1", L"Condition2", true}, // not in the expression at all
        {L"Condition12 AND NOT Condition1", L"Condition12", true},
        {L"Condition12 AND NOT Condition1", L"Condition1", false},
        {L"NOT Condition12 AND Condition1", L"Condition1", true},
        {L"NOT (Condition1 AND (Condition2)) OR Condition3", L"Condition2", false},
        {L"NOT (Condition1 AND (Condition2)) OR Condition3", L"Condition3", true},
        {L"NOT (Condition1 AND (Condition2)) OR Condition3", L"Condition1", false},
        {L"NOT (Condition2", L"Condition2", false},
        // Negated in a group and plain elsewhere: its falseness blocks the expression.
        {L"NOT (Condition2 OR Condition3) OR Condition2", L"Condition2", true},
        {L"Condition3 AND NOT (Condition2 OR Condition3)", L"Condition3", true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ShouldShowConditionMessage(c.expression, c.name), c.show)
            << testing::PrintToString(std::wstring(c.expression)) << " / "
            << testing::PrintToString(std::wstring(c.name));
    }
}

TEST(ConditionDefinitions, SplitsFieldsAndCollectsNames)
{
    EXPECT_EQ(SplitConditionFields(L"{File};{c:\\x.dll};{EXIST};;{Msg1}"),
              (std::vector<std::wstring>{L"{File}", L"{c:\\x.dll}", L"{EXIST}", L"{Msg1}"}));
    EXPECT_EQ(SplitConditionFields(L" {a} ;\t{b} ; ;{c};{d};{e};{f}"),
              (std::vector<std::wstring>{L"{a}", L"{b}", L"{c}", L"{d}", L"{e}", L"{f}"}));
    EXPECT_TRUE(SplitConditionFields(L" ; ; ").empty());

    EXPECT_EQ(CollectConditionNames(L"(Condition1)OR(Condition2)"),
              (std::vector<std::wstring>{L"condition1", L"condition2"}));
    EXPECT_EQ(CollectConditionNames(L"condition1 and condition3 or NOTCONDITION1"),
              (std::vector<std::wstring>{L"condition1", L"condition3", L"condition1"}));
    EXPECT_EQ(CollectConditionNames(L"Condition1\tAND Condition2"),
              (std::vector<std::wstring>{L"condition1\tand", L"condition2"}));
    EXPECT_TRUE(CollectConditionNames(L"AND OR NOT").empty());

    EXPECT_EQ(ConditionNumberOf(L"condition12"), 12);
    EXPECT_EQ(ConditionNumberOf(L"Condition007"), 7);
    EXPECT_EQ(ConditionNumberOf(L"conditionx"), 0);

    EXPECT_EQ(StripFieldBraces(L"{C:\\Cache\\{GUID}}"), L"C:\\Cache\\{GUID}");
    EXPECT_EQ(StripFieldBraces(L"{{GUID}}"), L"{GUID}");
    EXPECT_EQ(StripFieldBraces(L"{}"), L"");
    EXPECT_EQ(StripFieldBraces(L"}"), L"");
    EXPECT_EQ(StripFieldBraces(L"no braces"), L"no braces");

    EXPECT_EQ(NormalizeOperator(L"{ > = }"), L"{>=}");
    EXPECT_EQ(NormalizeOperator(L"{N OT\tEXIST}"), L"{NOTEXIST}");
}

TEST(ConditionDefinitions, ExpandsTheFirstVariableTokenOfAPath)
{
    const auto lookup = [](const std::wstring& name) -> std::wstring {
        if (name == L"WINDIR") {
            return L"C:\\windows";
        }
        if (name == L"SLASHED") {
            return L"C:\\x\\";
        }
        if (name == L"A") {
            return L"a";
        }
        return L"";
    };
    EXPECT_EQ(ExpandPathVariable(L"[%WINDIR%]notepad.exe", lookup), L"C:\\windows\\notepad.exe");
    EXPECT_EQ(ExpandPathVariable(L"[%SLASHED%]f", lookup), L"C:\\x\\f");
    EXPECT_EQ(ExpandPathVariable(L"[%UNSET%]notepad.exe", lookup), L"[%UNSET%]notepad.exe");
    EXPECT_EQ(ExpandPathVariable(L"[%A%]", lookup), L"a\\");
    EXPECT_EQ(ExpandPathVariable(L"[%A%]x[%A%]y", lookup), L"a\\x[%A%]y");
    EXPECT_EQ(ExpandPathVariable(L"D:\\[%A%]", lookup), L"D:\\a\\");
    EXPECT_EQ(ExpandPathVariable(L"[%%]abc", lookup), L"[%%]abc");
    EXPECT_EQ(ExpandPathVariable(L"x%]a[%A", lookup), L"x%]a[%A");
    EXPECT_EQ(ExpandPathVariable(L"[%A", lookup), L"[%A");
}

TEST(ConditionDefinitions, SplitsRegistryLocations)
{
    const RegistryLocation full = SplitRegistryLocation(L"{HKEY_LOCAL_MACHINE\\SOFTWARE\\Vendor\\Product\\Version}");
    EXPECT_EQ(full.Hive, L"HKEY_LOCAL_MACHINE");
    EXPECT_EQ(full.KeyPath, L"SOFTWARE\\Vendor\\Product");
    EXPECT_EQ(full.ValueName, L"Version");

    const RegistryLocation spaced =
        SplitRegistryLocation(L"{ HKEY_CURRENT_USER \\ Software \\\\ Tarvex \\ Value Name }");
    EXPECT_EQ(spaced.Hive, L"HKEY_CURRENT_USER");
    EXPECT_EQ(spaced.KeyPath, L"Software\\Tarvex");
    EXPECT_EQ(spaced.ValueName, L"Value Name");

    const RegistryLocation single = SplitRegistryLocation(L"{HKEY_USERS}");
    EXPECT_EQ(single.Hive, L"HKEY_USERS");
    EXPECT_EQ(single.KeyPath, L"");
    EXPECT_EQ(single.ValueName, L"HKEY_USERS");

    const RegistryLocation empty = SplitRegistryLocation(L"{}");
    EXPECT_TRUE(empty.Hive.empty() && empty.KeyPath.empty() && empty.ValueName.empty());
}

TEST(ConditionDefinitions, ComparesMessageKeysWithoutBraces)
{
    EXPECT_TRUE(SameMessageKey(L"NeedsProduct", L"{needsproduct}"));
    EXPECT_TRUE(SameMessageKey(L"{{Msg}}", L"{MSG}"));
    EXPECT_FALSE(SameMessageKey(L"{Msg1}", L"{Msg2}"));
}
