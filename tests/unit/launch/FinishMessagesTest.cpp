// Loading the return-code messages of a package and reading message parts from its language section.
#include "launch/FinishMessages.h"
#include "LaunchFixture.h"
#include "launch/LaunchState.h"

namespace {
using launchtest::LaunchFixture;
using launchtest::Narrow;

class FinishMessages : public LaunchFixture {};

TEST_F(FinishMessages, ReadsMessagePartsFromTheLanguageSection)
{
    WriteProperties(L"[1033]\nKey=Text of key\n[1031]\nKey=Text des Schluessels\n");
    struct Case {
        const wchar_t* value;
        const wchar_t* language;
        const wchar_t* expected;
    };
    const Case cases[] = {
        {L"success:{Key}", L"1033", L"success:Text of key"},
        {L"Error:{Key}", L"1033", L"Error:Text of key"},
        {L"SUCCESS:{Key}", L"1031", L"SUCCESS:Text des Schluessels"},
        {L"error:  {Key}  ", L"1033", L"error:Text of key"},
        {L"success:{{Key}}", L"1033", L"success:Text of key"},
        {L"{Key}", L"1033", L"Text of key"},
        {L"success:plain text", L"1033", L"success:"},
        {L"success:{Missing}", L"1033", L"success:"},
        {L"success:{Key", L"1033", L"success:"},
        {L"error:", L"1033", L"error:"},
        {L"plain", L"1033", L""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(GetMessageFromLangSection(c.value, c.language), c.expected) << Narrow(c.value);
    }
    EXPECT_TRUE(LogHas(L"GetMessageFromLangSection", L"Checking message part : {Key} "));
    EXPECT_TRUE(LogHas(L"GetMessageFromLangSection", L"Message part not provided"));
}

TEST_F(FinishMessages, LoadsOnlyReturnCodeEntriesWithAValue)
{
    WriteProperties(L"[AutoLaunch1]\nReturnCode_0=success:{Ok}\nreturncode_1603=ERROR:{Bad}\nReturnCode_5=\n"
                    L"ReturnCodes=success:{Ok}\nOther_7=success:{Ok}\n"
                    L"[1033]\nOk=Fine\nBad=Broken\nMessageOnFinish=Done\n[1031]\nMessageOnFinish=Fertig\n");
    LoadReturnCodeMessages(L"AutoLaunch1");
    const std::map<std::wstring, std::wstring> expected = {{L"autolaunch1:returncode_0", L"success:Fine"},
                                                           {L"autolaunch1:returncode_1603", L"ERROR:Broken"}};
    EXPECT_EQ(LaunchData().ReturnCodeMessages, expected);
    EXPECT_EQ(LaunchData().FinishMessages.at(L"MessageOnFinish"), L"Done");

    // MessageOnFinish is taken once per run, even when the language changes later.
    Settings().SetLanguage(1031);
    LoadReturnCodeMessages(L"");
    EXPECT_EQ(LaunchData().FinishMessages.at(L"MessageOnFinish"), L"Done");
}

TEST_F(FinishMessages, AnEmptyMessageOnFinishIsStillRecorded)
{
    WriteProperties(L"[1033]\nOther=x\n");
    LoadReturnCodeMessages(L"");
    EXPECT_TRUE(LaunchData().ReturnCodeMessages.empty());
    ASSERT_EQ(LaunchData().FinishMessages.count(L"MessageOnFinish"), 1u);
    EXPECT_EQ(LaunchData().FinishMessages.at(L"MessageOnFinish"), L"");
}

TEST_F(FinishMessages, RecordsWhatEachExitCodeSelected)
{
    LaunchData().ReturnCodeMessages = {{L"autolaunch:returncode_0", L"Success:Fine"},
                                       {L"autolaunch:returncode_1", L"error:Broken"},
                                       {L"autolaunch:returncode_2", L"no prefix"},
                                       {L"autolaunch:returncode_3", L""}};
    SetFinishMessage(0, L"AutoLaunch");
    EXPECT_EQ(LaunchData().FinishMessages.at(L"SUCCESS"), L"Fine");
    EXPECT_EQ(Settings().GetExtractionStatus(), 0);

    // A value without a prefix records nothing; an empty one counts as not configured.
    SetFinishMessage(2, L"AutoLaunch");
    EXPECT_EQ(LaunchData().FinishMessages.count(L"NOTSET"), 0u);
    SetFinishMessage(3, L"AUTOLAUNCH");
    EXPECT_EQ(LaunchData().FinishMessages.at(L"NOTSET"), L"Return code not Configured");
    EXPECT_TRUE(LogHas(L"SetFinishMessage", L"Return Code is not Configured"));
    EXPECT_TRUE(HasUnconfiguredResult());

    SetFinishMessage(1, L"AutoLaunch");
    EXPECT_EQ(Settings().GetExtractionStatus(), -6);
    EXPECT_FALSE(HasUnconfiguredResult());
    EXPECT_EQ(GetFinishMessage(), L"Broken");
}

} // namespace
