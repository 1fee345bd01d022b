#pragma once
// Pure OS identification: version facts -> name, version, family and edition tokens, service pack.
// No Win32 calls here; QueryOSFacts (OSQuery.h) gathers the facts.
#include <string>

#include "validation/OSFacts.h"

enum class OSIdentifyStage {
    VersionQueryFailed, // GetVersionExW failed: logged, verdict 300
    ProductInfoMissing, // GetProductInfo needed but not resolvable: logged, verdict 300
    LogOnlyDone,        // log-only run: version lines logged, verdict 300
    ReadyForRules,      // identification complete; the [OS] rules decide the verdict
};

// The whole identification from facts, with its log lines. Leaves `id` holding the tokens; the
// caller loads the [OS] section and runs the rules when the stage is ReadyForRules.
OSIdentifyStage IdentifyFromFacts(const OSFacts& facts, OSIdentity& id, bool logOnly, const OSLogSink& log);

// The version tables alone: family, name, version and edition tokens, is64, and the generic
// version token for a system no row knows. False when a row needs GetProductInfo and it is missing.
bool ApplyVersionTables(const OSFacts& facts, OSIdentity& id);

// Service-pack number and text from the facts (the "Service Pack " prefix stripped; a non-zero
// service-pack major number wins).
void ApplyServicePack(const OSFacts& facts, OSIdentity& id);

// Sets edition token and display name from a GetProductInfo type; false (nothing changed) for a
// type not in the table, or a type of 28 and above with systemIndex outside 2..5.
bool SkuFromProductType(uint32_t productType, int systemIndex, OSIdentity& id);

// Version digits of a name token ("windows764" -> "6164"); empty for names the table lacks.
std::wstring VersionDigitsOf(const std::wstring& nameToken);

// Architectures 9 (x64) and 6 (Itanium) count as 64-bit.
bool IsArchitecture64(uint16_t architecture);

// Systems that report a version the tables already name (10.0: Windows10, Windows2016) and are told
// apart by their build. Each is an [OS] entry of its own, also with "+" (this one and later builds
// of the same kind); the older tokens keep naming these systems as before.
struct OSRelease {
    const wchar_t* name; // the entry as package authors write it, e.g. "Windows11"
    bool server;         // product type 2 or 3; else workstation
    uint32_t firstBuild;
};
// The release of that name (any case, no "+"), or nullptr.
const OSRelease* FindOSRelease(const std::wstring& name);
// The release a system is (10.0 of the release's kind, from its first build up to the next
// release of that kind), or nullptr.
const OSRelease* ReleaseOf(uint32_t major, uint32_t minor, uint8_t productType, uint32_t build);
// The "+" form: the release, every later build of its kind, and every later version of its kind.
bool ReleaseCovers(const OSRelease& release, uint32_t major, uint32_t minor, uint8_t productType, uint32_t build);

// True for a token identification can give: a name or version token of the tables, a version token
// of a version the tables lack (IsVersionToken) or a release name.
bool IsKnownOSToken(const std::wstring& token);
// True for a family name or family version token (the <family>ExtractPath keys).
bool IsKnownFamilyToken(const std::wstring& token);
// True for "Windows" and the digits of an NT version, "64" perhaps behind them: how identification
// writes version tokens, also for versions the tables lack ("Windows6164", "Windows110").
bool IsVersionToken(const std::wstring& token);
// The version token a name token comes with ("Windows8" -> "Windows62", "Windows864" ->
// "Windows6264"); empty for a name the tables lack.
std::wstring VersionTokenOfName(const std::wstring& name);

// Processor-architecture value of an IMAGE_FILE_MACHINE_* value (what IsWow64Process2 reports);
// 0xFFFF for a machine without one.
uint16_t ArchitectureOfMachine(uint16_t imageFileMachine);
// "x86", "x64", "arm64", "arm", "ia64", else "architecture <n>": the log and the result file.
std::wstring ArchitectureName(uint16_t architecture);
// True when the program's instruction set is not the machine's own (x64 or x86 on ARM64); x86 on
// x64 and ARM on ARM64 run natively.
bool IsEmulated(uint16_t processArchitecture, uint16_t machineArchitecture);
