// COrloInitalizer: the display decision at the end of Init, and the check of the configured
// extraction path in wizard mode.
#include "log/BuildLogFile.h"
#include "log/RunResult.h"
#include "settings/OrloInitalizer.h"
#include "util/ProcessContext.h"
#include "util/Profile.h"
#include "util/Util.h"

int COrloInitalizer::InitDisplay(const OrloInitRecord& record)
{
    if (m_runMode != kRunModeSilent && m_runMode != kRunModeUnattended) {
        return ValidateAndCheckExtractPath();
    }
    if (!SilentRequirementsMet()) {
        return kDisplayStop;
    }
    return ChooseSilentExtractPath(record);
}

bool COrloInitalizer::SilentRequirementsMet()
{
    if (m_noConditionCheck != 1 && (m_checks == nullptr || m_checks->CheckRequirementsForSilentRun(m_language) != 1)) {
        Log().WriteLine(kLogError, L"COrloInitalizer::InitDisplay", L"Condition not satisfied");
        RunReport().NoteFailure(runcheck::kRequirements);
        return false;
    }
    return true;
}

int COrloInitalizer::ChooseSilentExtractPath(const OrloInitRecord& record)
{
    const wchar_t* function = L"COrloInitalizer::InitDisplay";
    if (m_checks != nullptr) {
        if (m_runMode == kRunModeUnattended) {
            m_checks->ValidateSetupLangPassedFromCommandLine(record.setupLanguage);
        }
        m_checks->ValidateAndSetAutolaunchFromCommandLine(record.autolaunch);
    }

    m_extractionPath = record.extractPath;
    if (!m_extractionPath.empty()) {
        Log().WriteLine(kLogInfo, L"Command Line Parameters", L"Command line parameter for Extract path : %ls",
                        m_extractionPath.c_str());
    }
    const uint64_t required = GetRequiredSpace(m_extractionPath, m_tempDirectory, m_multiPartDownload);
    m_extractionPath = m_checks != nullptr
                           ? m_checks->GetFinalExtractPathParam(false, m_extractionPath, m_packageName, required)
                           : std::wstring();

    // Nobody is there to answer an overwrite question: existing files are replaced, as logged.
    m_overwriteWithoutPrompting = 1;
    Log().WriteLine(kLogInfo, L"File Overwriting",
                    L"Overwriting of the extracted files is enabled in Silent and Unattended mode");
    if (m_extractionPath.empty()) {
        Log().WriteLine(kLogError, function, L"Valid Extract path could not be found");
        RunReport().NoteFailure(runcheck::kExtractionPath);
        return kDisplayStop;
    }
    return kDisplayUnattendedWindow;
}

int COrloInitalizer::ValidateAndCheckExtractPath()
{
    const wchar_t* function = L"COrloInitalizer::ValidateAndCheckExtractPath(";
    std::wstring path = m_checks != nullptr ? m_checks->ExtractPathForOS() : std::wstring();
    if (!path.empty()) {
        Log().WriteLine(kLogInfo, function, L"Extract path for the OS : %ls", path.c_str());
    } else {
        path = ReadProfileString(m_propertiesPath, L"Runtime", L"ExtractPath");
        Log().WriteLine(kLogInfo, function, L"Extract Path from Web Package : %ls", path.c_str());
    }
    m_extractionPath = path;
    const std::wstring expanded = CUtil::ExpandPercentPath(m_extractionPath);
    if (!expanded.empty()) {
        m_extractionPath = expanded;
    }

    std::wstring root;
    const std::wstring candidate = m_extractionPath;
    int usable = 0;
    if (!candidate.empty() && Util().IsValidPath(candidate, root) == kPathValid) {
        std::wstring message;
        const uint64_t required = GetRequiredSpace(m_extractionPath, m_tempDirectory, m_multiPartDownload);
        usable =
            m_checks != nullptr && m_checks->CheckFreeSpace(m_extractionPath, root, required, message) == 1 ? 1 : 0;
    }
    if (usable == 0 && m_allowChangeTarget != 1 && m_autolaunch == 1) {
        Log().WriteLineNoFunction(kLogWarning, L"Extract path is not having enough space or permission");
    }
    return usable;
}
