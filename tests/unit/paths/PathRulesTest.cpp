// Pure rules of the path and space checks.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "validation/PathRules.h"

namespace {

TEST(PathRules, SizeTexts)
{
    struct Row {
        uint64_t bytes;
        const wchar_t* text;
    };
    for (const Row& row : std::vector<Row>{{8036184710ULL, L"7.48 GB"},
                                           {1048576ULL, L"1024.00 KB"},
                                           {1048577ULL, L"1.00 MB"},
                                           {1073741824ULL, L"1024.00 MB"},
                                           {1073741825ULL, L"1.00 GB"},
                                           {0ULL, L"0.00 KB"},
                                           {1536ULL, L"1.50 KB"},
                                           {5368709120ULL, L"5.00 GB"}}) {
        SCOPED_TRACE(row.bytes);
        EXPECT_EQ(FormatSizeText(row.bytes), row.text);
    }
}

TEST(PathRules, LengthLimit)
{
    struct Row {
        const wchar_t* text;
        int limit;
    };
    for (const Row& row : std::vector<Row>{{L"", 0},
                                           {L"abc", 0},
                                           {L"0", 0},
                                           {L"10", 10},
                                           {L" 12", 12},
                                           {L"12abc", 12},
                                           {L"-5", 0},
                                           {L"99999999999", 2147483647}}) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(row.text)));
        EXPECT_EQ(PathLengthLimitOf(row.text), row.limit);
    }
}

}  // namespace
