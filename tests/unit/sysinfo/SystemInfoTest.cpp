// The system information block: its pure parts, the language names, and the block as written
// into a log by a real run of the queries.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "LogCapture.h"
#include "TestEnv.h"
#include "log/LogFormat.h"
#include "log/SystemInfoReport.h"
#include "settings/OrloInitalizer.h"
#include "util/ProcessContext.h"
#include "util/StringUtil.h"
#include "util/Util.h"
#include "validation/ValidatorChecks.h"

namespace {

constexpr uint32_t kGiB = 1073741824U;

TEST(SystemInfo, RamSizeRoundsUpToWholeGigabytes)
{
    struct Row {
        uint32_t bytes;
        const wchar_t* text;
    };
    for (const Row& row : std::vector<Row>{{3 * kGiB + kGiB / 2, L"4.00"},
                                           {0xFFFFFFFFU, L"4.00"},
                                           {kGiB, L"1.00"},
                                           {kGiB + 1024, L"2.00"},
                                           {kGiB + 1023, L"1.00"},  // below one kilobyte is shifted away
                                           {2 * kGiB - 1, L"2.00"},
                                           {512 * 1048576U, L"1.00"},
                                           {0, L"0.00"}}) {
        SCOPED_TRACE(row.bytes);
        EXPECT_EQ(FormatRamSize(row.bytes), row.text);
    }
}

TEST(SystemInfo, ProcessorLabels)
{
    using Lines = std::vector<std::pair<std::wstring, std::wstring>>;
    EXPECT_EQ(ProcessorLines({L"  Intel(R) Core(TM) i7  "}), (Lines{{L"Processor", L"Intel(R) Core(TM) i7"}}));
    EXPECT_EQ(ProcessorLines({L"first", L"second"}), (Lines{{L"Processor 1", L"second"}, {L"Processor 2", L"first"}}));
    EXPECT_EQ(ProcessorLines({L"a", L"b", L"c"}),
              (Lines{{L"Processor 1", L"c"}, {L"Processor 2", L"b"}, {L"Processor 3", L"a"}}));
    EXPECT_TRUE(ProcessorLines({}).empty());
}

TEST(SystemInfo, DateAndDriveLabels)
{
    SYSTEMTIME date{};
    date.wYear = 2026;
    date.wMonth = 12;
    date.wDay = 8;
    date.wDayOfWeek = 2;
    EXPECT_EQ(FormatReportDate(date), L"Tuesday, December 08, 2026");
    date.wMonth = 1;
    date.wDay = 31;
    date.wDayOfWeek = 0;
    EXPECT_EQ(FormatReportDate(date), L"Sunday, January 31, 2026");
    EXPECT_EQ(DriveLabel(L"C:\\", L"NTFS"), L"Space Info on Drive: C:\\ (NTFS)");
    EXPECT_EQ(DriveLabel(L"D:\\", L""), L"Space Info on Drive: D:\\");
}

TEST(SystemInfo, HeadAndTailLines)
{
    SystemFacts facts;
    facts.now.wYear = 2026;
    facts.now.wMonth = 12;
    facts.now.wDay = 8;
    facts.now.wDayOfWeek = 2;
    facts.totalPhysicalMemory = 3 * kGiB + kGiB / 2;
    facts.processorNames = {L"CPU zero", L"CPU one "};
    facts.computerName = L"BUILDHOST";
    facts.drives = {{L"D:\\", L"", L"No Information"}, {L"C:\\", L"NTFS", L"Total Space: 1.00 GB"}};
    const auto head = SystemReportHead(facts);
    ASSERT_EQ(head.size(), 8u);
    EXPECT_EQ(head[0].function, L"Date");
    EXPECT_EQ(head[0].message, L"Tuesday, December 08, 2026");
    EXPECT_TRUE(head[1].raw);
    EXPECT_EQ(head[1].message,
              L"-------------------------------------- System Information --------------------------------------\n");
    EXPECT_EQ(head[2].function, L"RAM Size");
    EXPECT_EQ(head[2].message, L"4.00 GB");
    EXPECT_EQ(head[3].function, L"Processor 1");
    EXPECT_EQ(head[3].message, L"CPU one");
    EXPECT_EQ(head[4].function, L"Processor 2");
    EXPECT_EQ(head[5].function, L"Computer name");
    EXPECT_EQ(head[5].message, L"BUILDHOST");
    EXPECT_EQ(head[6].function, L"Space Info on Drive: D:\\");
    EXPECT_EQ(head[6].message, L"No Information");
    EXPECT_EQ(head[7].function, L"Space Info on Drive: C:\\ (NTFS)");

    LanguageFacts languages;
    languages.systemLanguageName = L"English";
    languages.systemLcid = 1033;
    languages.uiLcid = 1039;
    const auto tail = SystemReportTail(languages);
    ASSERT_EQ(tail.size(), 3u);
    EXPECT_EQ(tail[0].function, L"System Language");
    EXPECT_EQ(tail[0].message, L"English (1033)");
    EXPECT_EQ(tail[1].function, L"UI Language");
    EXPECT_EQ(tail[1].message, L"Unknown (1039)");
    EXPECT_TRUE(tail[2].raw);
    EXPECT_EQ(tail[2].message,
              L"-----------------------------------------------------------------------------------------------\n");
    languages.uiLcid = 2052;
    EXPECT_EQ(SystemReportTail(languages)[1].message, L"Chinese (Simplified) (2052)");
}

TEST(SystemInfo, LanguageNames)
{
    struct Row {
        unsigned lcid;
        const wchar_t* name;
    };
    const std::vector<Row> rows = {
        {0, L"Language Independent"},  {1025, L"Arabic (Saudi Arabia)"},
        {1026, L"Bulgarian"},          {1027, L"Catalan"},
        {1028, L"Chinese (Traditional)"}, {1029, L"Czech"},
        {1031, L"German"},             {1032, L"Greek"},
        {1033, L"English"},            {1034, L"Spanish (Traditional Sort)"},
        {1035, L"Finnish"},            {1036, L"French(France)"},
        {1037, L"Hebrew"},             {1038, L"Hungarian"},
        {1040, L"Italian"},            {1041, L"Japanese"},
        {1042, L"Korean"},             {1043, L"Dutch"},
        {1044, L"Norwegian (Bokmal)"}, {1045, L"Polish"},
        {1046, L"Portuguese (Brazil)"}, {1048, L"Romanian"},
        {1049, L"Russian"},            {1050, L"Croatian"},
        {1051, L"Slovak"},             {1053, L"Swedish"},
        {1054, L"Thai"},               {1055, L"Turkish"},
        {1057, L"Indonesian"},         {1060, L"Slovenian"},
        {1069, L"Basque"},             {2052, L"Chinese (Simplified)"},
        {2070, L"Portuguese (Portugal)"}, {3082, L"Spanish - Modern Sort"},
        {3084, L"French(Canada)"},     {3098, L"Serbian (Cyrillic)"},
        {1039, L"Unknown"},            {1047, L"Unknown"},
        {0xFFFFFFFFu, L"Unknown"},     {1, L"Unknown"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.lcid);
        EXPECT_EQ(CUtil::GetLanguageNameOf(row.lcid), row.name);
    }
}

TEST(SystemInfo, BlockWrittenIntoALog)
{
    ResetProcessContext();
    testenv::ScratchDir dir(L"sysinfo");
    testenv::LogCapture log(dir / L"report.log", kLogLevelNormal);
    Settings().SetPropertiesPath(dir / kPropertiesFileName);
    Settings().SetOSResult(0);
    WriteSystemInformation(
        [] { Settings().SetOSResult(ValidatorChecks().IdentifyOSForReport(Settings().GetPropertiesPath())); });
    const auto lines = log.Lines();
    ASSERT_GE(lines.size(), 7u);

    // Fields 2 and 3 of a line: label and function column.
    const auto function = [](const std::string& line) {
        const size_t first = line.find('|');
        const size_t second = line.find('|', first + 1);
        const size_t third = line.find(" |", second + 1);
        return line.substr(second + 1, third - second - 1);
    };
    const auto trimmed = [](std::string text) {
        while (!text.empty() && text.back() == ' ') {
            text.pop_back();
        }
        return text;
    };
    EXPECT_EQ(trimmed(function(lines[0])), "Date");
    EXPECT_EQ(lines[1], "-------------------------------------- System Information --------------------------------------");
    EXPECT_EQ(trimmed(function(lines[2])), "RAM Size");
    EXPECT_EQ(lines[2].substr(lines[2].size() - 3), " GB");
    EXPECT_EQ(lines.back(), "-----------------------------------------------------------------------------------------------");
    EXPECT_EQ(trimmed(function(lines[lines.size() - 2])), "UI Language");
    EXPECT_EQ(trimmed(function(lines[lines.size() - 3])), "System Language");
    const unsigned ui = static_cast<unsigned>(CUtil::GetUILanguage());
    EXPECT_TRUE(log.Has(kLogInfo, L"UI Language",
                        CUtil::GetLanguageNameOf(ui) + L" (" + std::to_wstring(ui) + L")"));
    EXPECT_TRUE(log.Has(kLogInfo, L"Computer name", CUtil::GetComputerName()));
    EXPECT_TRUE(log.Contains("|Space Info on Drive: C:\\"));
    EXPECT_TRUE(log.Contains("|Space Info on Drive: D:\\"));
    EXPECT_FALSE(log.Contains("Space Info on Drive: X:\\"));  // the CD-ROM is no fixed drive
    EXPECT_TRUE(log.Contains("|Processor"));
    EXPECT_EQ(Settings().GetOSResult(), 300);  // identification for the report always says supported
    ResetProcessContext();
}

}  // namespace
