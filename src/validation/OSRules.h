#pragma once
// The package's [OS] rules as pure logic: section map + identification -> verdict 300/301/302.
// Nothing here reads files; COSValidator loads the section and feeds the evaluator.
#include <string>
#include <vector>

#include "validation/OSFacts.h"

// One piece of a rule alternative: an atom ("Home", "SP2", "prod1") or an operator written as
// "&&", "||", "&&!" (a part in capitals containing AND, ANDNOT or OR counts as an operator too).
struct OSVariantPart {
    bool isOperator = false;
    std::wstring text; // the trimmed atom, or the operator with blanks removed
};

// Cuts one alternative at its operators.
std::vector<OSVariantPart> SplitVariantParts(const std::wstring& alternative);

// Reduces a rewritten alternative of one or two atoms ("T&&!F", "&&!T", "T||&&!F") to its value.
bool ReduceTwoAtomVariant(std::wstring rewritten);

// Entries of a ";"-separated list in the order written (trimmed, empty ones dropped).
std::vector<std::wstring> SplitListInOrder(const std::wstring& list);

// How a "+" entry that names no release reads: its version digits (the token's, else what follows
// "windows"), a "1" first meaning a two-digit major; a "64" at the end keeps it to 64-bit systems.
struct PlusEntryVersion {
    int major = 0;
    int minor = 0;
    bool only64 = false;
    bool fromToken = false; // the digits came from a token's table row, not from the entry's text
};
PlusEntryVersion ParsePlusEntry(const std::wstring& entry);

// Rule keys for the machine itself: on ARM64 (also to an emulated program) they apply like a
// system's Exclude and Warning rules, after those.
inline constexpr wchar_t kArm64ExcludeKey[] = L"arm64exclude";
inline constexpr wchar_t kArm64WarningKey[] = L"arm64warning";

class OSRuleEvaluator {
public:
    // `identity` is written only where an atom "0"/"SP0" sets an empty service-pack number to "0".
    OSRuleEvaluator(const OSSectionMap& section, OSIdentity& identity, OSLogSink log);

    // 300 supported, 301 supported with warning, 302 not supported.
    int EvaluateOSRules();
    // 300, the verdict of the kind (302 / 301), or -1 when the system is not in OSAllowed.
    int CheckOSVariantsForExclusion();
    int CheckOSVariantsForWarning();
    // 0 when the rule of `ruleKey` (lower-cased) exists and applies, 1 otherwise.
    int CheckOSVariant(const std::wstring& ruleKey);
    // 1 when the alternative is true.
    int GetOSVariantConditionResult(const std::wstring& alternative);
    // Decides one atom against the running system.
    bool ValiodateOSVariants(const std::wstring& atom);
    // True when `token` is in the ";"-separated list, directly or through a "+" entry.
    bool IsOSInList(const std::wstring& list, const std::wstring& token) const;
    // True when a "+" entry ("Windows61+", "Windows764+", "Windows2019+") covers the running system.
    bool PlusEntryMatches(const std::wstring& entry) const;

private:
    int CheckOSVariants(const wchar_t* kind, int verdict);
    void Write(int kind, const wchar_t* function, const std::wstring& message) const;

    const OSSectionMap& m_section;
    OSIdentity& m_identity;
    OSLogSink m_log;
};
