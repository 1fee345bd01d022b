// The whole check: the verdict, the message-key list and the texts the requirements page shows,
// and malformed definitions.
#include <gtest/gtest.h>

#include "ConditionTestSupport.h"
#include "conditions/ConditionCheck.h"
#include "settings/OrloInitalizer.h"
#include "validation/ExtractorValidator.h"

using condtest::ConditionTest;

class ConditionCheckTest : public ConditionTest {
protected:
    void SetUp() override
    {
        ConditionTest::SetUp();
        testenv::WriteFileText(m_dir / L"present.txt", "x");
    }

    // Condition definitions that hold and that fail, with a message key.
    std::wstring True(const std::wstring& key) const
    {
        return L"{File};{" + (m_dir / L"present.txt") + L"};{EXIST};{};{" + key + L"}";
    }
    std::wstring False(const std::wstring& key) const
    {
        return L"{File};{" + (m_dir / L"missing.txt") + L"};{EXIST};{};{" + key + L"}";
    }

    // Runs CheckConditions on a [Conditions] section made of `lines`; the message keys start as "unset".
    int Check(const std::vector<std::wstring>& lines, std::wstring& keys)
    {
        std::vector<std::wstring> all = {L"[Conditions]"};
        all.insert(all.end(), lines.begin(), lines.end());
        all.insert(all.end(), {L"[1033]", L"NeedsProduct=This package needs the product.", L"Msg1=First message",
                               L"Msg2=Second message", L"Msg3=Third message", L"[1031]", L"Msg2=Zweite Meldung"});
        m_path = condtest::WriteProperties(m_dir, all);
        keys = L"unset";
        return CheckConditions(m_path, 1033, keys);
    }

    std::wstring m_path;
};

TEST_F(ConditionCheckTest, ListsTheActionMessageFirstAndEachFalseConditionOnce)
{
    std::wstring keys;
    EXPECT_EQ(Check({L"Action1=Extract", L"Action1Message=NeedsProduct",
                     L"Action1Condition=Condition1 AND Condition2 AND Condition3 AND Condition4 AND Condition5",
                     L"Condition1=" + True(L"Msg1"), L"Condition2=" + False(L"Msg2"), L"Condition3=" + False(L"Msg3"),
                     L"Condition4=" + False(L"msg2"), L"Condition5=" + False(L"")},
                    keys),
              0);
    EXPECT_EQ(keys, L"{NeedsProduct};{Msg2};{Msg3};");

    // What the requirements page shows, in the current language and in another one.
    EXPECT_EQ(GetConditionMessageTexts(m_path, 1033, keys),
              (std::vector<std::wstring>{L"This package needs the product.", L"Second message", L"Third message"}));
    EXPECT_EQ(GetConditionMessageTexts(m_path, 1031, L" {Msg2} ;; {Missing};"),
              (std::vector<std::wstring>{L"Zweite Meldung", L""}));
}

TEST_F(ConditionCheckTest, ChoosesTheMessagesThatMatter)
{
    struct Case {
        std::wstring expression;
        std::wstring keys;
    };
    // Condition1 holds; Condition2 and Condition3 fail.
    const Case cases[] = {
        {L"Condition1 AND NOT Condition2", L"{NeedsProduct};"}, // only negated: no message, and allowed
        {L"Condition1 AND NOT (Condition2 OR Condition3)", L"{NeedsProduct};"},
        {L"Condition1 AND NOT Condition2 AND (Condition2 OR Condition3)", L"{NeedsProduct};{Msg2};{Msg3};"},
        {L"Condition2 OR Condition3", L"{NeedsProduct};{Msg2};{Msg3};"},
        {L"Condition1 AND Condition3", L"{NeedsProduct};{Msg3};"}, // Condition2 is not in the expression
        {L"(Condition1)AND(Condition3)", L"{NeedsProduct};{Msg3};"},
    };
    for (const Case& c : cases) {
        std::wstring keys;
        Check({L"Action1=Extract", L"Action1Message=NeedsProduct", L"Action1Condition=" + c.expression,
               L"Condition1=" + True(L"Msg1"), L"Condition2=" + False(L"Msg2"), L"Condition3=" + False(L"Msg3")},
              keys);
        EXPECT_EQ(keys, c.keys) << testing::PrintToString(c.expression);
    }
}

TEST_F(ConditionCheckTest, AllowsOnlyTheExtractAction)
{
    std::wstring keys;
    EXPECT_EQ(Check({L"Action1=Extract", L"Action1Condition=Condition1", L"Condition1=" + True(L"Msg1")}, keys), 1);
    EXPECT_EQ(keys, L"{};");
    EXPECT_EQ(Check({L"Action1=extract", L"Action1Condition=Condition1", L"Condition1=" + True(L"Msg1")}, keys), 1);
    EXPECT_EQ(Check({L"Action1=Install", L"Action1Condition=Condition1", L"Condition1=" + True(L"Msg1")}, keys), 0);
    // Without Action1 the package is never allowed, even when its expression holds.
    EXPECT_EQ(
        Check({L"Action1Condition=Condition1", L"Action1Message=NeedsProduct", L"Condition1=" + True(L"Msg1")}, keys),
        0);
    EXPECT_EQ(keys, L"{NeedsProduct};");
    EXPECT_EQ(Check({L"Action1=Extract", L"Action1Condition=Condition1 AND NOT Condition2",
                     L"Condition1=" + True(L"Msg1"), L"Condition2=" + False(L"Msg2")},
                    keys),
              1);
}

TEST_F(ConditionCheckTest, WithoutAnExpressionAllowsAndKeepsTheMessageList)
{
    std::wstring keys;
    // An empty Action1Condition: nothing is read, not even a failing condition or Action1.
    EXPECT_EQ(Check({L"Action1=Install", L"Action1Condition=", L"Condition1=" + False(L"Msg1")}, keys), 1);
    EXPECT_EQ(keys, L"unset");
    // No [Conditions] section at all.
    const std::wstring path = condtest::WriteProperties(m_dir, {L"[Orlo]", L"PackageName=x"}, L"NoConditions.ini");
    keys = L"unset";
    EXPECT_EQ(CheckConditions(path, 1033, keys), 1);
    EXPECT_EQ(keys, L"unset");
    // No properties file.
    EXPECT_EQ(CheckConditions(m_dir / L"missing.ini", 1033, keys), 1);
}

TEST_F(ConditionCheckTest, ValidatorKeepsTheMessageListOfItsLastCheck)
{
    std::wstring keys;
    Check({L"Action1=Extract", L"Action1Message=NeedsProduct", L"Action1Condition=Condition2",
           L"Condition2=" + False(L"Msg2")},
          keys);

    // The settings' properties path serves when the validator was given none.
    Settings().SetPropertiesPath(m_path);
    EXPECT_EQ(Validator().CheckConditions(1033), 0);
    EXPECT_EQ(Validator().GetConditionMessageKeys(), L"{NeedsProduct};{Msg2};");

    Validator().SetPropertiesPath(m_dir / L"missing.ini");
    EXPECT_EQ(Validator().CheckConditions(1033), 1);
    EXPECT_EQ(Validator().GetConditionMessageKeys(), L"{NeedsProduct};{Msg2};");
}

TEST_F(ConditionCheckTest, SurvivesMalformedDefinitions)
{
    const std::wstring present = m_dir / L"present.txt";
    const std::wstring longLocation = L"{D:\\" + std::wstring(1100, L'a') + L"}";
    const std::wstring path = condtest::WriteProperties(
        m_dir, {L"[Conditions]", L"Action1=Extract",
                L"Action1Condition=" + condtest::AndOfConditions(10) + L" AND Condition12",
                L"Condition1={File};{" + present + L"}",                 // fewer than five fields
                L"Condition2={File};{" + present + L"};{EXIST};;{Msg2}", // ";;" shifts the message key
                L"Condition3={Folder};{" + present + L"};{EXIST};{};{Msg3}",
                L"Condition4=File;" + present + L";EXIST;;Msg4",                 // braces left out
                L"Condition5={File};{" + present + L"};{EX IST};{};{}",          // blanks inside the operator
                L"Condition6={File};" + longLocation + L";{NOTEXIST};{};{Msg6}", // cut at 1023 characters
                L"Condition7={Registry};{HKEY_CURRENT_USER};{EXIST};{};{}",
                L"Condition8={Registry};{};{NOTEXIST};{};{}", L"Condition9=;;;;",
                L"Condition10={File};{" + present + L"};{EXIST};{};{Msg};{extra};{fields}", L"Condition12="});
    const auto condition = condtest::EvaluateAll(path);
    const auto& c = condition->Conditions();
    ASSERT_EQ(c.size(), 10u); // Condition9 splits to nothing but is read; Condition12 is empty: skipped

    EXPECT_EQ(c[0].Operator, L"");
    EXPECT_EQ(c[0].Result, 0);
    EXPECT_EQ(c[1].Value, L"{Msg2}");
    EXPECT_EQ(c[1].MessageKey, L"");
    EXPECT_EQ(c[1].Result, 1);
    EXPECT_EQ(c[2].Result, 0);
    EXPECT_EQ(c[3].ValueType, L"File");
    EXPECT_EQ(c[3].Result, 0);
    EXPECT_EQ(c[4].Result, 1);
    EXPECT_EQ(c[5].Location.size(), 1023u - 7u); // the value is cut after "{File};" and 1016 more
    EXPECT_EQ(c[5].Operator, L"");
    EXPECT_EQ(c[5].Result, 0);
    EXPECT_EQ(c[6].Result, 0);
    EXPECT_EQ(c[7].Result, 1); // no hive: nothing exists
    EXPECT_EQ(c[8].ValueType, L"");
    EXPECT_EQ(c[8].Result, 0);
    EXPECT_EQ(c[9].MessageKey, L"{Msg}");
    EXPECT_EQ(c[9].Result, 1);
    EXPECT_EQ(condition->Actions().at(0).Result, 0); // CONDITION12 has no result
}

TEST_F(ConditionCheckTest, ReadsOnlyTheNamedConditionsAsOftenAsNamed)
{
    const std::wstring path = condtest::WriteProperties(
        m_dir, {L"[Conditions]", L"Action1=Extract", L"Action1Condition=condition1 and condition3 or CONDITION1",
                L"Condition1=" + True(L"Msg1"), L"Condition2=" + False(L"Msg2"), L"Condition3=" + False(L"Msg3"),
                L"[1033]", L"Msg1=One", L"Msg3=Three"});
    const auto condition = condtest::EvaluateAll(path);
    const auto& c = condition->Conditions();
    ASSERT_EQ(c.size(), 3u);
    EXPECT_EQ(c[0].Number, 1);
    EXPECT_EQ(c[1].Number, 3);
    EXPECT_EQ(c[2].Number, 1);
    EXPECT_EQ(c[0].MessageText, L"One");
    EXPECT_EQ(c[1].MessageText, L"Three");
    EXPECT_EQ(condition->Results(), (ConditionResults{{1, 1}, {3, 0}}));
    EXPECT_EQ(condition->Actions().at(0).Result, 1); // T AND F OR T
}
