// The [OS] rules: OSAllowed with "+" entries, the Exclude and Warning rules, and their alternatives.
#include "validation/OSRules.h"

#include <algorithm>
#include <cwchar>
#include <list>
#include <utility>

#include "util/StringUtil.h"
#include "util/Util.h"
#include "util/WideFormat.h"
#include "validation/OSIdentification.h"

namespace {

bool IsOperatorChar(wchar_t c)
{
    return c == L'&' || c == L'|' || c == L'!';
}

bool IsBlankChar(wchar_t c)
{
    return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n';
}

// Capital AND, ANDNOT or OR anywhere in a part make it an operator (so STANDARD is no atom).
bool WordOperator(const std::wstring& part, std::wstring& op)
{
    if (part.find(L"ANDNOT") != std::wstring::npos) {
        op = L"&&!";
    } else if (part.find(L"AND") != std::wstring::npos) {
        op = L"&&";
    } else if (part.find(L"OR") != std::wstring::npos) {
        op = L"||";
    } else {
        return false;
    }
    return true;
}

void FlushText(std::wstring& text, std::vector<OSVariantPart>& parts)
{
    std::wstring trimmed = TrimW(text);
    text.clear();
    if (trimmed.empty()) {
        return;
    }
    std::wstring op;
    if (WordOperator(trimmed, op)) {
        parts.push_back({true, op});
    } else {
        parts.push_back({false, trimmed});
    }
}

int DecimalOf(const std::wstring& text)
{
    if (text.empty()) {
        return 0;
    }
    return static_cast<int>(std::wcstol(text.c_str(), nullptr, 10));
}

} // namespace

std::vector<OSVariantPart> SplitVariantParts(const std::wstring& alternative)
{
    std::vector<OSVariantPart> parts;
    std::wstring text;
    size_t i = 0;
    const size_t n = alternative.size();
    while (i < n) {
        if (!IsOperatorChar(alternative[i])) {
            text += alternative[i++];
            continue;
        }
        FlushText(text, parts);
        // An operator run may hold blanks ("&& !"); they are dropped.
        std::wstring op;
        size_t j = i;
        for (;;) {
            while (j < n && IsOperatorChar(alternative[j])) {
                op += alternative[j++];
            }
            size_t k = j;
            while (k < n && IsBlankChar(alternative[k])) {
                ++k;
            }
            if (k < n && IsOperatorChar(alternative[k])) {
                j = k;
                continue;
            }
            break;
        }
        parts.push_back({true, op});
        i = j;
    }
    FlushText(text, parts);
    return parts;
}

bool ReduceTwoAtomVariant(std::wstring rewritten)
{
    if (rewritten.rfind(L"&&!T", 0) == 0) {
        rewritten.replace(0, 4, L"F");
    } else if (rewritten.rfind(L"&&!F", 0) == 0) {
        rewritten.replace(0, 4, L"T");
    }
    if (rewritten.rfind(L"&&", 0) == 0 || rewritten.rfind(L"||", 0) == 0) {
        rewritten.erase(0, 2);
    }
    rewritten = ReplaceAll(rewritten, L"||&&!T", L"||F");
    rewritten = ReplaceAll(rewritten, L"||&&!F", L"||T");
    static const std::pair<const wchar_t*, const wchar_t*> kPairs[] = {
        {L"T&&F", L"F"}, {L"F&&T", L"F"}, {L"F&&F", L"F"},  {L"T&&T", L"T"},  {L"T||F", L"T"},  {L"F||T", L"T"},
        {L"F||F", L"F"}, {L"T||T", L"T"}, {L"T&&!F", L"T"}, {L"F&&!T", L"F"}, {L"F&&!F", L"F"}, {L"T&&!T", L"F"},
    };
    for (const auto& [from, to] : kPairs) {
        rewritten = ReplaceAll(rewritten, from, to);
    }
    return rewritten == L"T";
}

std::vector<std::wstring> SplitListInOrder(const std::wstring& list)
{
    std::list<std::wstring> headFirst;
    CUtil::Split(list, L";", headFirst); // inserts at the head: walk from the tail for written order
    return std::vector<std::wstring>(headFirst.rbegin(), headFirst.rend());
}

OSRuleEvaluator::OSRuleEvaluator(const OSSectionMap& section, OSIdentity& identity, OSLogSink log)
    : m_section(section), m_identity(identity), m_log(std::move(log))
{
}

void OSRuleEvaluator::Write(int kind, const wchar_t* function, const std::wstring& message) const
{
    if (m_log) {
        m_log(kind, function, message);
    }
}

int OSRuleEvaluator::EvaluateOSRules()
{
    const auto allowed = m_section.find(L"osallowed");
    if (allowed == m_section.end() || allowed->second.empty()) {
        Write(8, L"EvaluateOSRules", L"No OSes are supported");
        return kOSNotSupported;
    }
    Write(8, L"EvaluateOSRules", FormatW(L"Supported OSes : %ls", allowed->second.c_str()));
    const bool arm64 = m_identity.machineArchitecture == kArchArm64;
    int exclusion = CheckOSVariantsForExclusion();
    if (exclusion == kOSSupported && arm64 && CheckOSVariant(kArm64ExcludeKey) == 0) {
        exclusion = kOSNotSupported;
    }
    if (exclusion == kOSSupported) {
        int warning = CheckOSVariantsForWarning();
        if (warning == kOSSupported && arm64 && CheckOSVariant(kArm64WarningKey) == 0) {
            warning = kOSWarning;
        }
        if (warning == kOSWarning) {
            Write(8, L"EvaluateOSRules", L"Show Warning for OS");
        }
        return warning;
    }
    Write(8, L"EvaluateOSRules", L"Show Error for OS");
    return kOSNotSupported;
}

int OSRuleEvaluator::CheckOSVariantsForExclusion()
{
    return CheckOSVariants(L"exclude", kOSNotSupported);
}

int OSRuleEvaluator::CheckOSVariantsForWarning()
{
    return CheckOSVariants(L"warning", kOSWarning);
}

int OSRuleEvaluator::CheckOSVariants(const wchar_t* kind, int verdict)
{
    int result = kOSNotInList;
    const auto found = m_section.find(L"osallowed");
    if (found == m_section.end()) {
        return result;
    }
    const std::wstring allowed = ToLowerW(found->second);
    const std::vector<std::wstring> entries = SplitListInOrder(allowed);

    // Visits the allowed entries with a rule key that starts as the system's token and becomes a
    // "+" entry once one is met. True when a rule applied.
    auto visit = [&](std::wstring ruleKey) {
        for (const auto& entry : entries) {
            // A "+" entry lends its rules only to systems it covers: Windows10+Exclude must not
            // judge Windows 7 merely because both are listed.
            if (entry.back() == L'+' && PlusEntryMatches(entry)) {
                ruleKey = entry;
            }
            if (CheckOSVariant(ruleKey + kind) == 0) {
                result = verdict;
                return true;
            }
            result = kOSSupported;
        }
        return false;
    };

    const std::wstring name = ToLowerW(m_identity.nameToken);
    if (IsOSInList(allowed, name) && visit(name)) {
        return result;
    }
    const std::wstring version = ToLowerW(m_identity.versionToken);
    if ((result == kOSSupported || result == kOSNotInList) && IsOSInList(allowed, version) && visit(version)) {
        return result;
    }
    // The release names (Windows11, Windows2022) come last: a package that lists none of them and
    // has none of their rules is judged as before.
    const std::wstring release = m_identity.releaseToken;
    if (!release.empty() && (result == kOSSupported || result == kOSNotInList) && IsOSInList(allowed, release)) {
        visit(release);
    }
    return result;
}

int OSRuleEvaluator::CheckOSVariant(const std::wstring& ruleKey)
{
    const auto found = m_section.find(ruleKey);
    if (found == m_section.end()) {
        return 1;
    }
    const std::wstring& value = found->second;
    Write(8, L"CheckOSVariant", FormatW(L"%ls  : %ls", ruleKey.c_str(), value.c_str()));
    if (value == L";") {
        Write(8, L"CheckOSVariant", FormatW(L"All variants of %ls are supported", m_identity.nameToken.c_str()));
        return 0;
    }
    for (const auto& alternative : SplitListInOrder(value)) {
        if (GetOSVariantConditionResult(alternative) == 1) {
            return 0;
        }
    }
    return 1;
}

int OSRuleEvaluator::GetOSVariantConditionResult(const std::wstring& alternative)
{
    const std::vector<OSVariantPart> parts = SplitVariantParts(alternative);
    std::wstring rewritten;
    std::vector<bool> atoms;
    for (const auto& part : parts) {
        if (part.isOperator) {
            rewritten += part.text;
        } else {
            const bool value = ValiodateOSVariants(part.text);
            atoms.push_back(value);
            rewritten += value ? L"T" : L"F";
        }
    }
    if (atoms.size() <= 2) {
        return ReduceTwoAtomVariant(rewritten) ? 1 : 0;
    }

    std::wstring op = L"||";
    if (rewritten.find(L"&&!") != std::wstring::npos) {
        op = L"&&!";
    } else if (rewritten.find(L"&&") != std::wstring::npos) {
        op = L"&&";
    }
    for (const auto& part : parts) {
        if (part.isOperator && part.text != op) {
            Write(8, L"GetOSVariantConditionResult", L"Invalid variant combination. Current OS will be included");
            return 0;
        }
    }
    size_t trueCount = 0;
    for (bool value : atoms) {
        trueCount += value ? 1 : 0;
    }
    if (op == L"||") {
        return trueCount > 0 ? 1 : 0;
    }
    if (op == L"&&") {
        return trueCount == atoms.size() ? 1 : 0;
    }
    return trueCount == 0 ? 1 : 0; // "&&!": none of the atoms
}

bool OSRuleEvaluator::ValiodateOSVariants(const std::wstring& atom)
{
    OSIdentity& id = m_identity;
    // "0" and "SP0" stand for "no service pack"; the number then reads "0" from here on.
    if ((atom == L"0" || EqualsNoCase(atom, L"SP0")) && id.servicePackNumber.empty()) {
        id.servicePackNumber = L"0";
    }
    if (!id.editionToken.empty() && EqualsNoCase(atom, id.editionToken)) {
        Write(8, L"ValiodateOSVariants", FormatW(L"Edition : %ls", id.editionToken.c_str()));
        return true;
    }
    if (!id.editionDisplayName.empty() && EqualsNoCase(atom, id.editionDisplayName)) {
        Write(8, L"ValiodateOSVariants", FormatW(L"Edition : %ls", id.editionDisplayName.c_str()));
        return true;
    }
    // An empty number would let the bare atom "SP" match every system without a service pack.
    if (!id.servicePackNumber.empty() &&
        (EqualsNoCase(atom, id.servicePackNumber) || EqualsNoCase(atom, L"SP" + id.servicePackNumber))) {
        Write(8, L"ValiodateOSVariants", FormatW(L"Service Pack : %ls", id.servicePackNumber.c_str()));
        return true;
    }
    if (!id.productTypeToken.empty() && EqualsNoCase(atom, id.productTypeToken)) {
        Write(8, L"ValiodateOSVariants", FormatW(L"Product Type : %ls", id.productTypeToken.c_str()));
        return true;
    }
    if (EqualsNoCase(atom, kUnknownProduct)) {
        Write(8, L"ValiodateOSVariants", L"Unknown Product");
        return true;
    }
    return false;
}

bool OSRuleEvaluator::IsOSInList(const std::wstring& list, const std::wstring& token) const
{
    for (const auto& entry : SplitListInOrder(list)) {
        if (EqualsNoCase(entry, token)) {
            return true;
        }
        if (entry.back() == L'+' && PlusEntryMatches(entry)) {
            return true;
        }
    }
    return false;
}

PlusEntryVersion ParsePlusEntry(const std::wstring& entry)
{
    std::wstring name = ToLowerW(entry);
    if (!name.empty() && name.back() == L'+') {
        name.pop_back();
    }
    PlusEntryVersion version;
    std::wstring digits = VersionDigitsOf(name);
    version.fromToken = !digits.empty();
    if (digits.empty()) {
        digits = ReplaceAll(name, L"windows", L"");
    }
    const std::wstring bits = digits.size() >= 2 ? digits.substr(digits.size() - 2) : digits;
    const size_t majorLength = (!digits.empty() && digits[0] == L'1') ? 2 : 1;
    version.major = DecimalOf(digits.substr(0, std::min(majorLength, digits.size())));
    version.minor = DecimalOf(digits.size() > majorLength ? digits.substr(majorLength, 1) : std::wstring());
    version.only64 = bits == L"64";
    return version;
}

bool OSRuleEvaluator::PlusEntryMatches(const std::wstring& entry) const
{
    const OSIdentity& id = m_identity;
    std::wstring name = entry;
    if (!name.empty() && name.back() == L'+') {
        name.pop_back();
    }
    if (const OSRelease* release = FindOSRelease(name)) {
        return ReleaseCovers(*release, id.major, id.minor, id.productType, id.build);
    }
    const PlusEntryVersion version = ParsePlusEntry(entry);
    if (version.only64 && id.is64 != 1) {
        return false;
    }
    const auto runningMajor = static_cast<int>(id.major);
    const auto runningMinor = static_cast<int>(id.minor);
    return runningMajor > version.major || (runningMajor == version.major && runningMinor >= version.minor);
}
