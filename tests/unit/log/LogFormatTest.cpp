// The texts of log lines, banners and the summary, byte for byte.
#include <gtest/gtest.h>

#include "log/LogFormat.h"

namespace {
std::wstring Blanks(size_t n)
{
    return std::wstring(n, L' ');
}

SYSTEMTIME Time(WORD year, WORD month, WORD day, WORD hour, WORD minute, WORD second)
{
    SYSTEMTIME t{};
    t.wYear = year;
    t.wMonth = month;
    t.wDay = day;
    t.wHour = hour;
    t.wMinute = minute;
    t.wSecond = second;
    return t;
}
} // namespace

TEST(LogFormat, KindLabelsAndLevelFilter)
{
    struct Case {
        int kind;
        const wchar_t* label;
        bool atNormal;
        bool atDebug;
    };
    const Case cases[] = {
        {0, L"ERROR     ", true, true},   {1, L"WARNING   ", true, true},   {6, L"WARNING   ", true, true},
        {7, L"          ", true, true},   {8, L"          ", true, true},   {9, L"          ", true, true},
        {10, L"          ", false, true}, {11, L"          ", false, true}, {12, L"          ", false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kind);
        EXPECT_EQ(LogKindLabel(c.kind), c.label);
        EXPECT_EQ(LogKindPasses(c.kind, kLogLevelNormal), c.atNormal);
        EXPECT_EQ(LogKindPasses(c.kind, kLogLevelDebug), c.atDebug);
    }
    // Errors and warnings pass whatever the level.
    for (int kind = 0; kind <= 6; ++kind) {
        EXPECT_TRUE(LogKindPasses(kind, 0));
    }
    EXPECT_FALSE(LogKindPasses(7, 0));
}

TEST(LogFormat, FunctionColumnIsPaddedTo35AndCutAt45)
{
    const std::wstring fortyFive = L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrs";
    ASSERT_EQ(fortyFive.size(), 45u);
    struct Case {
        std::wstring function;
        std::wstring column;
    };
    const Case cases[] = {
        {L"", Blanks(35)},
        {L"InitInstance", L"InitInstance" + Blanks(23)},
        {fortyFive.substr(0, 35), fortyFive.substr(0, 35)},
        {fortyFive.substr(0, 40), fortyFive.substr(0, 40)},
        {fortyFive, fortyFive},
        {fortyFive + L"tuvwx", fortyFive},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.function.size());
        EXPECT_EQ(FormatLogLine(L"10:42:07", 8, c.function, L"Message text"),
                  L"10:42:07|          |" + c.column + L" |Message text\n");
    }
    EXPECT_EQ(FormatLogLine(L"23:59:59", 0, L"ExtractFile", L"a, b"),
              L"23:59:59|ERROR     |ExtractFile" + Blanks(24) + L" |a, b\n");
    EXPECT_EQ(FormatLogLine(L"00:00:01", 1, L"Quit", L""), L"00:00:01|WARNING   |Quit" + Blanks(31) + L" |\n");
}

TEST(LogFormat, NoFunctionLineTurnsCommasIntoBars)
{
    EXPECT_EQ(FormatLogLineNoFunction(L"10:42:07", 8, L"a,b,,c, d"),
              L"10:42:07|          |NonameFunction" + Blanks(21) + L"|a|b||c| d\n");
    EXPECT_EQ(FormatLogLineNoFunction(L"10:42:07", 0, L"no commas"),
              L"10:42:07|ERROR     |NonameFunction" + Blanks(21) + L"|no commas\n");
}

TEST(LogFormat, TimesStampsAndBanners)
{
    const SYSTEMTIME t = Time(2026, 12, 8, 9, 4, 7);
    EXPECT_EQ(FormatLogTime(t), L"09:04:07");
    EXPECT_EQ(FormatStartStamp(t), L"20261208090407");
    EXPECT_EQ(FormatStartBanner(L"20261208090407"),
              L"############################## --------- START20261208090407 --------- "
              L"##############################\n");
    EXPECT_STREQ(kLogEndBanner,
                 L"############################## --------- End --------- ##############################");
}

TEST(LogFormat, SummaryBlock)
{
    const std::wstring rule = L"##############################";
    auto expected = [&](const wchar_t* status, int errors, int warnings, int kindOne) {
        return L"\n\n######## --------- START SUMMARY 20261208104207" + Blanks(11) + rule + L"\n" +
               L"10:42:07|RETURN    |STATUS" + Blanks(31) + L" |" + status + L"\n" + L"10:42:07|RETURN    |ERRORS" +
               Blanks(31) + L" |" + std::to_wstring(errors) + L"\n" + L"10:42:07|RETURN    |WARNINGS" + Blanks(29) +
               L" |" + std::to_wstring(warnings) + L"  \n" + std::to_wstring(errors) + L" Errors found and " +
               std::to_wstring(kindOne) + L" Warnings found\n" + L"######## --------- END SUMMARY 20261208104207" +
               Blanks(13) + rule + L"\n\n";
    };

    LogCounterValues clean{};
    clean[1] = 2;
    clean[5] = 1; // warnings of every kind 1..6 count; the sentence names kind 1 only
    clean[8] = 40;
    clean[11] = 9;
    EXPECT_EQ(FormatSummary(L"10:42:07", L"20261208104207", true, clean), expected(L"Success", 0, 3, 2));
    EXPECT_EQ(FormatSummaryShort(true, clean), L"0  ERRORS\n3  WARNINGS");

    LogCounterValues failed = clean;
    failed[0] = 4;
    EXPECT_EQ(FormatSummary(L"10:42:07", L"20261208104207", true, failed), expected(L"Fail", 4, 3, 2));
    EXPECT_EQ(FormatSummaryShort(true, failed), L"4  ERRORS\n3  WARNINGS");

    // Without counters nothing is known: the run does not count as a success.
    EXPECT_EQ(FormatSummary(L"10:42:07", L"20261208104207", false, LogCounterValues{}), expected(L"Fail", 0, 0, 0));
    EXPECT_EQ(FormatSummaryShort(false, LogCounterValues{}), L"\n0  WARNINGS");
}

TEST(LogFormat, RotatedLogNameCarriesModificationDateAndTime)
{
    struct Case {
        const wchar_t* path;
        SYSTEMTIME modified;
        const wchar_t* rotated;
    };
    const Case cases[] = {
        {L"C:\\Logs\\Ext.log", Time(2026, 12, 8, 10, 42, 7), L"C:\\Logs\\Ext_08Dec2026_10-42-07.log"},
        {L"C:\\Logs\\My.Package.log", Time(2027, 1, 1, 0, 0, 0), L"C:\\Logs\\My.Package_01Jan2027_00-00-00.log"},
        {L"D:\\a b\\Setup.txt", Time(2025, 6, 30, 23, 59, 59), L"D:\\a b\\Setup_30Jun2025_23-59-59.txt"},
        {L"C:\\Logs\\NoExtension", Time(2026, 2, 9, 8, 5, 3), L"C:\\Logs\\NoExtension_09Feb2026_08-05-03"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << std::string(c.path, c.path + wcslen(c.path)));
        EXPECT_EQ(FormatRotatedLogName(c.path, c.modified), c.rotated);
    }
    const wchar_t* const months[] = {L"Jan", L"Feb", L"Mar", L"Apr", L"May", L"Jun",
                                     L"Jul", L"Aug", L"Sep", L"Oct", L"Nov", L"Dec"};
    for (WORD month = 1; month <= 12; ++month) {
        EXPECT_EQ(FormatRotatedLogName(L"C:\\x.log", Time(2026, month, 15, 1, 2, 3)),
                  std::wstring(L"C:\\x_15") + months[month - 1] + L"2026_01-02-03.log");
    }
}
