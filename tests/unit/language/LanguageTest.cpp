// Language files and the message table: loading, refusal of foreign files, fallback to English,
// placeholders, non-Latin texts, captions and names.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "TestEnv.h"
#include "settings/Messages.h"

namespace {

const std::wstring kEnglish200 = L"Welcome to the Setup of [PACKAGEDISPLAYNAME].";
const std::wstring kEnglish201 = L"Please click Next to continue.";

class Languages : public ::testing::Test {
protected:
    void SetUp() override { ClearMessageTable(); }
    void TearDown() override { ClearMessageTable(); }
    void WriteLanguage(int lcid, const std::wstring& body) const
    {
        testenv::WriteUtf16File(LanguageFilePath(lcid, dir.Path()), body);
    }
    testenv::ScratchDir dir{L"lang"};
};

TEST_F(Languages, GermanFileOverridesAndEnglishFillsTheRest)
{
    WriteLanguage(1031, L"[FileInfo]\r\nProduct=Tarvex\r\nID=1031\r\nLangName=German\r\n"
                        L"// Welcome page\r\n200=Willkommen zu [PACKAGEDISPLAYNAME].\r\n");
    EXPECT_EQ(LoadLanguage(1031, dir.Path()), 0);
    EXPECT_TRUE(IsLanguageLoaded());
    EXPECT_EQ(GetMessage(200), L"Willkommen zu [PACKAGEDISPLAYNAME].");
    EXPECT_EQ(GetMessage(201), kEnglish201);
    EXPECT_EQ(GetMessage(99999), L"");  // neither table has it
}

TEST_F(Languages, EnglishClearsAPreviouslyLoadedLanguage)
{
    WriteLanguage(1031, L"[FileInfo]\r\nID=1031\r\n200=Willkommen\r\n");
    ASSERT_EQ(LoadLanguage(1031, dir.Path()), 0);
    ASSERT_EQ(GetMessage(200), L"Willkommen");
    EXPECT_EQ(LoadLanguage(1033, dir.Path()), 1);
    EXPECT_FALSE(IsLanguageLoaded());
    EXPECT_EQ(GetMessage(200), kEnglish200);
}

TEST_F(Languages, FileOfAnotherLanguageIsRefusedAndOldTextsStay)
{
    WriteLanguage(1040, L"[FileInfo]\r\nID=1040\r\n200=Benvenuto\r\n");
    ASSERT_EQ(LoadLanguage(1040, dir.Path()), 0);
    WriteLanguage(1031, L"[FileInfo]\r\nID=1036\r\n200=Bienvenue\r\n201=Cliquez\r\n");
    EXPECT_EQ(LoadLanguage(1031, dir.Path()), -1);
    EXPECT_EQ(GetMessage(200), L"Benvenuto");
    EXPECT_EQ(GetMessage(201), kEnglish201);
}

TEST_F(Languages, IdRules)
{
    struct Row {
        const char* name;
        std::wstring fileInfo;
        int expected;
    };
    const std::vector<Row> rows = {
        {"no ID line is accepted", L"Product=Tarvex\r\nLangName=German\r\n", 0},
        {"matching ID", L"ID=1031\r\n", 0},
        {"ID with blanks around the value", L"ID =  1031 \r\n", 0},
        {"foreign ID", L"ID=1036\r\n", -1},
        {"unparsable ID", L"ID=German\r\n", -1},
        {"key is case-sensitive: id is no ID", L"id=1036\r\n", 0},
        {"first ID line decides", L"ID=1031\r\nID=1036\r\n", 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        ClearMessageTable();
        WriteLanguage(1031, L"[FileInfo]\r\n" + row.fileInfo + L"200=Text\r\n");
        EXPECT_EQ(LoadLanguage(1031, dir.Path()), row.expected);
        EXPECT_EQ(GetMessage(200), row.expected == 0 ? L"Text" : kEnglish200);
    }
}

TEST_F(Languages, MissingFileLeavesTheTableAlone)
{
    WriteLanguage(1031, L"[FileInfo]\r\nID=1031\r\n200=Willkommen\r\n");
    ASSERT_EQ(LoadLanguage(1031, dir.Path()), 0);
    EXPECT_EQ(LoadLanguage(1036, dir.Path()), 0);
    EXPECT_EQ(LoadLanguage(-5, dir.Path()), 0);          // out of range: no such file
    EXPECT_EQ(LoadLanguage(2147483647, dir.Path()), 0);  // likewise
    EXPECT_EQ(GetMessage(200), L"Willkommen");
}

TEST_F(Languages, NewlineBecomesALineBreakOnlyInLoadedTexts)
{
    EXPECT_NE(GetMessage(509).find(L"[NEWLINE]"), std::wstring::npos);  // English keeps it for the consumer
    WriteLanguage(1031, L"[FileInfo]\r\nID=1031\r\n509=Erste[NEWLINE]Zweite[NEWLINE][NEWLINE]Ende\r\n");
    ASSERT_EQ(LoadLanguage(1031, dir.Path()), 0);
    EXPECT_EQ(GetMessage(509), L"Erste\nZweite\n\nEnde");
}

TEST_F(Languages, EverySectionIsReadAndLaterLinesWin)
{
    WriteLanguage(1031, L"[FileInfo]\r\nID=1031\r\n300=Erste\r\n[Weitere]\r\n300=Zweite\r\n301=Muss\r\n");
    ASSERT_EQ(LoadLanguage(1031, dir.Path()), 0);
    EXPECT_EQ(GetMessage(300), L"Zweite");
    EXPECT_EQ(GetMessage(301), L"Muss");
}

TEST_F(Languages, SecondLanguageReplacesOnlyWhatItDefines)
{
    WriteLanguage(1031, L"[FileInfo]\r\nID=1031\r\n200=Willkommen\r\n201=Weiter\r\n");
    WriteLanguage(1040, L"[FileInfo]\r\nID=1040\r\n200=Benvenuto\r\n");
    ASSERT_EQ(LoadLanguage(1031, dir.Path()), 0);
    ASSERT_EQ(LoadLanguage(1040, dir.Path()), 0);
    EXPECT_EQ(GetMessage(200), L"Benvenuto");
    EXPECT_EQ(GetMessage(201), L"Weiter");
}

TEST_F(Languages, BadLinesNeverReachRealNumbers)
{
    // Names, commented-out keys and words land on number 0, which no message uses.
    WriteLanguage(1031, L"[FileInfo]\r\nProduct=Tarvex\r\nID=1031\r\nLangName=German\r\n;200=Auskommentiert\r\n"
                        L"abc=Wort\r\n[Leer]\r\n");
    ASSERT_EQ(LoadLanguage(1031, dir.Path()), 0);
    EXPECT_EQ(GetMessage(200), kEnglish200);
    EXPECT_EQ(MessageTable().count(200), 0u);
    EXPECT_EQ(MessageTable().count(0), 1u);
}

TEST_F(Languages, IdLineWithoutMessages)
{
    WriteLanguage(1031, L"[FileInfo]\r\nID=1031\r\n");
    EXPECT_EQ(LoadLanguage(1031, dir.Path()), 0);
    EXPECT_EQ(GetMessage(200), kEnglish200);
    EXPECT_EQ(GetMessage(201), kEnglish201);
}

TEST_F(Languages, NonLatinTextsComeBackIntact)
{
    const std::wstring chinese = L"\x7B80\x4F53\x4E2D\x6587 (&H)";  // 简体中文 (&H)
    const std::wstring japanese = L"\x30BB\x30C3\x30C8\x30A2\x30C3\x30D7";
    testenv::WriteUtf16File(dir / L"Defaultx.ulf",
                            L"[RADIOBUTTONSTRING]\r\n2052=" + chinese + L"\r\n1041=&" + japanese + L"\r\n");
    WriteLanguage(2052, L"[FileInfo]\r\nID=2052\r\nLangName=Chinese (Simplified)\r\n208=" + chinese + L"\r\n");
    EXPECT_EQ(GetLanguageCaption(2052, dir.Path()), chinese);
    EXPECT_EQ(GetLanguageCaption(1041, dir.Path()), L"&" + japanese);
    ASSERT_EQ(LoadLanguage(2052, dir.Path()), 0);
    EXPECT_EQ(GetMessage(208), chinese);
}

TEST_F(Languages, CaptionsAndNames)
{
    testenv::WriteUtf16File(dir / L"Defaultx.ulf", L"[RADIOBUTTONSTRING]\r\n1031=&Deutsch\r\n1036=\r\n");
    WriteLanguage(1031, L"[FileInfo]\r\nID=1031\r\nLangName=German\r\n");
    WriteLanguage(1036, L"[FileInfo]\r\nID=1036\r\n");
    EXPECT_EQ(GetLanguageCaption(1031, dir.Path()), L"&Deutsch");
    EXPECT_EQ(GetLanguageCaption(1036, dir.Path()), L"Unknown Language");  // empty value
    EXPECT_EQ(GetLanguageCaption(1040, dir.Path()), L"Unknown Language");  // missing key
    testenv::ScratchDir empty(L"lang-empty");
    EXPECT_EQ(GetLanguageCaption(1031, empty.Path()), L"Unknown Language");  // missing file
    EXPECT_EQ(GetLanguageName(1031, dir.Path()), L"German");
    EXPECT_EQ(GetLanguageName(1036, dir.Path()), L"");
    EXPECT_EQ(GetLanguageName(1040, dir.Path()), L"");
}

TEST(LanguageLines, NumbersAndValues)
{
    std::map<int, std::wstring> table;
    AddLanguageLines({L"200=a", L"12abc=prefix digits", L"201=x=y", L"200=again"}, table);
    EXPECT_EQ(table[200], L"again");        // a later line replaces an earlier one
    EXPECT_EQ(table[12], L"prefix digits");  // converted as the C runtime reads a number
    EXPECT_EQ(table[201], L"x=y");           // split at the first "=" only
}

}  // namespace
