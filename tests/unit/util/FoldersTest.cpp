// Folder creation, the folder report texts and the three tree removals.
#include <gtest/gtest.h>

#include <list>
#include <vector>

#include "FolderLink.h"
#include "TestEnv.h"
#include "UtilTestHelpers.h"
#include "util/Handles.h"
#include "util/Util.h"

namespace {
void MakeReadOnly(const std::wstring& path) { ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY); }

// tree\a.txt, tree\ro.txt (read-only), tree\sub\b.txt, tree\sub\deep\c.txt (read-only), tree\empty\.
std::wstring MakeTree(const testenv::ScratchDir& dir)
{
    const std::wstring tree = dir / L"tree";
    EXPECT_EQ(CUtil::CreateParentFolders(tree + L"\\sub\\deep\\c.txt"), 0);
    ::CreateDirectoryW((tree + L"\\empty").c_str(), nullptr);
    for (const wchar_t* name : {L"\\a.txt", L"\\ro.txt", L"\\sub\\b.txt", L"\\sub\\deep\\c.txt"}) {
        testenv::WriteFileText(tree + name, "content");
    }
    MakeReadOnly(tree + L"\\ro.txt");
    MakeReadOnly(tree + L"\\sub\\deep\\c.txt");
    return tree;
}

// Opens a file the way another program would that does not let it be deleted.
UniqueFileHandle HoldOpen(const std::wstring& path)
{
    return UniqueFileHandle(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                          OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
}
}  // namespace

TEST(RemoveTree, AllVariantsRemoveANestedTreeWithReadOnlyFiles)
{
    for (int variant = 0; variant < 3; ++variant) {
        testenv::ScratchDir dir(L"rt");
        const std::wstring tree = MakeTree(dir);
        std::list<std::wstring> failures;
        // Callers pass folders with and without the trailing backslash.
        const std::wstring arg = variant == 1 ? tree + L"\\" : tree;
        const int result = variant == 0   ? CUtil::RemoveTree(arg)
                           : variant == 1 ? CUtil::RemoveTreeStrict(arg)
                                          : CUtil::RemoveTreeCollect(arg, failures);
        EXPECT_EQ(result, 1) << "variant " << variant;
        EXPECT_FALSE(testenv::PathExists(tree)) << "variant " << variant;
        EXPECT_TRUE(failures.empty());
    }
}

TEST(RemoveTree, WhatIsNotAFolder)
{
    testenv::ScratchDir dir(L"rt");
    testenv::WriteFileText(dir / L"file.txt", "x");
    std::list<std::wstring> failures{L"earlier"};
    // RemoveTree counts a missing folder as done (-1); the other two report failure.
    EXPECT_EQ(CUtil::RemoveTree(dir / L"missing"), -1);
    EXPECT_EQ(CUtil::RemoveTree(dir / L"file.txt"), -1);
    EXPECT_EQ(CUtil::RemoveTreeStrict(dir / L"missing"), 0);
    EXPECT_EQ(CUtil::RemoveTreeStrict(dir / L"file.txt"), 0);
    EXPECT_EQ(CUtil::RemoveTreeCollect(dir / L"missing", failures), 0);
    EXPECT_EQ(CUtil::RemoveTreeCollect(dir / L"file.txt", failures), 0);
    EXPECT_TRUE(testenv::PathExists(dir / L"file.txt"));
    EXPECT_EQ(failures, std::list<std::wstring>{L"earlier"});
}

TEST(RemoveTree, CollectGoesOnPastFilesInUseAndListsThem)
{
    testenv::ScratchDir dir(L"rt");
    const std::wstring tree = dir / L"settings";
    ASSERT_TRUE(::CreateDirectoryW(tree.c_str(), nullptr));
    for (const wchar_t* name : {L"a.ini", L"b.lng", L"held1.bmp", L"c.txt", L"held2.png", L"d.bin"}) {
        testenv::WriteFileText(tree + L"\\" + name, "x");
    }
    MakeReadOnly(tree + L"\\c.txt");
    const UniqueFileHandle held1 = HoldOpen(tree + L"\\held1.bmp");
    const UniqueFileHandle held2 = HoldOpen(tree + L"\\held2.png");
    ASSERT_TRUE(held1.Valid() && held2.Valid());

    std::list<std::wstring> failures;
    EXPECT_EQ(CUtil::RemoveTreeCollect(tree, failures), 0);  // the folder itself stays
    failures.sort();
    EXPECT_EQ(failures, (std::list<std::wstring>{tree + L"\\held1.bmp", tree + L"\\held2.png"}));
    EXPECT_EQ(utiltest::ListFolder(tree), (std::vector<std::wstring>{L"held1.bmp", L"held2.png"}));
}

TEST(RemoveTree, PlainAndStrictFailOnAFileInUse)
{
    for (int variant = 0; variant < 2; ++variant) {
        testenv::ScratchDir dir(L"rt");
        const std::wstring tree = MakeTree(dir);
        const UniqueFileHandle held = HoldOpen(tree + L"\\sub\\b.txt");
        ASSERT_TRUE(held.Valid());
        const int result = variant == 0 ? CUtil::RemoveTree(tree) : CUtil::RemoveTreeStrict(tree);
        EXPECT_EQ(result, 0) << "variant " << variant;
        EXPECT_TRUE(testenv::PathExists(tree + L"\\sub\\b.txt"));
    }
}

TEST(RemoveTree, LinksStayAndWhatTheyLeadToSurvives)
{
    for (int variant = 0; variant < 3; ++variant) {
        SCOPED_TRACE(variant);
        testenv::ScratchDir dir(L"rt");
        const std::wstring tree = MakeTree(dir);
        const std::wstring outside = dir / L"outside";
        ASSERT_EQ(CUtil::CreateParentFolders(outside + L"\\empty\\x"), 0);
        testenv::WriteFileText(outside + L"\\kept.txt", "someone else's");
        // A folder link as the tree's last entry and deeper down, and a file link.
        const std::vector<std::wstring> folderLinks = {tree + L"\\zlinked", tree + L"\\sub\\linked"};
        for (const auto& link : folderLinks) {
            ASSERT_TRUE(testenv::MakeFolderLink(link, outside));
        }
        const std::wstring fileLink = tree + L"\\sub\\deep\\linked.txt";
        ASSERT_TRUE(testenv::MakeFileLink(fileLink, outside + L"\\kept.txt"));

        std::list<std::wstring> failures;
        const int result = variant == 0   ? CUtil::RemoveTree(tree)
                           : variant == 1 ? CUtil::RemoveTreeStrict(tree)
                                          : CUtil::RemoveTreeCollect(tree, failures);
        EXPECT_EQ(result, 0);
        EXPECT_EQ(testenv::ReadFileText(outside + L"\\kept.txt"), "someone else's");
        EXPECT_TRUE(testenv::PathExists(outside + L"\\empty"));
        if (variant == 2) {
            // It went on past every link and removed everything else.
            failures.sort();
            EXPECT_EQ(failures, (std::list<std::wstring>{fileLink, folderLinks[1], folderLinks[0]}));
            EXPECT_FALSE(testenv::PathExists(tree + L"\\a.txt"));
            EXPECT_FALSE(testenv::PathExists(tree + L"\\empty"));
        }
        for (const auto& link : folderLinks) {
            testenv::RemoveFolderLink(link);
        }
        testenv::RemoveFileLink(fileLink);
    }
}

TEST(ClearReadOnly, ResetsOnlyReadOnlyFiles)
{
    testenv::ScratchDir dir(L"ro");
    testenv::WriteFileText(dir / L"ro.txt", "x");
    testenv::WriteFileText(dir / L"hidden.txt", "x");
    MakeReadOnly(dir / L"ro.txt");
    ::SetFileAttributesW((dir / L"hidden.txt").c_str(), FILE_ATTRIBUTE_HIDDEN);
    EXPECT_EQ(CUtil::ClearReadOnly(dir / L"ro.txt"), 0u);
    EXPECT_EQ(::GetFileAttributesW((dir / L"ro.txt").c_str()) & FILE_ATTRIBUTE_READONLY, 0u);
    EXPECT_EQ(CUtil::ClearReadOnly(dir / L"hidden.txt"), 0u);
    EXPECT_NE(::GetFileAttributesW((dir / L"hidden.txt").c_str()) & FILE_ATTRIBUTE_HIDDEN, 0u);
    EXPECT_EQ(CUtil::ClearReadOnly(dir / L"missing.txt"), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

TEST(CreateParentFolders, CreatesTheFoldersAboveTheLastComponent)
{
    testenv::ScratchDir dir(L"pf");
    EXPECT_EQ(CUtil::CreateParentFolders(dir / L"a\\b\\Setup.log"), 0);
    EXPECT_TRUE(testenv::PathExists(dir / L"a\\b"));
    EXPECT_FALSE(testenv::PathExists(dir / L"a\\b\\Setup.log"));
    EXPECT_EQ(CUtil::CreateParentFolders(dir / L"a\\b\\Setup.log"), 0);  // existing folders are fine
    EXPECT_EQ(CUtil::CreateParentFolders(dir / L"c\\d\\"), 0);           // a trailing "\" keeps every folder
    EXPECT_TRUE(testenv::PathExists(dir / L"c\\d"));
    testenv::WriteFileText(dir / L"file", "x");
    EXPECT_EQ(CUtil::CreateParentFolders(dir / L"file\\x\\y.log"), -1);
    EXPECT_EQ(CUtil::CreateParentFolders(L"Q:\\a\\b.log"), -1);
}

TEST(CreateFolderReport, TextsByOutcome)
{
    testenv::ScratchDir dir(L"fr");
    struct Case {
        std::wstring path;
        std::wstring prefix;
    };
    const Case cases[] = {
        {dir / L"new\\nested", L"Folder Created:\t\t "},
        {dir / L"new\\nested", L"Folder exists:\t\t "},
        {L"relative\\folder", L"Bad Path Name:\t\t\t "},
        {L"Q:\\no\\drive", L"Path Not Found:\t\t "},
    };
    for (const auto& c : cases) {
        std::wstring message;
        EXPECT_EQ(CUtil::CreateFolderReport(c.path, message), 1);
        EXPECT_EQ(message, c.prefix + c.path);
    }
    EXPECT_TRUE(testenv::PathExists(dir / L"new\\nested"));
}
