// A silent run onto a drive that fills up while the package is extracted: the run fails with a
// logged error, and nothing is written anywhere else.
#include <gtest/gtest.h>

#include "../silent/SilentRunFixture.h"

TEST_F(SilentRun, FullTargetDriveFailsTheRunWithoutWritingElsewhere)
{
    if (!testenv::SmallDriveMounted()) {
        GTEST_SKIP() << "the 1 MiB drive E: is not mounted (TARVEX_SMALL_DRIVE is not \"yes\")";
    }
    // 400 small files pass the space check (about 200 KB of data) but take a 4 KiB page each on
    // the 1 MiB drive, so it fills up half-way through the extraction.
    source = dir / L"small-files";
    ASSERT_EQ(CUtil::CreateParentFolders(source + L"\\x"), 0);
    for (int i = 0; i < 400; ++i) {
        testenv::WriteFileText(source + L"\\file" + std::to_wstring(i) + L".txt", std::string(500, 'a' + i % 26));
    }
    Build(ReplaceFirst(Template(), L"AutoLaunch=setup.exe", L"AutoLaunch="));
    const std::wstring onSmallDrive = L"E:\\full-" + CUtil::NewGuidString().substr(1, 8);

    EXPECT_EQ(Run({L"/silent", L"/extractpath=" + onSmallDrive}), 0);
    const std::string log = ExtractionLog();
    CUtil::RemoveTree(onSmallDrive);
    EXPECT_NE(log.find("Extract Path : " + WideToUtf8(onSmallDrive)), std::string::npos) << log;
    EXPECT_NE(log.find("|ERROR     |ExtractPackage                      |There is not sufficient space on drive :E:"),
              std::string::npos)
        << "the full drive was not reported";
    EXPECT_EQ(SummaryStatus(), "Fail");
    EXPECT_FALSE(testenv::PathExists(target)) << "nothing may be written to another place";
}

