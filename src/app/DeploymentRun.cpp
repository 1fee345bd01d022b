#include "app/DeploymentRun.h"

#include <set>

#include "log/BuildLogFile.h"
#include "log/LogCounters.h"
#include "log/RunResult.h"
#include "settings/CommandLine.h"
#include "settings/OrloInitalizer.h"
#include "util/AtomicFile.h"
#include "util/ProcessContext.h"
#include "util/StringUtil.h"

namespace {
std::wstring FullPathOf(const std::wstring& path)
{
    const DWORD needed = ::GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (needed == 0) {
        return path;
    }
    std::wstring full(needed, L'\0');
    const DWORD length = ::GetFullPathNameW(path.c_str(), needed, full.data(), nullptr);
    if (length == 0 || length >= needed) {
        return path;
    }
    full.resize(length);
    return full;
}

const wchar_t* ModeName(int runMode)
{
    return runMode == kRunModeSilent ? L"silent" : runMode == kRunModeUnattended ? L"unattended" : L"gui";
}
} // namespace

void DeploymentRun::Configure(const CExtractorCommandOpt& options)
{
    m_resultFile = options.resultFile.empty() ? std::wstring() : FullPathOf(options.resultFile);
    m_check = options.check == 1;
    m_strict = options.strictExit == 1;
}

void DeploymentRun::Verdict(const wchar_t* check, bool passed, const std::wstring& detail) const
{
    if (!m_check) {
        return;
    }
    Log().WriteLine(passed ? kLogInfo : kLogError, L"Preflight check", L"%ls : %ls%ls%ls", check,
                    passed ? L"passed" : L"FAILED", detail.empty() ? L"" : L" - ", detail.c_str());
    RunReport().AddCheck(CheckVerdict{check, passed, detail});
}

void DeploymentRun::NotePackage(const std::wstring& name, const std::wstring& version)
{
    m_packageName = name;
    m_packageVersion = version;
}

void DeploymentRun::BeginShutdown()
{
    RunReport().EnterStage(RunStage::Cleanup);
    if (m_resultFile.empty()) {
        return;
    }
    m_extractionPath = Settings().GetExtractionPath();
    // Only what is still there counts: the engine removes a file it could not finish.
    std::set<std::wstring> seen;
    for (const std::wstring& path : Paths().ExtractedFiles) {
        WIN32_FILE_ATTRIBUTE_DATA data{};
        if (!seen.insert(ToLowerW(path)).second ||
            !::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) {
            continue;
        }
        ++m_files;
        m_bytes += (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    }
}

int DeploymentRun::ExitCode(int defaultCode)
{
    const std::wstring failure = RunReport().Failure();
    if (m_check) {
        const std::vector<CheckVerdict> verdicts = RunReport().Checks();
        m_exitCode = CheckExitCode(verdicts, failure);
        m_outcome = RunOutcome{m_exitCode == 0 ? L"success" : L"failed", L"", m_exitCode};
        for (const CheckVerdict& verdict : verdicts) {
            if (!verdict.passed) {
                m_outcome.failure = verdict.name;
                break;
            }
        }
        if (m_exitCode != 0 && m_outcome.failure.empty()) {
            m_outcome.failure = failure;
        }
        return m_exitCode;
    }
    OutcomeFacts facts;
    facts.failure = failure;
    facts.cancelled = m_cancelled || Flags().UserCancelled.load() != 0;
    facts.extractionStatus = Settings().GetExtractionStatus();
    facts.setups = RunReport().Setups();
    m_outcome = ClassifyRun(facts);
    m_exitCode = m_strict ? m_outcome.strictCode : defaultCode;
    return m_exitCode;
}

void DeploymentRun::WriteResult(int runMode) const
{
    if (m_resultFile.empty()) {
        return;
    }
    RunFacts facts = RunReport().Snapshot(m_outcome.outcome == L"success");
    facts.packageName = m_packageName;
    facts.packageVersion = m_packageVersion;
    facts.mode = ModeName(runMode);
    facts.check = m_check;
    facts.strictExit = m_strict;
    facts.exitCode = m_exitCode;
    facts.outcome = m_outcome.outcome;
    facts.failure = m_outcome.failure;
    const LogCounterValues counters = Counters().Snapshot();
    facts.errors = SummaryErrorCount(counters);
    facts.warnings = SummaryWarningCount(counters);
    facts.summaryStatus = Counters().Exists() && facts.errors == 0 ? L"Success" : L"Fail";
    facts.extractionPath = m_extractionPath;
    facts.filesExtracted = m_files;
    facts.bytesExtracted = m_bytes;
    facts.logFile = Log().GetPath();

    const DWORD error = WriteFileAtomically(m_resultFile, FormatRunResultJson(facts));
    if (error != 0) {
        Log().WriteLine(kLogError, L"WriteResultFile", L"The result file could not be written : %ls Error code : %d",
                        m_resultFile.c_str(), static_cast<int>(error));
    }
}
