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
