// Entries and keys of [OS] that the program reads past, found with the identification's own tokens.
#include "validation/OSSectionCheck.h"

#include <set>

#include "util/StringUtil.h"
#include "util/WideFormat.h"
#include "validation/OSIdentification.h"
#include "validation/OSRules.h"

namespace {

// True when `key` ends with `suffix` (any case); `stem` is what comes before it.
bool StemOf(const std::wstring& key, const wchar_t* suffix, std::wstring& stem)
{
    const std::wstring end(suffix);
    if (key.size() < end.size() || !EqualsNoCase(key.substr(key.size() - end.size()), end)) {
        return false;
    }
    stem = key.substr(0, key.size() - end.size());
    return true;
}

std::wstring WithoutPlus(const std::wstring& entry)
{
    return !entry.empty() && entry.back() == L'+' ? entry.substr(0, entry.size() - 1) : entry;
}

std::wstring EntryFinding(const std::wstring& entry)
{
    const std::wstring base = WithoutPlus(entry);
    if (base.size() == entry.size()) {
        return IsKnownOSToken(entry) ? std::wstring()
                                     : FormatW(L"[OS] OSAllowed entry %ls names no system the program knows; it "
                                               L"matches none",
                                               entry.c_str());
    }
    if (FindOSRelease(base) != nullptr) {
        return {};
    }
    // A "+" entry is read by its version digits; only tokens with digits of their own read as meant.
    const PlusEntryVersion version = ParsePlusEntry(entry);
    if (version.fromToken || IsVersionToken(base)) {
        return {};
    }
    const std::wstring reading =
        FormatW(L"version %d.%d and later%ls", version.major, version.minor, version.only64 ? L" (64-bit only)" : L"");
    const std::wstring versionToken = VersionTokenOfName(base);
    if (!versionToken.empty()) {
        return FormatW(L"[OS] OSAllowed entry %ls is read as %ls, not as %ls and later; write %ls+", entry.c_str(),
                       reading.c_str(), base.c_str(), versionToken.c_str());
    }
    return FormatW(L"[OS] OSAllowed entry %ls names no system the program knows; it is read as %ls", entry.c_str(),
                   reading.c_str());
}

std::wstring KeyFinding(const std::wstring& key, const std::set<std::wstring>& listed)
{
    if (EqualsNoCase(key, L"OSAllowed") || EqualsNoCase(key, L"NoOSCheck") || EqualsNoCase(key, kArm64ExcludeKey) ||
        EqualsNoCase(key, kArm64WarningKey)) {
        return {};
    }
    std::wstring stem;
    if (StemOf(key, L"Exclude", stem) || StemOf(key, L"Warning", stem)) {
        if (stem != WithoutPlus(stem)) {
            // The rules of a "+" entry are read only through that entry.
            return listed.count(ToLowerW(stem)) != 0
                       ? std::wstring()
                       : FormatW(L"[OS] %ls belongs to the entry %ls, which OSAllowed does not list; the program "
                                 L"never applies it",
                                 key.c_str(), stem.c_str());
        }
        return IsKnownOSToken(stem)
                   ? std::wstring()
                   : FormatW(L"[OS] %ls names no system the program knows; the program never applies it", key.c_str());
    }
    if (StemOf(key, L"ExtractPath", stem)) {
        return IsKnownFamilyToken(stem) ? std::wstring()
                                        : FormatW(L"[OS] %ls names no system family the program knows; the program "
                                                  L"never reads it",
                                                  key.c_str());
    }
    return FormatW(L"[OS] %ls is no key the program reads", key.c_str());
}

} // namespace

std::vector<std::wstring> CheckOSSection(const std::vector<std::pair<std::wstring, std::wstring>>& lines)
{
    std::vector<std::wstring> findings;
    if (lines.empty()) {
        return findings;
    }
    std::set<std::wstring> seen;
    const std::wstring* allowed = nullptr;
    bool noOSCheck = false;
    for (const auto& [key, value] : lines) {
        if (!seen.insert(ToLowerW(key)).second) {
            findings.push_back(
                FormatW(L"[OS] %ls appears more than once; the program reads only the first", key.c_str()));
            continue;
        }
        if (EqualsNoCase(key, L"OSAllowed")) {
            allowed = &value;
        } else if (EqualsNoCase(key, L"NoOSCheck")) {
            noOSCheck = value == L"1";
        }
    }
    std::set<std::wstring> listed;
    if (allowed == nullptr || SplitListInOrder(*allowed).empty()) {
        if (!noOSCheck) {
            findings.push_back(L"[OS] OSAllowed lists no system: the package refuses every system");
        }
    } else {
        for (const std::wstring& entry : SplitListInOrder(*allowed)) {
            listed.insert(ToLowerW(entry));
            const std::wstring finding = EntryFinding(entry);
            if (!finding.empty()) {
                findings.push_back(finding);
            }
        }
    }
    seen.clear();
    for (const auto& [key, value] : lines) {
        if (!seen.insert(ToLowerW(key)).second) {
            continue;
        }
        const std::wstring finding = KeyFinding(key, listed);
        if (!finding.empty()) {
            findings.push_back(finding);
        }
    }
    return findings;
}
