// Whole runs across the options admins use (package shape and mode, extraction path, autolaunch,
// waiting, several setups) and the faults a deployment meets (a locked file); every case
// checks the exit code, the tree, what the setup saw and the summary of the extraction log.
#include <gtest/gtest.h>

#include <regex>
#include <sstream>

#include "SilentRunFixture.h"

namespace {
// The lines of a log with what legitimately differs between two runs of one package masked: the
// times, the run's time stamps, the temp folder's GUID and the drive space figures.
std::vector<std::string> ComparableLines(const std::string& log)
{
    static const std::regex time(R"(^\d\d:\d\d:\d\d\|)");
    static const std::regex stamp(R"(\d{14})");
    static const std::regex guid(R"(\{[0-9A-Fa-f-]{36}\})");
    static const std::regex figures(R"(\d+(\.\d+)?)");
    std::vector<std::string> lines;
    std::istringstream stream(log);
    std::string line;
    while (std::getline(stream, line)) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        line = std::regex_replace(line, time, "");
        line = std::regex_replace(line, stamp, "<stamp>");
        line = std::regex_replace(line, guid, "<guid>");
        if (line.find("Space Info on Drive") != std::string::npos || line.find("Available space") != std::string::npos) {
            line = std::regex_replace(line, figures, "<n>");
        }
        lines.push_back(line);
    }
    return lines;
}
}  // namespace

TEST_F(SilentRun, BothPackageShapesRunInBothModes)
{
    int round = 0;
    for (const bool singleFile : {false, true}) {
        for (const std::wstring mode : {L"/silent", L"/unattended"}) {
            SCOPED_TRACE(WideToUtf8(mode) + (singleFile ? " single file" : " multi-part"));
            target = dir / (L"target" + std::to_wstring(++round));
            Build(Template(), singleFile);
            EXPECT_EQ(parts.empty(), singleFile);
            EXPECT_EQ(Run({mode}), 0);
            ExpectTreeExtracted();
            EXPECT_NE(SetupRecord().find("[run]"), std::string::npos) << "the setup was not launched";
            EXPECT_TRUE(Logged(mode == L"/silent" ? "|GUI Mode                            |Silent"
                                                  : "|GUI Mode                            |Unattended"));
            EXPECT_EQ(SummaryStatus(), "Success") << ExtractionLog();
        }
    }
}

TEST_F(SilentRun, CommandLineExtractPathIsTakenWhenValidAndRefusedWhenTooLong)
{
    const std::wstring chosen = dir / L"chosen";
    const std::wstring tooLong = dir / L"chosen-but-with-a-name-longer-than-the-package-allows";
    const int limit = static_cast<int>(target.size()) + 8;
    Build(Template(L"", L"ExtractPathMaxLength=" + std::to_wstring(limit) + L"\r\n"));

    EXPECT_EQ(Run({L"/silent", L"/extractpath=" + chosen}), 0);
    EXPECT_EQ(testenv::ReadFileText(chosen + L"\\readme.txt"), "hello\r\n");
    EXPECT_NE(testenv::ReadFileText(chosen + L"\\setup.exe.record.txt"), "");
    EXPECT_FALSE(testenv::PathExists(target)) << "nothing may land in the package's own path";
    EXPECT_EQ(SummaryStatus(), "Success");

    EXPECT_EQ(Run({L"/silent", L"/extractpath=" + tooLong}), 0);
    EXPECT_TRUE(Logged("|ERROR     |ValidatePathAndSpaceAvailable       |Extract path length exceeded. Maximum path "
                       "length is : " + std::to_string(limit)))
        << ExtractionLog();
    EXPECT_TRUE(Logged("The path you have specified is too long."));
    EXPECT_FALSE(testenv::PathExists(tooLong)) << "a refused path must not be left behind";
    ExpectTreeExtracted();  // the package's own path is the next candidate
    EXPECT_NE(SetupRecord(), "");
}

TEST_F(SilentRun, CommandLineAutolaunchSwitchesTheLaunch)
{
    Build(Template());
    const struct {
        const wchar_t* value;
        bool launched;
        const char* logged;
    } cases[] = {
        {L"no", false, "Autolaunch disabled"},
        {L"NO", false, "Autolaunch disabled"},
        {L"yes", true, "Autolaunch enabled"},
        {L"maybe", true, "Invalid value for Autolaunch. Autolaunch is enabled by default"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(WideToUtf8(c.value));
        ::DeleteFileW((target + L"\\setup.exe.record.txt").c_str());
        EXPECT_EQ(Run({L"/silent", std::wstring(L"/autolaunch=") + c.value}), 0);
        ExpectTreeExtracted();
        EXPECT_EQ(SetupRecord() != "", c.launched);
        EXPECT_TRUE(Logged(std::string("Command line parameter for Autolaunch : ") + WideToUtf8(c.value)));
        EXPECT_TRUE(Logged(c.logged)) << ExtractionLog();
        EXPECT_EQ(SummaryStatus(), "Success");
    }
}

TEST_F(SilentRun, WaitingForTheSetupFollowsThePackage)
{
    // The setup keeps a file locked while it runs, so the test can tell whether it still runs.
    const std::wstring held = dir / L"held.txt";
    const std::wstring setupParameters = L"[1033]\r\nLaunchEXEParams=/sleep=2500 /hold=" + held + L"\r\n"
                                         L"StillRunning=The setup goes on in the background.\r\n"
                                         L"[AutoLaunch]\r\nReturnCode_259=success:{StillRunning}\r\n";
    auto heldFileIsFree = [&] {
        HANDLE file = ::CreateFileW(held.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        if (file == INVALID_HANDLE_VALUE) {
            return false;
        }
        ::CloseHandle(file);
        return true;
    };

    Build(Template(setupParameters));
    EXPECT_EQ(Run({L"/silent"}), 0);
    EXPECT_TRUE(heldFileIsFree()) << "the run ended before its setup";
    EXPECT_TRUE(Logged("|LaunchMultipleApplications          |Finished - ")) << ExtractionLog();
    EXPECT_TRUE(Logged("setup.exe is 0"));

    Build(ReplaceFirst(Template(setupParameters), L"WaitForAutolaunchFinish=1", L"WaitForAutolaunchFinish=0"));
    EXPECT_EQ(Run({L"/silent"}), 0);
    EXPECT_FALSE(heldFileIsFree()) << "the run waited for its setup";
    EXPECT_TRUE(Logged("WaitForAutolaunchFinish is not enabled"));
    EXPECT_FALSE(Logged("Finished - "));
    // The exit code read at once is "still active", looked up like any other code.
    EXPECT_TRUE(Logged("Message Configuerd : The setup goes on in the background.")) << ExtractionLog();
    EXPECT_EQ(SummaryStatus(), "Success");
    for (int i = 0; i < 300 && !heldFileIsFree(); ++i) {
        ::Sleep(100);  // let the setup end before the scratch folder goes
    }
}

TEST_F(SilentRun, ThreeSetupsAreLaunchedInOrderWithTheirOwnParameters)
{
    ASSERT_EQ(CUtil::CreateParentFolders(source + L"\\second\\x"), 0);
    ASSERT_TRUE(::CopyFileW((source + L"\\setup.exe").c_str(), (source + L"\\second\\two.exe").c_str(), FALSE));
    ASSERT_TRUE(::CopyFileW((source + L"\\setup.exe").c_str(), (source + L"\\three.exe").c_str(), FALSE));
    Build(ReplaceFirst(Template(L"[1033]\r\nLaunchEXEParams1=/first\r\nLaunchEXEParams2=/second\r\n"
                                L"LaunchEXEParams3=/third\r\n"),
                       L"AutoLaunch=setup.exe",
                       L"Multilaunch=1\r\nAutoLaunch1=setup.exe\r\nAutoLaunch2=second\\two.exe\r\nAutoLaunch3=three.exe"));
    const std::wstring order = dir / L"order.txt";
    testenv::ScopedEnv orderFile(L"FAKESETUP_ORDER_FILE", order);

    EXPECT_EQ(Run({L"/silent"}), 0);
    EXPECT_EQ(testenv::ReadLines(order), (std::vector<std::string>{"setup.exe", "two.exe", "three.exe"}));
    EXPECT_NE(SetupRecord().find("arg=/first\n"), std::string::npos);
    EXPECT_NE(testenv::ReadFileText(target + L"\\second\\two.exe.record.txt").find("arg=/second\n"),
              std::string::npos);
    EXPECT_NE(testenv::ReadFileText(target + L"\\three.exe.record.txt").find("arg=/third\n"), std::string::npos);
    EXPECT_TRUE(Logged("three.exe is 0")) << ExtractionLog();
    EXPECT_EQ(SummaryStatus(), "Success");
}

TEST_F(SilentRun, LockedTargetFileFailsTheRunAndKeepsTheFile)
{
    Build(Template());
    ASSERT_EQ(CUtil::CreateParentFolders(target + L"\\x"), 0);
    testenv::WriteFileText(target + L"\\readme.txt", "older\r\n");
    {
        // Held by this process, without sharing, while the package runs.
        HANDLE locked = ::CreateFileW((target + L"\\readme.txt").c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                      OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(locked, INVALID_HANDLE_VALUE);
        EXPECT_EQ(Run({L"/silent"}), 0);
        ::CloseHandle(locked);
    }
    EXPECT_EQ(testenv::ReadFileText(target + L"\\readme.txt"), "older\r\n");
    EXPECT_TRUE(Logged("|ERROR     |ExtractPackage                      |Cannot copy readme.txt It is being used by "
                       "another person or program."))
        << ExtractionLog();
    EXPECT_EQ(SetupRecord(), "") << "a setup must not start from a half-extracted package";
    EXPECT_EQ(SummaryStatus(), "Fail");

    EXPECT_EQ(Run({L"/silent"}), 0);  // once the file is free the same package goes through
    ExpectTreeExtracted();
    EXPECT_EQ(SummaryStatus(), "Success");
}

TEST_F(SilentRun, SilentAndUnattendedLogsDifferOnlyInModeTimesAndPaths)
{
    Build(Template(L"[Languages]\r\nSetupLanguages=1033\r\n"));
    EXPECT_EQ(Run({L"/silent"}), 0);
    const std::vector<std::string> silent = ComparableLines(ExtractionLog());
    CUtil::RemoveTree(target);  // both runs extract into an empty folder
    EXPECT_EQ(Run({L"/unattended"}), 0);
    const std::vector<std::string> unattended = ComparableLines(ExtractionLog());

    std::vector<std::string> onlySilent;
    std::vector<std::string> onlyUnattended;
    const size_t common = std::min(silent.size(), unattended.size());
    for (size_t i = 0; i < common; ++i) {
        if (silent[i] != unattended[i]) {
            onlySilent.push_back(silent[i]);
            onlyUnattended.push_back(unattended[i]);
        }
    }
    EXPECT_EQ(silent.size(), unattended.size());
    ASSERT_EQ(onlySilent.size(), 1u) << "first difference: " << (onlySilent.empty() ? "" : onlySilent[0]) << " / "
                                     << (onlyUnattended.empty() ? "" : onlyUnattended[0]);
    EXPECT_EQ(onlySilent[0], "          |GUI Mode                            |Silent");
    EXPECT_EQ(onlyUnattended[0], "          |GUI Mode                            |Unattended");
}
