// COSValidator: the query, the identification and the [OS] rules wired to the log and the properties file.
#include "validation/OSValidator.h"

#include "log/BuildLogFile.h"
#include "log/RunResult.h"
#include "settings/OrloInitalizer.h"
#include "util/ProcessContext.h"
#include "util/Profile.h"
#include "util/Util.h"
#include "util/WideFormat.h"
#include "validation/OSIdentification.h"
#include "validation/OSQuery.h"
#include "validation/OSRules.h"

namespace {
ProcessObject<COSValidator> g_osValidator;

void WriteToLog(int kind, const wchar_t* function, const std::wstring& message)
{
    Log().WriteLineText(kind, function, message);
}

// What the result file says about the system.
void ReportSystem(const OSFacts& facts)
{
    RunSystemFacts system;
    system.known = true;
    system.major = facts.major;
    system.minor = facts.minor;
    system.build = facts.build;
    system.displayVersion = facts.displayVersion;
    system.machineArchitecture = ArchitectureName(facts.machineArchitecture);
    system.processArchitecture = ArchitectureName(facts.processArchitecture);
    system.emulated = IsEmulated(facts.processArchitecture, facts.machineArchitecture);
    RunReport().NoteSystem(system);
}
} // namespace

COSValidator& OsValidator()
{
    return g_osValidator.Get();
}

std::wstring COSValidator::SettingsFile() const
{
    return m_propertiesPath.empty() ? Settings().GetPropertiesPath() : m_propertiesPath;
}

int COSValidator::IdentifyOS(bool logOnly)
{
    return IdentifyOSFromFacts(QueryOSFacts(), logOnly);
}

int COSValidator::IdentifyOSFromFacts(const OSFacts& facts, bool logOnly)
{
    if (facts.versionQueried) {
        LoadOSSection();
        ReportSystem(facts);
    }
    const OSIdentifyStage stage = IdentifyFromFacts(facts, m_identity, logOnly, WriteToLog);
    if (logOnly) {
        return kOSSupported;
    }
    m_lastVerdict = stage == OSIdentifyStage::ReadyForRules ? EvaluateOSRules() : kOSSupported;
    return m_lastVerdict;
}

int COSValidator::EvaluateOSRules()
{
    OSRuleEvaluator evaluator(m_section, m_identity, WriteToLog);
    return evaluator.EvaluateOSRules();
}

void COSValidator::LoadOSSection()
{
    m_section.clear();
    CUtil::ReadSection(SettingsFile(), L"OS", m_section);
}

std::wstring COSValidator::GetExtractPathForOS() const
{
    const std::wstring file = SettingsFile();
    std::wstring value;
    // An unidentified system has no family token: a bare "ExtractPath" key is nobody's.
    if (!m_identity.familyNameToken.empty()) {
        const std::wstring key = m_identity.familyNameToken + L"ExtractPath";
        value = ReadProfileString(file, L"OS", key);
        Log().WriteLine(8, L"GetExtractPathForOS", L"%ls : %ls", key.c_str(), value.c_str());
    }
    if (value.empty() && !m_identity.familyVersionToken.empty()) {
        const std::wstring key = m_identity.familyVersionToken + L"ExtractPath";
        value = ReadProfileString(file, L"OS", key);
        Log().WriteLine(8, L"GetExtractPathForOS", L"%ls : %ls", key.c_str(), value.c_str());
    }
    return value;
}
