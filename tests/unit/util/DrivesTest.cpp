// Drive lists, free space and the write test on the drives of the test prefix
// (C: and D: fixed, E: a small 1 MiB drive when the harness could mount it, X: a CD-ROM).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <list>

#include "TestEnv.h"
#include "UtilTestHelpers.h"
#include "util/Util.h"

namespace {
bool Contains(const std::list<std::wstring>& list, const std::wstring& item)
{
    return std::find(list.begin(), list.end(), item) != list.end();
}

}  // namespace

TEST(FindDrives, FixedAndCdRomRootsHighestLetterFirst)
{
    std::list<std::wstring> fixed{L"kept"};
    ASSERT_EQ(CUtil::FindDrives(fixed, DRIVE_FIXED), 0);
    EXPECT_EQ(fixed.back(), L"kept");  // inserted at the head
    fixed.pop_back();
    EXPECT_TRUE(Contains(fixed, L"C:\\"));
    EXPECT_TRUE(Contains(fixed, L"D:\\"));
    EXPECT_FALSE(Contains(fixed, L"X:\\"));
    EXPECT_TRUE(std::is_sorted(fixed.rbegin(), fixed.rend()));

    std::list<std::wstring> cdrom;
    ASSERT_EQ(CUtil::FindDrives(cdrom, DRIVE_CDROM), 0);
    EXPECT_EQ(cdrom, std::list<std::wstring>{L"X:\\"});

    std::list<std::wstring> other;
    ASSERT_EQ(CUtil::FindDrives(other, DRIVE_REMOTE), 0);  // only types 3 and 5 are ever listed
    EXPECT_TRUE(other.empty());
}

TEST(FindDrives, WithSpaceDropsFixedDrivesThatAreTooSmall)
{
    std::list<std::wstring> all;
    std::list<std::wstring> any;
    ASSERT_EQ(CUtil::FindDrives(all, DRIVE_FIXED), 0);
    ASSERT_EQ(CUtil::FindDrivesWithSpace(any, DRIVE_FIXED, 0), 0);
    EXPECT_EQ(any, all);

    std::list<std::wstring> none;
    ASSERT_EQ(CUtil::FindDrivesWithSpace(none, DRIVE_FIXED, UINT64_MAX), 0);
    EXPECT_TRUE(none.empty());

    std::list<std::wstring> cdrom;
    ASSERT_EQ(CUtil::FindDrivesWithSpace(cdrom, DRIVE_CDROM, UINT64_MAX), 0);  // no space test for CD-ROMs
    EXPECT_EQ(cdrom, std::list<std::wstring>{L"X:\\"});

    if (!testenv::SmallDriveMounted()) {
        GTEST_SKIP() << "the 1 MiB drive E: is not mounted (TARVEX_SMALL_DRIVE is not yes)";
    }
    const uint64_t small = CUtil::GetFreeBytes(L"E:\\");
    EXPECT_LE(small, uint64_t{1} << 20);
    std::list<std::wstring> twoMiB;
    ASSERT_EQ(CUtil::FindDrivesWithSpace(twoMiB, DRIVE_FIXED, uint64_t{2} << 20), 0);
    EXPECT_TRUE(Contains(twoMiB, L"D:\\"));
    EXPECT_FALSE(Contains(twoMiB, L"E:\\"));
    std::list<std::wstring> exact;
    ASSERT_EQ(CUtil::FindDrivesWithSpace(exact, DRIVE_FIXED, small), 0);
    EXPECT_TRUE(Contains(exact, L"E:\\"));  // "at least" the minimum
}

TEST(GetFreeBytes, RealAndMissingDrives)
{
    EXPECT_GT(CUtil::GetFreeBytes(L"D:\\"), 0u);
    EXPECT_EQ(CUtil::GetFreeBytes(L"Q:\\"), 0u);
    ULARGE_INTEGER available{};
    ULARGE_INTEGER total{};
    ULARGE_INTEGER totalFree{};
    ASSERT_TRUE(::GetDiskFreeSpaceExW(L"D:\\", &available, &total, &totalFree));
    EXPECT_LE(CUtil::GetFreeBytes(L"D:\\"), total.QuadPart);
}

TEST(IsFolderWritable, WritesAndRemovesItsTestFile)
{
    testenv::ScratchDir dir(L"wr");
    EXPECT_TRUE(CUtil::IsFolderWritable(dir.Path(), L""));
    EXPECT_TRUE(CUtil::IsFolderWritable(dir.Path(), L"tvx"));
    EXPECT_TRUE(utiltest::ListFolder(dir.Path()).empty());
    EXPECT_FALSE(CUtil::IsFolderWritable(dir / L"missing\\", L""));
    EXPECT_FALSE(CUtil::IsFolderWritable(L"Q:\\", L""));
}
