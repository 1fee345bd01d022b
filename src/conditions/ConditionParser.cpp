#include "conditions/ConditionParser.h"

#include <cwctype>

#include "util/StringUtil.h"
#include "util/WideFormat.h"

namespace {
constexpr int kMaxCheckedConditionName = 25;

// Next whole occurrence of `name` at or after `from`: a longer number (CONDITION12 for CONDITION1)
// is another name.
size_t FindWholeName(const std::wstring& expression, const std::wstring& name, size_t from)
{
    size_t pos = expression.find(name, from);
    while (pos != std::wstring::npos) {
        const size_t after = pos + name.size();
        if (after >= expression.size() || !std::iswdigit(expression[after])) {
            return pos;
        }
        pos = expression.find(name, pos + 1);
    }
    return std::wstring::npos;
}

void AddName(ConditionNames& names, const std::wstring& name)
{
    for (const std::wstring& known : names) {
        if (EqualsNoCase(known, name)) {
            return;
        }
    }
    names.push_back(name);
}
} // namespace

bool COrloConditionParser::AreParenthesesBalanced(const std::wstring& expression)
{
    size_t open = 0;
    size_t close = 0;
    for (wchar_t c : expression) {
        open += c == L'(' ? 1 : 0;
        close += c == L')' ? 1 : 0;
    }
    return open == close;
}

bool COrloConditionParser::ContainsConditionName(const std::wstring& expression, const std::wstring& name)
{
    return FindWholeName(expression, name, 0) != std::wstring::npos;
}

size_t COrloConditionParser::ReplaceConditionName(std::wstring& expression, const std::wstring& name, wchar_t letter)
{
    size_t count = 0;
    size_t pos = FindWholeName(expression, name, 0);
    while (pos != std::wstring::npos) {
        expression.replace(pos, name.size(), 1, letter);
        ++count;
        pos = FindWholeName(expression, name, pos + 1);
    }
    return count;
}

int COrloConditionParser::CollectUnresolvedNames(const std::wstring& expression, const ConditionResults& results,
                                                 ConditionNames& usedNames)
{
    const std::wstring upper = ToUpperW(expression);
    int added = 0;
    for (int n = 1; n <= kMaxCheckedConditionName; ++n) {
        const std::wstring name = FormatW(L"CONDITION%d", n);
        if (ContainsConditionName(upper, name) && results.find(static_cast<uint16_t>(n)) == results.end()) {
            AddName(usedNames, name);
            added = -1;
        }
    }
    return added;
}

std::wstring COrloConditionParser::ReducePass(const std::wstring& expression)
{
    // The order is the precedence: NOT first, then AND, then OR, groups last.
    static const wchar_t* const kRules[][2] = {
        {L"NOTT", L"F"}, {L"NOTF", L"T"}, {L"TANDF", L"F"}, {L"FANDT", L"F"}, {L"FANDF", L"F"}, {L"TANDT", L"T"},
        {L"TORF", L"T"}, {L"FORT", L"T"}, {L"FORF", L"F"},  {L"TORT", L"T"},  {L"(T)", L"T"},   {L"(F)", L"F"},
    };
    std::wstring text = expression;
    for (const auto& rule : kRules) {
        text = ReplaceAll(std::move(text), rule[0], rule[1]);
    }
    return text;
}

int COrloConditionParser::Evaluate(const std::wstring& expression, const ConditionResults& results,
                                   ConditionNames& usedNames) const
{
    std::wstring text = ToUpperW(expression);
    if (!AreParenthesesBalanced(text)) {
        return kExpressionUnbalanced;
    }
    CollectUnresolvedNames(text, results, usedNames);

    for (const auto& [number, result] : results) {
        const std::wstring name = FormatW(L"CONDITION%d", static_cast<int>(number));
        if (ReplaceConditionName(text, name, result == 1 ? L'T' : L'F') > 0) {
            AddName(usedNames, name);
        }
    }

    std::wstring reduced;
    reduced.reserve(text.size());
    for (wchar_t c : text) {
        if (c != L' ') {
            reduced += c;
        }
    }

    while (reduced.size() != 1) {
        const std::wstring next = ReducePass(reduced);
        if (next.size() == reduced.size()) {
            return kExpressionIrreducible;
        }
        reduced = next;
    }
    return reduced == L"T" ? kExpressionTrue : kExpressionFalse;
}
