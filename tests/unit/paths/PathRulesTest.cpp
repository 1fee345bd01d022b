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

TEST(PathRules, InvalidPathMessages)
{
    struct Row {
        int code;
        int messageId;
        std::wstring log;
    };
    for (const Row& row : std::vector<Row>{{161, 413, L"Invalid path : %ls"},
                                           {5, 414, L"Please check the permission of the path : %ls"},
                                           {82, 415, L"You cannot extract in the folder : %ls"},
                                           {206, 412, L"The path you have specified is too long."},
                                           {400, 412, L"The path you have specified is too long."},
                                           {0, 0, L""},
                                           {3, 0, L""},
                                           {-1, 0, L""}}) {
        SCOPED_TRACE(row.code);
        const InvalidPathRule rule = InvalidPathRuleFor(row.code);
        EXPECT_EQ(rule.messageId, row.messageId);
        EXPECT_EQ(std::wstring(rule.logFormat), row.log);
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

TEST(PathRules, Placeholders)
{
    EXPECT_EQ(FillInvalidPath(L"Invalid path: [INVALIDPATH][NEWLINE]again [INVALIDPATH]", L"C:\\x"),
              L"Invalid path: C:\\x\nagain C:\\x");
    EXPECT_EQ(FillDriveSpace(L"Drive [DRIVENAME]  Available space: [AVALSPACEIN]", L"D:", L"1.00 GB"),
              L"Drive D:  Available space: 1.00 GB");
    EXPECT_EQ(FillRequiredSpace(L"Required space: [REQSPACEIN]", L"7.48 GB"), L"Required space: 7.48 GB");
    EXPECT_EQ(FillDriveName(L"There is not sufficient space on drive [DRIVENAME].", L"E:"),
              L"There is not sufficient space on drive E:.");
}

TEST(PathRules, LicenseFileForm)
{
    EXPECT_TRUE(HasLicenseFileForm(L"C:\\a\\License.rtf"));
    EXPECT_TRUE(HasLicenseFileForm(L"x.TXT"));
    EXPECT_TRUE(HasLicenseFileForm(L"a.Rtf"));
    EXPECT_FALSE(HasLicenseFileForm(L".txt"));  // four characters
    EXPECT_FALSE(HasLicenseFileForm(L"C:\\a\\License.doc"));
    EXPECT_FALSE(HasLicenseFileForm(L"C:\\a\\License.rtf.bak"));
    EXPECT_FALSE(HasLicenseFileForm(L""));
}

}  // namespace
