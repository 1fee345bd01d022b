#pragma once
// COSValidator: identifies the running Windows and applies the package's [OS] rules.
// Reach it through OsValidator() (below).
//
// Entry points for start-up and the system information block:
//   IdentifyOS(true)   log-only form (system information block): logs the version lines and
//                      returns 300 once the version was read; the caller stores it (SetOSResult).
//   IdentifyOS(false)  full identification (before extraction): logs "Operating System : %s" and
//                      friends, then evaluates [OS] and returns 300, 301 or 302.
//   PrepareSupportedOSMessages(verdict, language)  the MsgOSWarning / MsgOSError text for a verdict,
//                      placeholders filled (CExtractorValidator::CheckOS stores it as finish message).
//   GetNotSupportedQuestion()  message 418 with [OSNAME] filled (start-up's CheckOs=1 question).
//   GetExtractPathForOS()      the [OS] <family>ExtractPath value, or empty.
// The pure logic lives in OSIdentification.h (facts -> tokens) and OSRules.h (section -> verdict).
#include <string>

#include "validation/OSFacts.h"

class COSValidator {
public:
    virtual ~COSValidator() = default;

    // The package properties file; when empty, the settings object's path is used.
    void SetPropertiesPath(const std::wstring& path) { m_propertiesPath = path; }
    const std::wstring& GetPropertiesPath() const { return m_propertiesPath; }

    // Queries the system and identifies it (see above). Returns 300, 301 or 302.
    int IdentifyOS(bool logOnly);
    // The same from given facts: what IdentifyOS does after the query (tests feed fake systems).
    int IdentifyOSFromFacts(const OSFacts& facts, bool logOnly);
    // Evaluates the loaded [OS] section against the current identification.
    int EvaluateOSRules();
    // Reads the first 2000 characters of [OS] into the section map.
    void LoadOSSection();

    // [OS] <family name>ExtractPath, else <family version>ExtractPath; empty when neither is set.
    std::wstring GetExtractPathForOS() const;

    // Message texts for a verdict in a language section of the properties file: empty for 300.
    std::wstring PrepareSupportedOSMessages(int verdict, int language) const;
    // Display name with every "64" written " 64 Bit" when it ends in "64" ("Windows7 64 Bit").
    std::wstring GetOSNameForMessage() const;
    // Empty without service pack number, message 422 for "0", else "SP<n>".
    std::wstring GetServicePackForMessage() const;
    // Message 418 with [OSNAME] = "<name> <edition> <service pack>".
    std::wstring GetNotSupportedQuestion() const;

    // Verdict of the last full identification (300 before any); supported means not 302.
    int GetLastVerdict() const { return m_lastVerdict; }
    bool IsOSSupported() const { return m_lastVerdict != kOSNotSupported; }

    // Identification results (tokens lower-cased after a full identification).
    const OSIdentity& Identity() const { return m_identity; }
    const std::wstring& GetDisplayName() const { return m_identity.displayName; }
    const std::wstring& GetEditionDisplayName() const { return m_identity.editionDisplayName; }
    const std::wstring& GetServicePackNumber() const { return m_identity.servicePackNumber; }
    const std::wstring& GetServicePackText() const { return m_identity.servicePackText; }
    const std::wstring& GetNameToken() const { return m_identity.nameToken; }
    const std::wstring& GetVersionToken() const { return m_identity.versionToken; }
    const std::wstring& GetEditionToken() const { return m_identity.editionToken; }
    const std::wstring& GetFamilyNameToken() const { return m_identity.familyNameToken; }
    const std::wstring& GetFamilyVersionToken() const { return m_identity.familyVersionToken; }
    const std::wstring& GetProductTypeToken() const { return m_identity.productTypeToken; }
    uint32_t GetMajorVersion() const { return m_identity.major; }
    uint32_t GetMinorVersion() const { return m_identity.minor; }
    uint32_t GetIs64() const { return m_identity.is64; }
    const OSSectionMap& GetOSSection() const { return m_section; }

protected:
    std::wstring SettingsFile() const;

    std::wstring m_propertiesPath;
    OSIdentity m_identity;
    OSSectionMap m_section;
    int m_lastVerdict = kOSSupported;
};

// The process's OS validator (ResetProcessContext() gives a fresh one).
COSValidator& OsValidator();
