// CBuildLogFile: master log start, the switch to the extraction log, the summary at the end.
// %ALLUSERSPROFILE% points into a scratch folder for each test.
#include <gtest/gtest.h>

#include <regex>

#include "TestEnv.h"
#include "log/BuildLogFile.h"
#include "log/LogCounters.h"
#include "util/Handles.h"
#include "util/ProcessContext.h"
#include "util/StringUtil.h"
#include "util/Util.h"

namespace {
const std::string kBanner = "#{30} --------- START[0-9]{14} --------- #{30}";
const std::string kTime = "[0-2][0-9]:[0-5][0-9]:[0-5][0-9]";

class BuildLogFileTest : public testing::Test {
protected:
    void SetUp() override
    {
        ResetProcessContext();
        wchar_t saved[1024] = {};
        m_hadProfile = ::GetEnvironmentVariableW(L"ALLUSERSPROFILE", saved, 1024) > 0;
        m_savedProfile = saved;
        m_profile = m_dir.Path().substr(0, m_dir.Path().size() - 1);
        ::SetEnvironmentVariableW(L"ALLUSERSPROFILE", m_profile.c_str());
        m_logFolder =
            m_profile + (CUtil::GetOSMajorVersion() >= 6 ? L"\\Norlund\\Automation\\Logfiles\\"
                                                         : L"\\Application Data\\Norlund\\Automation\\Logfiles\\");
        m_properties = m_dir / L"Properties_Orlo.ini";
    }
    void TearDown() override
    {
        ::SetEnvironmentVariableW(L"ALLUSERSPROFILE", m_hadProfile ? m_savedProfile.c_str() : nullptr);
        ResetProcessContext();
    }
    void WriteProperties(const std::wstring& logName)
    {
        testenv::WriteUtf16File(m_properties, L"[LogFiles]\r\nExtractLogFileName=" + logName + L"\r\n");
    }
    static void SetModifiedLocal(const std::wstring& path, const SYSTEMTIME& local)
    {
        SYSTEMTIME utc{};
        FILETIME time{};
        ASSERT_TRUE(::TzSpecificLocalTimeToSystemTime(nullptr, &local, &utc));
        ASSERT_TRUE(::SystemTimeToFileTime(&utc, &time));
        UniqueFileHandle file(
            ::CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(file.Valid());
        ASSERT_TRUE(::SetFileTime(file.Get(), nullptr, nullptr, &time));
    }

    testenv::ScratchDir m_dir{L"buildlog"};
    std::wstring m_profile;
    std::wstring m_logFolder;
    std::wstring m_properties;
    std::wstring m_savedProfile;
    bool m_hadProfile = false;
};

bool Contains(const std::vector<std::string>& lines, const std::string& pattern)
{
    const std::regex re(pattern);
    for (const std::string& line : lines) {
        if (std::regex_match(line, re)) {
            return true;
        }
    }
    return false;
}

std::string Utf8(const std::wstring& text)
{
    return WideToUtf8(text);
}

// 8 December 2026, 10:42:07 local time: the date in the name of a rotated log.
SYSTEMTIME Dec8th2026()
{
    SYSTEMTIME time{};
    time.wYear = 2026;
    time.wMonth = 12;
    time.wDay = 8;
    time.wHour = 10;
    time.wMinute = 42;
    time.wSecond = 7;
    return time;
}

std::string Escape(const std::string& text)
{
    return std::regex_replace(text, std::regex(R"([\\.^$|()\[\]{}*+?])"), R"(\$&)");
}
} // namespace

TEST_F(BuildLogFileTest, MasterLogReplacesAnOldFileAndStartsWithTheBanner)
{
    ASSERT_EQ(CUtil::CreateParentFolders(m_logFolder + L"Orlo.log"), 0);
    testenv::WriteFileText(m_logFolder + L"Orlo.log", "previous run\r\n");

    Log().InitMasterLog();
    EXPECT_EQ(Log().GetMasterLogPath(), m_logFolder + L"Orlo.log");
    EXPECT_EQ(Log().GetPath(), m_logFolder + L"Orlo.log");
    EXPECT_EQ(Log().GetLevel(), kLogLevelNormal);
    const auto lines = testenv::ReadLines(m_logFolder + L"Orlo.log");
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_TRUE(std::regex_match(lines[0], std::regex(kBanner))) << lines[0];
    EXPECT_NE(lines[0].find(Utf8(Log().GetStartStamp())), std::string::npos);
}

TEST_F(BuildLogFileTest, MasterLogHeldByAnotherProcessMovesToTheUserNameVariant)
{
    const std::wstring common = m_logFolder + L"Orlo.log";
    ASSERT_EQ(CUtil::CreateParentFolders(common), 0);
    testenv::WriteFileText(common, "someone else's run\r\n");
    UniqueFileHandle held(::CreateFileW(common.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(held.Valid());

    Log().InitMasterLog();
    const std::wstring own = Util().AddUserNameToFileName(common);
    ASSERT_NE(own, common);
    EXPECT_EQ(Log().GetMasterLogPath(), own);
    EXPECT_TRUE(std::regex_match(testenv::ReadLines(own).at(0), std::regex(kBanner)));
    held.Reset();
    EXPECT_EQ(testenv::ReadFileText(common), "someone else's run\r\n");
}

TEST_F(BuildLogFileTest, ExtractionLogRenamesTheOldOneAndClosesTheMasterLog)
{
    WriteProperties(L"Package.log");
    Log().InitMasterLog();
    const std::wstring master = Log().GetMasterLogPath();
    const std::wstring extraction = m_logFolder + L"Package.log";
    testenv::WriteFileText(extraction, "previous run\r\n");
    const SYSTEMTIME modified = Dec8th2026();
    SetModifiedLocal(extraction, modified);

    Log().CreateExtractionLogFile(L"", 0, m_properties);

    EXPECT_EQ(Log().GetPath(), extraction);
    EXPECT_EQ(Log().GetLevel(), kLogLevelNormal);
    EXPECT_EQ(testenv::ReadFileText(m_logFolder + L"Package_08Dec2026_10-42-07.log"), "previous run\r\n");

    // The master log names the new file and ends with the End banner, without a line end.
    const std::string masterText = testenv::ReadFileText(master);
    const auto masterLines = testenv::ReadLines(master);
    const std::string column = "CreateExtractionLogFile {12} \\|";
    EXPECT_TRUE(Contains(masterLines, kTime + "\\|          \\|" + column + "Creating Extraction Log File"));
    EXPECT_TRUE(Contains(masterLines,
                         kTime + "\\|          \\|" + column + Escape("%ALLUSERSPROFILE%") +
                             Escape(CUtil::GetOSMajorVersion() >= 6 ? "\\Norlund" : "\\Application Data\\Norlund") +
                             Escape("\\Automation\\Logfiles\\Package.log")));
    EXPECT_TRUE(Contains(masterLines,
                         kTime + "\\|          \\|" + column + "Extraction Log File : " + Escape(Utf8(extraction))));
    const std::string end = "############################## --------- End --------- ##############################";
    ASSERT_GE(masterText.size(), end.size());
    EXPECT_EQ(masterText.substr(masterText.size() - end.size()), end);

    // The extraction log starts fresh: banner, then the master log's path.
    const auto lines = testenv::ReadLines(extraction);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_TRUE(std::regex_match(lines[0], std::regex(kBanner))) << lines[0];
    EXPECT_TRUE(std::regex_match(
        lines[1], std::regex(kTime + "\\|          \\|" + column + "Master Log File : " + Escape(Utf8(master)))))
        << lines[1];
}

TEST_F(BuildLogFileTest, AnOlderLogIsNeverLostWhenItsRotatedNameIsTaken)
{
    WriteProperties(L"Package.log");
    Log().InitMasterLog();
    const std::wstring extraction = m_logFolder + L"Package.log";
    const SYSTEMTIME modified = Dec8th2026();
    // Two runs that ended in the same second already left their logs.
    testenv::WriteFileText(m_logFolder + L"Package_08Dec2026_10-42-07.log", "first run\r\n");
    testenv::WriteFileText(m_logFolder + L"Package_08Dec2026_10-42-07_2.log", "second run\r\n");
    testenv::WriteFileText(extraction, "third run\r\n");
    SetModifiedLocal(extraction, modified);

    Log().CreateExtractionLogFile(L"", 0, m_properties);

    EXPECT_EQ(testenv::ReadFileText(m_logFolder + L"Package_08Dec2026_10-42-07.log"), "first run\r\n");
    EXPECT_EQ(testenv::ReadFileText(m_logFolder + L"Package_08Dec2026_10-42-07_2.log"), "second run\r\n");
    EXPECT_EQ(testenv::ReadFileText(m_logFolder + L"Package_08Dec2026_10-42-07_3.log"), "third run\r\n");
    EXPECT_TRUE(std::regex_match(testenv::ReadLines(extraction).at(0), std::regex(kBanner)));
}

TEST_F(BuildLogFileTest, AConfiguredLogNameOutsideTheLogFolderFallsBackToTheDefault)
{
    // Where "..\" from the log folder lands: a user's file there must stay as it is.
    const std::wstring victim = m_profile + L"\\victim\\x.txt";
    ASSERT_EQ(CUtil::CreateParentFolders(victim), 0);
    const std::wstring names[] = {L"..\\..\\..\\..\\victim\\x.txt",
                                  L"..\\..\\..\\victim\\x.txt",
                                  L"sub\\x.log",
                                  L"C:x.log",
                                  L"\\\\server\\share\\x.log",
                                  L"con.log",
                                  L"%ALLUSERSPROFILE%"};
    for (const std::wstring& name : names) {
        SCOPED_TRACE(Utf8(name));
        ResetProcessContext();
        testenv::WriteFileText(victim, "user data");
        WriteProperties(name);
        Log().InitMasterLog();
        Log().CreateExtractionLogFile(L"", 0, m_properties);
        EXPECT_EQ(Log().GetPath(), m_logFolder + kDefaultExtractionLogName);
        EXPECT_EQ(testenv::ReadFileText(victim), "user data");
        EXPECT_TRUE(Contains(testenv::ReadLines(Log().GetMasterLogPath()),
                             kTime +
                                 "\\|ERROR     \\|CreateExtractionLogFile {12} \\|ExtractLogFileName refused, the "
                                 "default name is used : " +
                                 Escape(Utf8(name))));
    }
}

TEST_F(BuildLogFileTest, ExtractionLogNameDefaultsAndDebugLevel)
{
    struct Case {
        std::wstring configured;
        std::wstring packageName;
        int debug;
        std::wstring expectedName;
        int expectedLevel;
    };
    const Case cases[] = {
        {L"Configured.log", L"Acme", 1, L"Configured.log", kLogLevelDebug},
        {L"", L"Acme", 0, L"Acme.log", kLogLevelNormal},
        {L"", L"", 0, kDefaultExtractionLogName, kLogLevelNormal},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Utf8(c.expectedName));
        ResetProcessContext();
        WriteProperties(c.configured);
        Log().InitMasterLog();
        Log().CreateExtractionLogFile(c.packageName, c.debug, m_properties);
        EXPECT_EQ(Log().GetPath(), m_logFolder + c.expectedName);
        EXPECT_EQ(Log().GetLevel(), c.expectedLevel);
        EXPECT_TRUE(std::regex_match(testenv::ReadLines(m_logFolder + c.expectedName).at(0), std::regex(kBanner)));
    }
}

TEST_F(BuildLogFileTest, ExtractionLogInUseMovesToTheUserNameVariant)
{
    WriteProperties(L"Busy.log");
    Log().InitMasterLog();
    const std::wstring busy = m_logFolder + L"Busy.log";
    testenv::WriteFileText(busy, "held\r\n");
    UniqueFileHandle held(
        ::CreateFileW(busy.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(held.Valid());

    Log().CreateExtractionLogFile(L"", 0, m_properties);
    EXPECT_EQ(Log().GetPath(), Util().AddUserNameToFileName(busy));
    held.Reset();
    EXPECT_EQ(testenv::ReadFileText(busy), "held\r\n");
}

TEST_F(BuildLogFileTest, SummaryAndFinishAppendTheCounts)
{
    const std::wstring path = m_dir / L"summary.log";
    Log().Init(path, kLogLevelNormal);
    Log().WriteStartBanner();
    Log().WriteLine(kLogInfo, L"F", L"info");
    Log().WriteLine(kLogWarning, L"F", L"warning one");
    Log().WriteLine(kLogWarning, L"F", L"warning two");
    Log().WriteLine(3, L"F", L"other warning kind");

    // Without writing, nothing is appended.
    EXPECT_EQ(Log().WriteSummary(false), L"0  ERRORS\n3  WARNINGS");
    EXPECT_EQ(testenv::ReadLines(path).size(), 5u);

    Log().Finish(530, nullptr); // silent: appends, never asks
    const std::string stamp = Utf8(Log().GetStartStamp());
    auto lines = testenv::ReadLines(path);
    ASSERT_EQ(lines.size(), 5u + 9u);
    EXPECT_EQ(lines[5], "");
    EXPECT_EQ(lines[6], "");
    EXPECT_EQ(lines[7], "######## --------- START SUMMARY " + stamp + std::string(11, ' ') + std::string(30, '#'));
    EXPECT_TRUE(std::regex_match(lines[8], std::regex(kTime + "\\|RETURN    \\|STATUS {31} \\|Success"))) << lines[8];
    EXPECT_TRUE(std::regex_match(lines[9], std::regex(kTime + "\\|RETURN    \\|ERRORS {31} \\|0"))) << lines[9];
    EXPECT_TRUE(std::regex_match(lines[10], std::regex(kTime + "\\|RETURN    \\|WARNINGS {29} \\|3  "))) << lines[10];
    EXPECT_EQ(lines[11], "0 Errors found and 2 Warnings found");
    EXPECT_EQ(lines[12], "######## --------- END SUMMARY " + stamp + std::string(13, ' ') + std::string(30, '#'));
    EXPECT_EQ(lines[13], "");

    // One error turns the status to Fail.
    Log().WriteLine(kLogError, L"F", L"failure");
    EXPECT_EQ(Log().WriteSummary(true), L"1  ERRORS\n3  WARNINGS");
    lines = testenv::ReadLines(path);
    EXPECT_TRUE(Contains(lines, kTime + "\\|RETURN    \\|STATUS {31} \\|Fail"));
    EXPECT_TRUE(Contains(lines, "1 Errors found and 2 Warnings found"));
}
