// The engine's string buffers: growth, conversions, formatting and their two failures.
#include <gtest/gtest.h>

#include <string>

#include "cabinet/CabStrings.h"

namespace {

TEST(CabStrings, MinimumCapacityAndGrowthToTwiceTheRequest)
{
    CStrW text;
    EXPECT_EQ(text.Capacity(), 300u);
    text.Allocate(200);
    EXPECT_EQ(text.Capacity(), 300u); // never shrinks below what it holds
    text.Assign(std::wstring(299, L'x'));
    EXPECT_EQ(text.Capacity(), 300u);
    text.Append(L"y");
    EXPECT_EQ(text.Capacity(), 602u);
    EXPECT_EQ(text.Length(), 300u);
    EXPECT_EQ(text.View().back(), L'y');
}

TEST(CabStrings, AppendingItsOwnContentIsSafe)
{
    CStrA text("abc");
    text.Append(text.View());
    text.Append(text.View());
    EXPECT_EQ(text.Str(), "abcabcabcabc");
}

TEST(CabStrings, Utf8RoundTripAndByteWidening)
{
    const std::wstring wide = L"\\Ordner\\\x00DC"
                              L"bung \x20AC \xD83D\xDE00.txt";
    const CStrA utf8 = CStrA::FromWide(wide);
    EXPECT_EQ(utf8.Str(), "\\Ordner\\\xC3\x9C"
                          "bung \xE2\x82\xAC \xF0\x9F\x98\x80.txt");
    EXPECT_EQ(CStrW::FromUtf8(utf8.View()).Str(), wide);
    // Without the UTF-8 mark every byte stands for itself.
    EXPECT_EQ(CStrW::FromBytes("caf\xE9 \xC3\x9C").Str(), L"caf\x00E9 \x00C3\x009C");
}

TEST(CabStrings, FormatGrowsUntilTheTextFits)
{
    CStrW text;
    const std::wstring long1(1000, L'a');
    text.Format(L"%ls-%d-%ls", long1.c_str(), 42, L"end");
    EXPECT_EQ(text.Str(), long1 + L"-42-end");
    EXPECT_GE(text.Capacity(), 1008u);
}

TEST(CabStrings, LostTerminatorThrows)
{
    CStrW text(L"abc");
    wchar_t* buffer = text.Buffer();
    for (size_t i = 0; i < text.Capacity(); ++i) {
        buffer[i] = L'z';
    }
    try {
        (void)text.Length();
        FAIL() << "no exception";
    } catch (const CStrException& error) {
        EXPECT_STREQ(error.what(), "The string has no terminating null character!");
    }
    buffer[0] = L'\0';
    EXPECT_NO_THROW(text.Validate());
}

TEST(CabStrings, ImpossibleAllocationThrowsOutOfMemory)
{
    CStrA text;
    try {
        text.Allocate(static_cast<size_t>(-1) / 2);
        FAIL() << "no exception";
    } catch (const CStrException& error) {
        EXPECT_STREQ(error.what(), "Fatal error: Out of memory!");
    }
    EXPECT_EQ(text.Capacity(), 300u); // the old buffer is kept
}

} // namespace
