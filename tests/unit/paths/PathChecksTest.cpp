// The extraction-folder checks on real folders of the test drives: validity, length limit, free
// space (the small drive E: for a drive that is too small), messages and the candidate order.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "LogCapture.h"
#include "TestEnv.h"
#include "log/LogFormat.h"
#include "settings/Messages.h"
#include "settings/OrloInitalizer.h"
#include "util/ProcessContext.h"
#include "util/Util.h"
#include "validation/ExtractorValidator.h"

namespace {

struct Box {
    std::wstring text;
    UINT type;
};
std::vector<Box>& Boxes()
{
    static std::vector<Box> boxes;
    return boxes;
}
int RecordBox(const std::wstring& text, UINT type, UINT) { Boxes().push_back({text, type}); return IDOK; }

class PathChecks : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetProcessContext();
        ClearMessageTable();
        Boxes().clear();
        log = std::make_unique<testenv::LogCapture>(dir / L"test.log");
        Validator().SetPropertiesPath(dir / kPropertiesFileName);
        Validator().SetMessageBoxRoutine(&RecordBox);
        WriteProperties(L"");
    }
    void TearDown() override { ResetProcessContext(); }
    void WriteProperties(const std::wstring& body) const { testenv::WriteUtf16File(dir / kPropertiesFileName, body); }

    testenv::ScratchDir dir{L"paths"};
    std::unique_ptr<testenv::LogCapture> log;
};

TEST_F(PathChecks, UsableFolderIsCompletedAndStored)
{
    std::wstring path = L"  " + dir / L"new folder" + L" ";
    EXPECT_EQ(Validator().ValidatePathAndSpaceAvailable(path, 1, 1024), 0);
    const std::wstring expected = dir / L"new folder\\";
    EXPECT_EQ(path, expected);
    EXPECT_EQ(Validator().GetExtractionPath(), expected);
    EXPECT_EQ(Settings().GetExtractionPath(), expected);
    EXPECT_FALSE(testenv::PathExists(expected));  // validated, not created
    EXPECT_TRUE(Boxes().empty());
    EXPECT_TRUE(log->Has(kLogInfo, L"ValidatePathAndSpaceAvailable", L"Extract Path : " + expected));
    EXPECT_TRUE(log->Has(kLogInfo, L"CheckFreeSpace", L"Required space : 1.00 KB"));
}

TEST_F(PathChecks, InvalidFoldersGiveTheirMessages)
{
    struct Row {
        const char* name;
        std::wstring path;
        std::wstring box;
        std::wstring logLine;
    };
    const std::wstring bad = dir / L"a\\CON\\b";
    const std::vector<Row> rows = {
        {"reserved name", bad, L"Invalid path: " + bad, L"Invalid path : " + bad},
        {"wildcard", dir / L"a*b", L"Invalid path: " + dir / L"a*b", L"Invalid path : " + dir / L"a*b"},
        {"path of blanks", L"    ", L"Invalid path: ", L"Invalid path : "},
        {"empty path", L"", L"Invalid path: ", L"Invalid path : "},
        {"CD-ROM drive", L"X:\\bin\\pkg", L"Invalid path: X:\\bin\\pkg", L"Invalid path : X:\\bin\\pkg"},
        {"too long",
         dir / std::wstring(250, L'x'),
         L"The path you have specified is too long.\nPlease specify a different path.",
         L"The path you have specified is too long."},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        Boxes().clear();
        std::wstring path = row.path;
        EXPECT_EQ(Validator().ValidatePathAndSpaceAvailable(path, 1, 0), -1);
        ASSERT_EQ(Boxes().size(), 1u);
        EXPECT_EQ(Boxes()[0].text, row.box);
        EXPECT_EQ(Boxes()[0].type, static_cast<UINT>(MB_OK));
        EXPECT_TRUE(log->Has(kLogWarning, L"ErrorMessagesForInvalidPath", row.logLine));
        EXPECT_EQ(Validator().GetExtractionPath(), L"");
    }
}

TEST_F(PathChecks, SilentChecksShowNothing)
{
    std::wstring path = dir / L"a\\lpt1";
    EXPECT_EQ(Validator().ValidatePathAndSpaceAvailable(path, 0, 0), -1);
    EXPECT_TRUE(Boxes().empty());
    EXPECT_TRUE(log->Has(kLogWarning, L"ErrorMessagesForInvalidPath", L"Invalid path : " + path));
}

TEST_F(PathChecks, ErrorMessageTable)
{
    const std::wstring path = L"C:\\Some Folder";
    EXPECT_EQ(Validator().ErrorMessagesForInvalidPath(161, path, 0), L"Invalid path: C:\\Some Folder");
    EXPECT_EQ(Validator().ErrorMessagesForInvalidPath(5, path, 0),
              L"Please check the permission of the path: C:\\Some Folder");
    EXPECT_EQ(Validator().ErrorMessagesForInvalidPath(82, path, 0),
              L"You cannot extract to the folder: C:\\Some Folder. Please choose another directory.");
    EXPECT_EQ(Validator().ErrorMessagesForInvalidPath(206, path, 0),
              L"The path you have specified is too long.\nPlease specify a different path.");
    EXPECT_EQ(Validator().ErrorMessagesForInvalidPath(400, path, 0),
              L"The path you have specified is too long.\nPlease specify a different path.");
    EXPECT_EQ(Validator().ErrorMessagesForInvalidPath(3, path, 1), L"");
    EXPECT_TRUE(Boxes().empty());  // no empty box for a code without a message
    EXPECT_TRUE(log->Has(kLogWarning, L"ErrorMessagesForInvalidPath", L"Please check the permission of the path : " + path));
    EXPECT_TRUE(log->Has(kLogWarning, L"ErrorMessagesForInvalidPath", L"You cannot extract in the folder : " + path));

    // A loaded language's text with [NEWLINE] is shown with a line break.
    testenv::WriteUtf16File(dir / L"Default1031.ulf", L"[FileInfo]\r\nID=1031\r\n413=Pfad[NEWLINE][INVALIDPATH]\r\n");
    ASSERT_EQ(LoadLanguage(1031, dir.Path()), 0);
    EXPECT_EQ(Validator().ErrorMessagesForInvalidPath(161, path, 0), L"Pfad\nC:\\Some Folder");
}

TEST_F(PathChecks, LengthLimit)
{
    WriteProperties(L"[Runtime]\r\nExtractPathMaxLength=10\r\n");
    std::wstring path = L"C:\\Temp\\Pack";  // 12 characters
    EXPECT_EQ(Validator().ValidatePathAndSpaceAvailable(path, 1, 0), -1);
    ASSERT_EQ(Boxes().size(), 1u);
    EXPECT_EQ(Boxes()[0].text, L"The path you have specified is too long.\nPlease specify a different path.");
    EXPECT_TRUE(log->Has(kLogError, L"ValidatePathAndSpaceAvailable",
                         L"Extract path length exceeded. Maximum path length is : 10"));

    path = L"C:\\Temp\\Pack";
    WriteProperties(L"[Runtime]\r\nExtractPathMaxLength=12\r\n");
    EXPECT_EQ(Validator().ValidatePathAndSpaceAvailable(path, 0, 0), 0);  // exactly at the limit

    for (const wchar_t* noLimit : {L"", L"0", L"abc", L"-5"}) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(noLimit)));
        WriteProperties(std::wstring(L"[Runtime]\r\nExtractPathMaxLength=") + noLimit + L"\r\n");
        path = L"C:\\Temp\\Pack";
        EXPECT_EQ(Validator().ValidatePathAndSpaceAvailable(path, 0, 0), 0);
    }
}

TEST_F(PathChecks, SpaceComparison)
{
    std::wstring message;
    EXPECT_EQ(Validator().EvaluateFreeSpace(L"D:", 1048576, 1048576, message), 1);  // equal is enough
    EXPECT_EQ(message, L"Drive D:  Available space: 1024.00 KB\nRequired space: 1024.00 KB");
    EXPECT_TRUE(log->Has(kLogInfo, L"CheckFreeSpace", L"Drive D:.  Available space : 1024.00 KB"));
    EXPECT_TRUE(log->Has(kLogInfo, L"CheckFreeSpace",
                         L"Comparing Available space : 1048576 Bytes and Required space  1048576 Bytes"));

    EXPECT_EQ(Validator().EvaluateFreeSpace(L"D:", 1048576, 1048577, message), 0);
    EXPECT_EQ(message, L"There is not sufficient space on drive D:.\nRequired space: 1.00 MB");
    EXPECT_TRUE(log->Has(kLogWarning, L"CheckFreeSpace", L"Space on drive D: is not sufficient"));

    EXPECT_EQ(Validator().EvaluateFreeSpace(L"C:", 8036184710ULL, 0, message), 1);
    EXPECT_EQ(message, L"Drive C:  Available space: 7.48 GB\nRequired space: 0.00 KB");
}

TEST_F(PathChecks, DriveThatCannotBeQueried)
{
    std::wstring message;
    EXPECT_EQ(Validator().CheckFreeSpace(L"Q:\\nowhere", L"Q:", 0, message), 0);
    EXPECT_EQ(message, L"Please check the path : Q:\\nowhere");
}

TEST_F(PathChecks, SmallDriveIsRefusedWithMessage409)
{
    if (!testenv::SmallDriveMounted()) {
        GTEST_SKIP() << "the 1 MiB drive E: is not mounted (TARVEX_SMALL_DRIVE is not \"yes\")";
    }
    std::wstring path = L"E:\\package-" + CUtil::NewGuidString();
    EXPECT_EQ(Validator().ValidatePathAndSpaceAvailable(path, 1, 2 * 1048576ULL), -1);
    ASSERT_EQ(Boxes().size(), 1u);
    EXPECT_EQ(Boxes()[0].text, L"There is not sufficient space on drive E:.\nRequired space: 2.00 MB");
    EXPECT_TRUE(log->Has(kLogWarning, L"CheckFreeSpace", L"Space on drive E: is not sufficient"));

    path = L"E:\\package-" + CUtil::NewGuidString();
    EXPECT_EQ(Validator().ValidatePathAndSpaceAvailable(path, 1, 1024), 0);  // a small package fits
}

TEST_F(PathChecks, CandidateOrder)
{
    const std::wstring commandLine = dir / L"cmd";
    const std::wstring package = dir / L"package";
    WriteProperties(L"[Runtime]\r\nExtractPath=" + package + L"\r\n");

    EXPECT_EQ(Validator().GetFinalExtractPathParam(false, commandLine, L"Pkg", 0), commandLine + L"\\");
    EXPECT_TRUE(log->Has(kLogInfo, L"GetFinalExtractPathParam", L"Extract path from command line : " + commandLine));

    // A failing command-line folder falls back to the package's folder.
    const std::wstring bad = dir / L"nul\\x";
    EXPECT_EQ(Validator().GetFinalExtractPathParam(false, bad, L"Pkg", 0), package + L"\\");
    EXPECT_TRUE(log->Has(kLogInfo, L"GetFinalExtractPathParam", L"Extract path from the Web Package properties : " + package));
    EXPECT_EQ(Settings().GetExtractionPath(), package + L"\\");

    // Skipping the command line goes straight to the package's folder.
    Boxes().clear();
    ResetProcessContext();
    testenv::LogCapture skipped(dir / L"skip.log");
    Validator().SetPropertiesPath(dir / kPropertiesFileName);
    Validator().SetMessageBoxRoutine(&RecordBox);
    EXPECT_EQ(Validator().GetFinalExtractPathParam(true, commandLine, L"Pkg", 0), package + L"\\");
    EXPECT_FALSE(skipped.Contains("Extract path from command line"));

    // Then %TEMP% joined with the package name.
    WriteProperties(L"[Runtime]\r\nExtractPath=" + dir / L"a?b" + L"\r\n");
    EXPECT_EQ(Validator().GetFinalExtractPathParam(false, bad, L"Pkg", 0), CUtil::ExpandPercentPath(L"%TEMP%\\Pkg\\"));
    WriteProperties(L"");
    EXPECT_EQ(Validator().GetFinalExtractPathParam(false, L"", L"Pkg", 0), CUtil::ExpandPercentPath(L"%TEMP%\\Pkg\\"));

    // Nothing fits: empty.
    EXPECT_EQ(Validator().GetFinalExtractPathParam(false, commandLine, L"Pkg", 4611686018427387904ULL), L"");
    EXPECT_TRUE(Boxes().empty());
}

TEST_F(PathChecks, CommandLinePathIsExpanded)
{
    EXPECT_EQ(Validator().GetFinalExtractPathParam(false, L"%TEMP%\\FromCmd", L"Pkg", 0),
              CUtil::ExpandPercentPath(L"%TEMP%\\FromCmd\\"));
    EXPECT_TRUE(log->Has(kLogInfo, L"GetFinalExtractPathParam", L"Extract path from command line : %TEMP%\\FromCmd"));
}

}  // namespace
