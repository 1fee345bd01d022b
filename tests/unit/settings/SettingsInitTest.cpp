// Init end to end on real properties files: the values it keeps, what it logs into the
// extraction log, and the display decision of wizard, silent and unattended runs.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "LogCapture.h"
#include "TestEnv.h"
#include "log/BuildLogFile.h"
#include "log/LogFormat.h"
#include "settings/Messages.h"
#include "settings/OrloInitalizer.h"
#include "util/ProcessContext.h"
#include "util/Util.h"
#include "validation/ExtractorValidator.h"
#include "validation/ValidatorChecks.h"

namespace {

int NoBox(const std::wstring&, UINT, UINT) { return IDOK; }

class SettingsInit : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetProcessContext();
        ClearMessageTable();
        master = std::make_unique<testenv::LogCapture>(dir / L"master.log", kLogLevelNormal);
        Settings().SetOrloTempDirPath(dir.Path());
        Validator().SetMessageBoxRoutine(&NoBox);
        logName = L"settings-init-" + CUtil::NewGuidString() + L".log";
    }
    void TearDown() override
    {
        const std::wstring extractionLog = Log().GetPath();
        ResetProcessContext();
        ClearMessageTable();
        if (extractionLog.find(L"settings-init-") != std::wstring::npos) {
            ::DeleteFileW(extractionLog.c_str());
        }
    }
    // Writes the properties file with the extraction-log key and `body`.
    void WriteProperties(const std::wstring& body) const
    {
        testenv::WriteUtf16File(dir / kPropertiesFileName, L"[LogFiles]\r\nExtractLogFileName=" + logName + L"\r\n" + body);
    }
    int RunInit(int runMode, const std::wstring& extractPath = L"", const std::wstring& setupLanguage = L"",
                const std::wstring& autolaunch = L"", int noConditionCheck = 0)
    {
        OrloInitRecord record;
        record.runMode = runMode;
        record.extractPath = extractPath;
        record.setupLanguage = setupLanguage;
        record.autolaunch = autolaunch;
        record.noConditionCheck = noConditionCheck;
        Settings().SetChecks(&ValidatorChecks()); // as start-up does
        return Settings().Init(record);
    }
    testenv::LogCapture ExtractionLog() const { return testenv::LogCapture::Existing(Log().GetPath()); }

    testenv::ScratchDir dir{L"init"};
    std::unique_ptr<testenv::LogCapture> master;
    std::wstring logName;
};

TEST_F(SettingsInit, KeepsEveryValueAndLogsIntoTheExtractionLog)
{
    const std::wstring target = dir / L"target";
    WriteProperties(L"[Package]\r\nName=InitPkg\r\nNameDispl=Init Package\r\nVersionString=1.2\r\n"
                    L"MultiPartDownload=1\r\nMultipartFileName=InitPkg.%03d\r\n"
                    L"[Runtime]\r\nExtractPath=" + target + L"\r\nAllowChangeTarget=1\r\nAutoLaunch=setup.exe\r\n"
                    L"WaitForAutolaunchFinish=0\r\n[OS]\r\nNoOSCheck=1\r\n"
                    L"[Orlo]\r\nFrameVersion=4.2\r\nGUID2=40000\r\n[FileCount]\r\nCount=17\r\n[Size]\r\nPackageSize=1000\r\n");
    EXPECT_EQ(RunInit(kRunModeGui), 1);

    EXPECT_EQ(Settings().GetPropertiesPath(), dir / kPropertiesFileName);
    EXPECT_EQ(Validator().GetPropertiesPath(), dir / kPropertiesFileName);
    EXPECT_EQ(Settings().GetRunMode(), kRunModeGui);
    EXPECT_EQ(Settings().GetPackageName(), L"InitPkg");
    EXPECT_EQ(Settings().GetDisplayName(), L"Init Package 1.2");
    EXPECT_EQ(Settings().GetFileCount(), 17);
    EXPECT_EQ(Settings().GetAllowChangeTarget(), 1);
    EXPECT_EQ(Settings().GetAutolaunch(), 1);
    EXPECT_EQ(Settings().GetWaitForAutolaunchFinish(), 0);
    EXPECT_EQ(Settings().GetNoOSCheck(), 1);
    EXPECT_EQ(Settings().GetMultiPartDownload(), 1);
    EXPECT_EQ(Settings().GetMultipartFileName(), L"InitPkg.%03d");
    EXPECT_EQ(Settings().GetCabinetSetId(), 40000);
    EXPECT_EQ(Settings().GetExtractionPath(), target);
    EXPECT_FALSE(testenv::PathExists(target));  // the check leaves no folder behind

    const auto log = ExtractionLog();
    EXPECT_NE(Log().GetPath().find(logName), std::wstring::npos);
    const int frame = log.Find(kLogInfo, L"Orlo Masterframe Version", L"4.2");
    const int mode = log.Find(kLogInfo, L"GUI Mode", L"Full GUI");
    const int init = log.Find(kLogInfo, L"COrloInitalizer::Init", L"Initializing the package settings");
    const int name = log.Find(kLogInfo, L"PackageName", L"InitPkg");
    EXPECT_GE(frame, 0);
    EXPECT_GT(mode, frame);
    EXPECT_GT(init, mode);
    EXPECT_GT(name, init);
    EXPECT_TRUE(log.Contains("|RAM Size"));  // the system information block is part of Init
}

TEST_F(SettingsInit, DefaultsOfAnEmptyPackage)
{
    WriteProperties(L"");
    EXPECT_EQ(RunInit(kRunModeGui), 0);  // no configured path
    EXPECT_EQ(Settings().GetPackageName(), L"");
    EXPECT_EQ(Settings().GetDisplayName(), L" ");
    EXPECT_EQ(Settings().GetFileCount(), 0);
    EXPECT_EQ(Settings().GetAllowChangeTarget(), 0);
    EXPECT_EQ(Settings().GetAutolaunch(), 0);
    EXPECT_EQ(Settings().GetWaitForAutolaunchFinish(), 1);
    EXPECT_EQ(Settings().GetNoOSCheck(), 0);
    EXPECT_EQ(Settings().GetNoConditioncheck(), 0);
    EXPECT_EQ(Settings().GetMultiPartDownload(), 0);
    EXPECT_EQ(Settings().GetCabinetSetId(), 0);
    EXPECT_EQ(Settings().GetLanguage(), 1033);
    EXPECT_EQ(Settings().GetPackageSizeMember(), 4294967296ULL);
    EXPECT_TRUE(ExtractionLog().Has(kLogInfo, L"InitAutolaunch", L"AutoLaunch is not enabled"));
}

TEST_F(SettingsInit, AllowChangeTargetTrueCountsAsZeroAndNoOSCheckNeedsAutolaunch)
{
    WriteProperties(L"[Runtime]\r\nAllowChangeTarget=true\r\n[OS]\r\nNoOSCheck=1\r\n[Orlo]\r\nGUID2=abc\r\n");
    RunInit(kRunModeGui);
    EXPECT_EQ(Settings().GetAllowChangeTarget(), 0);
    EXPECT_EQ(Settings().GetNoOSCheck(), 0);  // only read when a setup is launched
    EXPECT_EQ(Settings().GetCabinetSetId(), 0);
}

TEST_F(SettingsInit, GuiDecisionFollowsTheConfiguredPath)
{
    WriteProperties(L"[Runtime]\r\nExtractPath=" + dir / L"a\\CON\\b" + L"\r\nAutoLaunch=setup.exe\r\n");
    EXPECT_EQ(RunInit(kRunModeGui), 0);
    EXPECT_TRUE(ExtractionLog().HasNoFunction(kLogWarning, L"Extract path is not having enough space or permission"));
}

TEST_F(SettingsInit, GuiDecisionRefusesADriveWithoutSpace)
{
    WriteProperties(L"[Runtime]\r\nExtractPath=" + dir / L"pkg" + L"\r\n[Size]\r\nPackageSize=4611686018427387904\r\n");
    EXPECT_EQ(RunInit(kRunModeGui), 0);
    EXPECT_TRUE(ExtractionLog().Has(kLogWarning, L"CheckFreeSpace", L"Space on drive D: is not sufficient"));
}

TEST_F(SettingsInit, GuiDecisionExpandsEnvironmentVariables)
{
    WriteProperties(L"[Package]\r\nName=EnvPkg\r\n[Runtime]\r\nExtractPath=%TEMP%\\EnvPkg\r\n");
    EXPECT_EQ(RunInit(kRunModeGui), 1);
    EXPECT_EQ(Settings().GetExtractionPath(), CUtil::ExpandPercentPath(L"%TEMP%\\EnvPkg"));
    EXPECT_TRUE(ExtractionLog().Has(kLogInfo, L"COrloInitalizer::ValidateAndCheckExtractPath(",
                                    L"Extract Path from Web Package : %TEMP%\\EnvPkg"));
}

TEST_F(SettingsInit, SilentRunTakesTheCommandLinePath)
{
    const std::wstring target = dir / L"silent";
    WriteProperties(L"[Package]\r\nName=SilentPkg\r\n");
    EXPECT_EQ(RunInit(kRunModeSilent, target), 520);
    EXPECT_EQ(Settings().GetExtractionPath(), target + L"\\");
    EXPECT_EQ(Settings().GetOverwriteWithoutPrompting(), 1);
    const auto log = ExtractionLog();
    EXPECT_TRUE(log.Has(kLogInfo, L"GUI Mode", L"Silent"));
    EXPECT_TRUE(log.Has(kLogInfo, L"Command Line Parameters", L"Command line parameter for Extract path : " + target));
    EXPECT_TRUE(log.Has(kLogInfo, L"File Overwriting",
                        L"Overwriting of the extracted files is enabled in Silent and Unattended mode"));
}

TEST_F(SettingsInit, SilentRunFallsBackToTempAndPackageName)
{
    WriteProperties(L"[Package]\r\nName=FallbackPkg\r\n[Runtime]\r\nExtractPath=" + dir / L"x\\lpt1" + L"\r\n");
    EXPECT_EQ(RunInit(kRunModeSilent, dir / L"bad|name"), 520);
    EXPECT_EQ(Settings().GetExtractionPath(), CUtil::ExpandPercentPath(L"%TEMP%\\FallbackPkg\\"));
}

TEST_F(SettingsInit, SilentRunWithoutAnyUsableFolderStops)
{
    WriteProperties(L"[Package]\r\nName=HugePkg\r\n[Size]\r\nPackageSize=4611686018427387904\r\n");
    EXPECT_EQ(RunInit(kRunModeSilent, dir / L"huge"), -1);
    EXPECT_EQ(Settings().GetExtractionPath(), L"");
    EXPECT_TRUE(ExtractionLog().Has(kLogError, L"COrloInitalizer::InitDisplay", L"Valid Extract path could not be found"));
}

TEST_F(SettingsInit, UnattendedRunValidatesTheSetupLanguage)
{
    testenv::WriteUtf16File(dir / L"Default1031.ulf", L"[FileInfo]\r\nID=1031\r\n200=Willkommen\r\n");
    WriteProperties(L"[Package]\r\nName=LangPkg\r\n[Languages]\r\nSetupLanguages=1033;1031\r\n");
    EXPECT_EQ(RunInit(kRunModeUnattended, dir / L"u", L"1031"), 520);
    EXPECT_EQ(Settings().GetLanguage(), 1031);
    EXPECT_EQ(GetMessage(200), L"Willkommen");
}

TEST_F(SettingsInit, UnattendedRunWithAnUnparsableLanguageTakesEnglish)
{
    WriteProperties(L"[Package]\r\nName=LangPkg\r\n[Languages]\r\nSetupLanguages=1033;1031\r\n");
    EXPECT_EQ(RunInit(kRunModeUnattended, dir / L"u", L"abc"), 520);
    EXPECT_EQ(Settings().GetLanguage(), 1033);
    EXPECT_TRUE(ExtractionLog().Has(
        kLogInfo, L"Command Line Parameters",
        L"Invalid Command line parameter for SetupLanguage. English taken as default SetupLanguage"));
}

TEST_F(SettingsInit, SilentRunIgnoresTheSetupLanguageButAppliesAutolaunch)
{
    WriteProperties(L"[Package]\r\nName=LangPkg\r\n[Languages]\r\nSetupLanguages=1033;1031\r\n"
                    L"[Runtime]\r\nAutoLaunch=setup.exe\r\n");
    EXPECT_EQ(RunInit(kRunModeSilent, dir / L"s", L"1031", L"No", 1), 520);
    EXPECT_EQ(Settings().GetLanguage(), 1033);
    EXPECT_EQ(Settings().GetAutolaunch(), 0);
    EXPECT_EQ(Settings().GetNoConditioncheck(), 1);
    EXPECT_TRUE(ExtractionLog().Has(
        kLogInfo, L"Command Line Parameters",
        L"Condition check will not be done as NoConditioncheck command line parameter has been passed"));
}

TEST_F(SettingsInit, UnattendedRunStopsWhenTheRequirementsFail)
{
    const std::wstring missing = L"{File};{" + dir / L"missing.txt" + L"};{EXIST};{};{NeedsFile}";
    WriteProperties(L"[Package]\r\nName=CondPkg\r\n[Conditions]\r\nAction1=Extract\r\nAction1Message=Needs\r\n"
                    L"Action1Condition=Condition1\r\nCondition1=" + missing + L"\r\n");
    EXPECT_EQ(RunInit(kRunModeUnattended, dir / L"u"), -1);
    EXPECT_EQ(Settings().GetExtractionPath(), L"");  // stopped before any folder was chosen
    EXPECT_TRUE(ExtractionLog().Has(kLogError, L"COrloInitalizer::InitDisplay", L"Condition not satisfied"));

    // The same package with the check switched off goes ahead.
    ResetProcessContext();
    master = std::make_unique<testenv::LogCapture>(dir / L"master2.log", kLogLevelNormal);
    Settings().SetOrloTempDirPath(dir.Path());
    EXPECT_EQ(RunInit(kRunModeUnattended, dir / L"u", L"", L"", 1), 520);
}

}  // namespace
