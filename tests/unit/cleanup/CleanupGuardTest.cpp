// What the cleanup leaves whatever its lists say: the running package and its parts, and links below
// the extraction folder with what lies behind them.
#include <algorithm>
#include <functional>
#include <vector>

#include "CleanupFixture.h"
#include "FolderLink.h"
#include "launch/Cleanup.h"
#include "validation/ExtractorValidator.h"

namespace {
using cleanuptest::CleanupFixture;
using launchtest::Narrow;
using testenv::PathExists;

class CleanupGuard : public CleanupFixture {
protected:
    // Links made by a case, removed (as links) before the scratch folder goes.
    void TearDown() override
    {
        for (const auto& link : m_folderLinks) {
            testenv::RemoveFolderLink(link);
        }
        for (const auto& link : m_fileLinks) {
            testenv::RemoveFileLink(link);
        }
        m_folderLinks.clear();
        m_fileLinks.clear();
        CleanupFixture::TearDown();
    }
    // A folder outside the extraction folder holding a file and an empty folder: someone else's.
    std::wstring Outside()
    {
        const std::wstring outside = Scratch() + L"Outside";
        ::CreateDirectoryW(outside.c_str(), nullptr);
        ::CreateDirectoryW((outside + L"\\Empty").c_str(), nullptr);
        testenv::WriteFileText(outside + L"\\a.bin", "someone else's");
        return outside;
    }
    void FolderLink(const std::wstring& link, const std::wstring& target)
    {
        ASSERT_TRUE(testenv::MakeFolderLink(link, target));
        m_folderLinks.push_back(link);
    }
    void FileLink(const std::wstring& link, const std::wstring& target)
    {
        ASSERT_TRUE(testenv::MakeFileLink(link, target));
        m_fileLinks.push_back(link);
    }

    std::vector<std::wstring> m_folderLinks;
    std::vector<std::wstring> m_fileLinks;
};

TEST_F(CleanupGuard, NothingBehindALinkNorThePackageItselfIsDeletedOrHandedOver)
{
    struct Case {
        const char* what;
        // Plants the case after an extraction; returns the listed path that must stay off the list file.
        std::function<std::wstring()> plant;
        std::vector<std::wstring> survivors; // relative to the scratch folder
        std::wstring reason;                 // of the line that names the listed path
    };
    const std::vector<Case> cases = {
        {"an extracted folder replaced by a folder link",
         [this] {
             const std::wstring listed = Extract(L"Data\\a.bin");
             ::DeleteFileW(listed.c_str());
             ::RemoveDirectoryW((extraction + L"Data").c_str());
             FolderLink(extraction + L"Data", Outside());
             return listed;
         },
         {L"Outside\\a.bin", L"Outside\\Empty"},
         L"behind a link"},
        {"an extracted file replaced by a file link",
         [this] {
             const std::wstring listed = Extract(L"b.bin");
             ::DeleteFileW(listed.c_str());
             FileLink(listed, Outside() + L"\\a.bin");
             return listed;
         },
         {L"Outside\\a.bin"},
         L"behind a link"},
        {"the running package named in the lists",
         [this] {
             Validator().SetPackageExecutable(extraction + L"Package.exe");
             return Extract(L"Package.exe", "MZ the running package");
         },
         {L"Root\\Pkg\\Package.exe"},
         L"the running package or one of its part files"},
    };
    const wchar_t* operations[] = {L"handing over", L"after a cancel", L"on exit"};
    for (const auto& c : cases) {
        for (const wchar_t* operation : operations) {
            SCOPED_TRACE(std::string(c.what) + ", " + Narrow(operation));
            TearDown();
            SetUp();
            Extract(L"Setup.exe");
            const std::wstring listed = c.plant();
            if (operation == operations[0]) {
                ASSERT_EQ(WriteToDeletetxt(), 1);
                const auto lines = testenv::ReadLines(extraction + L"ExtractedFilesToDelete.txt");
                EXPECT_EQ(std::count(lines.begin(), lines.end(), Narrow(listed)), 0);
                EXPECT_EQ(std::count(lines.begin(), lines.end(), Narrow(extraction + L"Setup.exe")), 1);
            } else if (operation == operations[1]) {
                Flags().UserCancelled = 1;
                RemoveOrloTempDirectory();
            } else {
                DeleteExtractedFilesAndFolders();
            }
            for (const auto& survivor : c.survivors) {
                EXPECT_TRUE(PathExists(Scratch() + survivor)) << Narrow(survivor);
            }
            EXPECT_EQ(PathExists(extraction + L"Setup.exe"), operation == operations[0]);
            EXPECT_TRUE(LogContains(L"Protected from deletion (" + c.reason + L") : " + listed)) << Narrow(listed);
        }
    }
}

} // namespace
