// What a run's facts make of it: the outcome and the code /strictexit reports, and the code of a
// preflight run.
#include <gtest/gtest.h>

#include "app/ExitCodes.h"
#include "util/StringUtil.h"

namespace {

LaunchedSetup Launched(const wchar_t* mapping, int code, bool waited = true)
{
    return LaunchedSetup{L"D:\\t\\setup.exe", code, waited, mapping, L""};
}

TEST(ExitCodes, EachKindOfRunGetsItsStrictCode)
{
    const struct {
        const char* name;
        OutcomeFacts facts;
        const wchar_t* outcome;
        const wchar_t* failure;
        int code;
    } cases[] = {
        {"extracted only", {}, L"success", L"", 0},
        {"setup mapped to success", {L"", false, 0, {Launched(kSetupMappedSuccess, 0)}}, L"success", L"", 0},
        {"other success codes read as success",
         {L"", false, 0, {Launched(kSetupMappedSuccess, 5)}},
         L"success",
         L"",
         0},
        {"restart needed passes through",
         {L"", false, 0, {Launched(kSetupMappedSuccess, 3010)}},
         L"success",
         L"",
         3010},
        {"a started restart outweighs a needed one",
         {L"", false, 0, {Launched(kSetupMappedSuccess, 1641), Launched(kSetupMappedSuccess, 3010)}},
         L"success",
         L"",
         1641},
        {"unconfigured restart code", {L"", false, 0, {Launched(kSetupUnconfigured, 3010)}}, L"success", L"", 3010},
        {"setup error code passes through",
         {L"", false, -6, {Launched(kSetupMappedSuccess, 0), Launched(kSetupMappedError, 1618)}},
         L"failed",
         L"setup",
         1618},
        {"an error mapping of code 0 is no success",
         {L"", false, -6, {Launched(kSetupMappedError, 0)}},
         L"failed",
         L"setup",
         1603},
        {"unconfigured failure code", {L"", false, 0, {Launched(kSetupUnconfigured, 2)}}, L"failed", L"setup", 2},
        {"a code read while the setup ran is no verdict",
         {L"", false, 0, {Launched(kSetupUnconfigured, 259, false)}},
         L"success",
         L"",
         0},
        {"setup not started", {L"", false, -4, {Launched(kSetupNotStarted, -1, false)}}, L"failed", L"launch", 1603},
        {"corrupt part", {L"", false, -5, {}}, L"failed", L"parts", 1603},
        {"missing part", {L"", false, -2, {}}, L"failed", L"parts", 1603},
        {"full disk", {L"", false, 8, {}}, L"failed", L"extraction", 1603},
        {"payload copy failed", {L"", false, -1, {}}, L"failed", L"extraction", 1603},
        {"requirements not met", {runcheck::kRequirements, false, 0, {}}, L"failed", L"requirements", 1603},
        {"unsupported OS blocked the launch", {runcheck::kOs, false, 0, {}}, L"failed", L"os", 1603},
        {"second instance", {runcheck::kSingleInstance, false, 0, {}}, L"failed", L"single-instance", 1603},
        {"cancelled by the user", {L"", true, 11, {}}, L"cancelled", L"", 1602},
        {"cancelled at the OS question of the launch", {L"", false, 11, {}}, L"cancelled", L"", 1602},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const RunOutcome outcome = ClassifyRun(c.facts);
        EXPECT_EQ(outcome.outcome, c.outcome);
        EXPECT_EQ(outcome.failure, c.failure);
        EXPECT_EQ(outcome.strictCode, c.code);
    }
}

TEST(ExitCodes, PreflightEndsWithTheCodeOfTheFirstFailingCheck)
{
    const std::vector<CheckVerdict> passed = {{runcheck::kTempFolder, true, L""}, {runcheck::kParts, true, L""}};
    EXPECT_EQ(CheckExitCode(passed, L""), 0);
    // A run that failed before any check could say why is no pass.
    EXPECT_EQ(CheckExitCode(passed, runcheck::kOle), kCheckNotMade);

    const std::vector<CheckVerdict> failed = {
        {runcheck::kRequirements, true, L""}, {runcheck::kPassword, false, L""}, {runcheck::kParts, false, L""}};
    EXPECT_EQ(CheckExitCode(failed, runcheck::kPassword), CheckFailureCode(runcheck::kPassword));
    EXPECT_EQ(CheckExitCode({{L"no such check", false, L""}}, L""), kCheckNotMade);
}

} // namespace
