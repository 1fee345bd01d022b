// The payload's pure parts: marker, entry header layout, the name rules.
#include <gtest/gtest.h>

#include "PayloadTestUtil.h"
#include "settings/Payload.h"

using namespace payloadtest;

TEST(PayloadRules, MarkerIsTheGuidTextInUtf16)
{
    const auto marker = Marker();
    ASSERT_EQ(marker.size(), 76u);
    EXPECT_EQ(marker, Utf16(L"{20726377-9F91-41b8-B514-20AE00AA235D}"));
    EXPECT_TRUE(IsPayloadMarker(marker.data(), marker.size()));
    EXPECT_FALSE(IsPayloadMarker(marker.data(), 75));
    EXPECT_FALSE(IsPayloadMarker(nullptr, 76));
    const auto lower = Utf16(L"{20726377-9f91-41b8-b514-20ae00aa235d}");
    EXPECT_FALSE(IsPayloadMarker(lower.data(), lower.size()));
    for (size_t i = 0; i < marker.size(); i += 5) {
        auto damaged = marker;
        damaged[i] ^= 0x01;
        EXPECT_FALSE(IsPayloadMarker(damaged.data(), damaged.size())) << i;
    }
}

TEST(PayloadRules, EntryHeaderLayout)
{
    const auto header = EncodePayloadEntryHeader(L"ab", 0x01020304, 100);
    std::vector<uint8_t> expected = Marker();
    Put32(expected, 4);
    const auto name = Utf16(L"ab");
    expected.insert(expected.end(), name.begin(), name.end());
    Put32(expected, 0x01020304);
    expected.push_back(100);
    expected.push_back(0);
    EXPECT_EQ(header, expected);
    EXPECT_EQ(EncodePayloadEntryHeader(L"Properties_Orlo.ini", 0, 200).size(), 86u + 38u);
}

TEST(PayloadRules, EntryNames)
{
    struct Case {
        std::wstring name;
        bool accepted;
    };
    const Case cases[] = {
        {L"Properties_Orlo.ini", true},
        {L"Default1033.ulf", true},
        {L"WebCab1", true},
        {L"top header.png", true},
        {L".hidden", true},
        {L"\x7B80\x4F53.ulf", true},
        {std::wstring(511, L'n'), true}, // 1022 bytes, the longest name
        {L"..", false},
        {L"..\\evil.txt", false},
        {L"sub\\evil.txt", false},
        {L"sub/evil.txt", false},
        {L"evil..txt", false},
        {L"C:evil.txt", false},
        {L"evil.txt:stream", false},
        {L"\\\\server\\share\\evil.txt", false},
        {L"\\evil.txt", false},
        {L".", false},
        {L"...", false},
        {L"  ", false},
        {L"CON", false},
        {L"con.txt", false},
        {L"Nul ", false},
        {L"LPT1", false},
        {L"com9.log", false},
        {L"CONOUT$", false},
        {L"a*b", false},
        {L"a?b", false},
        {L"a|b", false},
        {L"a<b>", false},
        {L"a\"b", false},
        {L"a\x01"
         L"b",
         false},
        {std::wstring(L"a\0b", 3), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Narrow(c.name));
        const std::wstring reason = CheckPayloadEntryName(static_cast<uint32_t>(c.name.size() * 2), c.name);
        EXPECT_EQ(reason.empty(), c.accepted) << Narrow(reason);
    }
    // COM0 and LPT are no device names.
    EXPECT_EQ(CheckPayloadEntryName(8, L"COM0"), L"");
    EXPECT_EQ(CheckPayloadEntryName(6, L"LPT"), L"");
}

TEST(PayloadRules, NameLengths)
{
    struct Case {
        uint32_t bytes;
        bool accepted;
    };
    const Case cases[] = {{0, false},   {1, false},    {2, true},     {7, false},
                          {1022, true}, {1023, false}, {1024, false}, {0xFFFFFFFF, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bytes);
        EXPECT_EQ(CheckPayloadNameLength(c.bytes).empty(), c.accepted);
    }
    EXPECT_EQ(CheckPayloadNameLength(7), L"Invalid payload entry name length : 7");
    // A length that does not match the name is refused as well.
    EXPECT_FALSE(CheckPayloadEntryName(4, L"abc").empty());
    EXPECT_EQ(CheckPayloadEntryName(4, L"a:"), L"Invalid payload entry name : a:");
}
