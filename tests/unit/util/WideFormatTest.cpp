#include <gtest/gtest.h>

#include "util/WideFormat.h"

// The program's formats are Windows formats: %s takes a wide string in a wide format.
TEST(WideFormat, FollowsWindowsConventions)
{
    EXPECT_EQ(FormatW(L"%s|%ls", L"wide", L"also"), L"wide|also");
    EXPECT_EQ(FormatW(L"%I64d", static_cast<long long>(1) << 40), L"1099511627776");
    EXPECT_EQ(FormatW(L"%-5.7s|", L"ab"), L"ab   |");
    EXPECT_EQ(FormatW(L"%.02f %s", 7.4812, L"GB"), L"7.48 GB");
    EXPECT_EQ(FormatW(L"%03d", 7), L"007");
}

TEST(WideFormat, GrowsPastItsFirstBuffer)
{
    const std::wstring longText(5000, L'x');
    EXPECT_EQ(FormatW(L"[%s]", longText.c_str()), L"[" + longText + L"]");
    EXPECT_EQ(FormatW(nullptr), L"");
}
