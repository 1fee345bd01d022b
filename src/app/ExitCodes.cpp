#include "app/ExitCodes.h"

namespace {
constexpr int kStatusCancelled = 11;

bool IsRestartCode(int code)
{
    return code == kExitRestartRequired || code == kExitRestartStarted;
}

RunOutcome Failed(const wchar_t* failure, int code = kExitFailed)
{
    return RunOutcome{L"failed", failure, code};
}

// What an extraction status that is not 0 says went wrong.
const wchar_t* FailureOfStatus(int status)
{
    switch (status) {
    case -2: // a part or the first cabinet is missing
    case -3: // a part is no cabinet of this set
    case -5: // a part's MD5 differs
        return runcheck::kParts;
    case -4:
        return runcheck::kLaunch;
    case -6:
        return runcheck::kSetup;
    default:
        return runcheck::kExtraction;
    }
}
} // namespace

RunOutcome ClassifyRun(const OutcomeFacts& facts)
{
    if (facts.cancelled || facts.extractionStatus == kStatusCancelled) {
        return RunOutcome{L"cancelled", L"", kExitCancelled};
    }
    if (!facts.failure.empty()) {
        return RunOutcome{L"failed", facts.failure, kExitFailed};
    }
    int restart = 0;
    for (const LaunchedSetup& setup : facts.setups) {
        if (setup.mapping == kSetupNotStarted) {
            return Failed(runcheck::kLaunch);
        }
        if (setup.mapping == kSetupMappedError) {
            // A code the package calls an error but that reads as success must not reach a script as 0.
            return Failed(runcheck::kSetup, setup.exitCode != 0 ? setup.exitCode : kExitFailed);
        }
        if (!setup.waited || setup.exitCode == 0) {
            continue;
        }
        if (IsRestartCode(setup.exitCode)) {
            // A restart already started outweighs one that is only needed.
            restart = restart == kExitRestartStarted ? restart : setup.exitCode;
        } else if (setup.mapping == kSetupUnconfigured) {
            return Failed(runcheck::kSetup, setup.exitCode);
        }
    }
    if (facts.extractionStatus != 0) {
        return Failed(FailureOfStatus(facts.extractionStatus));
    }
    return RunOutcome{L"success", L"", restart};
}

int CheckFailureCode(const std::wstring& check)
{
    static const struct {
        const wchar_t* check;
        int code;
    } kCodes[] = {
        {runcheck::kSingleInstance, 10}, {runcheck::kTempFolder, 11},     {runcheck::kPayload, 12},
        {runcheck::kAdminRights, 13},    {runcheck::kPassword, 14},       {runcheck::kOs, 15},
        {runcheck::kRequirements, 16},   {runcheck::kExtractionPath, 17}, {runcheck::kTargetPaths, 18},
        {runcheck::kParts, 19},
    };
    for (const auto& entry : kCodes) {
        if (check == entry.check) {
            return entry.code;
        }
    }
    return 0;
}

int CheckExitCode(const std::vector<CheckVerdict>& verdicts, const std::wstring& failure)
{
    for (const CheckVerdict& verdict : verdicts) {
        if (!verdict.passed) {
            const int code = CheckFailureCode(verdict.name);
            return code != 0 ? code : kCheckNotMade;
        }
    }
    return failure.empty() ? 0 : kCheckNotMade;
}
