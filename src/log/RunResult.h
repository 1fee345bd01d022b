#pragma once
// RunResult: what a run did, collected from every stage for deployment tools (the /result file).
// Stages report into the one process-wide instance (RunReport()); the application adds what only it
// knows at exit (exit code, outcome, package, paths) and writes the facts as JSON. Thread-safe:
// workers report launches and stages while the main thread logs.
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

enum class RunStage { StartUp, Checks, Verification, Extraction, Launch, Cleanup };
const wchar_t* RunStageName(RunStage stage);

// Names of checks and of the reasons a run failed; a failing check and the failure it causes share
// one name, so a deployment tool reads one vocabulary.
namespace runcheck {
inline constexpr wchar_t kSingleInstance[] = L"single-instance";
inline constexpr wchar_t kOle[] = L"ole";
inline constexpr wchar_t kTempFolder[] = L"temp-folder";
inline constexpr wchar_t kPayload[] = L"payload";
inline constexpr wchar_t kAdminRights[] = L"admin-rights";
inline constexpr wchar_t kPassword[] = L"password";
inline constexpr wchar_t kOs[] = L"os";
inline constexpr wchar_t kRequirements[] = L"requirements";
inline constexpr wchar_t kExtractionPath[] = L"extraction-path";
inline constexpr wchar_t kTargetPaths[] = L"target-paths";
inline constexpr wchar_t kParts[] = L"parts";
inline constexpr wchar_t kExtraction[] = L"extraction";
inline constexpr wchar_t kLaunch[] = L"launch";
inline constexpr wchar_t kSetup[] = L"setup";
} // namespace runcheck

// How the package's return-code table classified a setup's exit code.
inline constexpr wchar_t kSetupMappedSuccess[] = L"success";
inline constexpr wchar_t kSetupMappedError[] = L"error";
inline constexpr wchar_t kSetupUnconfigured[] = L"unconfigured";
inline constexpr wchar_t kSetupNotStarted[] = L"not-started";

struct LaunchedSetup {
    std::wstring path;
    int exitCode = 0;
    bool waited = false;  // the code is the one the setup ended with (not read while it still ran)
    std::wstring mapping; // one of the four texts above
    std::wstring message; // the mapped message text, without its "success:"/"error:" prefix
};

struct CheckVerdict {
    std::wstring name;
    bool passed = false;
    std::wstring detail;
};

struct StageTime {
    RunStage stage = RunStage::StartUp;
    uint64_t milliseconds = 0;
};

// The system the run found, as the OS identification reported it (`known` false before it did).
struct RunSystemFacts {
    bool known = false;
    uint32_t major = 0;
    uint32_t minor = 0;
    uint32_t build = 0;
    std::wstring displayVersion;      // "23H2"; empty when the registry has none
    std::wstring machineArchitecture; // "x64", "arm64", ...
    std::wstring processArchitecture; // what the program runs as
    bool emulated = false;            // the machine emulates the program's instruction set
};

struct RunFacts {
    std::wstring packageName;
    std::wstring packageVersion;
    std::wstring mode; // "gui", "unattended", "silent"
    bool check = false;
    bool strictExit = false;
    RunStage stage = RunStage::StartUp; // where the run ended (see RunResult::Snapshot)
    std::vector<StageTime> stages;      // in the order they were first entered
    int exitCode = 0;
    std::wstring outcome; // "success", "failed", "cancelled"
    std::wstring failure; // a runcheck name; empty unless failed
    std::wstring summaryStatus;
    int errors = 0;
    int warnings = 0;
    std::wstring firstError; // the first kind-0 line as the log has it, without its line end
    std::wstring extractionPath;
    uint64_t filesExtracted = 0;
    uint64_t bytesExtracted = 0;
    std::vector<LaunchedSetup> setups;
    std::vector<CheckVerdict> checks;
    std::wstring logFile;
    std::wstring started; // UTC, ISO 8601
    uint32_t processId = 0;

    RunSystemFacts system;
};

inline constexpr int kRunResultFormat = 1;

// The result document (UTF-8 JSON) of a run.
std::string FormatRunResultJson(const RunFacts& facts);

class RunResult {
public:
    RunResult();

    // The run moves on to `stage`; the time since the previous change counts for the previous stage.
    void EnterStage(RunStage stage);
    // The first reason reported wins: later failures are consequences.
    void NoteFailure(const std::wstring& reason);
    std::wstring Failure() const;
    // Every kind-0 log line passes here; the first one is kept.
    void NoteErrorLine(const std::wstring& line);
    void AddSetup(const LaunchedSetup& setup);
    void AddCheck(const CheckVerdict& verdict);
    // The latest identification wins (the report's and the check's describe the same system).
    void NoteSystem(const RunSystemFacts& system);
    std::vector<CheckVerdict> Checks() const;
    std::vector<LaunchedSetup> Setups() const;
    bool Entered(RunStage stage) const;

    // The collected facts with the current stage's time counted up to now. `stage` is the last
    // stage entered before the shutdown's cleanup, or Cleanup when `wentThrough` (the run ended
    // normally after its work).
    RunFacts Snapshot(bool wentThrough) const;

private:
    mutable std::mutex m_mutex;
    RunFacts m_facts;
    RunStage m_current = RunStage::StartUp;
    RunStage m_lastWork = RunStage::StartUp;
    uint64_t m_stageStart = 0;
};

// The run's result collector (ResetProcessContext() gives a fresh one).
RunResult& RunReport();
