// A link (reparse point) inside the extraction folder: the engine writes nothing through it.
#include <windows.h>

#include "CabFixture.h"
#include "FolderLink.h"
#include "RecordingWindow.h"
#include "util/Util.h"

namespace {

TEST_F(CabFixture, NothingIsWrittenThroughAFolderLinkInsideTheTarget)
{
    struct Case {
        const char* storedName;
        const wchar_t* linkFolder; // relative to the target folder
    };
    const Case cases[] = {
        {"\\linked\\evil.txt", L"linked"},
        {"\\linked\\deeper\\evil.txt", L"linked"},
        {"\\real\\linked\\evil.txt", L"real\\linked"},
    };
    for (int overwrite : {0, 1}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.storedName) + (overwrite ? " overwriting" : " asking"));
            ResetProcessContext();
            CUtil::RemoveTree(m_dir / L"target"); // each case starts with an empty target
            SetUp();
            const std::wstring outside = m_dir / L"outside";
            ::CreateDirectoryW(outside.c_str(), nullptr);
            ::CreateDirectoryW(Target(L"real").c_str(), nullptr);
            ASSERT_TRUE(testenv::MakeFolderLink(Target(c.linkFolder), outside));
            struct Unlink {
                std::wstring link;
                ~Unlink() { testenv::RemoveFolderLink(link); }
            } unlink{Target(c.linkFolder)};

            const auto parts =
                WriteParts({testcab::MakeFile("\\good.txt", 10, 1), testcab::MakeFile(c.storedName, 10, 2),
                            testcab::MakeFile("\\after.txt", 10, 3)});
            testenv::RecordingWindow window;
            TestEngine engine(window.Handle(), overwrite);
            EXPECT_NE(engine.ExtractCabinet(parts[0], m_target), 0);
            EXPECT_EQ(engine.GetErrorText(), L"The cabinet holds a file name outside the extraction folder");
            EXPECT_EQ(engine.GetErrorCode(), 1012);
            EXPECT_TRUE(testenv::PathExists(Target(L"good.txt")));
            EXPECT_FALSE(testenv::PathExists(outside + L"\\evil.txt"));
            EXPECT_FALSE(testenv::PathExists(outside + L"\\deeper"));
            EXPECT_FALSE(testenv::PathExists(Target(L"after.txt")));
            EXPECT_EQ(CountNoCase(Paths().FolderChain, Target(c.linkFolder)), 0u);
        }
    }
}

} // namespace
