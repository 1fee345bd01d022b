// The builder's findings on [OS] sections: the entries and keys the program knows pass, typos and
// "+" entries that read otherwise than they look are named.
#include <gtest/gtest.h>

#include "util/StringUtil.h"
#include "validation/OSSectionCheck.h"

namespace {

using Lines = std::vector<std::pair<std::wstring, std::wstring>>;

struct SectionCase {
    const char* label;
    Lines lines;
    std::vector<std::wstring> findings;
};

const SectionCase kCases[] = {
    {"what the program knows",
     {{L"OSAllowed", L"WindowsXP;Windows764;windows2008r264;Windows8.1;Windows61+;Windows6164+;Windows2016+;"
                     L"Windows6464;Windows110;Windows11;Windows11+;Windows2019;Windows2025+;Windows95"},
      {L"Windows764Exclude", L"SKU2"},
      {L"Windows61+Warning", L"Home"},
      {L"windows11WARNING", L";"},
      {L"Windows2025+Exclude", L"prod2"},
      {L"ARM64Exclude", L";"},
      {L"arm64warning", L"prod1"},
      {L"WindowsXPExtractPath", L"C:\\XP"},
      {L"Windows100ExtractPath", L"C:\\Ten"},
      {L"Windows2016ExtractPath", L"C:\\Srv"},
      {L"NoOSCheck", L"0"}},
     {}},
    {"typos match nothing",
     {{L"OSAllowed", L"Windows 10;Win11;Windows10x64;ARM64;Windows11"}},
     {L"[OS] OSAllowed entry Windows 10 names no system the program knows; it matches none",
      L"[OS] OSAllowed entry Win11 names no system the program knows; it matches none",
      L"[OS] OSAllowed entry Windows10x64 names no system the program knows; it matches none",
      L"[OS] OSAllowed entry ARM64 names no system the program knows; it matches none"}},
    {"\"+\" entries read by their digits",
     {{L"OSAllowed", L"Windows8+;Windows2012R264+;Windows11x64+;Server2019+"}},
     {L"[OS] OSAllowed entry Windows8+ is read as version 8.0 and later, not as Windows8 and later; write "
      L"Windows62+",
      L"[OS] OSAllowed entry Windows2012R264+ is read as version 2.0 and later (64-bit only), not as "
      L"Windows2012R264 and later; write Windows6364+",
      L"[OS] OSAllowed entry Windows11x64+ names no system the program knows; it is read as version 11.0 and "
      L"later (64-bit only)",
      L"[OS] OSAllowed entry Server2019+ names no system the program knows; it is read as version 0.0 and later"}},
    {"keys the program never reads",
     {{L"OSAllowed", L"Windows7;Windows10+"},
      {L"Windows7Exlcude", L"SKU2"},
      {L"Windows61+Exclude", L"SKU2"},
      {L"Windows10+Warning", L"SKU2"},
      {L"Windows 7Warning", L"SKU2"},
      {L"Windows11ExtractPath", L"C:\\Eleven"},
      {L"ExtractPath", L"C:\\Any"}},
     {L"[OS] Windows7Exlcude is no key the program reads",
      L"[OS] Windows61+Exclude belongs to the entry Windows61+, which OSAllowed does not list; the program never "
      L"applies it",
      L"[OS] Windows 7Warning names no system the program knows; the program never applies it",
      L"[OS] Windows11ExtractPath names no system family the program knows; the program never reads it",
      L"[OS] ExtractPath names no system family the program knows; the program never reads it"}},
    {"only the first of a key counts",
     {{L"OSAllowed", L"WindowsXP"}, {L"osallowed", L"Windows 7"}},
     {L"[OS] osallowed appears more than once; the program reads only the first"}},
    {"nothing allowed",
     {{L"OSAllowed", L" ; "}},
     {L"[OS] OSAllowed lists no system: the package refuses every system"}},
    {"nothing allowed, no check", {{L"NoOSCheck", L"1"}}, {}},
    {"no section", {}, {}},
};

} // namespace

TEST(OSSectionCheck, Findings)
{
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.label);
        const std::vector<std::wstring> findings = CheckOSSection(c.lines);
        EXPECT_EQ(findings.size(), c.findings.size());
        for (size_t i = 0; i < findings.size() && i < c.findings.size(); ++i) {
            EXPECT_EQ(WideToUtf8(findings[i]), WideToUtf8(c.findings[i]));
        }
    }
}
