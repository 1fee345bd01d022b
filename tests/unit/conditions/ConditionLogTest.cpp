// The log lines of a check: support staff read the condition results from them.
#include <gtest/gtest.h>

#include "ConditionTestSupport.h"
#include "conditions/ConditionCheck.h"
#include "log/BuildLogFile.h"
#include "util/StringUtil.h"

using condtest::ConditionTest;

namespace {
bool EndsWith(const std::string& text, const std::string& suffix)
{
    return text.size() >= suffix.size() && text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}
} // namespace

TEST_F(ConditionTest, LogsEveryStepOfTheCheck)
{
    condtest::RegistryTestKey key(HKEY_CURRENT_USER, L"CondLog", true);
    key.SetString(L"Sz", L"Hello");
    testenv::WriteFileText(m_dir / L"present.txt", "x");
    const std::wstring present = m_dir / L"present.txt";
    const std::wstring versioned = testenv::BinDir() + L"versioned.exe";
    const std::wstring path = condtest::WriteProperties(
        m_dir, {L"[Conditions]", L"Action1=Extract", L"Action1Condition=" + condtest::AndOfConditions(4),
                L"Condition1={File};{" + present + L"};{ EXIST };{};{Msg1}",
                L"Condition2={Registry64};{HKEY_CURRENT_USER\\" + key.SubKey() + L"\\Sz};{=};{Hello};{}",
                L"Condition3={File};{" + versioned + L"};{>=};{5.4};{}",
                L"Condition4={Folder};{" + present + L"};{EXIST};{};{}", L"[ReadRegEntries64]", L"Root1=1",
                L"Key1=" + key.SubKey(), L"Entry1=Sz", L"Property1=GREETING"});
    Log().Init(m_dir / L"check.log", kLogLevelNormal);
    std::wstring keys;
    EXPECT_EQ(CheckConditions(path, 1033, keys), 0);

    const std::string sub = WideToUtf8(key.SubKey());
    const std::pair<std::string, std::string> expected[] = {
        {"CCondition::ReadConditions", "|condition1 : " + WideToUtf8(L"{File};{" + present + L"};{ EXIST };{};{Msg1}")},
        {"EvaluateReadRegEntries", "|Reading Registry : Root = 1 Key = " + sub + " Entry = Sz"},
        {"EvaluateReadRegEntries", "|Registry Value : Hello"},
        {"EvaluateReadRegEntries", "|Property : GREETING = Hello"},
        {"CCondition::EvaluateConditions", "|Operator : {EXIST}"},
        {"CCondition::EvaluateConditions", "|Finding file : " + WideToUtf8(present)},
        {"CCondition::EvaluateConditions", "|Condition1 = 1"},
        {"CCondition::EvaluateConditions", "|Compare Values : Hello and Hello "},
        {"CCondition::EvaluateConditions", "|Condition2 = 1"},
        {"CCondition::EvaluateConditions", "|Compare Versions : 5.4.3.2 and 5.4 "},
        {"CCondition::EvaluateConditions", "|Condition3 = 1"},
        {"CCondition::EvaluateConditions", "|Condition4 = 0"},
        {"WARNING   |CCondition::EvaluateActionConditions", "|Action condition is not satisfied"},
    };
    const std::vector<std::string> lines = testenv::ReadLines(m_dir / L"check.log");
    size_t next = 0; // the lines come in this order
    for (const auto& [function, message] : expected) {
        while (next < lines.size() &&
               !(lines[next].find(function) != std::string::npos && EndsWith(lines[next], message))) {
            ++next;
        }
        EXPECT_LT(next, lines.size()) << "missing or out of order: " << function << " " << message;
    }
}
