// Facts -> tokens: every row of the NT and legacy tables on every kind of architecture, the SKU
// table with its systemIndex limit, the service pack, and the log lines of identification.
#include <gtest/gtest.h>

#include <cstring>
#include <cwchar>

#include "OsTestSystems.h"
#include "util/StringUtil.h"
#include "util/WideFormat.h"
#include "validation/OSIdentification.h"

using namespace ostest;

namespace {

struct NtCase {
    const char* label;
    uint32_t major;
    uint32_t minor;
    uint8_t productType;
    uint16_t suite;
    int serverR2;
    const wchar_t* familyName;
    const wchar_t* familyVersion;
    const wchar_t* x86Name; // architecture 0
    const wchar_t* x86Version;
    const wchar_t* name64; // architectures 9 and 6
    const wchar_t* version64;
    uint32_t is64;
    const wchar_t* otherName; // architecture 5 (ARM): neither x86 nor 64-bit
    const wchar_t* otherVersion;
    const wchar_t* edition;
    const wchar_t* editionDisplay;
};

// GetProductInfo answers 0 here (no SKU), so the rows' own editions show.
const NtCase kNtCases[] = {
    {"10.0 workstation", 10, 0, 1, 0, 0, L"Windows10", L"Windows100", L"Windows10", L"Windows100", L"Windows1064",
     L"Windows10064", 1, L"Windows10", L"Windows100", L"Standard", L"Standard"},
    {"10.0 server", 10, 0, 3, 0, 0, L"Windows2016", L"Windows100", L"Windows2016", L"Windows100", L"Windows2016",
     L"Windows10064", 1, L"", L"Windows100", L"Standard", L"Standard"},
    {"10.0 domain controller", 10, 0, 2, 0, 0, L"Windows2016", L"Windows100", L"Windows2016", L"Windows100",
     L"Windows2016", L"Windows10064", 1, L"", L"Windows100", L"Standard", L"Standard"},
    {"6.3 workstation", 6, 3, 1, 0, 0, L"Windows8.1", L"Windows63", L"Windows8.1", L"Windows63", L"Windows8.164",
     L"Windows6364", 1, L"Windows8.1", L"Windows63", L"Standard", L"Standard"},
    {"6.3 server", 6, 3, 3, 0, 0, L"Windows2012R2", L"Windows63", L"Windows2012R2", L"Windows63", L"Windows2012R264",
     L"Windows6364", 1, L"", L"Windows63", L"Standard", L"Standard"},
    {"6.2 workstation", 6, 2, 1, 0, 0, L"Windows8", L"Windows62", L"Windows8", L"Windows62", L"Windows864",
     L"Windows6264", 1, L"Windows8", L"Windows62", L"", L""},
    {"6.2 server", 6, 2, 3, 0, 0, L"Windows2012", L"Windows62", L"Windows2012", L"Windows62", L"Windows201264",
     L"Windows6264", 1, L"", L"Windows62", L"Standard", L"Standard"},
    {"6.1 workstation", 6, 1, 1, 0, 0, L"Windows7", L"Windows61", L"Windows7", L"Windows61", L"Windows764",
     L"Windows6164", 1, L"Windows7", L"Windows61", L"Standard", L"Standard"},
    {"6.1 server", 6, 1, 3, 0, 0, L"Windows2008R2", L"Windows61", L"Windows2008R2", L"Windows61", L"Windows2008R264",
     L"Windows6164", 1, L"", L"Windows61", L"Standard", L"Standard"},
    {"6.0 workstation", 6, 0, 1, 0, 0, L"WindowsVista", L"Windows60", L"WindowsVista", L"Windows60", L"WindowsVista64",
     L"Windows6064", 1, L"", L"Windows60", L"Basic", L"Unknown Product"},
    {"6.0 server", 6, 0, 3, 0, 0, L"Windows2008", L"Windows60", L"Windows2008", L"Windows60", L"Windows200864",
     L"Windows6064", 1, L"", L"Windows60", L"Standard", L"Standard"},
    {"5.2 R2 server", 5, 2, 3, 0, 1, L"Windows2003R2", L"Windows52", L"Windows2003R2", L"Windows52", L"Windows2003R264",
     L"Windows5264", 1, L"", L"Windows52", L"Standard", L"Standard"},
    {"5.2 R2 enterprise", 5, 2, 3, kSuiteEnterprise, 1, L"Windows2003R2", L"Windows52", L"Windows2003R2", L"Windows52",
     L"Windows2003R264", L"Windows5264", 1, L"", L"Windows52", L"Enterprise", L"Enterprise"},
    // Storage and home servers get family tokens only; the version token is the generic one.
    {"5.2 storage server", 5, 2, 3, kSuiteStorageServer, 0, L"Windows2003R2", L"Windows52", L"", L"Windows52", L"",
     L"Windows5264", 0, L"", L"Windows52", L"Standard", L"Standard"},
    {"5.2 home server", 5, 2, 3, kSuiteWhServer, 0, L"Windows2003R2", L"Windows52", L"", L"Windows52", L"",
     L"Windows5264", 0, L"", L"Windows52", L"Standard", L"Standard"},
    {"5.2 workstation", 5, 2, 1, 0, 0, L"WindowsXP", L"Windows52", L"WindowsXP", L"Windows52", L"WindowsXP64",
     L"Windows5264", 1, L"", L"Windows52", L"Basic", L"Basic"},
    {"5.2 datacenter", 5, 2, 3, kSuiteDatacenter | kSuiteEnterprise, 0, L"Windows2003", L"Windows52", L"Windows2003",
     L"Windows52", L"Windows200364", L"Windows5264", 1, L"", L"Windows52", L"Datacenter", L"Datacenter"},
    {"5.2 enterprise", 5, 2, 3, kSuiteEnterprise | kSuiteBlade, 0, L"Windows2003", L"Windows52", L"Windows2003",
     L"Windows52", L"Windows200364", L"Windows5264", 1, L"", L"Windows52", L"Enterprise", L"Enterprise"},
    {"5.2 web edition", 5, 2, 2, kSuiteBlade, 0, L"Windows2003", L"Windows52", L"Windows2003", L"Windows52",
     L"Windows200364", L"Windows5264", 1, L"", L"Windows52", L"WebEdition", L"WebEdition"},
    // Not exactly 0x2000: the storage row does not match, the plain server row does.
    {"5.2 storage plus enterprise", 5, 2, 3, kSuiteStorageServer | kSuiteEnterprise, 0, L"Windows2003", L"Windows52",
     L"Windows2003", L"Windows52", L"Windows200364", L"Windows5264", 1, L"", L"Windows52", L"Enterprise",
     L"Enterprise"},
    {"5.1 professional", 5, 1, 1, 0, 0, L"WindowsXP", L"Windows51", L"WindowsXP", L"Windows51", L"WindowsXP64",
     L"Windows5164", 1, L"WindowsXP", L"Windows51", L"Professional", L"Professional"},
    {"5.1 home", 5, 1, 1, kSuitePersonal, 0, L"WindowsXP", L"Windows51", L"WindowsXP", L"Windows51", L"WindowsXP64",
     L"Windows5164", 1, L"WindowsXP", L"Windows51", L"Home", L"Home"},
    {"5.0 professional", 5, 0, 1, 0, 0, L"Windows2000", L"Windows50", L"Windows2000", L"Windows50", L"Windows2000",
     L"Windows50", 0, L"Windows2000", L"Windows50", L"Professional", L"Professional"},
    {"5.0 datacenter", 5, 0, 3, kSuiteDatacenter | kSuiteEnterprise, 0, L"Windows2000", L"Windows50", L"Windows2000",
     L"Windows50", L"Windows2000", L"Windows50", 0, L"Windows2000", L"Windows50", L"DataCenter", L"DataCenter"},
    {"5.0 advanced server", 5, 0, 3, kSuiteEnterprise, 0, L"Windows2000", L"Windows50", L"Windows2000", L"Windows50",
     L"Windows2000", L"Windows50", 0, L"Windows2000", L"Windows50", L"Enterprise", L"Enterprise"},
    {"5.0 server", 5, 0, 2, 0, 0, L"Windows2000", L"Windows50", L"Windows2000", L"Windows50", L"Windows2000",
     L"Windows50", 0, L"Windows2000", L"Windows50", L"Server", L"Server"},
    // No row: generic version tokens, no name.
    {"6.4 unknown", 6, 4, 1, 0, 0, L"", L"Windows64", L"", L"Windows64", L"", L"Windows6464", 0, L"", L"Windows64",
     L"Basic", L"Unknown Product"},
    {"10.1 unknown server", 10, 1, 3, 0, 0, L"", L"Windows101", L"", L"Windows101", L"", L"Windows10164", 0, L"",
     L"Windows101", L"Basic", L"Unknown Product"},
};

struct ArchCase {
    uint16_t architecture;
    const char* label;
};
const ArchCase kArchitectures[] = {{kArchX86, "x86"}, {kArchX64, "x64"}, {kArchIa64, "ia64"}, {kArchArm, "arm"}};

} // namespace

TEST(OSIdentification, NtTableOnEveryArchitecture)
{
    for (const auto& c : kNtCases) {
        for (const auto& arch : kArchitectures) {
            SCOPED_TRACE(std::string(c.label) + " / " + arch.label);
            OSFacts facts = WithSuite(Nt(c.major, c.minor, c.productType, arch.architecture), c.suite);
            facts.serverR2 = c.serverR2;
            OSIdentity id;
            ASSERT_EQ(IdentifyFromFacts(facts, id, false, nullptr), OSIdentifyStage::ReadyForRules);

            const bool is64 = arch.architecture == kArchX64 || arch.architecture == kArchIa64;
            const bool isX86 = arch.architecture == kArchX86;
            const std::wstring name = isX86 ? c.x86Name : is64 ? c.name64 : c.otherName;
            const std::wstring version = isX86 ? c.x86Version : is64 ? c.version64 : c.otherVersion;
            EXPECT_EQ(id.displayName, name);
            EXPECT_EQ(id.nameToken, ToLowerW(name));
            EXPECT_EQ(id.versionToken, ToLowerW(version));
            EXPECT_EQ(id.familyNameToken, c.familyName);
            EXPECT_EQ(id.familyVersionToken, c.familyVersion);
            EXPECT_EQ(id.is64, is64 ? c.is64 : 0u);
            EXPECT_EQ(id.editionToken, c.edition);
            EXPECT_EQ(id.editionDisplayName, c.editionDisplay);
            EXPECT_EQ(id.major, c.major);
            EXPECT_EQ(id.minor, c.minor);
        }
    }
}

TEST(OSIdentification, LegacyTable)
{
    struct LegacyCase {
        uint32_t platform;
        uint32_t major;
        uint32_t minor;
        const wchar_t* name;
        const wchar_t* version;
        const wchar_t* edition;
    };
    const LegacyCase cases[] = {
        {kPlatformWin32Windows, 4, 0, L"WindowsNT", L"Windows40", L"Basic"},
        {kPlatformNT, 4, 0, L"WindowsNT", L"Windows40", L"Basic"},
        {kPlatformWin32Windows, 4, 10, L"Windows95", L"Windows410", L"Basic"},
        {kPlatformWin32Windows, 4, 90, L"Windows98", L"Windows490", L"Basic"},
        // Not in the table: generic version token, no name, edition stays as set before the tables.
        {kPlatformNT, 3, 51, L"", L"Windows351", L"Basic"},
        {kPlatformWin32Windows, 5, 0, L"", L"Windows50", L"Basic"},
    };
    for (const auto& c : cases) {
        for (const auto& arch : kArchitectures) {
            SCOPED_TRACE(FormatW(L"%u: %u.%u", c.platform, c.major, c.minor) + L" " +
                         std::wstring(arch.label, arch.label + std::strlen(arch.label)));
            OSFacts facts = Nt(c.major, c.minor, 1, arch.architecture);
            facts.platformId = c.platform;
            OSIdentity id;
            ASSERT_EQ(IdentifyFromFacts(facts, id, false, nullptr), OSIdentifyStage::ReadyForRules);
            const bool named = c.name[0] != L'\0';
            const bool is64 = arch.architecture == kArchX64 || arch.architecture == kArchIa64;
            EXPECT_EQ(id.displayName, c.name);
            EXPECT_EQ(id.versionToken, ToLowerW(c.version) + (!named && is64 ? L"64" : L""));
            EXPECT_EQ(id.familyNameToken, c.name);
            EXPECT_EQ(id.familyVersionToken, c.version);
            EXPECT_EQ(id.editionToken, c.edition);
            EXPECT_EQ(id.editionDisplayName, named ? L"Basic" : L"Unknown Product");
            EXPECT_EQ(id.is64, 0u);
        }
    }
}

TEST(OSIdentification, SkuTableAndSystemIndexLimit)
{
    struct Sku {
        uint32_t type;
        const wchar_t* display;
    };
    const Sku skus[] = {
        {1, L"Ultimate"},
        {2, L"Home Basic"},
        {3, L"Home Premium"},
        {4, L"Enterprise"},
        {5, L"Home Basic(N)"},
        {6, L"Business"},
        {7, L"Standard Server"},
        {8, L"DataCenter Server"},
        {9, L"Small Business Server"},
        {10, L"Enterprise Server"},
        {11, L"Starter"},
        {12, L"DataCenter Server Core"},
        {13, L"Standard Server Core"},
        {14, L"Enterprise Server Core"},
        {15, L"Enterprise Server IA64"},
        {16, L"Business(N)"},
        {17, L"Web Server"},
        {18, L"Cluster Server"},
        {19, L"Home Server"},
        {20, L"Storage Express Server"},
        {21, L"Storage Standard Server"},
        {22, L"Storage Workgroup Server"},
        {23, L"Storage Enterprise Server"},
        {24, L"Server for SmallBusiness"},
        {25, L"Small Business Server Premium"},
        {28, L"Ultimate(N)"},
        {47, L"Starter(N)"},
        {48, L"Professional"},
        {49, L"Professional(N)"},
        {66, L"Starter(E)"},
        {67, L"Home Basic(E)"},
        {68, L"Home Premium(E)"},
        {69, L"Professional(E)"},
        {70, L"Enterprise(E)"},
        {71, L"Ultimate(E)"},
    };
    for (const auto& sku : skus) {
        for (int systemIndex = 0; systemIndex <= 6; ++systemIndex) {
            SCOPED_TRACE(FormatW(L"type %u, systemIndex %d", sku.type, systemIndex));
            OSIdentity id;
            id.editionToken = L"before";
            id.editionDisplayName = L"before too";
            const bool applies = sku.type <= 25 || (systemIndex >= 2 && systemIndex <= 5);
            EXPECT_EQ(SkuFromProductType(sku.type, systemIndex, id), applies);
            EXPECT_EQ(id.editionToken, applies ? FormatW(L"SKU%u", sku.type) : L"before");
            EXPECT_EQ(id.editionDisplayName, applies ? sku.display : L"before too");
        }
    }
    // Types the table lacks change nothing on any system.
    for (uint32_t type : {0u, 26u, 27u, 29u, 46u, 50u, 65u, 72u, 101u, 0xABCDu}) {
        OSIdentity id;
        id.editionToken = L"Standard";
        id.editionDisplayName = L"Standard";
        EXPECT_FALSE(SkuFromProductType(type, 5, id)) << type;
        EXPECT_EQ(id.editionToken, L"Standard");
        EXPECT_EQ(id.editionDisplayName, L"Standard");
    }
}

TEST(OSIdentification, ProductInfoPerVersionRow)
{
    // Vista and Server 2008 (systemIndex 1) do not know the types from 28 on.
    OSIdentity vista = Identified(Nt(6, 0, 1, kArchX64, 48));
    EXPECT_EQ(vista.editionToken, L"Basic");
    EXPECT_EQ(vista.editionDisplayName, L"Unknown Product");
    OSIdentity vistaUltimate = Identified(Nt(6, 0, 1, kArchX86, 1));
    EXPECT_EQ(vistaUltimate.editionToken, L"SKU1");
    EXPECT_EQ(vistaUltimate.editionDisplayName, L"Ultimate");
    OSIdentity server2008 = Identified(Nt(6, 0, 3, kArchX64, 28));
    EXPECT_EQ(server2008.editionToken, L"Standard");

    for (uint32_t minor : {1u, 2u, 3u}) {
        OSIdentity id = Identified(Nt(6, minor, 1, kArchX64, 48));
        EXPECT_EQ(id.editionToken, L"SKU48") << minor;
        EXPECT_EQ(id.editionDisplayName, L"Professional") << minor;
    }
    OSIdentity win10 = Identified(Nt(10, 0, 1, kArchX64, 71));
    EXPECT_EQ(win10.editionToken, L"SKU71");
    EXPECT_EQ(win10.editionDisplayName, L"Ultimate(E)");

    // XP and 2003 never ask GetProductInfo: a type there is ignored.
    OSIdentity xp = Identified(Nt(5, 1, 1, kArchX86, 48));
    EXPECT_EQ(xp.editionToken, L"Professional");
}

TEST(OSIdentification, ServicePack)
{
    struct SpCase {
        const wchar_t* text;
        uint16_t major;
        const wchar_t* number;
        const wchar_t* storedText;
    };
    const SpCase cases[] = {
        {L"Service Pack 3", 3, L"3", L"Service Pack 3"},
        {L"Service Pack 3", 0, L"3", L"Service Pack 3"}, // the string alone gives the number
        {L"Service Pack 1, v.721", 1, L"1", L"Service Pack 1, v.721"},
        {L"Service Pack 1, v.721", 0, L"1, v.721", L"Service Pack 1, v.721"},
        {L"Service Pack 6a", 6, L"6", L"Service Pack 6a"},
        {L"", 2, L"2", L""}, // major number without a string
        {L"", 0, L"", L""},
        {L"Beta 2", 0, L"Beta 2", L"Beta 2"}, // 'B' is not a character of "Service Pack "
        {L"Service Pack ", 0, L"", L"Service Pack "},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(FormatW(L"'%ls' major %u", c.text, c.major));
        OSIdentity id = Identified(Nt(5, 1, 1, kArchX86, 0, c.text, c.major));
        EXPECT_EQ(id.servicePackNumber, c.number);
        EXPECT_EQ(id.servicePackText, c.storedText);
    }
}

TEST(OSIdentification, ExamplesOfWholeSystems)
{
    // Windows 7 Professional 64-bit SP1.
    LogRecorder log;
    OSIdentity win7;
    ASSERT_EQ(IdentifyFromFacts(Nt(6, 1, 1, kArchX64, 48, L"Service Pack 1", 1), win7, false, log.Sink()),
              OSIdentifyStage::ReadyForRules);
    EXPECT_EQ(win7.nameToken, L"windows764");
    EXPECT_EQ(win7.versionToken, L"windows6164");
    EXPECT_EQ(win7.familyNameToken, L"Windows7");
    EXPECT_EQ(win7.familyVersionToken, L"Windows61");
    EXPECT_EQ(win7.editionToken, L"SKU48");
    EXPECT_EQ(win7.editionDisplayName, L"Professional");
    EXPECT_EQ(win7.servicePackNumber, L"1");
    EXPECT_EQ(win7.is64, 1u);
    EXPECT_EQ(win7.displayName, L"Windows764");
    EXPECT_EQ(win7.productTypeToken, L"prod1");
    ASSERT_EQ(log.lines.size(), 3u);
    EXPECT_EQ(log.lines[0].message, L"Operating System : Windows764");
    EXPECT_EQ(log.lines[0].function, L"OSVersion");
    EXPECT_EQ(log.lines[0].kind, 8);
    EXPECT_EQ(log.lines[1].message, L"Operating System Edition : Professional");
    EXPECT_EQ(log.lines[2].message, L"Operating System ServicePack : Service Pack 1");

    // Windows XP Professional 32-bit SP3.
    OSIdentity xp = Identified(Nt(5, 1, 1, kArchX86, 0, L"Service Pack 3", 3));
    EXPECT_EQ(xp.nameToken, L"windowsxp");
    EXPECT_EQ(xp.versionToken, L"windows51");
    EXPECT_EQ(xp.editionToken, L"Professional");
    EXPECT_EQ(xp.servicePackNumber, L"3");

    // Windows Server 2016 64-bit: no "64" on the name.
    OSIdentity server = Identified(Nt(10, 0, 3, kArchX64, 7));
    EXPECT_EQ(server.nameToken, L"windows2016");
    EXPECT_EQ(server.versionToken, L"windows10064");
    EXPECT_EQ(server.productTypeToken, L"prod3");
    EXPECT_EQ(server.editionToken, L"SKU7");

    // Windows 8 with a product type the table lacks: empty edition.
    OSIdentity win8 = Identified(Nt(6, 2, 1, kArchX64, 101));
    EXPECT_EQ(win8.editionToken, L"");
    EXPECT_EQ(win8.editionDisplayName, L"");

    // Windows 11 reports 10.0.
    OSFacts eleven = Nt(10, 0, 1, kArchX64, 48);
    eleven.build = 22631;
    EXPECT_EQ(Identified(eleven).nameToken, L"windows1064");

    // A 64-bit NT 6.4.
    OSIdentity six4 = Identified(Nt(6, 4, 1, kArchX64));
    EXPECT_EQ(six4.versionToken, L"windows6464");
    EXPECT_EQ(six4.familyVersionToken, L"Windows64");
    EXPECT_EQ(six4.nameToken, L"");
    EXPECT_EQ(six4.displayName, L"");

    // Domain controller product type.
    EXPECT_EQ(Identified(Nt(6, 1, 2, kArchX64)).productTypeToken, L"prod2");
}

TEST(OSIdentification, LogOnlyRunStopsAfterTheVersionLines)
{
    LogRecorder log;
    OSIdentity id;
    OSFacts facts = Nt(6, 1, 1, kArchX64, 48, L"Service Pack 1", 1);
    ASSERT_EQ(IdentifyFromFacts(facts, id, true, log.Sink()), OSIdentifyStage::LogOnlyDone);
    ASSERT_EQ(log.lines.size(), 7u);
    EXPECT_EQ(log.lines[0].message, L"OS Version : 6.1.7601.2");
    EXPECT_EQ(log.lines[0].function, L"OSVersion");
    EXPECT_EQ(log.lines[1].message, L"Major Version : 6");
    EXPECT_EQ(log.lines[2].message, L"Minor Version : 1");
    EXPECT_EQ(log.lines[3].message, L"Product Type : 1");
    // No display version in the registry: no line for it.
    EXPECT_EQ(log.lines[4].message, L"Build Number : 7601");
    EXPECT_EQ(log.lines[5].message, L"Machine Architecture : x64");
    EXPECT_EQ(log.lines[6].message, L"Process Architecture : x64");
    // Tokens are known but not yet lower-cased; display name and service pack wait for the full run.
    EXPECT_EQ(id.nameToken, L"Windows764");
    EXPECT_EQ(id.displayName, L"");
    EXPECT_EQ(id.servicePackNumber, L"");

    // The full run that follows in the same process gives what a single full run gives.
    ASSERT_EQ(IdentifyFromFacts(facts, id, false, nullptr), OSIdentifyStage::ReadyForRules);
    const OSIdentity fresh = Identified(facts);
    EXPECT_EQ(id.nameToken, fresh.nameToken);
    EXPECT_EQ(id.versionToken, fresh.versionToken);
    EXPECT_EQ(id.displayName, fresh.displayName);
    EXPECT_EQ(id.editionToken, fresh.editionToken);
    EXPECT_EQ(id.servicePackNumber, fresh.servicePackNumber);
}

TEST(OSIdentification, NewerSystemsAndTheMachine)
{
    // The release follows kind and build up to the next release of its kind (the systems of the
    // rule tests sit on the first builds); later versions are covered by "+" of the same kind only.
    const std::pair<OSFacts, const wchar_t*> releases[] = {
        {WithBuild(Nt(10, 0, 1, kArchX64), 21999), L""},
        {WithBuild(Nt(10, 0, 3, kArchX64), 17762), L""},
        {WithBuild(Nt(10, 0, 2, kArchX64), 20347), L"windows2019"},
        {WithBuild(Nt(10, 1, 1, kArchX64), 22631), L""},
    };
    for (const auto& [facts, release] : releases) {
        EXPECT_EQ(Identified(facts).releaseToken, release) << facts.build;
    }
    ASSERT_NE(FindOSRelease(L"WINDOWS2019"), nullptr);
    EXPECT_EQ(FindOSRelease(L"Windows2016"), nullptr);
    EXPECT_TRUE(ReleaseCovers(*FindOSRelease(L"Windows2019"), 11, 0, 3, 100));
    EXPECT_FALSE(ReleaseCovers(*FindOSRelease(L"Windows2019"), 11, 0, 1, 100));

    // IsWow64Process2's machines, their names, and what counts as emulation.
    const std::pair<uint16_t, uint16_t> machines[] = {
        {0x014C, kArchX86}, {0x8664, kArchX64},  {0xAA64, kArchArm64},
        {0x01C4, kArchArm}, {0x0200, kArchIa64}, {0x0000, 0xFFFF},
    };
    for (const auto& [machine, architecture] : machines) {
        EXPECT_EQ(ArchitectureOfMachine(machine), architecture) << machine;
    }
    EXPECT_EQ(ArchitectureName(kArchArm64), L"arm64");
    EXPECT_EQ(ArchitectureName(0xFFFF), L"architecture 65535");
    EXPECT_TRUE(IsEmulated(kArchX64, kArchArm64));
    EXPECT_TRUE(IsEmulated(kArchX86, kArchArm64));
    EXPECT_TRUE(IsEmulated(kArchX86, kArchIa64));
    EXPECT_FALSE(IsEmulated(kArchX86, kArchX64));
    EXPECT_FALSE(IsEmulated(kArchArm, kArchArm64));
    EXPECT_FALSE(IsEmulated(kArchX64, 0xFFFF));

    // The system information lines of an emulated program.
    LogRecorder log;
    OSIdentity id;
    OSFacts facts = OnMachine(WithBuild(Nt(10, 0, 1, kArchX64, 48), 22631), kArchArm64, kArchX64);
    facts.displayVersion = L"23H2";
    ASSERT_EQ(IdentifyFromFacts(facts, id, true, log.Sink()), OSIdentifyStage::LogOnlyDone);
    EXPECT_TRUE(log.Has(L"Build Number : 22631"));
    EXPECT_TRUE(log.Has(L"Display Version : 23H2"));
    EXPECT_TRUE(log.Has(L"Machine Architecture : arm64"));
    EXPECT_TRUE(log.Has(L"Process Architecture : x64 (emulated)"));
}

TEST(OSIdentification, FailuresReturnEarly)
{
    LogRecorder log;
    OSIdentity id;
    id.nameToken = L"kept";
    OSFacts failed; // GetVersionExW failed
    EXPECT_EQ(IdentifyFromFacts(failed, id, false, log.Sink()), OSIdentifyStage::VersionQueryFailed);
    ASSERT_EQ(log.lines.size(), 1u);
    EXPECT_EQ(log.lines[0].kind, 0);
    EXPECT_EQ(log.lines[0].message, L"GetVersionEx() failed");
    EXPECT_EQ(id.editionToken, L"Unknown Product");
    EXPECT_EQ(id.editionDisplayName, L"Unknown Product");
    EXPECT_EQ(id.nameToken, L"kept");

    // A row with a systemIndex needs GetProductInfo.
    log.lines.clear();
    OSFacts noProductInfo = Nt(6, 1, 1, kArchX64);
    noProductInfo.productInfoAvailable = false;
    EXPECT_EQ(IdentifyFromFacts(noProductInfo, id, false, log.Sink()), OSIdentifyStage::ProductInfoMissing);
    ASSERT_EQ(log.lines.size(), 1u);
    EXPECT_EQ(log.lines[0].kind, 0);
    EXPECT_EQ(log.lines[0].function, L"GetProcAddress");
    EXPECT_EQ(log.lines[0].message, L"Failed to get the OS information");

    // XP has no such row: it identifies without GetProductInfo.
    OSFacts xp = Nt(5, 1, 1, kArchX86);
    xp.productInfoAvailable = false;
    EXPECT_EQ(IdentifyFromFacts(xp, id, false, nullptr), OSIdentifyStage::ReadyForRules);
    EXPECT_EQ(id.nameToken, L"windowsxp");
}

TEST(OSIdentification, VersionDigitsOf)
{
    // Compared without case; 64-bit names carry the "64"; the 8.x and 2012 names are unknown.
    const std::pair<const wchar_t*, const wchar_t*> cases[] = {
        {L"WINDOWS10", L"100"},
        {L"windows2016", L"100"},
        {L"Windows201664", L"10064"},
        {L"windows2008r2", L"61"},
        {L"Windows764", L"6164"},
        {L"windowsvista64", L"6064"},
        {L"Windows2003R2", L"52"},
        {L"WindowsXP", L"51"},
        {L"WindowsXP64", L"5264"},
        {L"Windows2003R264", L"5264"},
        {L"Windows95", L"410"},
        {L"Windows98", L"490"},
        {L"Windows8", L""},
        {L"Windows8.1", L""},
        {L"Windows2012R2", L""},
        {L"Windows61", L""},
        {L"", L""},
    };
    for (const auto& [name, digits] : cases) {
        EXPECT_EQ(VersionDigitsOf(name), digits) << std::string(name, name + wcslen(name));
    }
}
