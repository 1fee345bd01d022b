#pragma once
// What a run does for deployment tools on request: the result file (/result=FILE), the preflight
// verdicts (/check) and the exit code (/strictexit, /check). Without these options it changes
// nothing: the exit code stays the one the run always had, and nothing extra is logged or written.
#include <cstdint>
#include <string>

#include "app/ExitCodes.h"

class CExtractorCommandOpt;

class DeploymentRun {
public:
    // Takes the options; a relative result path is made absolute now, against the start folder.
    void Configure(const CExtractorCommandOpt& options);
    bool Check() const { return m_check; }

    // A preflight verdict: logged and kept for the result file and the exit code (preflight only).
    void Verdict(const wchar_t* check, bool passed, const std::wstring& detail) const;
    // A question the user answered with "stop" (an unsupported OS in the wizard).
    void NoteCancelled() { m_cancelled = true; }
    void NotePackage(const std::wstring& name, const std::wstring& version);

    // The shutdown begins: counts what the run extracted while the files are still there.
    void BeginShutdown();
    // The process exit code for the code the run ends with by default; remembers the outcome.
    int ExitCode(int defaultCode);
    // Writes the result file, when asked; a file that cannot be written is logged at kind 0.
    void WriteResult(int runMode) const;

private:
    std::wstring m_resultFile;
    bool m_check = false;
    bool m_strict = false;
    bool m_cancelled = false;
    std::wstring m_packageName;
    std::wstring m_packageVersion;
    std::wstring m_extractionPath;
    uint64_t m_files = 0;
    uint64_t m_bytes = 0;
    int m_exitCode = 0;
    RunOutcome m_outcome;
};
