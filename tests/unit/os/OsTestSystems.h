#pragma once
// Fake systems and a log recorder for the OS identification and rule tests.
#include <string>
#include <vector>

#include "util/StringUtil.h"
#include "validation/OSFacts.h"
#include "validation/OSIdentification.h"

namespace ostest {

struct LoggedLine {
    int kind;
    std::wstring function;
    std::wstring message;
};

class LogRecorder {
public:
    OSLogSink Sink()
    {
        return [this](int kind, const wchar_t* function, const std::wstring& message) {
            lines.push_back({kind, function, message});
        };
    }
    bool Has(const std::wstring& message) const
    {
        for (const auto& line : lines) {
            if (line.message == message) {
                return true;
            }
        }
        return false;
    }
    int Count(const std::wstring& message) const
    {
        int count = 0;
        for (const auto& line : lines) {
            count += line.message == message ? 1 : 0;
        }
        return count;
    }
    std::vector<LoggedLine> lines;
};

// An NT system as GetVersionExW & co. would describe it.
inline OSFacts Nt(uint32_t major, uint32_t minor, uint8_t productType, uint16_t architecture,
                  uint32_t productInfoType = 0, const wchar_t* servicePack = L"", uint16_t servicePackMajor = 0)
{
    OSFacts facts;
    facts.versionQueried = true;
    facts.major = major;
    facts.minor = minor;
    facts.build = 7601;
    facts.platformId = kPlatformNT;
    facts.productType = productType;
    facts.architecture = architecture;
    facts.machineArchitecture = architecture;
    facts.processArchitecture = architecture;
    facts.productInfoAvailable = true;
    facts.productInfoType = productInfoType;
    facts.servicePackString = servicePack;
    facts.servicePackMajor = servicePackMajor;
    return facts;
}

inline OSFacts WithSuite(OSFacts facts, uint16_t suiteMask)
{
    facts.suiteMask = suiteMask;
    return facts;
}

inline OSFacts WithBuild(OSFacts facts, uint32_t build)
{
    facts.build = build;
    return facts;
}

// `architecture` stays what GetNativeSystemInfo told the program (x64 for an emulated x64 program).
inline OSFacts OnMachine(OSFacts facts, uint16_t machine, uint16_t process)
{
    facts.machineArchitecture = machine;
    facts.processArchitecture = process;
    return facts;
}

// A fully identified system (tokens lower-cased, as the rules see them).
inline OSIdentity Identified(const OSFacts& facts)
{
    OSIdentity id;
    IdentifyFromFacts(facts, id, false, nullptr);
    return id;
}

// [OS] lines as the section reader stores them: lower-cased keys, values as written.
inline OSSectionMap Section(const std::vector<std::pair<std::wstring, std::wstring>>& lines)
{
    OSSectionMap map;
    for (const auto& [key, value] : lines) {
        map[ToLowerW(key)] = value;
    }
    return map;
}

} // namespace ostest
