// Gathers the version facts of the running system.
#include "validation/OSQuery.h"

#include <windows.h>

namespace {

template <typename Function> Function Kernel32Function(const char* name)
{
    HMODULE kernel = ::GetModuleHandleW(L"kernel32.dll");
    if (kernel == nullptr) {
        return nullptr;
    }
    return reinterpret_cast<Function>(reinterpret_cast<void*>(::GetProcAddress(kernel, name)));
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
