// The run's result collector: stage times and where a run ended, the first failure and the first
// error line of the real log, and the document a deployment tool reads.
#include <gtest/gtest.h>

#include <regex>

#include "JsonReader.h"
#include "TestEnv.h"
#include "log/LogFile.h"
#include "log/RunResult.h"
#include "util/ProcessContext.h"
#include "util/StringUtil.h"

namespace {
class RunResultTest : public testing::Test {
protected:
    void SetUp() override { ResetProcessContext(); }
    void TearDown() override { ResetProcessContext(); }
};

std::vector<std::wstring> StageNames(const RunFacts& facts)
{
    std::vector<std::wstring> names;
    for (const StageTime& time : facts.stages) {
        names.push_back(RunStageName(time.stage));
    }
    return names;
}

TEST_F(RunResultTest, StagesAreTimedInTheirOrderAndTheRunEndsWhereItsWorkStopped)
{
    RunResult& report = RunReport();
    report.EnterStage(RunStage::Checks);
    ::Sleep(60);
    report.EnterStage(RunStage::Verification);
    report.EnterStage(RunStage::Checks); // entered again: its time adds up, its place stays
    ::Sleep(60);
    report.EnterStage(RunStage::Cleanup);

    const RunFacts stopped = report.Snapshot(false);
    EXPECT_EQ(StageNames(stopped), (std::vector<std::wstring>{L"start-up", L"checks", L"verification", L"cleanup"}));
    EXPECT_GE(stopped.stages[1].milliseconds, 100u);
    EXPECT_EQ(stopped.stage, RunStage::Checks) << "the shutdown's cleanup is not where the run stopped";
    EXPECT_EQ(report.Snapshot(true).stage, RunStage::Cleanup);
    EXPECT_TRUE(report.Entered(RunStage::Verification));
    EXPECT_FALSE(report.Entered(RunStage::Launch));
}

TEST_F(RunResultTest, KeepsTheFirstFailureAndTheFirstErrorLineTheLogWrote)
{
    testenv::ScratchDir dir{L"runresult"};
    CLogFile log;
    log.Init(dir / L"run.log", kLogLevelNormal);
    log.WriteLine(kLogWarning, L"Fn", L"only a warning");
    log.WriteLine(kLogError, L"ValidateParts", L"Part %ls is corrupt.", L"P.002");
    log.WriteLine(kLogError, L"Quit", L"a later error");
    RunReport().NoteFailure(runcheck::kParts);
    RunReport().NoteFailure(runcheck::kExtraction);

    const RunFacts facts = RunReport().Snapshot(false);
    EXPECT_EQ(facts.failure, runcheck::kParts);
    EXPECT_TRUE(
        std::regex_match(WideToUtf8(facts.firstError),
                         std::regex(R"(\d\d:\d\d:\d\d\|ERROR     \|ValidateParts +\|Part P\.002 is corrupt\.)")))
        << WideToUtf8(facts.firstError);
    EXPECT_EQ(testenv::ReadLines(dir / L"run.log")[1], WideToUtf8(facts.firstError)) << "as the log has it";
}

TEST_F(RunResultTest, DocumentSaysNullWhereThereIsNothingToSay)
{
    RunFacts facts;
    facts.bytesExtracted = 6000000000ULL;
    facts.setups = {{L"D:\\Apps\\missing.exe", -1, false, kSetupNotStarted, L""}};

    testenv::JsonValue root;
    std::string error;
    ASSERT_TRUE(testenv::ParseJson(FormatRunResultJson(facts), root, error)) << error;
    EXPECT_EQ(root["format"].Int(), kRunResultFormat);
    EXPECT_TRUE(root["failure"].IsNull());
    EXPECT_TRUE(root["firstError"].IsNull());
    EXPECT_TRUE(root["extractionPath"].IsNull());
    EXPECT_TRUE(root["setups"][0]["exitCode"].IsNull()) << "a setup that never started has no exit code";
    EXPECT_EQ(root["extracted"]["bytes"].number, 6000000000.0);
    EXPECT_TRUE(root["system"].IsNull()) << "no identification, no system";

    facts.system = RunSystemFacts{true, 10, 0, 22631, L"", L"arm64", L"x64", true};
    ASSERT_TRUE(testenv::ParseJson(FormatRunResultJson(facts), root, error)) << error;
    EXPECT_EQ(root["system"]["build"].Int(), 22631);
    EXPECT_TRUE(root["system"]["displayVersion"].IsNull()) << "a registry without it";
    EXPECT_EQ(root["system"]["machineArchitecture"].text, "arm64");
    EXPECT_TRUE(root["system"]["emulated"].boolean);
}
} // namespace
