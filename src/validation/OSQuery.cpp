// Gathers the version facts of the running system.
#include "validation/OSQuery.h"

#include <windows.h>

#include "util/Handles.h"
#include "util/Util.h"
#include "validation/OSIdentification.h"

namespace {

// What this program was built for; IsWow64Process2 names no process machine outside WOW64.
#if defined(_M_ARM64) || defined(__aarch64__)
constexpr uint16_t kOwnArchitecture = kArchArm64;
#elif defined(_M_X64) || defined(__x86_64__)
constexpr uint16_t kOwnArchitecture = kArchX64;
#elif defined(_M_IX86) || defined(__i386__)
constexpr uint16_t kOwnArchitecture = kArchX86;
#else
#error "unknown target architecture"
#endif

template <typename Function> Function Kernel32Function(const char* name)
{
    HMODULE kernel = ::GetModuleHandleW(L"kernel32.dll");
    if (kernel == nullptr) {
        return nullptr;
    }
    return reinterpret_cast<Function>(reinterpret_cast<void*>(::GetProcAddress(kernel, name)));
}

// The native machine and what this program runs as. GetNativeSystemInfo answers an emulated program
// with the architecture it emulates, so IsWow64Process2 (Windows 10 1709 and later) comes first.
void QueryMachine(OSFacts& facts)
{
    facts.machineArchitecture = facts.architecture;
    facts.processArchitecture = kOwnArchitecture;
    using Wow64Process2Fn = BOOL(WINAPI*)(HANDLE, USHORT*, USHORT*);
    auto wow64 = Kernel32Function<Wow64Process2Fn>("IsWow64Process2");
    USHORT processMachine = 0;
    USHORT nativeMachine = 0;
    if (wow64 == nullptr || !wow64(::GetCurrentProcess(), &processMachine, &nativeMachine)) {
        return;
    }
    const uint16_t native = ArchitectureOfMachine(nativeMachine);
    if (native != PROCESSOR_ARCHITECTURE_UNKNOWN) {
        facts.machineArchitecture = native;
    }
    const uint16_t process = ArchitectureOfMachine(processMachine); // unknown (0) outside WOW64
    if (process != PROCESSOR_ARCHITECTURE_UNKNOWN) {
        facts.processArchitecture = process;
    }
}

std::wstring QueryDisplayVersion()
{
    UniqueRegKey key;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion", 0,
                        KEY_QUERY_VALUE | KEY_WOW64_64KEY, key.Put()) != ERROR_SUCCESS) {
        return {};
    }
    // DisplayVersion ("23H2") since 20H2; before that ReleaseId ("1809"), which 20H2 froze at 2009.
    std::wstring version = CUtil::ReadRegistryString(key.Get(), L"DisplayVersion", 256);
    if (version.empty()) {
        version = CUtil::ReadRegistryString(key.Get(), L"ReleaseId", 256);
    }
    return version;
}

} // namespace

OSFacts QueryOSFacts()
{
    OSFacts facts;
    OSVERSIONINFOEXW version{};
    version.dwOSVersionInfoSize = sizeof(version); // 284 bytes: the extended structure
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    const BOOL versionOk = ::GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&version));
#pragma GCC diagnostic pop
    if (!versionOk) {
        return facts;
    }
    facts.versionQueried = true;
    facts.major = version.dwMajorVersion;
    facts.minor = version.dwMinorVersion;
    facts.build = version.dwBuildNumber;
    facts.platformId = version.dwPlatformId;
    facts.servicePackString = version.szCSDVersion;
    facts.servicePackMajor = version.wServicePackMajor;
    facts.servicePackMinor = version.wServicePackMinor;
    facts.suiteMask = version.wSuiteMask;
    facts.productType = version.wProductType;

    // A 32-bit process on 64-bit Windows must see the native architecture, not its own.
    SYSTEM_INFO system{};
    using NativeInfoFn = void(WINAPI*)(LPSYSTEM_INFO);
    if (auto native = Kernel32Function<NativeInfoFn>("GetNativeSystemInfo")) {
        native(&system);
    } else {
        ::GetSystemInfo(&system);
    }
    facts.architecture = system.wProcessorArchitecture;
    QueryMachine(facts);
    facts.displayVersion = QueryDisplayVersion();

    facts.serverR2 = ::GetSystemMetrics(SM_SERVERR2);

    using ProductInfoFn = BOOL(WINAPI*)(DWORD, DWORD, DWORD, DWORD, PDWORD);
    if (auto productInfo = Kernel32Function<ProductInfoFn>("GetProductInfo")) {
        facts.productInfoAvailable = true;
        DWORD type = 0;
        productInfo(facts.major, facts.minor, 0, 0, &type);
        facts.productInfoType = type;
    }
    return facts;
}
