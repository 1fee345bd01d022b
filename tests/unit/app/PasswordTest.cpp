#include <gtest/gtest.h>

#include "TestEnv.h"
#include "app/PasswordCheck.h"
#include "settings/OrloInitalizer.h"
#include "util/Profile.h"
#include "util/ProcessContext.h"

TEST(Password, UnscramblesWithRotationInsideThePrintableRange)
{
    struct Case {
        std::wstring stored;
        int shift;
        std::wstring expected;
    };
    const Case cases[] = {
        {L"", 5, L""},
        {L"abc", 0, L"abc"},
        {L"fgh", 5, L"abc"},
        // c - 32 < n rotates: ' ' (32) with shift 1 becomes '~' (126).
        {L" ", 1, L"~"},
        {L"!", 1, L" "},
        {L"$", 5, L"~"},   // 36 - 5 + 95 = 126
        {L"%", 5, L" "},   // 37 - 5 = 32, the lowest printable stays
        {L"~", 94, L" "},  // the whole range
        {L"Pa$$w0rd", 3, L"M^!!t-oa"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(UnscramblePassword(c.stored, c.shift), c.expected) << "stored " << testing::PrintToString(c.stored);
    }
}

class PasswordFile : public testing::Test {
protected:
    void SetUp() override { ResetProcessContext(); }
    testenv::ScratchDir dir{L"pw"};
    std::wstring props = dir / L"Properties_Orlo.ini";
};

TEST_F(PasswordFile, RewriteMovesTheRequiredFlagAndRemovesTheSecretKeys)
{
    // "khoor" is "hello" shifted by 3.
    testenv::WriteUtf16File(props, L"[Runtime]\r\nExtractPasswordRequired=1\r\nExtractionPassword=  khoor  \r\n"
                                   L"AutoLaunch=setup.exe\r\n[Temporary]\r\nNumber=3\r\n");
    const PasswordState state = PreparePassword(props);
    EXPECT_EQ(state.decoded, L"hello");
    EXPECT_EQ(state.required, L"1");
    EXPECT_EQ(ReadProfileString(props, L"Orlo", L"Required"), L"1");
    EXPECT_EQ(ReadProfileString(props, L"Runtime", L"ExtractPasswordRequired", L"gone"), L"gone");
    EXPECT_EQ(ReadProfileString(props, L"Runtime", L"ExtractionPassword", L"gone"), L"gone");
    EXPECT_EQ(ReadProfileString(props, L"Temporary", L"Number", L"gone"), L"gone");
    EXPECT_EQ(ReadProfileString(props, L"Runtime", L"AutoLaunch"), L"setup.exe");  // the rest stays
}

TEST_F(PasswordFile, CommandLineComparisonInSilentAndUnattendedRuns)
{
    PasswordState state{L"Secret", L"1"};
    for (int mode : {kRunModeSilent, kRunModeUnattended}) {
        EXPECT_FALSE(CheckCommandLinePassword(mode, state, L""));
        EXPECT_FALSE(CheckCommandLinePassword(mode, state, L"secret"));  // case matters
        EXPECT_TRUE(CheckCommandLinePassword(mode, state, L"Secret"));
    }
    EXPECT_TRUE(CheckCommandLinePassword(kRunModeGui, state, L""));  // the wizard asks instead
    EXPECT_TRUE(CheckCommandLinePassword(kRunModeSilent, PasswordState{L"Secret", L""}, L""));
    EXPECT_TRUE(CheckCommandLinePassword(kRunModeSilent, PasswordState{L"Secret", L"true"}, L""));
}
