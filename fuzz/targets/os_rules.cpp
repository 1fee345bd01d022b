// The [OS] rules against an identified system, and the builder's findings on the same section.
// Input: 16 bytes of version facts, then the section as "key=value" lines.
#include <cstring>

#include "FuzzText.h"
#include "validation/OSIdentification.h"
#include "validation/OSRules.h"
#include "validation/OSSectionCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 16) {
        return 0;
    }
    OSFacts facts;
    facts.versionQueried = true;
    facts.platformId = kPlatformNT;
    facts.major = data[0] % 12;
    facts.minor = data[1] % 5;
    facts.build = static_cast<uint32_t>(data[2] << 8 | data[3]);
    facts.servicePackMajor = data[4] % 5;
    facts.servicePackMinor = data[5] % 3;
    facts.suiteMask = static_cast<uint16_t>(data[6] << 8 | data[7]);
    facts.productType = static_cast<uint8_t>(data[8] % 4);
    facts.architecture = data[9] % 13;
    facts.machineArchitecture = data[12] % 13; // the machine under an emulated program
    facts.processArchitecture = facts.architecture;
    facts.serverR2 = data[10] & 1;
    facts.productInfoAvailable = (data[10] & 2) != 0;
    facts.productInfoType = data[11];
    facts.servicePackString = facts.servicePackMajor != 0 ? L"Service Pack 2" : L"";

    OSIdentity identity;
    if (IdentifyFromFacts(facts, identity, false, nullptr) != OSIdentifyStage::ReadyForRules) {
        return 0;
    }
    OSSectionMap section;
    std::vector<std::pair<std::wstring, std::wstring>> lines;
    for (const std::wstring& line : fuzz::Pieces(fuzz::Utf8Text(data + 16, size - 16), L'\n')) {
        const size_t equals = line.find(L'=');
        if (equals != std::wstring::npos && !line.empty() && line[0] != L';') {
            section.emplace(ToLowerW(TrimW(line.substr(0, equals))), TrimW(line.substr(equals + 1)));
            lines.emplace_back(TrimW(line.substr(0, equals)), TrimW(line.substr(equals + 1)));
        }
    }
    for (const std::wstring& finding : CheckOSSection(lines)) {
        FUZZ_CHECK(finding.rfind(L"[OS] ", 0) == 0);
    }
    for (const auto& [key, value] : section) {
        for (const std::wstring& alternative : SplitListInOrder(value)) {
            FUZZ_CHECK(!alternative.empty() && alternative == TrimW(alternative));
            for (const OSVariantPart& part : SplitVariantParts(alternative)) {
                FUZZ_CHECK(!part.text.empty());
                FUZZ_CHECK(part.isOperator || part.text == TrimW(part.text));
            }
        }
    }
    const int verdict = OSRuleEvaluator(section, identity, nullptr).EvaluateOSRules();
    FUZZ_CHECK(verdict == kOSSupported || verdict == kOSWarning || verdict == kOSNotSupported);
    // Nothing allowed, nothing supported.
    if (section.find(L"osallowed") == section.end()) {
        FUZZ_CHECK(verdict == kOSNotSupported);
    }
    return 0;
}
