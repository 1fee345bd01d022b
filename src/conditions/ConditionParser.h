#pragma once
// COrloConditionParser: evaluates Action1Condition by rewriting. Condition names become T or F,
// then fixed patterns (NOT, AND, OR, groups) are reduced pass by pass until one letter is left.
#include <cstdint>
#include <map>
#include <string>
#include <vector>

// Results of Evaluate.
constexpr int kExpressionTrue = 1;
constexpr int kExpressionFalse = 0;
constexpr int kExpressionIrreducible = -1;
constexpr int kExpressionUnbalanced = -2;

using ConditionResults = std::map<uint16_t, int32_t>; // condition number -> result (1 true)
using ConditionNames = std::vector<std::wstring>;     // "CONDITION%d" names met in the expression

class COrloConditionParser {
public:
    virtual ~COrloConditionParser() = default;

    // 1 true, 0 false, -1 not reducible to one letter, -2 parentheses unbalanced. Names replaced by
    // a result, and names 1 to 25 that have none, are added to `usedNames` (each once).
    int Evaluate(const std::wstring& expression, const ConditionResults& results, ConditionNames& usedNames) const;

    // As many "(" as ")" (the order is not looked at).
    static bool AreParenthesesBalanced(const std::wstring& expression);

    // Adds "CONDITION%d" (1 to 25) for every name in the expression without a result; -1 when it added one.
    static int CollectUnresolvedNames(const std::wstring& expression, const ConditionResults& results,
                                      ConditionNames& usedNames);

    // Replaces every whole "CONDITION<number>" (not the start of a longer number) by `letter`;
    // returns how many were replaced. The expression must be upper-case.
    static size_t ReplaceConditionName(std::wstring& expression, const std::wstring& name, wchar_t letter);

    // Whole-name occurrence test with the same rule.
    static bool ContainsConditionName(const std::wstring& expression, const std::wstring& name);

    // One reduction pass over a blank-free expression of T, F, NOT, AND, OR and parentheses.
    static std::wstring ReducePass(const std::wstring& expression);
};
