// The profile helpers on real UTF-16 INI files.
#include <gtest/gtest.h>

#include "TestEnv.h"
#include "util/Profile.h"

namespace {
const wchar_t kLanguageFile[] = L"[Captions]\r\n"
                                L"2052=\x7B80\x4F53\x4E2D\x6587 (&H)\r\n"
                                L"1049=\x0420\x0443\x0441\x0441\x043A\x0438\x0439\r\n"
                                L"// comment line\r\n"
                                L";1033=English\r\n"
                                L"Count=42\r\n"
                                L"[1033]\r\n"
                                L"101=Welcome\r\n"
                                L"[PartFileIno]\r\n"
                                L"001=abc\r\n"
                                L"002=def\r\n";
}  // namespace

TEST(Profile, ReadsUtf16FilesWithNonLatinTextIntact)
{
    testenv::ScratchDir dir(L"pr");
    const std::wstring file = dir / L"Languages.ini";
    testenv::WriteUtf16File(file, kLanguageFile);
    EXPECT_EQ(ReadProfileString(file, L"Captions", L"2052"), L"\x7B80\x4F53\x4E2D\x6587 (&H)");
    EXPECT_EQ(ReadProfileString(file, L"captions", L"1049"), L"\x0420\x0443\x0441\x0441\x043A\x0438\x0439");
    EXPECT_EQ(ReadProfileInt(file, L"Captions", L"Count", 0), 42);
    EXPECT_EQ(ReadProfileString(file, L"1033", L"101"), L"Welcome");
    EXPECT_EQ(ReadProfileString(file, L"PartFileIno", L"002"), L"def");
    // A disabled key is no key.
    EXPECT_EQ(ReadProfileString(file, L"Captions", L"1033", L"dflt"), L"dflt");

    const auto names = ReadProfileSectionNames(file);
    EXPECT_EQ(names, (std::vector<std::wstring>{L"Captions", L"1033", L"PartFileIno"}));
    const auto pairs = ReadProfileSectionPairs(file, L"PartFileIno");
    EXPECT_EQ(pairs, (std::vector<std::pair<std::wstring, std::wstring>>{{L"001", L"abc"}, {L"002", L"def"}}));
}

TEST(Profile, AMissingFileGivesDefaults)
{
    testenv::ScratchDir dir(L"pr");
    const std::wstring file = dir / L"missing.ini";
    EXPECT_EQ(ReadProfileString(file, L"Runtime", L"AutoLaunch"), L"");
    EXPECT_EQ(ReadProfileString(file, L"Runtime", L"AutoLaunch", L"dflt"), L"dflt");
    EXPECT_EQ(ReadProfileInt(file, L"Runtime", L"Count", -5), -5);
    EXPECT_TRUE(ReadProfileSectionLines(file, L"Runtime").empty());
    EXPECT_TRUE(ReadProfileSectionNames(file).empty());
    EXPECT_FALSE(testenv::PathExists(file));  // reading never creates it
}

TEST(Profile, WritesKeepTheFileUtf16)
{
    testenv::ScratchDir dir(L"pr");
    const std::wstring file = dir / L"Properties_Orlo.ini";
    testenv::WriteUtf16File(file, kLanguageFile);
    ASSERT_TRUE(WriteProfileString(file, L"Orlo", L"Required", L"1"));
    ASSERT_TRUE(WriteProfileString(file, L"Captions", L"1041", L"\x65E5\x672C\x8A9E"));
    ASSERT_TRUE(DeleteProfileKey(file, L"Captions", L"Count"));
    EXPECT_EQ(ReadProfileString(file, L"Orlo", L"Required"), L"1");
    EXPECT_EQ(ReadProfileString(file, L"Captions", L"1041"), L"\x65E5\x672C\x8A9E");
    EXPECT_EQ(ReadProfileString(file, L"Captions", L"2052"), L"\x7B80\x4F53\x4E2D\x6587 (&H)");
    EXPECT_EQ(ReadProfileString(file, L"Captions", L"Count", L"gone"), L"gone");
    const auto bytes = testenv::ReadFileBytes(file);
    ASSERT_GE(bytes.size(), 2u);
    EXPECT_EQ(bytes[0], 0xFF);
    EXPECT_EQ(bytes[1], 0xFE);
}

TEST(Profile, LongValuesComeBackCutTo1023Characters)
{
    testenv::ScratchDir dir(L"pr");
    const std::wstring file = dir / L"long.ini";
    testenv::WriteUtf16File(file, L"[Runtime]\r\nLong=" + std::wstring(1500, L'v') + L"\r\n");
    EXPECT_EQ(ReadProfileString(file, L"Runtime", L"Long"), std::wstring(1023, L'v'));
    // The section reader grows its buffer until every line fits.
    const auto lines = ReadProfileSectionLines(file, L"Runtime");
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0], L"Long=" + std::wstring(1500, L'v'));
}
