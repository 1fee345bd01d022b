// Whole silent and unattended runs of real packages made by OrloPack: settings, checks, extraction,
// launch of a fake setup, cleanup, log summary and exit code.
#include <gtest/gtest.h>

#include <regex>
#include <thread>

#include "SilentRunFixture.h"
#include "log/BuildLogFile.h"

TEST_F(SilentRun, ConfiguredSetupExitCodesGiveTheirFinishMessageAndKeepTheProcessExitCode)
{
    const std::wstring messages = L"[AutoLaunch]\r\nReturnCode_1603=Error:{SetupFailed}\r\n"
                                  L"ReturnCode_3010=success:{Reboot}\r\n"
                                  L"[1033]\r\nSetupFailed=The setup failed.\r\nReboot=Restart the computer.\r\n";
    testenv::WriteFileText(source + L"\\setup.exe.behaviour", "exitcode=1603\r\n");
    Build(Template(messages));
    EXPECT_EQ(Run({L"/silent"}), 0);
    EXPECT_TRUE(Logged("is 1603")) << ExtractionLog();
    EXPECT_TRUE(Logged("|ERROR     |SetFinishMessage                    |Error while installation. Message Configuerd : "
                       "The setup failed."));
    EXPECT_EQ(SummaryStatus(), "Fail");

    testenv::WriteFileText(source + L"\\setup.exe.behaviour", "exitcode=3010\r\n");
    Build(Template(messages));
    EXPECT_EQ(Run({L"/unattended"}), 0);
    EXPECT_TRUE(Logged("is 3010")) << ExtractionLog();
    EXPECT_TRUE(Logged("|SetFinishMessage                    |Message Configuerd : Restart the computer."));
    EXPECT_EQ(SummaryStatus(), "Success");
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
    EXPECT_EQ(SummaryStatus(), "Fail");

    // Truncated (the bytes flipped above are restored first, so only the length is wrong).
    bytes[bytes.size() / 2] ^= 0xFF;
    bytes.resize(bytes.size() / 3);
    testenv::WriteFileBytes(parts[1], bytes);
    EXPECT_EQ(Run({L"/silent"}), -1);
    EXPECT_TRUE(Logged("is corrupt")) << ExtractionLog();
    EXPECT_FALSE(testenv::PathExists(target + L"\\setup.exe"));

    ASSERT_TRUE(::DeleteFileW(parts[1].c_str()));
    EXPECT_EQ(Run({L"/silent"}), -1);
    EXPECT_TRUE(Logged("not found")) << ExtractionLog();
    EXPECT_EQ(SummaryStatus(), "Fail");
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
    EXPECT_NE(testenv::ReadFileText(testenv::kLogFolder + L"Orlo.log").find("Another instance is already running."),
              std::string::npos);
    DWORD exitCode = 1;
    EXPECT_TRUE(first.Wait(60000, exitCode));
    EXPECT_EQ(exitCode, 0u);
    ExpectTreeExtracted();
}

TEST_F(SilentRun, UnknownSetupLanguageFallsBackToEnglishAndGermanIsTaken)
{
    testenv::WriteUtf16File(dir / L"default1031.ulf", L"[FileInfo]\r\nID=1031\r\nLangName=German\r\n508=Entpacken...\r\n");
    auto options = Options(Template(L"[Languages]\r\nSetupLanguages=1033;1031\r\n[1033]\r\nLaunchEXEParams=/english\r\n"
                                    L"[1031]\r\nLaunchEXEParams=/german\r\n"));
    options.languageFiles = {dir / L"default1031.ulf"};
    Build(options);

    EXPECT_EQ(Run({L"/unattended", L"/setupLanguage=abc"}), 0);
    EXPECT_TRUE(Logged("Invalid Command line parameter for SetupLanguage. English taken as default SetupLanguage"));
    EXPECT_NE(SetupRecord().find("arg=/english\n"), std::string::npos) << SetupRecord();

    ::DeleteFileW((target + L"\\setup.exe.record.txt").c_str());
    EXPECT_EQ(Run({L"/unattended", L"/setupLanguage=1031"}), 0);
    EXPECT_TRUE(Logged("Command line parameter for SetupLanguage : 1031"));
    EXPECT_FALSE(Logged("Language not supported"));
    // The setup is given the parameters of the German section.
    EXPECT_NE(SetupRecord().find("arg=/german\n"), std::string::npos) << SetupRecord();
    EXPECT_EQ(SummaryStatus(), "Success");
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
    HANDLE search = ::FindFirstFileW((testenv::kLogFolder + L"*").c_str(), &found);
    ASSERT_NE(search, INVALID_HANDLE_VALUE);
    do {
        matches += std::regex_match(WideToUtf8(found.cFileName), renamed) ? 1 : 0;
    } while (::FindNextFileW(search, &found));
    ::FindClose(search);
    EXPECT_EQ(matches, 1) << "the earlier log was not renamed with its date and time";
    const std::string master = testenv::ReadFileText(testenv::kLogFolder + L"Orlo.log");
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
        ::DeleteFileW((testenv::kLogFolder + logName).c_str());
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

TEST_F(SilentRun, NamesFromThePackageNeverReachOutsideTheRunsFolders)
{
    // "victim.txt" below each fixed drive root: where "..\" from a temp folder or the log folder lands.
    const std::wstring victimFolder = L"tarvex-victim-" + CUtil::NewGuidString().substr(1, 8);
    std::vector<std::wstring> victims;
    const DWORD drives = ::GetLogicalDrives();
    for (wchar_t letter = L'C'; letter <= L'Z'; ++letter) {
        const std::wstring root = std::wstring(1, letter) + L":\\";
        if ((drives & (1u << (letter - L'A'))) != 0 && ::GetDriveTypeW(root.c_str()) == DRIVE_FIXED &&
            ::CreateDirectoryW((root + victimFolder).c_str(), nullptr)) {
            victims.push_back(root + victimFolder + L"\\victim.txt");
            testenv::WriteFileText(victims.back(), "user data");
        }
    }
    ASSERT_FALSE(victims.empty());
    // The user's TEMP holds a file under the bottom image's name, and a folder under the top
    // image's, so that copying that one fails.
    const std::wstring userTemp = dir / L"usertemp";
    ASSERT_EQ(CUtil::CreateParentFolders(userTemp + L"\\victim.txt\\x"), 0);
    testenv::WriteFileText(userTemp + L"\\bottom.bmp", "the user's own picture");
    testenv::WriteFileText(dir / L"bottom.bmp", "BM packed picture");

    const std::wstring outside = L"..\\" + victimFolder + L"\\victim.txt";
    auto options =
        Options(ReplaceFirst(Template(L"[Images]\r\nTopImage=" + outside + L"\r\n"), L"ExtractLogFileName=" + logName,
                             L"ExtractLogFileName=..\\..\\..\\..\\" + victimFolder + L"\\victim.txt"));
    options.bottomImage = dir / L"bottom.bmp";
    Build(options);
    logName = kDefaultExtractionLogName;
    ::DeleteFileW((testenv::kLogFolder + logName).c_str());

    wchar_t savedTemp[MAX_PATH] = {};
    const DWORD savedLength = ::GetEnvironmentVariableW(L"TEMP", savedTemp, MAX_PATH);
    ::SetEnvironmentVariableW(L"TEMP", userTemp.c_str());
    const int exitCode = Run({L"/silent"});
    ::SetEnvironmentVariableW(L"TEMP", savedLength > 0 ? savedTemp : nullptr);

    EXPECT_EQ(exitCode, 0);
    ExpectTreeExtracted();
    for (const std::wstring& victim : victims) {
        EXPECT_EQ(testenv::ReadFileText(victim), "user data") << WideToUtf8(victim);
        ::DeleteFileW(victim.c_str());
        ::RemoveDirectoryW(victim.substr(0, victim.rfind(L'\\')).c_str());
    }
    EXPECT_EQ(testenv::ReadFileText(userTemp + L"\\bottom.bmp"), "the user's own picture");
    EXPECT_TRUE(Logged("[Images] TopImage refused")) << ExtractionLog();
    const std::string master = testenv::ReadFileText(testenv::kLogFolder + L"Orlo.log");
    EXPECT_NE(master.find("|ERROR     |CreateExtractionLogFile             |ExtractLogFileName refused"),
              std::string::npos)
        << master;
    // The run's log ends with the End banner and its line end.
    const std::string end = "############################## --------- End --------- ##############################\r\n";
    const std::string log = ExtractionLog();
    ASSERT_GE(log.size(), end.size());
    EXPECT_EQ(log.substr(log.size() - end.size()), end);
}

TEST_F(SilentRun, ExtractingIntoThePackagesOwnFolderLeavesThePackageAndItsPartsAlone)
{
    // The package carries a file under the name of its own second part.
    testenv::WriteFileText(source + L"\\RunTest.002", "not a part");
    Build(Template());
    ASSERT_GE(parts.size(), 2u);
    ASSERT_TRUE(EndsWithNoCase(parts[1], L"\\RunTest.002"));
    std::vector<std::wstring> packageFiles = parts;
    packageFiles.push_back(package);
    std::vector<std::vector<uint8_t>> before;
    for (const auto& file : packageFiles) {
        before.push_back(testenv::ReadFileBytes(file));
    }

    EXPECT_EQ(Run({L"/silent", L"/extractpath=" + CUtil::SplitPath(package, 0)}), 0);
    for (size_t i = 0; i < packageFiles.size(); ++i) {
        EXPECT_EQ(testenv::ReadFileBytes(packageFiles[i]), before[i]) << WideToUtf8(packageFiles[i]);
    }
    EXPECT_TRUE(Logged("|ERROR     |FdiCallback                         |File name outside the extraction folder "
                       "refused : \\RunTest.002 (the running package or one of its part files)"))
        << ExtractionLog();
    EXPECT_EQ(SetupRecord(), "") << "a setup must not start from a half-extracted package";
    EXPECT_EQ(SummaryStatus(), "Fail");
}
