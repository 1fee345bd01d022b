// Pure OS identification: the NT and legacy version tables, the SKU table and the service pack.
#include "validation/OSIdentification.h"

#include <initializer_list>

#include "util/StringUtil.h"
#include "util/WideFormat.h"

namespace {

enum class RowType { Workstation, Server, Any, R2Server, StorageOrHomeServer };

enum class EditionRule {
    Keep,       // edition token stays "Basic", display untouched
    Fixed,      // token and display = editionText
    XpSuite,    // suite 0x200 "Home", else "Professional"
    Win2000,    // workstation "Professional"; server by suite
    Server2003, // every 5.2 system: by suite on servers, display = token
};

struct NtRow {
    uint32_t major;
    uint32_t minor;
    RowType type;
    const wchar_t* familyVersion;
    const wchar_t* familyName;
    const wchar_t* name86; // nullptr: not set
    const wchar_t* version86;
    const wchar_t* name64;
    const wchar_t* version64;
    bool x86NamesForOther; // an architecture that is neither x86 nor 64-bit gets the x86 names too
    bool sets64;           // the 64-bit names also set is64
    EditionRule edition;
    const wchar_t* editionText;
    int systemIndex; // 0: no GetProductInfo
};

// First matching row wins.
constexpr NtRow kNtTable[] = {
    {10, 0, RowType::Workstation, L"Windows100", L"Windows10", L"Windows10", L"Windows100", L"Windows1064",
     L"Windows10064", true, true, EditionRule::Fixed, L"Standard", 5},
    {10, 0, RowType::Server, L"Windows100", L"Windows2016", L"Windows2016", L"Windows100", L"Windows2016",
     L"Windows10064", false, true, EditionRule::Fixed, L"Standard", 5},
    {6, 3, RowType::Workstation, L"Windows63", L"Windows8.1", L"Windows8.1", L"Windows63", L"Windows8.164",
     L"Windows6364", true, true, EditionRule::Fixed, L"Standard", 4},
    {6, 3, RowType::Server, L"Windows63", L"Windows2012R2", L"Windows2012R2", L"Windows63", L"Windows2012R264",
     L"Windows6364", false, true, EditionRule::Fixed, L"Standard", 4},
    {6, 2, RowType::Workstation, L"Windows62", L"Windows8", L"Windows8", L"Windows62", L"Windows864", L"Windows6264",
     true, true, EditionRule::Fixed, L"", 3},
    {6, 2, RowType::Server, L"Windows62", L"Windows2012", L"Windows2012", L"Windows62", L"Windows201264",
     L"Windows6264", false, true, EditionRule::Fixed, L"Standard", 3},
    {6, 1, RowType::Workstation, L"Windows61", L"Windows7", L"Windows7", L"Windows61", L"Windows764", L"Windows6164",
     true, true, EditionRule::Fixed, L"Standard", 2},
    {6, 1, RowType::Server, L"Windows61", L"Windows2008R2", L"Windows2008R2", L"Windows61", L"Windows2008R264",
     L"Windows6164", false, true, EditionRule::Fixed, L"Standard", 2},
    {6, 0, RowType::Workstation, L"Windows60", L"WindowsVista", L"WindowsVista", L"Windows60", L"WindowsVista64",
     L"Windows6064", false, true, EditionRule::Keep, nullptr, 1},
    {6, 0, RowType::Server, L"Windows60", L"Windows2008", L"Windows2008", L"Windows60", L"Windows200864",
     L"Windows6064", false, true, EditionRule::Fixed, L"Standard", 1},
    {5, 2, RowType::R2Server, L"Windows52", L"Windows2003R2", L"Windows2003R2", L"Windows52", L"Windows2003R264",
     L"Windows5264", false, true, EditionRule::Server2003, nullptr, 0},
    {5, 2, RowType::StorageOrHomeServer, L"Windows52", L"Windows2003R2", nullptr, nullptr, nullptr, nullptr, false,
     false, EditionRule::Server2003, nullptr, 0},
    {5, 2, RowType::Workstation, L"Windows52", L"WindowsXP", L"WindowsXP", L"Windows52", L"WindowsXP64", L"Windows5264",
     false, true, EditionRule::Server2003, nullptr, 0},
    {5, 2, RowType::Server, L"Windows52", L"Windows2003", L"Windows2003", L"Windows52", L"Windows200364",
     L"Windows5264", false, true, EditionRule::Server2003, nullptr, 0},
    {5, 1, RowType::Any, L"Windows51", L"WindowsXP", L"WindowsXP", L"Windows51", L"WindowsXP64", L"Windows5164", true,
     true, EditionRule::XpSuite, nullptr, 0},
    // Windows 2000 has no 64-bit names: every architecture gets the same tokens and is64 stays.
    {5, 0, RowType::Any, L"Windows50", L"Windows2000", L"Windows2000", L"Windows50", L"Windows2000", L"Windows50", true,
     false, EditionRule::Win2000, nullptr, 0},
};

struct LegacyRow {
    uint32_t major;
    uint32_t minor;
    const wchar_t* version;
    const wchar_t* name;
};

constexpr LegacyRow kLegacyTable[] = {
    {4, 0, L"Windows40", L"WindowsNT"},
    {4, 10, L"Windows410", L"Windows95"},
    {4, 90, L"Windows490", L"Windows98"},
};

struct SkuRow {
    uint32_t type;
    const wchar_t* display;
};

constexpr SkuRow kSkuTable[] = {
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

struct DigitsRow {
    const wchar_t* name;
    const wchar_t* digits;
};

constexpr DigitsRow kDigitsTable[] = {
    {L"windows10", L"100"},    {L"windows2016", L"100"},    {L"windows1064", L"10064"},   {L"windows201664", L"10064"},
    {L"windows7", L"61"},      {L"windows2008R2", L"61"},   {L"windows764", L"6164"},     {L"windows2008R264", L"6164"},
    {L"windowsvista", L"60"},  {L"windows2008", L"60"},     {L"windowsvista64", L"6064"}, {L"windows200864", L"6064"},
    {L"windows2003R2", L"52"}, {L"windows2003", L"52"},     {L"windowsxp", L"51"},        {L"windows2003R264", L"5264"},
    {L"windowsXP64", L"5264"}, {L"windows200364", L"5264"}, {L"windows2000", L"50"},      {L"windowsnt", L"40"},
    {L"windows95", L"410"},    {L"windows98", L"490"},
};

// Ordered by kind, then build: a system is the last row of its kind whose first build it reached.
constexpr OSRelease kReleaseTable[] = {
    {L"Windows11", false, 22000},
    {L"Windows2019", true, 17763},
    {L"Windows2022", true, 20348},
    {L"Windows2025", true, 26100},
};

constexpr uint16_t kArchUnknown = 0xFFFF;

bool IsServerType(uint8_t productType)
{
    return productType != kProductWorkstation;
}

bool EqualsAny(const std::wstring& token, std::initializer_list<const wchar_t*> names)
{
    for (const wchar_t* name : names) {
        if (name != nullptr && EqualsNoCase(token, name)) {
            return true;
        }
    }
    return false;
}

// 0 the x86 family, 1 the ARM family, 2 Itanium, -1 unknown.
int InstructionFamily(uint16_t architecture)
{
    switch (architecture) {
    case kArchX86:
    case kArchX64:
        return 0;
    case kArchArm:
    case kArchArm64:
        return 1;
    case kArchIa64:
        return 2;
    default:
        return -1;
    }
}

bool RowMatches(const NtRow& row, const OSFacts& facts)
{
    if (row.major != facts.major || row.minor != facts.minor) {
        return false;
    }
    switch (row.type) {
    case RowType::Workstation:
        return facts.productType == kProductWorkstation;
    case RowType::Server:
        return facts.productType != kProductWorkstation;
    case RowType::Any:
        return true;
    case RowType::R2Server:
        return facts.serverR2 != 0;
    case RowType::StorageOrHomeServer:
        return facts.suiteMask == kSuiteStorageServer || facts.suiteMask == kSuiteWhServer;
    }
    return false;
}

void SetEdition(OSIdentity& id, const std::wstring& text)
{
    id.editionToken = text;
    id.editionDisplayName = text;
}

void ApplyEdition(const NtRow& row, const OSFacts& facts, OSIdentity& id)
{
    switch (row.edition) {
    case EditionRule::Keep:
        break;
    case EditionRule::Fixed:
        SetEdition(id, row.editionText);
        break;
    case EditionRule::XpSuite:
        SetEdition(id, (facts.suiteMask & kSuitePersonal) != 0 ? L"Home" : L"Professional");
        break;
    case EditionRule::Win2000:
        if (facts.productType == kProductWorkstation) {
            SetEdition(id, L"Professional");
        } else if ((facts.suiteMask & kSuiteDatacenter) != 0) {
            SetEdition(id, L"DataCenter");
        } else if ((facts.suiteMask & kSuiteEnterprise) != 0) {
            SetEdition(id, L"Enterprise");
        } else {
            SetEdition(id, L"Server");
        }
        break;
    case EditionRule::Server2003:
        if (facts.productType != kProductWorkstation) {
            if ((facts.suiteMask & kSuiteDatacenter) != 0) {
                id.editionToken = L"Datacenter";
            } else if ((facts.suiteMask & kSuiteEnterprise) != 0) {
                id.editionToken = L"Enterprise";
            } else if ((facts.suiteMask & kSuiteBlade) != 0) {
                id.editionToken = L"WebEdition";
            } else {
                id.editionToken = L"Standard";
            }
        }
        id.editionDisplayName = id.editionToken;
        break;
    }
}

// Returns false when the row needs GetProductInfo and it cannot be had.
bool ApplyNtRow(const NtRow& row, const OSFacts& facts, OSIdentity& id)
{
    id.familyVersionToken = row.familyVersion;
    id.familyNameToken = row.familyName;
    const bool is64 = IsArchitecture64(facts.architecture);
    const bool isX86 = facts.architecture == kArchX86;
    if (is64) {
        if (row.name64 != nullptr) {
            id.nameToken = row.name64;
            id.versionToken = row.version64;
            if (row.sets64) {
                id.is64 = 1;
            }
        }
    } else if (isX86 || row.x86NamesForOther) {
        if (row.name86 != nullptr) {
            id.nameToken = row.name86;
            id.versionToken = row.version86;
        }
    }
    ApplyEdition(row, facts, id);
    if (row.systemIndex != 0) {
        if (!facts.productInfoAvailable) {
            return false;
        }
        SkuFromProductType(facts.productInfoType, row.systemIndex, id);
    }
    return true;
}

void ApplyLegacyRow(const OSFacts& facts, OSIdentity& id)
{
    for (const auto& row : kLegacyTable) {
        if (row.major == facts.major && row.minor == facts.minor) {
            id.familyVersionToken = row.version;
            id.versionToken = row.version;
            id.familyNameToken = row.name;
            id.nameToken = row.name;
            SetEdition(id, L"Basic");
            return;
        }
    }
}

void Emit(const OSLogSink& log, int kind, const wchar_t* function, const std::wstring& message)
{
    if (log) {
        log(kind, function, message);
    }
}

} // namespace

bool IsArchitecture64(uint16_t architecture)
{
    return architecture == kArchX64 || architecture == kArchIa64;
}

bool SkuFromProductType(uint32_t productType, int systemIndex, OSIdentity& id)
{
    // Types from 28 on came with Windows 7: Vista and Server 2008 do not know them.
    if (productType >= 28 && (systemIndex < 2 || systemIndex > 5)) {
        return false;
    }
    for (const auto& row : kSkuTable) {
        if (row.type == productType) {
            id.editionToken = FormatW(L"SKU%u", productType);
            id.editionDisplayName = row.display;
            return true;
        }
    }
    return false;
}

std::wstring VersionDigitsOf(const std::wstring& nameToken)
{
    const std::wstring lower = ToLowerW(nameToken);
    for (const auto& row : kDigitsTable) {
        if (EqualsNoCase(lower, row.name)) {
            return row.digits;
        }
    }
    return {};
}

const OSRelease* FindOSRelease(const std::wstring& name)
{
    for (const auto& release : kReleaseTable) {
        if (EqualsNoCase(name, release.name)) {
            return &release;
        }
    }
    return nullptr;
}

const OSRelease* ReleaseOf(uint32_t major, uint32_t minor, uint8_t productType, uint32_t build)
{
    if (major != 10 || minor != 0) {
        return nullptr;
    }
    const OSRelease* found = nullptr;
    for (const auto& release : kReleaseTable) {
        if (release.server == IsServerType(productType) && build >= release.firstBuild) {
            found = &release;
        }
    }
    return found;
}

bool ReleaseCovers(const OSRelease& release, uint32_t major, uint32_t minor, uint8_t productType, uint32_t build)
{
    if (release.server != IsServerType(productType)) {
        return false;
    }
    if (major != 10) {
        return major > 10;
    }
    return minor > 0 || build >= release.firstBuild;
}

bool IsVersionToken(const std::wstring& token)
{
    constexpr size_t prefix = 7; // "windows"
    if (token.size() <= prefix || !EqualsNoCase(token.substr(0, prefix), L"windows") ||
        token.find_first_not_of(L"0123456789", prefix) != std::wstring::npos) {
        return false;
    }
    // An NT major version (5 to 9, or two digits from 10) and a minor version, perhaps then "64".
    auto versionDigits = [](const std::wstring& digits) {
        return digits[0] == L'1' ? digits.size() >= 3 : digits[0] >= L'5' && digits.size() >= 2;
    };
    const std::wstring digits = token.substr(prefix);
    const bool with64 = digits.size() > 2 && digits.compare(digits.size() - 2, 2, L"64") == 0;
    return versionDigits(digits) || (with64 && versionDigits(digits.substr(0, digits.size() - 2)));
}

std::wstring VersionTokenOfName(const std::wstring& name)
{
    for (const auto& row : kNtTable) {
        if (row.name86 != nullptr && EqualsNoCase(name, row.name86)) {
            return row.version86;
        }
        if (row.name64 != nullptr && EqualsNoCase(name, row.name64)) {
            return row.version64;
        }
    }
    for (const auto& row : kLegacyTable) {
        if (EqualsNoCase(name, row.name)) {
            return row.version;
        }
    }
    return {};
}

bool IsKnownOSToken(const std::wstring& token)
{
    if (IsVersionToken(token) || FindOSRelease(token) != nullptr) {
        return true;
    }
    for (const auto& row : kNtTable) {
        if (EqualsAny(token, {row.name86, row.version86, row.name64, row.version64})) {
            return true;
        }
    }
    for (const auto& row : kLegacyTable) {
        if (EqualsAny(token, {row.name, row.version})) {
            return true;
        }
    }
    return false;
}

bool IsKnownFamilyToken(const std::wstring& token)
{
    if (IsVersionToken(token)) {
        return true;
    }
    for (const auto& row : kNtTable) {
        if (EqualsAny(token, {row.familyName, row.familyVersion})) {
            return true;
        }
    }
    for (const auto& row : kLegacyTable) {
        if (EqualsAny(token, {row.name, row.version})) {
            return true;
        }
    }
    return false;
}

uint16_t ArchitectureOfMachine(uint16_t imageFileMachine)
{
    switch (imageFileMachine) {
    case 0x014C: // IMAGE_FILE_MACHINE_I386
        return kArchX86;
    case 0x8664: // IMAGE_FILE_MACHINE_AMD64
        return kArchX64;
    case 0xAA64: // IMAGE_FILE_MACHINE_ARM64
        return kArchArm64;
    case 0x01C0: // IMAGE_FILE_MACHINE_ARM
    case 0x01C2: // IMAGE_FILE_MACHINE_THUMB
    case 0x01C4: // IMAGE_FILE_MACHINE_ARMNT
        return kArchArm;
    case 0x0200: // IMAGE_FILE_MACHINE_IA64
        return kArchIa64;
    default:
        return kArchUnknown;
    }
}

std::wstring ArchitectureName(uint16_t architecture)
{
    switch (architecture) {
    case kArchX86:
        return L"x86";
    case kArchX64:
        return L"x64";
    case kArchArm64:
        return L"arm64";
    case kArchArm:
        return L"arm";
    case kArchIa64:
        return L"ia64";
    default:
        return FormatW(L"architecture %u", static_cast<unsigned>(architecture));
    }
}

bool IsEmulated(uint16_t processArchitecture, uint16_t machineArchitecture)
{
    const int process = InstructionFamily(processArchitecture);
    const int machine = InstructionFamily(machineArchitecture);
    return process >= 0 && machine >= 0 && process != machine;
}

bool ApplyVersionTables(const OSFacts& facts, OSIdentity& id)
{
    id.editionToken = L"Basic";
    id.major = facts.major;
    id.minor = facts.minor;
    id.build = facts.build;
    id.productType = facts.productType;
    id.machineArchitecture = facts.machineArchitecture;
    const OSRelease* release = ReleaseOf(facts.major, facts.minor, facts.productType, facts.build);
    id.releaseToken = release != nullptr ? ToLowerW(release->name) : std::wstring();
    if (facts.platformId == kPlatformNT && facts.major > 4) {
        for (const auto& row : kNtTable) {
            if (RowMatches(row, facts)) {
                if (!ApplyNtRow(row, facts, id)) {
                    return false;
                }
                break;
            }
        }
    } else {
        ApplyLegacyRow(facts, id);
    }
    if (id.versionToken.empty()) {
        const bool is64 = IsArchitecture64(facts.architecture);
        id.versionToken = FormatW(L"Windows%d%d%ls", static_cast<int>(facts.major), static_cast<int>(facts.minor),
                                  is64 ? L"64" : L"");
        id.familyVersionToken = FormatW(L"Windows%d%d", static_cast<int>(facts.major), static_cast<int>(facts.minor));
    }
    return true;
}

void ApplyServicePack(const OSFacts& facts, OSIdentity& id)
{
    if (!facts.servicePackString.empty()) {
        id.servicePackText = facts.servicePackString;
        const size_t skip = facts.servicePackString.find_first_not_of(L"Service Pack ");
        id.servicePackNumber = skip == std::wstring::npos ? std::wstring() : facts.servicePackString.substr(skip);
    }
    if (facts.servicePackMajor != 0) {
        id.servicePackNumber = FormatW(L"%u", static_cast<unsigned>(facts.servicePackMajor));
    }
}

OSIdentifyStage IdentifyFromFacts(const OSFacts& facts, OSIdentity& id, bool logOnly, const OSLogSink& log)
{
    id.editionDisplayName = kUnknownProduct;
    id.editionToken = kUnknownProduct;
    if (!facts.versionQueried) {
        Emit(log, 0, L"IdentifyOS", L"GetVersionEx() failed");
        return OSIdentifyStage::VersionQueryFailed;
    }
    if (!ApplyVersionTables(facts, id)) {
        Emit(log, 0, L"GetProcAddress", L"Failed to get the OS information");
        return OSIdentifyStage::ProductInfoMissing;
    }
    if (logOnly) {
        Emit(log, 8, L"OSVersion",
             FormatW(L"OS Version : %ls",
                     FormatW(L"%u.%u.%u.%u", facts.major, facts.minor, facts.build, facts.platformId).c_str()));
        Emit(log, 8, L"OSVersion", FormatW(L"Major Version : %u", facts.major));
        Emit(log, 8, L"OSVersion", FormatW(L"Minor Version : %u", facts.minor));
        Emit(log, 8, L"OSVersion", FormatW(L"Product Type : %u", static_cast<unsigned>(facts.productType)));
        Emit(log, 8, L"OSVersion", FormatW(L"Build Number : %u", facts.build));
        if (!facts.displayVersion.empty()) {
            Emit(log, 8, L"OSVersion", FormatW(L"Display Version : %ls", facts.displayVersion.c_str()));
        }
        Emit(log, 8, L"OSVersion",
             FormatW(L"Machine Architecture : %ls", ArchitectureName(facts.machineArchitecture).c_str()));
        Emit(log, 8, L"OSVersion",
             FormatW(L"Process Architecture : %ls%ls", ArchitectureName(facts.processArchitecture).c_str(),
                     IsEmulated(facts.processArchitecture, facts.machineArchitecture) ? L" (emulated)" : L""));
        return OSIdentifyStage::LogOnlyDone;
    }
    ApplyServicePack(facts, id);
    id.displayName = id.nameToken;
    Emit(log, 8, L"OSVersion", FormatW(L"Operating System : %ls", id.displayName.c_str()));
    Emit(log, 8, L"OSVersion", FormatW(L"Operating System Edition : %ls", id.editionDisplayName.c_str()));
    Emit(log, 8, L"OSVersion", FormatW(L"Operating System ServicePack : %ls", id.servicePackText.c_str()));
    id.nameToken = ToLowerW(id.nameToken);
    id.versionToken = ToLowerW(id.versionToken);
    switch (facts.productType) {
    case kProductWorkstation:
        id.productTypeToken = L"prod1";
        break;
    case kProductDomainController:
        id.productTypeToken = L"prod2";
        break;
    case kProductServer:
        id.productTypeToken = L"prod3";
        break;
    default:
        break;
    }
    return OSIdentifyStage::ReadyForRules;
}
