// IsValidPath and CreateFolderChain on the real drives of the test prefix (D: fixed, X: CD-ROM).
#include <gtest/gtest.h>

#include "TestEnv.h"
#include "UtilTestHelpers.h"
#include "util/Util.h"

namespace {
using utiltest::CurrentFolderGuard;

// A path of exactly `length` characters below `base` (which ends with "\"), ending with "\".
std::wstring PathOfLength(const std::wstring& base, size_t length)
{
    std::wstring path = base;
    while (path.size() + 1 < length) {
        const size_t piece = std::min<size_t>(40, length - path.size() - 1);
        path += std::wstring(piece, L'p') + L"\\";
    }
    if (path.size() < length) {
        path.insert(path.size() - 1, 1, L'q');
    }
    return path;
}
}  // namespace

TEST(IsValidPath, RefusesBadPathsBeforeTouchingTheDisk)
{
    testenv::ScratchDir dir(L"vp");
    struct Case {
        std::wstring path;
        int result;
    };
    const Case cases[] = {
        {dir / L"CON\\new", 161},
        {dir / L"con", 161},
        {dir / L"sub\\Lpt1\\", 161},
        {dir / L"NuL\\x", 161},
        {dir / L"...\\", 161},
        {dir / L"a...b\\", 161},
        {dir / L"a*b", 161},
        {dir / L"a|b", 161},
        {L"\\\\server", 161},                 // a server name but no share
        {L"\\\\server\\", 161},
        {L"\\\\-server\\share\\", 161},       // server name starting with a hyphen
        {L"\\\\\\share\\", 161},
        {L"X:\\", 161},                       // X: is a CD-ROM drive in the test prefix
        {L"X:\\bin\\", 161},
        {L"Q:\\folder\\", 161},               // no such drive
        {L"relative\\folder", 161},
        {L"D:relative", 161},
        {L"\\rooted\\folder", 161},
        {PathOfLength(dir.Path(), 256), 206},  // 256 characters once the trailing backslash is added
        {PathOfLength(dir.Path(), 256).substr(0, 255), 206},
    };
    for (const auto& c : cases) {
        CUtil util;
        std::wstring root = L"untouched";
        EXPECT_EQ(util.IsValidPath(c.path, root), c.result) << c.path.substr(0, 70) << " (" << c.path.size() << ")";
        EXPECT_EQ(root, L"untouched") << c.path.substr(0, 70);
        EXPECT_TRUE(util.CreatedExtractionRoot.empty()) << c.path.substr(0, 70);
    }
    // Nothing was created inside the scratch folder by any refused path.
    EXPECT_TRUE(utiltest::ListFolder(dir.Path()).empty());
}

TEST(IsValidPath, AcceptsAnExistingFolderAndLeavesItAlone)
{
    testenv::ScratchDir dir(L"vp");
    testenv::WriteFileText(dir / L"keep.txt", "keep");
    CUtil util;
    std::wstring root;
    EXPECT_EQ(util.IsValidPath(dir.Path(), root), 0);
    EXPECT_EQ(root, L"D:");
    EXPECT_TRUE(util.CreatedExtractionRoot.empty());
    EXPECT_TRUE(testenv::PathExists(dir / L"keep.txt"));
    // The write test removed its temporary file.
    EXPECT_EQ(utiltest::ListFolder(dir.Path()), std::vector<std::wstring>{L"keep.txt"});
    // Also without the trailing backslash.
    EXPECT_EQ(util.IsValidPath(dir.Path().substr(0, dir.Path().size() - 1), root), 0);
}

TEST(IsValidPath, MissingFoldersAreCreatedRemovedAndNamed)
{
    testenv::ScratchDir dir(L"vp");
    CUtil util;
    std::wstring root;
    EXPECT_EQ(util.IsValidPath(dir / L"New Folder\\", root), 0);
    EXPECT_EQ(root, L"D:");
    EXPECT_EQ(util.CreatedExtractionRoot, dir / L"New Folder");
    EXPECT_FALSE(testenv::PathExists(dir / L"New Folder"));

    // Two missing levels: the topmost is named, both are gone.
    EXPECT_EQ(util.IsValidPath(dir / L"A\\B", root), 0);
    EXPECT_EQ(util.CreatedExtractionRoot, dir / L"A");
    EXPECT_FALSE(testenv::PathExists(dir / L"A"));

    // ".." alone is a valid component; the path is judged in its full form.
    EXPECT_EQ(util.IsValidPath(dir / L"x\\..\\C\\", root), 0);
    EXPECT_EQ(util.CreatedExtractionRoot, dir / L"C");
    EXPECT_FALSE(testenv::PathExists(dir / L"x"));
}

TEST(IsValidPath, NeverRemovesWhatAnEarlierCallCreated)
{
    testenv::ScratchDir dir(L"vp");
    CUtil util;
    std::wstring root;
    ASSERT_EQ(util.IsValidPath(dir / L"Target\\", root), 0);
    ASSERT_EQ(util.CreatedExtractionRoot, dir / L"Target");
    // The extraction then makes the folder for real and fills it.
    ASSERT_TRUE(::CreateDirectoryW((dir / L"Target").c_str(), nullptr));
    testenv::WriteFileText(dir / L"Target\\setup.exe", "data");
    // A later check of another, existing folder must not remove it.
    EXPECT_EQ(util.IsValidPath(dir.Path(), root), 0);
    EXPECT_TRUE(util.CreatedExtractionRoot.empty());
    EXPECT_TRUE(testenv::PathExists(dir / L"Target\\setup.exe"));
}

TEST(IsValidPath, DotFormsAreMadeAbsolute)
{
    testenv::ScratchDir dir(L"vp");
    ASSERT_TRUE(::CreateDirectoryW((dir / L"cwd").c_str(), nullptr));
    CurrentFolderGuard guard;
    ASSERT_TRUE(::SetCurrentDirectoryW((dir / L"cwd").c_str()));
    CUtil util;
    std::wstring root;
    EXPECT_EQ(util.IsValidPath(L"..\\Rel", root), 0);
    EXPECT_EQ(root, L"D:");
    EXPECT_EQ(util.CreatedExtractionRoot, dir / L"Rel");
    EXPECT_FALSE(testenv::PathExists(dir / L"Rel"));
    EXPECT_EQ(util.IsValidPath(L"..\\CON", root), 161);
}

TEST(IsValidPath, AnAbsoluteFormTooLongIsRefused)
{
    testenv::ScratchDir dir(L"vp");
    const std::wstring deep = dir / (std::wstring(120, L'a') + L"\\" + std::wstring(30, L'b'));
    ASSERT_EQ(CUtil::CreateParentFolders(deep + L"\\f"), 0);
    CurrentFolderGuard guard;
    ASSERT_TRUE(::SetCurrentDirectoryW(deep.c_str()));
    CUtil util;
    std::wstring root = L"untouched";
    // 244 characters as written, far more once made absolute.
    EXPECT_EQ(util.IsValidPath(L"..\\" + std::wstring(240, L'c') + L"\\", root), 206);
    EXPECT_EQ(root, L"untouched");
}

TEST(IsValidPath, NetworkPathThatCannotBeWrittenIs82)
{
    // No network in the test prefix: the share cannot be written, which a remote drive reports as 82.
    CUtil util;
    std::wstring root = L"untouched";
    EXPECT_EQ(util.IsValidPath(L"\\\\server\\share\\", root), 82);
    EXPECT_EQ(root, L"untouched");
}

TEST(IsValidPath, ABrokenChainLeavesNothingBehind)
{
    testenv::ScratchDir dir(L"vp");
    // A control character passes the text checks, but no file system takes it in a name: the
    // first folder is made, the second cannot be.
    CUtil util;
    std::wstring root = L"untouched";
    EXPECT_EQ(util.IsValidPath(dir / L"First\\bad\x01name\\", root), 5);
    EXPECT_EQ(root, L"untouched");
    EXPECT_EQ(util.CreatedExtractionRoot, dir / L"First");
    EXPECT_FALSE(testenv::PathExists(dir / L"First"));
}

TEST(CreateFolderChain, CreatesEachMissingFolderAndNamesTheFirst)
{
    testenv::ScratchDir dir(L"fc");
    const std::wstring root = dir.Path().substr(0, 2);  // "D:"
    const std::wstring rest = dir.Path().substr(2);      // "\tarvex-tests\fc-{...}\"
    ASSERT_TRUE(::CreateDirectoryW((dir / L"have").c_str(), nullptr));

    std::wstring created = L"untouched";
    EXPECT_EQ(CUtil::CreateFolderChain(root, rest + L"have", created), 0);
    EXPECT_EQ(created, L"untouched");  // nothing new

    EXPECT_EQ(CUtil::CreateFolderChain(root, rest + L"have\\n1\\n2", created), 0);
    EXPECT_EQ(created, dir / L"have\\n1");
    EXPECT_TRUE(testenv::PathExists(dir / L"have\\n1\\n2"));

    testenv::WriteFileText(dir / L"file", "x");
    created = L"untouched";
    EXPECT_EQ(CUtil::CreateFolderChain(root, rest + L"file\\sub\\", created), -1);
    EXPECT_EQ(created, L"untouched");
}
