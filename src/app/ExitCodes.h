#pragma once
// The exit code a run ends with. Without options it stays what it always was (README, "Exit
// codes"); /strictexit asks for codes that tell a script the truth, /check for the preflight codes.
// Pure rules over the facts the stages reported.
#include <string>
#include <vector>

#include "log/RunResult.h"

inline constexpr int kExitRestartRequired = 3010;
inline constexpr int kExitRestartStarted = 1641;
inline constexpr int kExitCancelled = 1602;
inline constexpr int kExitFailed = 1603;
inline constexpr int kCheckNotMade = 1;

struct OutcomeFacts {
    std::wstring failure; // the first failure a stage reported (a runcheck name), or empty
    bool cancelled = false;
    int extractionStatus = 0;
    std::vector<LaunchedSetup> setups; // in launch order
};

struct RunOutcome {
    std::wstring outcome; // "success", "failed", "cancelled"
    std::wstring failure; // a runcheck name when failed
    int strictCode = 0;
};

RunOutcome ClassifyRun(const OutcomeFacts& facts);

// The code of a failing preflight check; 0 for a name that is no check.
int CheckFailureCode(const std::wstring& check);
// /check: 0 when every verdict passed and nothing failed; else the code of the first failing check
// in the order the checks ran, or kCheckNotMade when the run failed before a check could say why.
int CheckExitCode(const std::vector<CheckVerdict>& verdicts, const std::wstring& failure);
