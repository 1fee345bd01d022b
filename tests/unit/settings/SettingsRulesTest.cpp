// Pure rules of the settings: flags, copy buffer, sizes and the required space.
#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <string>
#include <vector>

#include "settings/SettingsRules.h"

namespace {

constexpr uint64_t kGiB = 1073741824ULL;
constexpr uint64_t kMiB = 1048576ULL;

TEST(SettingsRules, AllowChangeTarget)
{
    EXPECT_EQ(AllowChangeTargetOf(L"1"), 1);
    EXPECT_EQ(AllowChangeTargetOf(L"true"), 0);
    EXPECT_EQ(AllowChangeTargetOf(L"TRUE"), 0);
    EXPECT_EQ(AllowChangeTargetOf(L""), 0);
    EXPECT_EQ(AllowChangeTargetOf(L"01"), 0);
    EXPECT_EQ(AllowChangeTargetOf(L"0"), 0);
}

TEST(SettingsRules, CopyBufferPerStarted128MiB)
{
    struct Row {
        const char* name;
        uint64_t memory;
        int value;
        int expected;
    };
    const std::vector<Row> rows = {
        {"3 GiB with 1 MiB per block", 3 * kGiB, 1048576, 24 * 1048576},
        {"4 GiB with the default", 4 * kGiB, 5242880, 32 * 5242880},
        {"largest 32-bit report rounds up to 32 blocks", 0xFFFFFFFFULL, 5242880, 32 * 5242880},
        {"0 means the default", 4 * kGiB, 0, 32 * 5242880},
        {"negative means the default", 128 * kMiB, -7, 5242880},
        {"one byte over a block starts another", 128 * kMiB + 1, 10, 20},
        {"exactly one block", 128 * kMiB, 10, 10},
        {"product capped instead of wrapping", 4 * kGiB, 2000000000, INT_MAX},
        {"no memory reported", 0, 5242880, 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(CopyBufferSizeOf(row.memory, row.value), row.expected);
    }
}

TEST(SettingsRules, SizeValues)
{
    EXPECT_EQ(SizeValueOf(L"8036184710"), 8036184710ULL);
    EXPECT_EQ(SizeValueOf(L""), 0u);
    EXPECT_EQ(SizeValueOf(L"abc"), 0u);
    EXPECT_EQ(SizeValueOf(L"-5"), 0u);  // would otherwise ask for 16 EiB
    EXPECT_EQ(SizeValueOf(L"12abc"), 12u);
    EXPECT_EQ(SizeValueOf(L" 42"), 42u);
}

TEST(SettingsRules, RequiredSpaceOnSameAndOtherDrive)
{
    struct Row {
        const char* name;
        std::wstring path;
        std::wstring temp;
        int multiPart;
        uint64_t expected;
    };
    const std::vector<Row> rows = {
        {"single file, same drive adds the cabinet", L"D:\\Target", L"D:\\{GUID}\\", 0, 1500},
        {"drive letters compared without case", L"d:\\Target", L"D:\\{GUID}\\", 0, 1500},
        {"single file, other drive", L"C:\\Target", L"D:\\{GUID}\\", 0, 1000},
        {"multi-part never adds", L"D:\\Target", L"D:\\{GUID}\\", 1, 1000},
        {"empty extraction path", L"", L"D:\\{GUID}\\", 0, 1000},
        {"relative path compared as written", L"D:Target", L"D:\\{GUID}\\", 0, 1500},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(RequiredSpaceOf(1000, 500, row.path, row.temp, row.multiPart), row.expected);
    }
    EXPECT_EQ(RequiredSpaceOf(UINT64_MAX - 1, 500, L"D:\\a", L"D:\\b", 0), UINT64_MAX);
}

}  // namespace
