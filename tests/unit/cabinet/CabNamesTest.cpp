// Rules over stored names, target paths, next-part names and part numbers.
#include <gtest/gtest.h>

#include <string>

#include "cabinet/CabNames.h"

namespace {

struct NameCase {
    const wchar_t* stored;
    bool accepted;
};

TEST(CabNames, StoredNamesThatWouldLeaveTheTargetFolderAreRefused)
{
    const NameCase cases[] = {
        {L"\\file.txt", true},
        {L"\\sub\\dir\\file.txt", true},
        {L"\\a..b\\x..y.txt", true},
        {L"\\.hidden", true},
        {L"\\console.log", true},
        {L"\\COM10.txt", true},
        {L"\\..\\evil.txt", false},
        {L"\\sub\\..\\..\\evil.txt", false},
        {L"\\sub\\.\\file.txt", false},
        {L"\\...\\evil.txt", false},
        {L"\\.. \\evil.txt", false},
        {L"\\C:\\evil.txt", false},
        {L"\\a:stream", false},
        {L"\\\\server\\share\\evil.txt", false},
        {L"\\sub\\\\file.txt", false},
        {L"\\sub\\", false},
        {L"\\", false},
        {L"\\CON", false},
        {L"\\sub\\nul.txt", false},
        {L"\\lpt1", false},
        {L"\\bad\x0001name", false},
    };
    for (const NameCase& c : cases) {
        EXPECT_EQ(CheckStoredName(c.stored).empty(), c.accepted) << std::wstring(c.stored);
    }
}

TEST(CabNames, NormalisationTurnsSlashesAndAddsTheLeadingBackslash)
{
    EXPECT_EQ(NormalizeStoredName(L"plain.txt"), L"\\plain.txt");
    EXPECT_EQ(NormalizeStoredName(L"/../evil.txt"), L"\\..\\evil.txt");
    EXPECT_EQ(NormalizeStoredName(L"\\sub/file"), L"\\sub\\file");
    EXPECT_FALSE(CheckStoredName(NormalizeStoredName(L"../evil.txt")).empty());
    EXPECT_FALSE(CheckStoredName(NormalizeStoredName(L"C:/evil.txt")).empty());
    EXPECT_FALSE(CheckStoredName(NormalizeStoredName(L"//server/share/x")).empty());
}

TEST(CabNames, DecodingFollowsTheUtf8Attribute)
{
    EXPECT_EQ(DecodeStoredName("\\\xC3\xA9t\xC3\xA9.txt", 0x80), L"\\\x00E9t\x00E9.txt");
    EXPECT_EQ(DecodeStoredName("\\\xC3\xA9t\xC3\xA9.txt", 0x20), L"\\\x00C3\x00A9t\x00C3\x00A9.txt");
    EXPECT_EQ(DecodeStoredName("\\caf\xE9", 0), L"\\caf\x00E9");
}

TEST(CabNames, TargetPathSplitsAtTheLastBackslash)
{
    const CabTargetPath nested = BuildTargetPath(L"D:\\out\\", L"\\sub\\dir\\file.txt");
    EXPECT_EQ(nested.relativeFolder, L"\\sub\\dir\\");
    EXPECT_EQ(nested.fileName, L"file.txt");
    EXPECT_EQ(nested.fileFolder, L"D:\\out\\sub\\dir\\");
    EXPECT_EQ(nested.targetPath, L"D:\\out\\sub\\dir\\file.txt");
    const CabTargetPath top = BuildTargetPath(L"D:\\out\\", L"\\file.txt");
    EXPECT_EQ(top.fileFolder, L"D:\\out\\");
    EXPECT_EQ(top.targetPath, L"D:\\out\\file.txt");

    EXPECT_TRUE(IsInsideFolder(L"D:\\OUT\\file.txt", L"d:\\out\\"));
    EXPECT_FALSE(IsInsideFolder(L"D:\\outside\\file.txt", L"D:\\out\\"));
    EXPECT_FALSE(IsInsideFolder(L"D:\\out", L"D:\\out\\"));
}

TEST(CabNames, LongPathsGetTheExtendedPrefix)
{
    const std::wstring shortPath = L"D:\\x\\" + std::wstring(200, L'a');
    EXPECT_EQ(LongPath(shortPath), shortPath);
    const std::wstring longPath = L"D:\\x\\" + std::wstring(250, L'a');
    EXPECT_EQ(LongPath(longPath), L"\\\\?\\" + longPath);
    const std::wstring unc = L"\\\\server\\share\\" + std::wstring(250, L'a');
    EXPECT_EQ(LongPath(unc), L"\\\\?\\UNC\\server\\share\\" + std::wstring(250, L'a'));
}

TEST(CabNames, NextPartTakesThePackageBaseAndTheRecordedSuffix)
{
    struct Case {
        const wchar_t* pattern;
        int counter;
        const wchar_t* recorded;
        const wchar_t* expected;
    } cases[] = {
        {L"Pack.%03d", 2, L"OldName.002", L"Pack.002"},
        {L"Pack.%03d", 3, L"X.003", L"Pack.003"},
        {L"Pack.%03d", 7, L"OldName.004", L"Pack.004"}, // the recorded number wins
        {L"My.Package.%03d", 2, L"a.b.c.002", L"My.Package.002"},
        {L"Pack.%03d", 2, L"", L""},              // the last part names no next one
        {L"", 2, L"OldName.002", L"OldName.002"}, // no pattern: nothing to rename
    };
    for (const Case& c : cases) {
        EXPECT_EQ(RenameNextCabinet(c.pattern, c.counter, c.recorded), c.expected) << c.recorded;
    }
}

TEST(CabNames, PartNumberFromTheSuffixDigits)
{
    struct Case {
        const wchar_t* path;
        int number;
        const wchar_t* digits;
    } cases[] = {
        {L"D:\\p\\Pack.001", 1, L"001"},      {L"D:\\p\\Pack.003", 3, L"003"}, {L"D:\\p\\Pack.000", 0, L"000"},
        {L"D:\\p\\Pack.1000", 1000, L"1000"}, {L"D:\\p\\Pack.abc", 0, L"abc"}, {L"D:\\p\\Pack.0a1", 0, L"0a1"},
        {L"D:\\p\\Pack002", 2, L"002"},
    };
    for (const Case& c : cases) {
        std::wstring digits;
        EXPECT_EQ(ParsePartNumber(c.path, digits), c.number) << c.path;
        EXPECT_EQ(digits, c.digits) << c.path;
    }
}

} // namespace
