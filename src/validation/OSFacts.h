#pragma once
// Plain values shared by the OS identification and the [OS] rules: what the system reports
// (OSFacts), what identification derives from it (OSIdentity), the verdicts, and the log sink the
// pure routines write through so that tests can see their log lines without a log file.
#include <cstdint>
#include <functional>
#include <map>
#include <string>

// Verdicts of the [OS] rules.
constexpr int kOSSupported = 300;
constexpr int kOSWarning = 301;
constexpr int kOSNotSupported = 302;
constexpr int kOSNotInList = -1; // used inside the evaluation only

// Processor architectures as GetNativeSystemInfo reports them.
constexpr uint16_t kArchX86 = 0;
constexpr uint16_t kArchIa64 = 6;
constexpr uint16_t kArchX64 = 9;
constexpr uint16_t kArchArm = 5;
constexpr uint16_t kArchArm64 = 12;

constexpr uint32_t kPlatformWin32Windows = 1;
constexpr uint32_t kPlatformNT = 2;

constexpr uint8_t kProductWorkstation = 1;
constexpr uint8_t kProductDomainController = 2;
constexpr uint8_t kProductServer = 3;

constexpr uint16_t kSuiteEnterprise = 0x0002;
constexpr uint16_t kSuiteDatacenter = 0x0080;
constexpr uint16_t kSuitePersonal = 0x0200;
constexpr uint16_t kSuiteBlade = 0x0400;
constexpr uint16_t kSuiteStorageServer = 0x2000;
constexpr uint16_t kSuiteWhServer = 0x8000;

constexpr wchar_t kUnknownProduct[] = L"Unknown Product";

// What the version query gathered (GetVersionExW, GetNativeSystemInfo, GetProductInfo,
// GetSystemMetrics(SM_SERVERR2)). Filled by QueryOSFacts or, in tests, by hand.
struct OSFacts {
    bool versionQueried = false; // GetVersionExW succeeded
    uint32_t major = 0;
    uint32_t minor = 0;
    uint32_t build = 0;
    uint32_t platformId = 0;
    std::wstring servicePackString; // szCSDVersion, e.g. "Service Pack 3"
    uint16_t servicePackMajor = 0;
    uint16_t servicePackMinor = 0;
    uint16_t suiteMask = 0;
    uint8_t productType = 0; // 1 workstation, 2 domain controller, 3 server
    uint16_t architecture = kArchX86;
    int serverR2 = 0;                  // GetSystemMetrics(SM_SERVERR2)
    bool productInfoAvailable = false; // GetProductInfo could be resolved from kernel32.dll
    uint32_t productInfoType = 0;      // what GetProductInfo(major, minor, 0, 0) returned
    // The machine as it is, also to a program it emulates (an x64 program on ARM64 Windows gets
    // x64 from GetNativeSystemInfo): IsWow64Process2's native machine where kernel32 has it, else
    // the architecture above. Processor-architecture values like `architecture`.
    uint16_t machineArchitecture = kArchX86;
    uint16_t processArchitecture = kArchX86; // what this program runs as
    // HKLM\SOFTWARE\Microsoft\Windows NT\CurrentVersion DisplayVersion ("23H2"), else ReleaseId
    // ("1809"); empty when the registry has neither.
    std::wstring displayVersion;
};

// The identification of the running system. Identification does not clear it first: a value that
// the matching row does not set keeps what an earlier run left.
struct OSIdentity {
    std::wstring displayName;        // name token before lower-casing, for [OSNAME]
    std::wstring editionDisplayName; // "Professional", "Home Premium", ...
    std::wstring nameToken;          // "windowsxp", "windows764" (lower-cased at the end)
    std::wstring versionToken;       // "windows51", "windows6164" (lower-cased at the end)
    std::wstring editionToken;       // "Standard", "Home", "SKU48", ...
    std::wstring servicePackNumber;  // "3"; empty when there is none
    std::wstring productTypeToken;   // "prod1", "prod2", "prod3"
    std::wstring servicePackText;    // the system's own string, e.g. "Service Pack 3"
    std::wstring familyNameToken;    // "WindowsXP", "Windows7" (no "64")
    std::wstring familyVersionToken; // "Windows51", "Windows61" (no "64")
    uint32_t major = 0;
    uint32_t minor = 0;
    uint32_t is64 = 0;
    // Set afresh by every identification. The tokens above name every 10.0 system Windows10 or
    // Windows2016; the newer names tell them apart by build and by what the machine is.
    uint32_t build = 0;
    uint8_t productType = 0;
    std::wstring releaseToken; // "windows11", "windows2022" (lower-cased); empty for other systems
    uint16_t machineArchitecture = kArchX86;
};

// The [OS] section: lower-cased key -> value as written.
using OSSectionMap = std::map<std::wstring, std::wstring>;

// Receives the log lines of the pure routines: kind, function column, finished message.
using OSLogSink = std::function<void(int kind, const wchar_t* function, const std::wstring& message)>;
