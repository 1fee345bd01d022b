// File and path helpers, text helpers.
#include <gtest/gtest.h>

#include <list>

#include "TestEnv.h"
#include "UtilTestHelpers.h"
#include "util/Util.h"

TEST(FileExists, FindsFilesFoldersAndWildcardsBelow256Characters)
{
    testenv::ScratchDir dir(L"fe");
    testenv::WriteFileText(dir / L"a.txt", "x");
    EXPECT_TRUE(CUtil::FileExists(dir / L"a.txt"));
    EXPECT_TRUE(CUtil::FileExists(dir.Path().substr(0, dir.Path().size() - 1)));
    EXPECT_TRUE(CUtil::FileExists(dir / L"*.txt"));
    EXPECT_FALSE(CUtil::FileExists(dir / L"b.txt"));
    EXPECT_FALSE(CUtil::FileExists(L""));

    // Files whose full paths are 255 and 256 characters long: only the first counts.
    const std::wstring path255 = dir / std::wstring(255 - dir.Path().size(), L'f');
    const std::wstring path256 = dir / std::wstring(256 - dir.Path().size(), L'g');
    ASSERT_EQ(path255.size(), 255u);
    ASSERT_EQ(path256.size(), 256u);
    testenv::WriteFileText(path255, "x");
    testenv::WriteFileText(path256, "x");
    ASSERT_TRUE(testenv::PathExists(path256));
    EXPECT_TRUE(CUtil::FileExists(path255));
    EXPECT_FALSE(CUtil::FileExists(path256));
}

TEST(Split, TrimsDropsEmptyPiecesAndKeepsTheLastFirst)
{
    struct Case {
        const wchar_t* text;
        const wchar_t* separator;
        std::list<std::wstring> list;  // head first
    };
    const Case cases[] = {
        {L" a ; ;b", L";", {L"b", L"a"}},
        {L"1033;1031;2052", L";", {L"2052", L"1031", L"1033"}},
        {L"key=value=more", L"=", {L"more", L"value", L"key"}},
        {L"a<>b<>  <>c", L"<>", {L"c", L"b", L"a"}},
        {L"", L";", {}},
        {L" ; ;", L";", {}},
        {L"single", L";", {L"single"}},
    };
    for (const auto& c : cases) {
        std::list<std::wstring> list;
        CUtil::Split(c.text, c.separator, list);
        EXPECT_EQ(list, c.list) << c.text;
    }
    // Pieces are inserted in front of what the list already holds.
    std::list<std::wstring> list{L"old"};
    CUtil::Split(L"x;y", L";", list);
    EXPECT_EQ(list, (std::list<std::wstring>{L"y", L"x", L"old"}));
}

TEST(ExpandPercentPath, ExpandsTheLeadingVariable)
{
    testenv::ScopedEnv set(L"TARVEX_TEST_DIR", L"C:\\Base");
    testenv::ScopedEnv empty(L"TARVEX_TEST_EMPTY", L"");
    struct Case {
        const wchar_t* text;
        const wchar_t* result;
    };
    const Case cases[] = {
        {L"%TARVEX_TEST_DIR%\\Folder", L"C:\\Base\\Folder"},
        {L"%TARVEX_TEST_DIR%", L"C:\\Base"},
        {L"%TARVEX_TEST_DIR%\\a%ignored%", L"C:\\Base\\a"},  // further pieces are ignored
        {L"%TARVEX_TEST_UNSET%\\Folder", L""},
        {L"%TARVEX_TEST_EMPTY%\\Folder", L""},
        {L"C:\\%TARVEX_TEST_DIR%", L"C:\\%TARVEX_TEST_DIR%"},  // only a leading variable counts
        {L"C:\\Plain", L"C:\\Plain"},
        {L"", L""},
        {L"%%", L""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CUtil::ExpandPercentPath(c.text), c.result) << c.text;
    }
    wchar_t temp[MAX_PATH] = {};
    ASSERT_GT(::GetEnvironmentVariableW(L"TEMP", temp, MAX_PATH), 0u);
    EXPECT_EQ(CUtil::ExpandPercentPath(L"%TEMP%\\Pack"), std::wstring(temp) + L"\\Pack");
}

TEST(PathParts, SplitPathExtensionsAndRoots)
{
    struct Case {
        const wchar_t* path;
        const wchar_t* file;       // SplitPath(path, 1)
        const wchar_t* folder;     // SplitPath(path, 0)
        const wchar_t* extension;  // GetExtension
        const wchar_t* stem;       // RemoveExtension
        const wchar_t* root;       // GetPathRoot
    };
    const Case cases[] = {
        {L"C:\\Logs\\Setup.log", L"Setup.log", L"C:\\Logs\\", L"log", L"C:\\Logs\\Setup", L"C:"},
        {L"C:\\Logs\\", L"", L"C:\\Logs\\", L"", L"", L"C:"},
        {L"Setup.log", L"Setup.log", L"", L"log", L"Setup", L"Se"},
        {L"\\Setup.log", L"\\Setup.log", L"", L"log", L"\\Setup", L"\\S"},  // a backslash at 0 is no folder
        {L"a.bc", L"a.bc", L"", L"", L"", L"a."},                         // 4 characters: no extension
        {L"ab.cd", L"ab.cd", L"", L"cd", L"ab", L"ab"},
        {L"C:\\a\\b.tar.gz", L"b.tar.gz", L"C:\\a\\", L"gz", L"C:\\a\\b.tar", L"C:"},
        {L"C:\\NoDot", L"NoDot", L"C:\\", L"", L"", L"C:"},
        {L"\\\\server\\share\\f.txt", L"f.txt", L"\\\\server\\share\\", L"txt", L"\\\\server\\share\\f",
         L"\\\\server\\"},
        {L"\\\\server", L"server", L"\\\\", L"", L"", L"\\\\server"},
        {L"C", L"C", L"", L"", L"", L"C"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CUtil::SplitPath(c.path, 1), c.file) << c.path;
        EXPECT_EQ(CUtil::SplitPath(c.path, 0), c.folder) << c.path;
        EXPECT_EQ(CUtil::GetExtension(c.path), c.extension) << c.path;
        EXPECT_EQ(CUtil::RemoveExtension(c.path), c.stem) << c.path;
        EXPECT_EQ(CUtil::GetPathRoot(c.path), c.root) << c.path;
    }
}

TEST(PathParts, AddUserNameToFileName)
{
    const std::wstring user = CUtil::GetCurrentUserName();
    ASSERT_FALSE(user.empty());
    CUtil util;
    EXPECT_EQ(util.AddUserNameToFileName(L"C:\\Logs\\Setup.log"), L"C:\\Logs\\Setup_" + user + L".log");
    EXPECT_EQ(util.AddUserNameToFileName(L"C:\\Logs\\Setup"), L"C:\\Logs\\Setup_" + user);
    EXPECT_EQ(util.AddUserNameToFileName(L"C:\\a.b\\Setup"), L"C:\\a.b\\Setup_" + user);
    EXPECT_EQ(util.AddUserNameToFileName(L"C:\\x.y.log"), L"C:\\x.y_" + user + L".log");
    // A bare name stays relative instead of moving to the root of the drive.
    EXPECT_EQ(util.AddUserNameToFileName(L"Setup.log"), L"Setup_" + user + L".log");
}

TEST(PathParts, IsPathShorterThan)
{
    EXPECT_EQ(CUtil::IsPathShorterThan(std::wstring(899, L'a'), L"900"), 1);
    EXPECT_EQ(CUtil::IsPathShorterThan(std::wstring(900, L'a'), L"900"), -1);
    EXPECT_EQ(CUtil::IsPathShorterThan(L"a", L"x"), -1);
}

TEST(PathParts, ModulePaths)
{
    const std::wstring path = CUtil::GetModulePath();
    EXPECT_EQ(CUtil::GetModuleFolder() + L"\\" + CUtil::GetModuleName(), path);
    EXPECT_EQ(CUtil::GetModuleName(), L"test_util.exe");
    EXPECT_TRUE(CUtil::FileExists(path));
}

TEST(TextHelpers, DigitsBracesAndNumbers)
{
    EXPECT_TRUE(CUtil::IsDigitsAndDots(L"1.2.33"));
    EXPECT_TRUE(CUtil::IsDigitsAndDots(L""));
    EXPECT_FALSE(CUtil::IsDigitsAndDots(L"1.2a"));
    EXPECT_EQ(CUtil::StripBraces(L"{{ABC}}"), L"ABC");
    EXPECT_EQ(CUtil::StripBraces(L"A{B}"), L"A{B");
    EXPECT_EQ(CUtil::StripBraces(L"{}"), L"");
    EXPECT_EQ(CUtil::ToInt32(L"  42abc"), 42);
    EXPECT_EQ(CUtil::ToInt64(L"8036184710"), 8036184710LL);
}
