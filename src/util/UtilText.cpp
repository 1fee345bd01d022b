// CUtil: text and number helpers.
#include <cwchar>
#include <cwctype>

#include "util/StringUtil.h"
#include "util/Util.h"
#include "util/UtilRules.h"
#include "util/WideFormat.h"

void CUtil::Split(const std::wstring& text, const std::wstring& separator, std::list<std::wstring>& list)
{
    if (separator.empty()) {
        return;
    }
    size_t start = 0;
    for (;;) {
        const size_t found = text.find(separator, start);
        const std::wstring piece =
            TrimW(std::wstring_view(text).substr(start, found == std::wstring::npos ? std::wstring::npos : found - start));
        if (!piece.empty()) {
            list.push_front(piece);
        }
        if (found == std::wstring::npos) {
            break;
        }
        start = found + separator.size();
    }
}

bool CUtil::IsDigitsAndDots(const std::wstring& text)
{
    for (wchar_t c : text) {
        if (!((c >= L'0' && c <= L'9') || c == L'.')) {
            return false;
        }
    }
    return true;
}

std::wstring CUtil::StripBraces(const std::wstring& text)
{
    std::wstring result = text;
    if (!result.empty() && result.front() == L'{') {
        result.erase(0, result.find_first_not_of(L'{') == std::wstring::npos ? result.size()
                                                                              : result.find_first_not_of(L'{'));
    }
    if (!result.empty() && result.back() == L'}') {
        const size_t last = result.find_last_not_of(L'}');
        result.erase(last == std::wstring::npos ? 0 : last + 1);
    }
    return result;
}

int32_t CUtil::ToInt32(const std::wstring& text) { return static_cast<int32_t>(std::wcstol(text.c_str(), nullptr, 10)); }

int16_t CUtil::ToInt16(const std::wstring& text) { return static_cast<int16_t>(std::wcstol(text.c_str(), nullptr, 10)); }

int64_t CUtil::ToInt64(const std::wstring& text) { return static_cast<int64_t>(std::wcstoll(text.c_str(), nullptr, 10)); }

std::wstring CUtil::IntToText(int value) { return FormatW(L"%d", value); }

std::wstring CUtil::FormatNumberedName(const std::wstring& pattern, int number)
{
    const size_t dot = pattern.rfind(L'.');
    const size_t split = dot == std::wstring::npos ? 0 : dot;
    const std::wstring field = pattern.substr(split);
    // The pattern is built from package text: only a single integer field is ever formatted, so a
    // stray "%s" in a name can never read an argument that is not there.
    if (!utilrules::IsSingleIntegerFormat(field)) {
        return pattern;
    }
    return pattern.substr(0, split) + FormatW(field.c_str(), number);
}
