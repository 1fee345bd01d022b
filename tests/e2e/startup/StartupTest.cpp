// Real Tarvex.exe processes on packages made by the payload writer: where the payload lands, the
// master log, the temp folder's end, the single-instance rule and the exit codes of early failures.
#include <gtest/gtest.h>

#include <list>
#include <regex>

#include "ProcessRunner.h"
#include "WizardDriver.h"
#include "TestEnv.h"
#include "app/SingleInstance.h"
#include "settings/PayloadWriter.h"
#include "util/StringUtil.h"
#include "util/Util.h"
#include "version/VersionInfoUpdater.h"

namespace {
const std::wstring kMasterLog = L"C:\\ProgramData\\Norlund\\Automation\\Logfiles\\Orlo.log";

std::vector<uint8_t> Utf16WithBom(const std::wstring& text)
{
    std::vector<uint8_t> bytes = {0xFF, 0xFE};
    for (wchar_t c : text) {
        bytes.push_back(static_cast<uint8_t>(c & 0xFF));
        bytes.push_back(static_cast<uint8_t>(c >> 8));
    }
    return bytes;
}

class Startup : public testing::Test {
protected:
    testenv::ScratchDir dir{L"startup"};
    std::wstring package = dir / L"Sample.exe";

    void MakePackage(std::vector<PayloadEntry> entries)
    {
        std::wstring error;
        ASSERT_EQ(CPayloadWriter::WritePackage(testenv::BinDir() + L"Tarvex.exe", package, entries, error), 0u)
            << WideToUtf8(error);
    }

    static std::vector<PayloadEntry> SettingsEntries()
    {
        PayloadEntry properties;
        properties.name = L"Properties_Orlo.ini";
        properties.data = Utf16WithBom(L"[Package]\r\nName=Sample\r\nNameDispl=Sample Package\r\nVersionString=1.0\r\n");
        PayloadEntry language;
        language.name = L"default1031.ulf";
        language.data = Utf16WithBom(L"[FileInfo]\r\nID=1031\r\nLangName=German\r\n600=Entpackt.\r\n");
        return {properties, language};
    }

    testenv::ProcessResult Run(const std::vector<std::wstring>& arguments)
    {
        ::DeleteFileW(kMasterLog.c_str());
        return testenv::RunProcess(package, arguments, 60000);
    }

    // A full-GUI run, cancelled on its first page as a person would (Escape, Yes, Finish): the
    // settings-only payloads here carry no cabinet, so a silent run would go on and fail with -1.
    testenv::ProcessResult Run()
    {
        ::DeleteFileW(kMasterLog.c_str());
        testenv::ProcessResult result;
        testenv::WizardDriver wizard(package, {}, 60000);
        result.started = wizard.Started();
        const HWND sheet = wizard.WaitForDialog();
        EXPECT_NE(sheet, nullptr) << "no wizard";
        if (sheet != nullptr) {
            EXPECT_TRUE(wizard.Press(VK_ESCAPE));
            HWND question = nullptr;
            testenv::WaitUntil(
                [&] {
                    const auto others = testenv::DialogsOf(wizard.ProcessId(), sheet);
                    question = others.empty() ? nullptr : others.front();
                    return question != nullptr;
                },
                10000);
            EXPECT_NE(question, nullptr) << "no cancel question";
            EXPECT_TRUE(question != nullptr && wizard.ClickDialogButton(question, IDYES));
            EXPECT_TRUE(testenv::WaitUntil([&] { return !::IsWindowVisible(question); }, 10000));
            EXPECT_TRUE(wizard.Press(VK_RETURN));  // Finish on the finish page
        }
        result.timedOut = !wizard.WaitForExit(result.exitCode, 30000);
        return result;
    }

    static std::string MasterLog() { return testenv::ReadFileText(kMasterLog); }

    // The {GUID} folder named by "Directory created : ..." in the master log.
    static std::wstring CreatedTempDir()
    {
        const std::string log = MasterLog();
        std::smatch match;
        const std::regex pattern(R"(Directory created : ([A-Z]:\\\{[0-9A-F-]{36}\}\\))");
        return std::regex_search(log, match, pattern) ? Utf8ToWide(match[1].str()) : std::wstring();
    }
};
}  // namespace

TEST_F(Startup, PayloadLandsInAGuidFolderOnTheHighestDriveWithSpaceAndIsGoneAfterExit)
{
    MakePackage(SettingsEntries());
    const auto result = Run();
    ASSERT_TRUE(result.started);
    ASSERT_FALSE(result.timedOut);
    EXPECT_EQ(result.exitCode, 0u);

    const std::string log = MasterLog();
    EXPECT_EQ(log.rfind("############################## --------- START", 0), 0u) << log.substr(0, 200);
    EXPECT_NE(log.find("Searching space for extraction of Setting files"), std::string::npos);
    EXPECT_NE(log.find("Extracting file : "), std::string::npos);
    EXPECT_NE(log.find("Properties_Orlo.ini"), std::string::npos);
    EXPECT_NE(log.find("Extracted Setting files to "), std::string::npos);

    // The drive the program had to choose: the highest fixed drive with room for the package file.
    std::list<std::wstring> drives;
    CUtil::FindDrivesWithSpace(drives, DRIVE_FIXED, testenv::ReadFileBytes(package).size());
    ASSERT_FALSE(drives.empty());
    const std::wstring folder = CreatedTempDir();
    ASSERT_FALSE(folder.empty()) << log;
    EXPECT_EQ(folder.substr(0, 3), drives.front());
    EXPECT_NE(log.find("Required Space found in Drive : " + WideToUtf8(drives.front())), std::string::npos);
    EXPECT_FALSE(testenv::PathExists(folder)) << "the temp folder must be removed at exit";
}

TEST_F(Startup, SecondInstanceEndsWithZeroAndTouchesNothing)
{
    MakePackage(SettingsEntries());
    CSingleInstance held;  // the test holds the program's mutex
    ASSERT_FALSE(held.IsAlreadyRunning());
    const auto result = Run({L"/silent"});
    ASSERT_TRUE(result.started);
    EXPECT_EQ(result.exitCode, 0u);
    const std::string log = MasterLog();
    EXPECT_NE(log.find("Another instance is already running."), std::string::npos) << log;
    EXPECT_EQ(log.find("Directory created"), std::string::npos) << "a second copy must not unpack anything";
}

TEST_F(Startup, UnstampedExecutableReadsNoPayloadAndEndsNormally)
{
    ASSERT_TRUE(::CopyFileW((testenv::BinDir() + L"Tarvex.exe").c_str(), package.c_str(), FALSE));
    const auto result = Run();
    EXPECT_EQ(result.exitCode, 0u);
    EXPECT_NE(MasterLog().find("Attached files are extracted"), std::string::npos);
}

TEST_F(Startup, StampPastTheEndOfTheFileReadsNoPayload)
{
    MakePackage(SettingsEntries());
    const auto size = static_cast<uint32_t>(testenv::ReadFileBytes(package).size());
    ASSERT_EQ(COrloVersionInfoUpdater().WriteStamp(package, size + 4096), 0u);
    const auto result = Run();
    EXPECT_EQ(result.exitCode, 0u);
    EXPECT_EQ(MasterLog().find("Extracting file : "), std::string::npos);
}

TEST_F(Startup, HostilePayloadEntryEndsTheRunWithTheReadersCode)
{
    PayloadEntry hostile;
    hostile.name = L"..\\escape.txt";
    hostile.data = {'x'};
    MakePackage(SettingsEntries());
    std::wstring error;  // the writer refuses such names; append it raw behind the good entries
    ASSERT_EQ(CPayloadWriter::AppendEntries(package, {hostile}, error), 0u) << WideToUtf8(error);
    const auto result = Run({L"/silent"});
    EXPECT_EQ(static_cast<int>(result.exitCode), -1);
    const std::string log = MasterLog();
    EXPECT_NE(log.find("|ERROR     |"), std::string::npos) << log;
    EXPECT_NE(log.find("An error occured during extraction of Setting files"), std::string::npos) << log;
    for (const wchar_t* root : {L"C:\\escape.txt", L"D:\\escape.txt", L"E:\\escape.txt"}) {
        EXPECT_FALSE(testenv::PathExists(root)) << "written outside the temp folder";
    }
}
