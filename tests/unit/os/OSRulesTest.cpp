// [OS] sections -> verdicts, over a table of sections and systems; the pieces of the rule grammar;
// the composition of the OS messages.
#include <gtest/gtest.h>

#include <cstring>
#include <cwchar>
#include <iterator>

#include "OsTestSystems.h"
#include "util/StringUtil.h"
#include "util/WideFormat.h"
#include "validation/OSMessages.h"
#include "validation/OSRules.h"

using namespace ostest;

namespace {

// Systems the table refers to.
const OSFacts kWin7x64Pro = Nt(6, 1, 1, kArchX64, 48, L"Service Pack 1", 1);
const OSFacts kWin7x64HomeBasic = Nt(6, 1, 1, kArchX64, 2);
const OSFacts kWin7x64HomePremium = Nt(6, 1, 1, kArchX64, 3);
const OSFacts kWin7x86Pro = Nt(6, 1, 1, kArchX86, 48);
const OSFacts kWin7x86HomePremium = Nt(6, 1, 1, kArchX86, 3);
const OSFacts kWin7x86Ultimate = Nt(6, 1, 1, kArchX86, 1);
const OSFacts kWin10x64Pro = Nt(10, 0, 1, kArchX64, 48);
const OSFacts kWin10x86Pro = Nt(10, 0, 1, kArchX86, 48);
const OSFacts kVistaX86 = Nt(6, 0, 1, kArchX86, 1);
const OSFacts kXpHome = WithSuite(Nt(5, 1, 1, kArchX86), kSuitePersonal);
const OSFacts kXpHomeSp2 = WithSuite(Nt(5, 1, 1, kArchX86, 0, L"Service Pack 2", 2), kSuitePersonal);
const OSFacts kXpPro = Nt(5, 1, 1, kArchX86);
const OSFacts kXpProSp2 = Nt(5, 1, 1, kArchX86, 0, L"Service Pack 2", 2);
const OSFacts kXpProSp3 = Nt(5, 1, 1, kArchX86, 0, L"Service Pack 3", 3);
const OSFacts kServer2008R2Standard = Nt(6, 1, 3, kArchX64, 0);
const OSFacts kServer2008R2Storage = Nt(6, 1, 3, kArchX64, 21);
const OSFacts kServer2003Dc = Nt(5, 2, 2, kArchX86);
const OSFacts kUnknown64 = Nt(6, 4, 1, kArchX64);

using Lines = std::vector<std::pair<std::wstring, std::wstring>>;

struct RuleCase {
    const char* label;
    Lines section;
    OSFacts system;
    int verdict;
    const wchar_t* logged = nullptr; // a log line the evaluation must write
};

const RuleCase kRuleCases[] = {
    // Editions excluded on one system of several.
    {"764 exclude: home basic",
     {{L"OSAllowed", L"WindowsXP;Windows7;Windows764"}, {L"Windows764Exclude", L"SKU2;SKU3"}},
     kWin7x64HomeBasic,
     302,
     L"Show Error for OS"},
    {"764 exclude: home premium",
     {{L"OSAllowed", L"WindowsXP;Windows7;Windows764"}, {L"Windows764Exclude", L"SKU2;SKU3"}},
     kWin7x64HomePremium,
     302,
     L"windows764exclude  : SKU2;SKU3"},
    {"764 exclude: professional",
     {{L"OSAllowed", L"WindowsXP;Windows7;Windows764"}, {L"Windows764Exclude", L"SKU2;SKU3"}},
     kWin7x64Pro,
     300,
     L"Supported OSes : WindowsXP;Windows7;Windows764"},
    {"764 exclude does not reach 32-bit 7",
     {{L"OSAllowed", L"Windows7;Windows764"}, {L"Windows764Exclude", L"SKU3"}},
     kWin7x86HomePremium,
     300},
    {"not listed", {{L"OSAllowed", L"WindowsXP"}}, kWin7x64Pro, 302, L"Show Error for OS"},
    {"listed by version token", {{L"OSAllowed", L"Windows6164"}}, kWin7x64Pro, 300},
    {"version token rule", {{L"OSAllowed", L"Windows6164"}, {L"Windows6164Exclude", L"SKU48"}}, kWin7x64Pro, 302},
    {"name and version rules both consulted",
     {{L"OSAllowed", L"Windows7;Windows61"}, {L"Windows61Warning", L"Professional"}},
     kWin7x86Pro,
     301,
     L"Show Warning for OS"},
    {"listed, entries compared without case", {{L"OSAllowed", L"WINDOWSxp"}}, kXpPro, 300},

    // "+" entries.
    {"61+ on 10", {{L"OSAllowed", L"Windows61+"}}, kWin10x64Pro, 300},
    {"61+ on vista", {{L"OSAllowed", L"Windows61+"}}, kVistaX86, 302, L"Show Error for OS"},
    {"7+ on 7 (digits table)", {{L"OSAllowed", L"Windows7+"}}, kWin7x86Pro, 300},
    {"10+ on 7", {{L"OSAllowed", L"Windows10+"}}, kWin7x86Pro, 302},
    {"10+ on 10", {{L"OSAllowed", L"Windows10+"}}, kWin10x86Pro, 300},
    {"XP+ on 7", {{L"OSAllowed", L"WindowsXP+"}}, kWin7x86Pro, 300},
    {"764+ on 32-bit 10 is skipped", {{L"OSAllowed", L"Windows764+"}}, kWin10x86Pro, 302},
    {"764+ on 64-bit 10", {{L"OSAllowed", L"Windows764+"}}, kWin10x64Pro, 300},
    {"6164+ on 32-bit 7 is skipped", {{L"OSAllowed", L"Windows6164+"}}, kWin7x86Pro, 302},
    {"10064+ on 64-bit 10", {{L"OSAllowed", L"Windows10064+"}}, kWin10x64Pro, 300},
    {"+ entry owns its rules",
     {{L"OSAllowed", L"Windows61+"}, {L"Windows61+Exclude", L"SKU2"}},
     kWin7x64HomeBasic,
     302,
     L"windows61+exclude  : SKU2"},
    {"+ entry rules, other edition",
     {{L"OSAllowed", L"Windows61+"}, {L"Windows61+Exclude", L"SKU2"}},
     kWin7x64Pro,
     300},
    {"XP+ key", {{L"OSAllowed", L"WindowsXP+"}, {L"WindowsXP+Warning", L"Home"}}, kXpHome, 301},
    {"+ entry after the system's own entry",
     {{L"OSAllowed", L"Windows7;Windows61+"}, {L"Windows61+Exclude", L"SKU3"}},
     kWin7x86HomePremium,
     302},
    // A "+" entry that does not cover the system lends it no rules.
    {"10+ rules do not judge 7",
     {{L"OSAllowed", L"Windows7;Windows10+"}, {L"Windows10+Exclude", L"SKU48"}},
     kWin7x86Pro,
     300},
    {"10+ rules judge 10",
     {{L"OSAllowed", L"Windows7;Windows10+"}, {L"Windows10+Exclude", L"SKU48"}},
     kWin10x86Pro,
     302},
    {"unknown system by version", {{L"OSAllowed", L"Windows6464"}}, kUnknown64, 300},
    {"unknown system by +", {{L"OSAllowed", L"Windows61+"}}, kUnknown64, 300},

    // ";" means every variant.
    {"warning ;",
     {{L"OSAllowed", L"WindowsXP"}, {L"WindowsXPWarning", L";"}},
     kXpPro,
     301,
     L"All variants of windowsxp are supported"},
    {"exclude ;", {{L"OSAllowed", L"WindowsXP"}, {L"WindowsXPExclude", L";"}}, kXpProSp3, 302},
    {"rule for another system", {{L"OSAllowed", L"WindowsXP;Windows7"}, {L"WindowsXPExclude", L";"}}, kWin7x86Pro, 300},

    // Service pack atoms.
    {"0&&Home on XP Home without SP",
     {{L"OSAllowed", L"WindowsXP"}, {L"WindowsXPExclude", L"0&&Home"}},
     kXpHome,
     302,
     L"Edition : Home"},
    {"0&&Home on XP Home SP2", {{L"OSAllowed", L"WindowsXP"}, {L"WindowsXPExclude", L"0&&Home"}}, kXpHomeSp2, 300},
    {"0&&Home on XP Pro", {{L"OSAllowed", L"WindowsXP"}, {L"WindowsXPExclude", L"0&&Home"}}, kXpPro, 300},
    {"SP0 alone", {{L"OSAllowed", L"WindowsXP"}, {L"WindowsXPExclude", L"SP0"}}, kXpPro, 302},
    {"SP2 and 2",
     {{L"OSAllowed", L"WindowsXP"}, {L"WindowsXPExclude", L"SP3; sp2 "}},
     kXpProSp2,
     302,
     L"Service Pack : 2"},
    {"bare number", {{L"OSAllowed", L"WindowsXP"}, {L"WindowsXPWarning", L"2"}}, kXpProSp2, 301},
    {"bare SP matches no system without one",
     {{L"OSAllowed", L"WindowsXP"}, {L"WindowsXPExclude", L"SP"}},
     kXpPro,
     300},
    {"comma is part of an atom", {{L"OSAllowed", L"WindowsXP"}, {L"WindowsXPExclude", L"0&&Home,SP1"}}, kXpHome, 300},

    // Product type, literal Unknown Product, display names.
    {"prod1&&!SP3 on SP2",
     {{L"OSAllowed", L"WindowsXP"}, {L"WindowsXPExclude", L"prod1&&!SP3"}},
     kXpProSp2,
     302,
     L"Product Type : prod1"},
    {"prod1&&!SP3 on SP3", {{L"OSAllowed", L"WindowsXP"}, {L"WindowsXPExclude", L"prod1&&!SP3"}}, kXpProSp3, 300},
    {"domain controller", {{L"OSAllowed", L"Windows2003"}, {L"Windows2003Exclude", L"prod2"}}, kServer2003Dc, 302},
    {"Unknown Product always true",
     {{L"OSAllowed", L"Windows7"}, {L"Windows7Warning", L"Unknown Product"}},
     kWin7x86Pro,
     301,
     L"Unknown Product"},
    {"display name with a blank",
     {{L"OSAllowed", L"Windows7"}, {L"Windows7Exclude", L"Home Premium"}},
     kWin7x86HomePremium,
     302,
     L"Edition : Home Premium"},
    {"display name without its blank",
     {{L"OSAllowed", L"Windows7"}, {L"Windows7Exclude", L"HomePremium"}},
     kWin7x86HomePremium,
     300},

    // Leading operators, and-not, or-not.
    {"&&!SKU48 on professional", {{L"OSAllowed", L"Windows7"}, {L"Windows7Exclude", L"&&!SKU48"}}, kWin7x86Pro, 300},
    {"&&!SKU48 on home premium",
     {{L"OSAllowed", L"Windows7"}, {L"Windows7Exclude", L"&&!SKU48"}},
     kWin7x86HomePremium,
     302},
    {"leading && ignored", {{L"OSAllowed", L"Windows7"}, {L"Windows7Exclude", L"&&SKU48"}}, kWin7x86Pro, 302},
    {"leading || ignored", {{L"OSAllowed", L"Windows7"}, {L"Windows7Exclude", L"||SKU48"}}, kWin7x86Pro, 302},
    {"or-not: neither", {{L"OSAllowed", L"Windows7"}, {L"Windows7Exclude", L"SKU3||&&!SKU48"}}, kWin7x86Pro, 300},
    {"or-not: first", {{L"OSAllowed", L"Windows7"}, {L"Windows7Exclude", L"SKU3||&&!SKU48"}}, kWin7x86HomePremium, 302},
    {"or-not: not second",
     {{L"OSAllowed", L"Windows7"}, {L"Windows7Exclude", L"SKU3||&&!SKU48"}},
     kWin7x86Ultimate,
     302},
    {"operators with blanks", {{L"OSAllowed", L"Windows7"}, {L"Windows7Exclude", L"SKU48 && ! SP1"}}, kWin7x86Pro, 302},
    {"dangling operator", {{L"OSAllowed", L"Windows7"}, {L"Windows7Exclude", L"SKU48&&"}}, kWin7x86Pro, 300},

    // Three or more atoms.
    {"|| over three",
     {{L"OSAllowed", L"Windows7"}, {L"Windows7Exclude", L"Home||Professional||SKU48"}},
     kWin7x86Pro,
     302},
    {"|| over three, none",
     {{L"OSAllowed", L"Windows7"}, {L"Windows7Exclude", L"Home||Professional||SKU48"}},
     kWin7x86HomePremium,
     300},
    {"&& over three never true for editions",
     {{L"OSAllowed", L"Windows764"}, {L"Windows764Exclude", L"SKU2&&SKU3&&SKU5"}},
     kWin7x64HomeBasic,
     300},
    {"&& over three", {{L"OSAllowed", L"Windows764"}, {L"Windows764Exclude", L"SKU48&&prod1&&SP1"}}, kWin7x64Pro, 302},
    {"&&! over three: none true",
     {{L"OSAllowed", L"Windows7"}, {L"Windows7Exclude", L"&&!SKU1&&!SKU2&&!SKU3"}},
     kWin7x86Pro,
     302},
    {"&&! over three: one true",
     {{L"OSAllowed", L"Windows7"}, {L"Windows7Exclude", L"&&!SKU1&&!SKU2&&!SKU3"}},
     kWin7x86Ultimate,
     300},
    {"mixed operators",
     {{L"OSAllowed", L"Windows764"}, {L"Windows764Exclude", L"SKU2&&SKU3||SKU5"}},
     kWin7x64HomeBasic,
     300,
     L"Invalid variant combination. Current OS will be included"},
    {"mixed && and &&!",
     {{L"OSAllowed", L"Windows7"}, {L"Windows7Exclude", L"SKU48&&prod1&&!SP1"}},
     kWin7x86Pro,
     300,
     L"Invalid variant combination. Current OS will be included"},
    {"mixed alternative does not hide a true one",
     {{L"OSAllowed", L"Windows7"}, {L"Windows7Exclude", L"SKU2&&SKU3||SKU5;SKU48"}},
     kWin7x86Pro,
     302},

    // Capitals containing AND, OR, ANDNOT are operators.
    {"Standard",
     {{L"OSAllowed", L"Windows2008R264"}, {L"Windows2008R264Exclude", L"Standard"}},
     kServer2008R2Standard,
     302},
    {"standard",
     {{L"OSAllowed", L"Windows2008R264"}, {L"Windows2008R264Exclude", L"standard"}},
     kServer2008R2Standard,
     302},
    {"STANDARD",
     {{L"OSAllowed", L"Windows2008R264"}, {L"Windows2008R264Exclude", L"STANDARD"}},
     kServer2008R2Standard,
     300},
    {"STORAGE STANDARD SERVER",
     {{L"OSAllowed", L"Windows2008R264"}, {L"Windows2008R264Exclude", L"STORAGE STANDARD SERVER"}},
     kServer2008R2Storage,
     300},
    {"Storage Standard Server",
     {{L"OSAllowed", L"Windows2008R264"}, {L"Windows2008R264Exclude", L"Storage Standard Server"}},
     kServer2008R2Storage,
     302},

    // Exclusion wins over warning; missing or empty OSAllowed refuses everything.
    {"exclude and warning",
     {{L"OSAllowed", L"Windows7"}, {L"Windows7Exclude", L"SKU48"}, {L"Windows7Warning", L";"}},
     kWin7x86Pro,
     302},
    {"warning only",
     {{L"OSAllowed", L"Windows7"}, {L"Windows7Exclude", L"SKU3"}, {L"Windows7Warning", L"SKU48"}},
     kWin7x86Pro,
     301},
    {"empty OSAllowed", {{L"OSAllowed", L""}}, kWin7x86Pro, 302, L"No OSes are supported"},
    {"no OSAllowed", {{L"Windows7Exclude", L"SKU3"}}, kWin7x86Pro, 302, L"No OSes are supported"},
    {"only separators", {{L"OSAllowed", L" ; ;"}}, kWin7x86Pro, 302, L"Show Error for OS"},
    {"empty alternatives ignored", {{L"OSAllowed", L"Windows7"}, {L"Windows7Exclude", L" ; ;"}}, kWin7x86Pro, 300},
};

} // namespace

TEST(OSRules, SectionTable)
{
    for (const auto& c : kRuleCases) {
        SCOPED_TRACE(c.label);
        const OSSectionMap section = Section(c.section);
        OSIdentity id = Identified(c.system);
        LogRecorder log;
        OSRuleEvaluator evaluator(section, id, log.Sink());
        EXPECT_EQ(evaluator.EvaluateOSRules(), c.verdict);
        if (c.logged != nullptr) {
            EXPECT_TRUE(log.Has(c.logged)) << "missing log line";
        }
    }
}

namespace {

// Today's systems, all 10.0. GetNativeSystemInfo tells an emulated x64 program it runs on x64; the
// machine's own architecture comes from IsWow64Process2.
const OSFacts kTodaysSystems[] = {
    WithBuild(Nt(10, 0, 1, kArchX64, 48), 19045),                                  // Windows 10 22H2
    WithBuild(Nt(10, 0, 1, kArchX64, 48), 22631),                                  // Windows 11 23H2
    WithBuild(Nt(10, 0, 3, kArchX64, 7), 14393),                                   // Server 2016
    WithBuild(Nt(10, 0, 3, kArchX64, 7), 17763),                                   // Server 2019
    WithBuild(Nt(10, 0, 2, kArchX64, 8), 20348),                                   // Server 2022, DC
    WithBuild(Nt(10, 0, 3, kArchX64, 7), 26100),                                   // Server 2025
    OnMachine(WithBuild(Nt(10, 0, 1, kArchX64, 48), 22631), kArchArm64, kArchX64), // x64 on ARM64
    OnMachine(WithBuild(Nt(10, 0, 1, kArchX64, 48), 19045), kArchX64, kArchX86),   // x86 on x64
    WithBuild(Nt(10, 0, 1, kArchArm64, 48), 22631),                                // native ARM64
};

struct TodayCase {
    Lines section;
    // One verdict per system above: S 300, W 301, X 302.
    const char* verdicts;
};

const TodayCase kTodayCases[] = {
    // The tokens every older package holds judge these systems as they always did: one name for
    // every 10.0 workstation and one for every 10.0 server.
    {{{L"OSAllowed", L"Windows10"}}, "XXXXXXXXS"},
    {{{L"OSAllowed", L"Windows1064"}}, "SSXXXXSSX"},
    {{{L"OSAllowed", L"Windows2016"}}, "XXSSSSXXX"},
    {{{L"OSAllowed", L"Windows100"}}, "XXXXXXXXS"},
    {{{L"OSAllowed", L"Windows10064"}}, "SSSSSSSSX"},
    {{{L"OSAllowed", L"Windows10+"}}, "SSSSSSSSS"},
    {{{L"OSAllowed", L"Windows2016+"}}, "SSSSSSSSS"},
    {{{L"OSAllowed", L"Windows1064+"}}, "SSSSSSSSX"},
    {{{L"OSAllowed", L"Windows61+"}, {L"Windows61+Exclude", L"prod3"}}, "SSXXSXSSS"},
    {{{L"OSAllowed", L"Windows10;Windows1064"}, {L"Windows1064Warning", L"SKU48"}}, "WWXXXXWWS"},

    // The newer entries, alone and with "+": kind and build decide, the bits do not.
    {{{L"OSAllowed", L"Windows11"}}, "XSXXXXSXS"},
    {{{L"OSAllowed", L"windows11+"}}, "XSXXXXSXS"},
    {{{L"OSAllowed", L"Windows2019"}}, "XXXSXXXXX"},
    {{{L"OSAllowed", L"Windows2019+"}}, "XXXSSSXXX"},
    {{{L"OSAllowed", L"Windows2022"}}, "XXXXSXXXX"},
    {{{L"OSAllowed", L"Windows2022+"}}, "XXXXSSXXX"},
    {{{L"OSAllowed", L"Windows2025"}}, "XXXXXSXXX"},
    {{{L"OSAllowed", L"WINDOWS2025+"}}, "XXXXXSXXX"},
    {{{L"OSAllowed", L"Windows11+;Windows2022+"}}, "XSXXSSSXS"},
    // Their rules, under their own keys.
    {{{L"OSAllowed", L"Windows2019+"}, {L"Windows2019+Exclude", L"prod2"}}, "XXXSXSXXX"},
    {{{L"OSAllowed", L"Windows1064;Windows11"}, {L"Windows11Exclude", L";"}}, "SXXXXXXSX"},
    {{{L"OSAllowed", L"Windows11"}, {L"Windows11Warning", L"Professional"}}, "XWXXXXWXW"},

    // The machine's own architecture, also under emulation.
    {{{L"OSAllowed", L"Windows10+"}, {L"ARM64Exclude", L";"}}, "SSSSSSXSX"},
    {{{L"OSAllowed", L"Windows10+"}, {L"ARM64Warning", L";"}}, "SSSSSSWSW"},
    {{{L"OSAllowed", L"Windows10+"}, {L"ARM64Exclude", L";"}, {L"ARM64Warning", L";"}}, "SSSSSSXSX"},
    {{{L"OSAllowed", L"Windows11"}, {L"ARM64Exclude", L"prod3"}}, "XSXXXXSXS"},
    {{{L"OSAllowed", L"Windows1064"}, {L"Windows1064Warning", L"SKU48"}, {L"ARM64Exclude", L";"}}, "WWXXXXXWX"},
    // Not listed stays refused whatever the machine.
    {{{L"OSAllowed", L"Windows2016"}, {L"ARM64Warning", L";"}}, "XXSSSSXXX"},
};

int VerdictOf(char code)
{
    return code == 'S' ? kOSSupported : code == 'W' ? kOSWarning : kOSNotSupported;
}

} // namespace

TEST(OSRules, TodaysSystems)
{
    for (const auto& c : kTodayCases) {
        const OSSectionMap section = Section(c.section);
        ASSERT_EQ(std::strlen(c.verdicts), std::size(kTodaysSystems));
        for (size_t i = 0; i < std::size(kTodaysSystems); ++i) {
            SCOPED_TRACE(WideToUtf8(c.section[0].second) + " / system " + std::to_string(i));
            OSIdentity id = Identified(kTodaysSystems[i]);
            OSRuleEvaluator evaluator(section, id, nullptr);
            EXPECT_EQ(evaluator.EvaluateOSRules(), VerdictOf(c.verdicts[i]));
        }
    }
}

TEST(OSRules, NoServicePackReadsZeroAfterwards)
{
    // "0" sets an empty service-pack number to "0"; the message then says "without any service pack".
    const OSSectionMap section = Section({{L"OSAllowed", L"WindowsXP"}, {L"WindowsXPExclude", L"0&&Home"}});
    OSIdentity id = Identified(kXpHome);
    ASSERT_EQ(id.servicePackNumber, L"");
    OSRuleEvaluator evaluator(section, id, nullptr);
    EXPECT_EQ(evaluator.EvaluateOSRules(), 302);
    EXPECT_EQ(id.servicePackNumber, L"0");
    EXPECT_EQ(ServicePackForMessage(id.servicePackNumber, L"without any service pack"), L"without any service pack");

    OSIdentity sp2 = Identified(kXpHomeSp2);
    OSRuleEvaluator other(section, sp2, nullptr);
    EXPECT_EQ(other.EvaluateOSRules(), 300);
    EXPECT_EQ(sp2.servicePackNumber, L"2");
}

TEST(OSRules, LogLinesOfAnExclusion)
{
    const OSSectionMap section = Section({{L"OSAllowed", L"Windows7"}, {L"Windows7Exclude", L"SKU2;&&!SKU48"}});
    OSIdentity id = Identified(kWin7x86HomePremium);
    LogRecorder log;
    OSRuleEvaluator evaluator(section, id, log.Sink());
    EXPECT_EQ(evaluator.EvaluateOSRules(), 302);
    ASSERT_EQ(log.lines.size(), 3u);
    EXPECT_EQ(log.lines[0].function, L"EvaluateOSRules");
    EXPECT_EQ(log.lines[0].message, L"Supported OSes : Windows7");
    EXPECT_EQ(log.lines[1].function, L"CheckOSVariant");
    EXPECT_EQ(log.lines[1].message, L"windows7exclude  : SKU2;&&!SKU48");
    EXPECT_EQ(log.lines[2].message, L"Show Error for OS");
    for (const auto& line : log.lines) {
        EXPECT_EQ(line.kind, 8);
    }
}

TEST(OSRules, CheckOSVariantAndIsOSInList)
{
    const OSSectionMap section = Section({{L"OSAllowed", L"Windows7"}, {L"windows7exclude", L"SKU48"}});
    OSIdentity win7 = Identified(kWin7x86Pro);
    OSRuleEvaluator evaluator(section, win7, nullptr);
    EXPECT_EQ(evaluator.CheckOSVariant(L"windows7exclude"), 0);
    EXPECT_EQ(evaluator.CheckOSVariant(L"windows7warning"), 1); // no such key
    EXPECT_EQ(evaluator.CheckOSVariantsForExclusion(), 302);
    EXPECT_EQ(evaluator.CheckOSVariantsForWarning(), 300);

    EXPECT_TRUE(evaluator.IsOSInList(L" WindowsXP ; windows7 ;", L"Windows7"));
    EXPECT_FALSE(evaluator.IsOSInList(L"WindowsXP;Windows71", L"Windows7"));
    EXPECT_FALSE(evaluator.IsOSInList(L"", L""));
    EXPECT_TRUE(evaluator.IsOSInList(L"Windows61+", L"anything")); // a "+" entry is about the version

    const OSSectionMap noList = Section({{L"windows7exclude", L"SKU48"}});
    OSRuleEvaluator unlisted(noList, win7, nullptr);
    EXPECT_EQ(unlisted.CheckOSVariantsForExclusion(), -1);
    EXPECT_EQ(unlisted.CheckOSVariantsForWarning(), -1);

    // "+" entries: major/minor taken from their digits; a "1" first means a two-digit major.
    struct Plus {
        const wchar_t* entry;
        const OSFacts* system;
        bool matches;
    };
    const Plus pluses[] = {
        {L"Windows51+", &kXpPro, true},
        {L"Windows52+", &kXpPro, false},
        {L"WindowsXP+", &kVistaX86, true},
        {L"Windows60+", &kVistaX86, true},
        {L"Windows61+", &kVistaX86, false},
        {L"Windows100+", &kWin10x86Pro, true},
        {L"Windows101+", &kWin10x86Pro, false},
        {L"Windows2016+", &kWin10x64Pro, true},
        {L"Windows1064+", &kWin10x86Pro, false},
        {L"Windows1064+", &kWin10x64Pro, true},
        {L"WindowsXP64+", &kWin7x64Pro, true},
        {L"WindowsXP64+", &kWin7x86Pro, false},
        {L"windows+", &kXpPro, true}, // no digits at all: 0.0
    };
    for (const auto& p : pluses) {
        OSIdentity id = Identified(*p.system);
        OSRuleEvaluator e(section, id, nullptr);
        EXPECT_EQ(e.PlusEntryMatches(p.entry), p.matches) << std::string(p.entry, p.entry + wcslen(p.entry));
    }
}

TEST(OSRules, VariantParts)
{
    struct PartsCase {
        const wchar_t* alternative;
        const wchar_t* shape; // atoms as [x], operators as written
    };
    const PartsCase cases[] = {
        {L"SKU2", L"[SKU2]"},
        {L" Home Premium ", L"[Home Premium]"},
        {L"prod1&&!SP3", L"[prod1]&&![SP3]"},
        {L"&&!SKU48", L"&&![SKU48]"},
        {L"A||&&!B", L"[A]||&&![B]"},
        {L"A && ! B", L"[A]&&![B]"},
        {L"A|| B ||C", L"[A]||[B]||[C]"},
        {L"0&&Home,SP1", L"[0]&&[Home,SP1]"},
        {L"STANDARD", L"&&"},
        {L"Standard", L"[Standard]"},
        {L"HANDNOTE", L"&&!"},
        {L"WORKSTATION", L"||"},
        {L"Home AND Pro", L"&&"},
        {L"", L""},
    };
    for (const auto& c : cases) {
        std::wstring shape;
        for (const auto& part : SplitVariantParts(c.alternative)) {
            shape += part.isOperator ? part.text : L"[" + part.text + L"]";
        }
        EXPECT_EQ(shape, c.shape) << std::string(c.alternative, c.alternative + wcslen(c.alternative));
    }
}

TEST(OSRules, TwoAtomReduction)
{
    // Leading operators, or-not, and what is left unreduced (false).
    const std::pair<const wchar_t*, bool> cases[] = {
        {L"T", true},        {L"&&!T", false},   {L"&&!F", true},     {L"&&T", true},     {L"||F", false},
        {L"T&&!F", true},    {L"T&&!T", false},  {L"F||T", true},     {L"F&&T", false},   {L"T||&&!T", true},
        {L"F||&&!T", false}, {L"F||&&!F", true}, {L"&&!T||F", false}, {L"&&!F&&T", true}, {L"T&&", false},
        {L"", false},        {L"T&T", false},
    };
    for (const auto& [rewritten, expected] : cases) {
        EXPECT_EQ(ReduceTwoAtomVariant(rewritten), expected) << std::string(rewritten, rewritten + wcslen(rewritten));
    }
}

TEST(OSMessages, Composition)
{
    EXPECT_EQ(OSNameForMessage(L"Windows764"), L"Windows7 64 Bit");
    EXPECT_EQ(OSNameForMessage(L"Windows1064"), L"Windows10 64 Bit");
    EXPECT_EQ(OSNameForMessage(L"Windows2008R264"), L"Windows2008R2 64 Bit");
    EXPECT_EQ(OSNameForMessage(L"Windows2016"), L"Windows2016");
    EXPECT_EQ(OSNameForMessage(L"Windows64x"), L"Windows64x"); // "64" not at the end: unchanged
    EXPECT_EQ(OSNameForMessage(L"64"), L" 64 Bit");
    EXPECT_EQ(OSNameForMessage(L""), L"");

    EXPECT_EQ(ServicePackForMessage(L"", L"without"), L"");
    EXPECT_EQ(ServicePackForMessage(L"0", L"without"), L"without");
    EXPECT_EQ(ServicePackForMessage(L"3", L"without"), L"SP3");

    EXPECT_EQ(ComposeOSMessage(L"[OSNAME] [OSEDITION] [OSSERVICEPACK] is not supported.[NEWLINE][TAB]Supported: "
                               L"[MsgSupportedOS]",
                               L"Windows7 64 Bit", L"Home Premium", L"SP1", L"Windows 10[NEWLINE]Windows 8"),
              L"Windows7 64 Bit Home Premium SP1 is not supported.\n\tSupported: Windows 10\nWindows 8");
    EXPECT_EQ(ComposeOSMessage(L"[OSNAME]/[OSNAME]", L"A", L"", L"", L""), L"A/A");
    EXPECT_EQ(ComposeOSMessage(L"", L"A", L"B", L"C", L"D"), L"");
    EXPECT_EQ(ComposeOSMessage(L"[osname]", L"A", L"", L"", L""), L"[osname]"); // placeholders are exact
}
