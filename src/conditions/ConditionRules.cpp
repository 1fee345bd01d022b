#include "conditions/ConditionRules.h"

#include <cstdint>
#include <cwchar>

#include "util/StringUtil.h"
#include "util/Util.h"

namespace {
bool IsBlankChar(wchar_t c)
{
    return c == L' ' || c == L'\t';
}

// Splits at `separator`, trims every piece and drops the empty ones; the order of the text is kept.
std::vector<std::wstring> SplitTrimmed(const std::wstring& text, wchar_t separator)
{
    std::vector<std::wstring> pieces;
    size_t start = 0;
    for (;;) {
        const size_t found = text.find(separator, start);
        std::wstring piece = TrimW(
            std::wstring_view(text).substr(start, found == std::wstring::npos ? std::wstring::npos : found - start));
        if (!piece.empty()) {
            pieces.push_back(std::move(piece));
        }
        if (found == std::wstring::npos) {
            return pieces;
        }
        start = found + 1;
    }
}

std::vector<std::wstring> BlankSeparatedWords(const std::wstring& text)
{
    std::vector<std::wstring> words;
    size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && IsBlankChar(text[i])) {
            ++i;
        }
        const size_t start = i;
        while (i < text.size() && !IsBlankChar(text[i])) {
            ++i;
        }
        if (i > start) {
            words.push_back(text.substr(start, i - start));
        }
    }
    return words;
}

std::vector<int32_t> VersionParts(const std::wstring& text)
{
    std::wstring version = text;
    const size_t digit = version.find_first_of(L"0123456789");
    if (digit != std::wstring::npos) {
        version.erase(0, digit);
    }
    const size_t underscore = version.find(L'_');
    if (underscore != std::wstring::npos) {
        version[underscore] = L'.';
    }
    std::vector<int32_t> parts;
    for (const std::wstring& piece : SplitTrimmed(version, L'.')) {
        // wcstol saturates at the 32-bit limits on Windows; a part without leading digits is 0.
        parts.push_back(static_cast<int32_t>(std::wcstol(piece.c_str(), nullptr, 10)));
    }
    return parts;
}
} // namespace

int CompareVersions(const std::wstring& a, const std::wstring& b)
{
    const std::vector<int32_t> left = VersionParts(a);
    const std::vector<int32_t> right = VersionParts(b);
    if (left.empty() || right.empty()) {
        return kVersionEqual;
    }
    const size_t common = left.size() < right.size() ? left.size() : right.size();
    for (size_t i = 0; i < common; ++i) {
        if (left[i] != right[i]) {
            return left[i] > right[i] ? kVersionGreater : kVersionLess;
        }
    }
    // 1.2 equals 1.2.0.0: extra parts decide only when one of them is not 0.
    for (size_t i = common; i < left.size(); ++i) {
        if (left[i] != 0) {
            return kVersionGreater;
        }
    }
    for (size_t i = common; i < right.size(); ++i) {
        if (right[i] != 0) {
            return kVersionLess;
        }
    }
    return kVersionEqual;
}

int ApplyOperator(const std::wstring& op, int comparison)
{
    if (op == kOperatorEqual) {
        return comparison == kVersionEqual ? 1 : 0;
    }
    if (op == kOperatorGreaterEqual) {
        return comparison == kVersionGreater || comparison == kVersionEqual ? 1 : 0;
    }
    if (op == kOperatorLessEqual) {
        return comparison == kVersionLess || comparison == kVersionEqual ? 1 : 0;
    }
    if (op == kOperatorNotEqual) {
        return comparison != kVersionEqual ? 1 : 0;
    }
    if (op == kOperatorGreater) {
        return comparison == kVersionGreater ? 1 : 0;
    }
    if (op == kOperatorLess) {
        return comparison == kVersionLess ? 1 : 0;
    }
    return 0;
}

int CompareStrings(const std::wstring& op, const std::wstring& expected, const std::wstring& actual)
{
    if (op == kOperatorEqual) {
        return EqualsNoCase(expected, actual) ? 1 : 0;
    }
    if (op == kOperatorNotEqual) {
        return EqualsNoCase(expected, actual) ? 0 : 1;
    }
    return 0;
}

std::wstring StripFieldBraces(const std::wstring& field)
{
    size_t begin = 0;
    size_t end = field.size();
    if (end > begin && field[begin] == L'{') {
        ++begin;
    }
    if (end > begin && field[end - 1] == L'}') {
        --end;
    }
    return field.substr(begin, end - begin);
}

std::wstring NormalizeOperator(const std::wstring& op)
{
    std::wstring result;
    for (wchar_t c : op) {
        if (!IsBlankChar(c)) {
            result += c;
        }
    }
    return result;
}

std::vector<std::wstring> SplitConditionFields(const std::wstring& definition)
{
    return SplitTrimmed(definition, L';');
}

std::vector<std::wstring> CollectConditionNames(const std::wstring& expression)
{
    static constexpr std::wstring_view kWord = L"condition";
    const std::wstring lower = ToLowerW(expression);
    std::vector<std::wstring> names;
    size_t pos = lower.find(kWord);
    while (pos != std::wstring::npos) {
        const size_t end = lower.find_first_of(L" )", pos);
        names.push_back(lower.substr(pos, end == std::wstring::npos ? std::wstring::npos : end - pos));
        pos = lower.find(kWord, pos + kWord.size());
    }
    return names;
}

unsigned short ConditionNumberOf(const std::wstring& name)
{
    const std::wstring digits = ReplaceAll(ToLowerW(name), L"condition", L"");
    return static_cast<unsigned short>(std::wcstol(digits.c_str(), nullptr, 10));
}

std::wstring ExpandPathVariable(const std::wstring& path,
                                const std::function<std::wstring(const std::wstring&)>& lookup)
{
    if (path.size() < 5) {
        return path;
    }
    const size_t open = path.find(L"[%");
    if (open == std::wstring::npos) {
        return path;
    }
    const size_t close = path.find(L"%]", open + 2);
    if (close == std::wstring::npos) {
        return path;
    }
    const std::wstring name = path.substr(open + 2, close - open - 2);
    if (name.empty()) {
        return path;
    }
    std::wstring value = lookup(name);
    if (value.empty()) {
        return path; // an unset variable leaves its token, so the path will not be found
    }
    if (value.back() != L'\\') {
        value += L'\\';
    }
    std::wstring result = path;
    result.replace(open, close + 2 - open, value);
    return result;
}

RegistryLocation SplitRegistryLocation(const std::wstring& location)
{
    const std::vector<std::wstring> parts = SplitTrimmed(StripFieldBraces(location), L'\\');
    RegistryLocation result;
    if (parts.empty()) {
        return result;
    }
    result.Hive = parts.front();
    result.ValueName = parts.back();
    for (size_t i = 1; i + 1 < parts.size(); ++i) {
        if (!result.KeyPath.empty()) {
            result.KeyPath += L'\\';
        }
        result.KeyPath += parts[i];
    }
    return result;
}

int EvaluateRegistryRule(const std::wstring& op, int status, const std::wstring& actual, const std::wstring& expected)
{
    if (EqualsNoCase(op, kOperatorNotExist)) {
        return status == kRegistryMissing ? 1 : 0;
    }
    if (EqualsNoCase(op, kOperatorExist)) {
        return status == kRegistryRead ? 1 : 0;
    }
    int result = 0;
    if (op == kOperatorEqual) {
        if (status != kRegistryMissing && EqualsNoCase(actual, expected)) {
            result = 1;
        }
    } else if (op == kOperatorAny) {
        result = status == kRegistryRead ? 1 : 0;
    } else if (status == kRegistryRead && !actual.empty()) {
        // An expected text of digits and dots (or nothing) is a version; anything else a string.
        result = CUtil::IsDigitsAndDots(expected) ? ApplyOperator(op, CompareVersions(actual, expected))
                                                  : CompareStrings(op, expected, actual);
    }
    if (op == kOperatorNotEqual && status == kRegistryRead && actual.empty() != expected.empty()) {
        result = 1;
    }
    return result;
}

int EvaluateFileVersionRule(const std::wstring& op, const std::wstring& version, const std::wstring& expected)
{
    if (!version.empty()) {
        return ApplyOperator(op, CompareVersions(version, expected));
    }
    // A file without a version equals only an empty expected version.
    return op == kOperatorEqual && expected.empty() ? 1 : 0;
}

bool ShouldShowConditionMessage(const std::wstring& expression, const std::wstring& name)
{
    const std::wstring lower = ToLowerW(expression);

    // Negated groups ("not (" up to the first ")"): a name inside one cannot block the expression.
    // They are blanked out of `outside`, which keeps the rest of the text for the word walk below.
    std::wstring outside = lower;
    bool inNegatedGroup = false;
    size_t pos = lower.find(L"not");
    while (pos != std::wstring::npos) {
        size_t next = pos + 3;
        while (next < lower.size() && IsBlankChar(lower[next])) {
            ++next;
        }
        if (next < lower.size() && lower[next] == L'(') {
            const size_t close = lower.find(L')', next + 1);
            std::wstring group =
                lower.substr(next + 1, close == std::wstring::npos ? std::wstring::npos : close - next - 1);
            for (const wchar_t* word : {L"(", L")", L"and", L"or", L"not"}) {
                group = ReplaceAll(group, word, L" ");
            }
            for (const std::wstring& word : BlankSeparatedWords(group)) {
                inNegatedGroup = inNegatedGroup || EqualsNoCase(word, name);
            }
            const size_t spanEnd = close == std::wstring::npos ? lower.size() : close + 1;
            outside.replace(pos, spanEnd - pos, spanEnd - pos, L' ');
            if (close == std::wstring::npos) {
                break;
            }
            pos = lower.find(L"not", close);
        } else {
            pos = lower.find(L"not", next);
        }
    }

    // The message matters when the name occurs once without "not" right before it (outside the
    // negated groups), or nowhere at all.
    const std::wstring plain = ReplaceAll(ReplaceAll(outside, L"(", L" "), L")", L" ");
    const std::vector<std::wstring> words = BlankSeparatedWords(plain);
    bool answer = true;
    for (size_t i = 0; i < words.size(); ++i) {
        if (words[i] == L"not") {
            if (i + 1 < words.size()) {
                ++i;
                if (EqualsNoCase(words[i], name)) {
                    answer = false;
                }
            }
            continue;
        }
        if (EqualsNoCase(words[i], name)) {
            return true;
        }
    }
    return inNegatedGroup ? false : answer;
}

bool SameMessageKey(const std::wstring& a, const std::wstring& b)
{
    return EqualsNoCase(CUtil::StripBraces(a), CUtil::StripBraces(b));
}
