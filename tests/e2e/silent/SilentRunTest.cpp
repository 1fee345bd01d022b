// Whole silent and unattended runs of real packages made by OrloPack: settings, checks, extraction,
// launch of a fake setup, cleanup, log summary and exit code.
#include <gtest/gtest.h>

#include <regex>
#include <thread>

#include "OrloPack.h"
#include "ProcessRunner.h"
#include "TestEnv.h"
#include "util/StringUtil.h"
#include "util/Util.h"

namespace {
const std::wstring kLogFolder = L"C:\\ProgramData\\Norlund\\Automation\\Logfiles\\";

class SilentRun : public testing::Test {
protected:
    testenv::ScratchDir dir{L"run"};
    std::wstring source = dir / L"src";
    std::wstring target = dir / L"target";
    std::wstring logName = L"run-" + CUtil::NewGuidString().substr(1, 8) + L".log";
    std::wstring package;
    std::vector<std::wstring> parts;

    void SetUp() override
    {
        ASSERT_EQ(CUtil::CreateParentFolders(source + L"\\data\\deep\\x"), 0);
        ASSERT_TRUE(::CopyFileW((testenv::BinDir() + L"FakeSetup.exe").c_str(), (source + L"\\setup.exe").c_str(),
                                FALSE));
        testenv::WriteFileText(source + L"\\readme.txt", "hello\r\n");
        std::string noise(300000, '\0');
        uint32_t seed = 12345;
        for (auto& c : noise) {
            seed = seed * 1103515245u + 12345u;
            c = static_cast<char>(seed >> 24);
        }
        testenv::WriteFileText(source + L"\\data\\deep\\blob.bin", noise);
    }

    std::wstring Template(const std::wstring& extra = L"") const
    {
        return L"[Package]\r\nName=RunTest\r\nNameDispl=Run Test\r\nVersionString=2.5\r\n"
               L"[Runtime]\r\nExtractPath=" + target + L"\r\nAutoLaunch=setup.exe\r\nWaitForAutolaunchFinish=1\r\n"
               L"[OS]\r\nOSAllowed=Windows61+\r\n[LogFiles]\r\nExtractLogFileName=" + logName + L"\r\n" + extra;
    }

    void Build(const std::wstring& templateText, bool singleFile = false)
    {
        orlopack::BuildOptions options;
        options.sourceFolder = source;
        options.templateText = templateText;
        options.outputFolder = dir / L"out";
        options.baseName = L"RunTest";
        options.partSize = 128 * 1024;
        options.singleFile = singleFile;
        orlopack::BuildReport report;
        ASSERT_EQ(orlopack::BuildPackage(options, report), orlopack::kOk) << WideToUtf8(report.error);
        package = report.packagePath;
        parts = report.partPaths;
    }

    int Run(const std::vector<std::wstring>& arguments)
    {
        const auto result = testenv::RunProcess(package, arguments, 120000);
        EXPECT_TRUE(result.started);
        EXPECT_FALSE(result.timedOut) << "the run blocked";
        return static_cast<int>(result.exitCode);
    }

    std::string ExtractionLog() const
    {
        // Before Vista the log folder sits under "Application Data".
        const std::wstring legacy = L"C:\\ProgramData\\Application Data\\Norlund\\Automation\\Logfiles\\";
        return testenv::PathExists(kLogFolder + logName) ? testenv::ReadFileText(kLogFolder + logName)
                                                         : testenv::ReadFileText(legacy + logName);
    }
    bool Logged(const std::string& text) const { return ExtractionLog().find(text) != std::string::npos; }
    std::string SetupRecord() const { return testenv::ReadFileText(target + L"\\setup.exe.record.txt"); }

    void ExpectTreeExtracted() const
    {
        EXPECT_EQ(testenv::ReadFileBytes(target + L"\\data\\deep\\blob.bin"),
                  testenv::ReadFileBytes(source + L"\\data\\deep\\blob.bin"));
        EXPECT_EQ(testenv::ReadFileText(target + L"\\readme.txt"), "hello\r\n");
    }
};
}  // namespace

TEST_F(SilentRun, MultiPartPackageExtractsLaunchesAndCleansUp)
{
    Build(Template());
    ASSERT_GE(parts.size(), 2u);
    EXPECT_EQ(Run({L"/silent"}), 0);
    ExpectTreeExtracted();
    EXPECT_NE(SetupRecord(), "") << "the setup was not launched";
    EXPECT_TRUE(Logged("|RETURN    |STATUS                                |Success")) << ExtractionLog();
    EXPECT_TRUE(Logged("Silent"));
    EXPECT_FALSE(Logged("|ERROR     |"));
    // The temp settings folder is gone: no {GUID} folder is named in the log that still exists.
    const std::string log = ExtractionLog();
    const size_t at = log.find("Directory created : ");
    if (at != std::string::npos) {
        const std::string folder = log.substr(at + 20, log.find('\r', at) - at - 20);
        EXPECT_FALSE(testenv::PathExists(Utf8ToWide(folder)));
    }
}

TEST_F(SilentRun, SingleFilePackageRunsUnattended)
{
    Build(Template(), true);
    EXPECT_TRUE(parts.empty());
    EXPECT_EQ(Run({L"/unattended"}), 0);
    ExpectTreeExtracted();
    EXPECT_NE(SetupRecord(), "");
    EXPECT_TRUE(Logged("Unattended"));
}

TEST_F(SilentRun, SetupFailureIsReportedInTheLogButKeepsTheExitCode)
{
    testenv::WriteFileText(source + L"\\setup.exe.behaviour", "exitcode=1603\r\n");
    Build(Template(L"[AutoLaunch]\r\nReturnCode_1603=Error:{SetupFailed}\r\n[1033]\r\nSetupFailed=The setup failed.\r\n"));
    EXPECT_EQ(Run({L"/silent"}), 0);
    EXPECT_TRUE(Logged("is 1603")) << ExtractionLog();
}

TEST_F(SilentRun, WrongOrMissingPasswordExtractsNothing)
{
    // "khoor" is "hello" scrambled with the shift 3.
    const std::wstring withPassword = Template(L"[Temporary]\r\nNumber=3\r\n");
    Build(ReplaceFirst(withPassword, L"AutoLaunch=setup.exe",
                       L"AutoLaunch=setup.exe\r\nExtractPasswordRequired=1\r\nExtractionPassword=khoor"));
    EXPECT_EQ(Run({L"/silent", L"/extractionpassword=wrong"}), 0);
    EXPECT_TRUE(Logged("Password provided by user is invalid"));
    EXPECT_FALSE(testenv::PathExists(target + L"\\readme.txt"));

    EXPECT_EQ(Run({L"/silent"}), 0);
    EXPECT_TRUE(Logged("Please provide the Password from the command line parameter : -ExtractionPassword"));
    EXPECT_FALSE(testenv::PathExists(target + L"\\readme.txt"));

    EXPECT_EQ(Run({L"/silent", L"/extractionpassword=hello"}), 0);
    EXPECT_TRUE(Logged("Password provided by user is correct"));
    ExpectTreeExtracted();
}

TEST_F(SilentRun, UnmetRequirementsStopTheRunUnlessTheCheckIsSwitchedOff)
{
    Build(Template(L"[Conditions]\r\n"
                   L"Condition1={File};{" + dir.Path() + L"missing.txt};{EXIST};{};{Needed}\r\n"
                   L"Action1=Extract\r\nAction1Condition=Condition1\r\nAction1Message={Missing}\r\n"));
    EXPECT_EQ(Run({L"/silent"}), 0);
    EXPECT_TRUE(Logged("Condition not satisfied")) << ExtractionLog();
    EXPECT_FALSE(testenv::PathExists(target + L"\\readme.txt"));

    EXPECT_EQ(Run({L"/silent", L"/NoConditioncheck"}), 0);
    EXPECT_TRUE(Logged("Condition check will not be done as NoConditioncheck command line parameter has been passed"));
    ExpectTreeExtracted();
}

TEST_F(SilentRun, DamagedPartsFailWithMinusOne)
{
    Build(Template());
    ASSERT_GE(parts.size(), 2u);
    auto bytes = testenv::ReadFileBytes(parts[1]);
    bytes[bytes.size() / 2] ^= 0xFF;
    testenv::WriteFileBytes(parts[1], bytes);
    EXPECT_EQ(Run({L"/silent"}), -1);
    EXPECT_TRUE(Logged("is corrupt")) << ExtractionLog();
    EXPECT_EQ(SetupRecord(), "");

    ASSERT_TRUE(::DeleteFileW(parts[1].c_str()));
    EXPECT_EQ(Run({L"/silent"}), -1);
    EXPECT_TRUE(Logged("not found")) << ExtractionLog();
}

TEST_F(SilentRun, InvalidCommandLinePathFallsBackToThePackagePath)
{
    Build(Template());
    EXPECT_EQ(Run({L"/silent", L"/extractpath=D:\\bad|name"}), 0);
    ExpectTreeExtracted();
}

TEST_F(SilentRun, UnsupportedOsBlocksTheLaunchWithoutAskingAnything)
{
    Build(ReplaceFirst(Template(), L"OSAllowed=Windows61+", L"OSAllowed=WindowsXP"));
    EXPECT_EQ(Run({L"/silent"}), 0);
    ExpectTreeExtracted();
    EXPECT_EQ(SetupRecord(), "") << "the setup must not start on an unsupported OS";
}

TEST_F(SilentRun, SilentShowsNoWindowAndUnattendedShowsItsProgressWindow)
{
    testenv::WriteFileText(source + L"\\setup.exe.behaviour", "sleep=2500\r\n");
    Build(Template());
    for (const wchar_t* mode : {L"/silent", L"/unattended"}) {
        testenv::BackgroundProcess run(package, {mode});
        ASSERT_TRUE(run.Started());
        bool sawWindow = false;
        std::wstring title;
        DWORD exitCode = 0;
        while (!run.Wait(50, exitCode)) {
            for (HWND window : testenv::VisibleTopLevelWindows(run.ProcessId())) {
                sawWindow = true;
                wchar_t text[256] = {};
                ::GetWindowTextW(window, text, 256);
                title = text;
            }
        }
        EXPECT_EQ(exitCode, 0u);
        if (std::wstring(mode) == L"/silent") {
            EXPECT_FALSE(sawWindow) << "a silent run showed a window: " << WideToUtf8(title);
        } else {
            EXPECT_TRUE(sawWindow);
            EXPECT_EQ(title, L"Run Test 2.5");
        }
    }
}

TEST_F(SilentRun, SecondInstanceWhileTheFirstRunsEndsAtOnce)
{
    testenv::WriteFileText(source + L"\\setup.exe.behaviour", "sleep=4000\r\n");
    Build(Template());
    testenv::BackgroundProcess first(package, {L"/silent"});
    ASSERT_TRUE(first.Started());
    ::Sleep(1500);
    EXPECT_EQ(Run({L"/silent"}), 0);
    EXPECT_NE(testenv::ReadFileText(kLogFolder + L"Orlo.log").find("Another instance is already running."),
              std::string::npos);
    DWORD exitCode = 1;
    EXPECT_TRUE(first.Wait(60000, exitCode));
    EXPECT_EQ(exitCode, 0u);
    ExpectTreeExtracted();
}

TEST_F(SilentRun, UnknownSetupLanguageFallsBackToEnglishAndGermanIsTaken)
{
    testenv::WriteUtf16File(dir / L"default1031.ulf", L"[FileInfo]\r\nID=1031\r\nLangName=German\r\n508=Entpacken...\r\n");
    orlopack::BuildOptions options;
    options.sourceFolder = source;
    options.templateText = Template(L"[Languages]\r\nSetupLanguages=1033;1031\r\n");
    options.languageFiles = {dir / L"default1031.ulf"};
    options.outputFolder = dir / L"out";
    options.baseName = L"RunTest";
    orlopack::BuildReport report;
    ASSERT_EQ(orlopack::BuildPackage(options, report), orlopack::kOk) << WideToUtf8(report.error);
    package = report.packagePath;

    EXPECT_EQ(Run({L"/unattended", L"/setupLanguage=abc"}), 0);
    EXPECT_TRUE(Logged("Invalid Command line parameter for SetupLanguage. English taken as default SetupLanguage"));
    EXPECT_NE(SetupRecord(), "");

    EXPECT_EQ(Run({L"/unattended", L"/setupLanguage=1031"}), 0);
    EXPECT_TRUE(Logged("Command line parameter for SetupLanguage : 1031"));
    EXPECT_FALSE(Logged("Language not supported"));
}

TEST_F(SilentRun, ExtractionLogIsNamedByThePackageAndAnOldOneIsRenamed)
{
    Build(ReplaceFirst(Template(), L"AutoLaunch=setup.exe", L"AutoLaunch=setup.exe\r\nCheckAdmin=1"));
    EXPECT_EQ(Run({L"/silent"}), 0);
    EXPECT_TRUE(Logged("Admin rights needed for extraction"));  // the real administrator test passes under Wine
    ExpectTreeExtracted();
    EXPECT_EQ(Run({L"/silent"}), 0);

    // The first run's log now carries its modification date and time in its name.
    const std::wstring stem = logName.substr(0, logName.size() - 4);
    const std::regex renamed(WideToUtf8(stem) + R"(_\d\d[A-Z][a-z][a-z]\d{4}_\d\d-\d\d-\d\d\.log)");
    int matches = 0;
    WIN32_FIND_DATAW found{};
    HANDLE search = ::FindFirstFileW((kLogFolder + L"*").c_str(), &found);
    ASSERT_NE(search, INVALID_HANDLE_VALUE);
    do {
        matches += std::regex_match(WideToUtf8(found.cFileName), renamed) ? 1 : 0;
    } while (::FindNextFileW(search, &found));
    ::FindClose(search);
    EXPECT_EQ(matches, 1) << "the earlier log was not renamed with its date and time";
    const std::string master = testenv::ReadFileText(kLogFolder + L"Orlo.log");
    EXPECT_NE(master.find("Extraction Log File : "), std::string::npos);
    EXPECT_NE(master.find("############################## --------- End --------- ##############################"),
              std::string::npos);
}

TEST_F(SilentRun, OperatingSystemIsNamedForTheWindowsVersionOfThePrefix)
{
    Build(Template());
    const std::wstring appKey = L"Software\\Wine\\AppDefaults\\RunTest.exe";
    struct Case {
        const wchar_t* version;
        std::vector<std::string> names;  // what the identification may call it under Wine
    } cases[] = {
        {L"winxp", {"WindowsXP"}},
        {L"win7", {"Windows7", "Windows2008R2"}},
        {L"win10", {"Windows10"}},
    };
    for (const auto& c : cases) {
        HKEY key = nullptr;
        ASSERT_EQ(::RegCreateKeyExW(HKEY_CURRENT_USER, appKey.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                                    nullptr),
                  ERROR_SUCCESS);
        ::RegSetValueExW(key, L"Version", 0, REG_SZ, reinterpret_cast<const BYTE*>(c.version),
                         static_cast<DWORD>((wcslen(c.version) + 1) * sizeof(wchar_t)));
        ::RegCloseKey(key);
        Run({L"/silent"});
        const std::string log = ExtractionLog();
        ::DeleteFileW((kLogFolder + logName).c_str());
        const size_t at = log.find("Operating System : ");
        ASSERT_NE(at, std::string::npos) << WideToUtf8(c.version);
        const std::string named = log.substr(at + 19, log.find('\r', at) - at - 19);
        bool known = false;
        for (const auto& name : c.names) {
            known = known || named.rfind(name, 0) == 0;
        }
        EXPECT_TRUE(known) << WideToUtf8(c.version) << " was identified as " << named;
    }
    ::RegDeleteTreeW(HKEY_CURRENT_USER, appKey.c_str());
}
