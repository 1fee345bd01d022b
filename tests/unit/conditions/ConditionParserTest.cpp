#include <gtest/gtest.h>

#include <algorithm>

#include "conditions/ConditionParser.h"

namespace {

struct ParserCase {
    const wchar_t* expression;
    ConditionResults results;
    int expected;
};

bool HasName(const ConditionNames& names, const std::wstring& name)
{
    return std::find(names.begin(), names.end(), name) != names.end();
}

} // namespace

TEST(ConditionParser, EvaluatesTheExpressionTable)
{
    const ParserCase cases[] = {
        // Basic words, case and blanks.
        {L"condition1 and (condition2 or not condition3)", {{1, 1}, {2, 0}, {3, 0}}, 1},
        {L"Condition1", {{1, 1}}, 1},
        {L"Condition1", {{1, 0}}, 0},
        {L"Condition1", {{1, 5}}, 0}, // only 1 is true
        {L"NOT NOT CONDITION1", {{1, 1}}, 1},
        {L"NOT NOT NOT CONDITION1", {{1, 1}}, 0},
        {L"NOTCONDITION1", {{1, 0}}, 1}, // blanks only separate
        {L"  condition1   OR    condition2  ", {{1, 0}, {2, 1}}, 1},
        {L"CONDITION1 AND CONDITION2", {{1, 1}, {2, 1}}, 1},
        {L"CONDITION1 AND CONDITION2", {{1, 1}, {2, 0}}, 0},
        {L"CONDITION1 OR CONDITION2", {{1, 0}, {2, 0}}, 0},
        // Precedence within a pass: NOT, then AND, then OR; a group becomes a letter at the end of a pass.
        {L"CONDITION1 OR CONDITION2 AND CONDITION3", {{1, 1}, {2, 0}, {3, 0}}, 1},
        {L"CONDITION1 AND CONDITION2 OR CONDITION3", {{1, 0}, {2, 1}, {3, 1}}, 1},
        {L"CONDITION1 OR CONDITION2 AND (CONDITION3)", {{1, 1}, {2, 0}, {3, 0}}, 0}, // T OR F AND (F) -> F
        {L"(CONDITION1 OR CONDITION2) AND CONDITION3", {{1, 1}, {2, 0}, {3, 0}}, 0},
        // NOT before a group waits for the group.
        {L"NOT (CONDITION1 AND CONDITION2)", {{1, 1}, {2, 0}}, 1},
        {L"NOT (CONDITION1)", {{1, 1}}, 0},
        {L"NOT(CONDITION1 OR CONDITION2)", {{1, 0}, {2, 0}}, 1},
        // Nested groups.
        {L"((CONDITION1 OR CONDITION2) AND (CONDITION3 OR NOT CONDITION4))", {{1, 0}, {2, 1}, {3, 0}, {4, 0}}, 1},
        {L"(((CONDITION1)))", {{1, 1}}, 1},
        {L"CONDITION1 AND NOT ((CONDITION2 OR CONDITION3) AND CONDITION4)", {{1, 1}, {2, 1}, {3, 0}, {4, 1}}, 0},
        // Unbalanced counts against balanced counts in the wrong order.
        {L"(CONDITION1", {{1, 1}}, -2},
        {L"CONDITION1)", {{1, 1}}, -2},
        {L"((CONDITION1)", {{1, 1}}, -2},
        {L"(CONDITION1))", {{1, 1}}, -2},
        {L")CONDITION1(", {{1, 1}}, -1},
        {L")(CONDITION1", {{1, 1}}, -1},
        // Words, characters and names that nothing reduces.
        {L"CONDITION1 XOR CONDITION2", {{1, 1}, {2, 1}}, -1},
        {L"CONDITION1 AND MAYBE", {{1, 1}}, -1},
        {L"CONDITION1 &AND CONDITION2", {{1, 1}, {2, 1}}, -1},
        {L"CONDITION1\tAND CONDITION2", {{1, 1}, {2, 1}}, -1}, // a tab is no blank
        {L"CONDITION01", {{1, 1}}, -1},                        // leading zeros name no condition
        {L"CONDITION1 AND CONDITION2", {{1, 1}}, -1},          // no result for 2
        {L"CONDITION1 AND", {{1, 1}}, -1},
        {L"AND CONDITION1", {{1, 1}}, -1},
        {L"CONDITION1 CONDITION2", {{1, 1}, {2, 1}}, -1},
        {L"()", {}, -1},
        {L"", {}, -1},
        {L"   ", {}, -1},
        // CONDITION1 next to CONDITION12, names above 25.
        {L"CONDITION12", {{1, 0}, {12, 1}}, 1},
        {L"CONDITION1 AND CONDITION12", {{1, 0}, {12, 1}}, 0},
        {L"CONDITION1 OR CONDITION12", {{1, 0}, {12, 1}}, 1},
        {L"CONDITION12 AND NOT CONDITION1", {{1, 0}, {12, 1}}, 1},
        {L"CONDITION12", {{1, 1}}, -1},
        {L"CONDITION30", {{30, 1}}, 1},
        {L"CONDITION26 AND CONDITION100 AND CONDITION65535", {{26, 1}, {100, 1}, {65535, 1}}, 1},
        {L"CONDITION26 AND CONDITION100", {{26, 1}, {100, 0}}, 0},
    };
    for (const ParserCase& c : cases) {
        ConditionNames used;
        EXPECT_EQ(COrloConditionParser().Evaluate(c.expression, c.results, used), c.expected) << c.expression;
    }
}

TEST(ConditionParser, ReducesAnExpressionOfMaximalLength)
{
    // 1024 characters: the longest Action1Condition the properties file can hold.
    std::wstring expression = L"CONDITION1";
    for (int n = 2; expression.size() < 1000; ++n) {
        expression += (n % 2 == 0 ? L" AND (CONDITION" : L" OR CONDITION") + std::to_wstring(n % 25 + 1) +
                      (n % 2 == 0 ? L")" : L"");
    }
    expression += std::wstring(1024 - expression.size(), L' ');
    ASSERT_EQ(expression.size(), 1024u);

    ConditionResults allTrue;
    ConditionResults oneFalse;
    for (uint16_t n = 1; n <= 25; ++n) {
        allTrue[n] = 1;
        oneFalse[n] = 1;
    }
    oneFalse[1] = 0; // CONDITION1 starts an AND chain: the whole expression turns false
    ConditionNames used;
    EXPECT_EQ(COrloConditionParser().Evaluate(expression, allTrue, used), 1);

    const std::wstring andChain = [] {
        std::wstring text = L"CONDITION1";
        while (text.size() < 1000) {
            text += L" AND NOT NOT CONDITION2";
        }
        return text;
    }();
    EXPECT_EQ(COrloConditionParser().Evaluate(andChain, allTrue, used), 1);
    EXPECT_EQ(COrloConditionParser().Evaluate(andChain, oneFalse, used), 0);
    EXPECT_EQ(COrloConditionParser().Evaluate(andChain + L" XOR", allTrue, used), -1);
}

TEST(ConditionParser, RecordsTheNamesOfTheExpression)
{
    ConditionNames used;
    EXPECT_EQ(COrloConditionParser().Evaluate(L"condition1 AND Condition3", {{1, 1}}, used), -1);
    EXPECT_TRUE(HasName(used, L"CONDITION1")); // replaced
    EXPECT_TRUE(HasName(used, L"CONDITION3")); // without a result
    EXPECT_EQ(used.size(), 2u);

    used.clear();
    EXPECT_EQ(COrloConditionParser().Evaluate(L"CONDITION12 OR CONDITION12", {{1, 1}, {12, 0}, {2, 1}}, used), 0);
    EXPECT_EQ(used, ConditionNames{L"CONDITION12"}); // not CONDITION1 inside it, each name once

    // Names above 25 are recorded when replaced, not when unresolved.
    used.clear();
    COrloConditionParser().Evaluate(L"CONDITION26 OR CONDITION27", {{26, 1}}, used);
    EXPECT_EQ(used, ConditionNames{L"CONDITION26"});

    // Unbalanced: nothing is looked at.
    used.clear();
    EXPECT_EQ(COrloConditionParser().Evaluate(L"(CONDITION1 OR CONDITION2", {{1, 1}}, used), -2);
    EXPECT_TRUE(used.empty());
}

TEST(ConditionParser, CollectsUnresolvedNamesOneToTwentyFive)
{
    ConditionNames used;
    EXPECT_EQ(COrloConditionParser::CollectUnresolvedNames(L"CONDITION25 AND CONDITION26", {}, used), -1);
    EXPECT_EQ(used, ConditionNames{L"CONDITION25"});
    used.clear();
    EXPECT_EQ(COrloConditionParser::CollectUnresolvedNames(L"condition2 or condition21", {{2, 0}, {21, 1}}, used), 0);
    EXPECT_TRUE(used.empty());
    EXPECT_EQ(COrloConditionParser::CollectUnresolvedNames(L"CONDITION21", {{21, 1}}, used), 0);
    EXPECT_TRUE(used.empty()); // CONDITION2 is no name inside CONDITION21

    EXPECT_TRUE(COrloConditionParser::AreParenthesesBalanced(L")("));
    EXPECT_FALSE(COrloConditionParser::AreParenthesesBalanced(L"(()"));
}
