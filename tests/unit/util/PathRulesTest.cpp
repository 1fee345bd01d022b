// Pure path rules: component validity, text checks, path forms, network roots, number formats.
#include <gtest/gtest.h>

#include "util/Util.h"
#include "util/UtilRules.h"

using utilrules::PathForm;

TEST(PathRules, ComponentValidity)
{
    struct Case {
        const wchar_t* component;
        bool valid;
    };
    const Case cases[] = {
        {L"Program Files", true}, {L"..", true},      {L".", false},     {L"...", false},  {L"....", false},
        {L"a..b", false},         {L"..a", false},    {L"a.b", true},    {L".hidden", true}, {L"CON", false},
        {L"con", false},          {L"Con", false},    {L"lPt1", false},  {L"LPT9", false}, {L"com1", false},
        {L"COM9", false},         {L"AUX", false},    {L"nul", false},   {L"COM10", true}, {L"LPT0", true},
        {L"CON.txt", true},       {L"CONSOLE", true}, {L"C:", true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CUtil::IsValidPathComponent(c.component), c.valid) << c.component;
    }
}

TEST(PathRules, TextChecksBeforeTheFileSystemIsAsked)
{
    struct Case {
        std::wstring path;
        int result;
    };
    const std::wstring base = L"C:\\Temp\\";
    const Case cases[] = {
        {base + L"ok\\", 0},
        {base + L"a\"b\\", 161},
        {base + L"a/b\\", 161},
        {base + L"a*b\\", 161},
        {base + L"a?b\\", 161},
        {base + L"a>b\\", 161},
        {base + L"a<b\\", 161},
        {base + L"a|b\\", 161},
        {base + L"CON\\", 161},
        {base + L"x\\lpt1\\", 161},
        {base + L"...\\", 161},
        {base + L" aux \\", 161},  // pieces are trimmed before they are judged
        {base + L"a\\..\\b\\", 0},
        {L"C:\\" + std::wstring(251, L'a') + L"\\", 0},    // 255 characters
        {L"C:\\" + std::wstring(252, L'a') + L"\\", 206},  // 256 characters
        {L"C:\\" + std::wstring(300, L'a') + L"*\\", 161},  // a bad character is reported before the length
    };
    for (const auto& c : cases) {
        EXPECT_EQ(utilrules::CheckPathText(c.path), c.result) << c.path.substr(0, 40) << " (" << c.path.size() << ")";
    }
}

TEST(PathRules, PathForms)
{
    struct Case {
        const wchar_t* path;
        PathForm form;
    };
    const Case cases[] = {
        {L"C:\\", PathForm::Drive},           {L"z:\\a\\", PathForm::Drive},
        {L"\\\\server\\share\\", PathForm::Network}, {L"\\\\s\\", PathForm::Network},
        {L"..\\a\\", PathForm::DotRelative},  {L"\\..\\a\\", PathForm::DotRelative},
        {L"\\..\\", PathForm::DotRelative},   {L"\\..", PathForm::DotRelative},
        {L"C:a\\", PathForm::Other},          {L"a\\b\\", PathForm::Other},
        {L"\\a\\", PathForm::Other},          {L".\\a\\", PathForm::Other},
        {L"1:\\a\\", PathForm::Other},        {L"\\\\", PathForm::Other},
        {L"...\\", PathForm::Other},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(utilrules::ClassifyPath(c.path), c.form) << c.path;
    }
}

TEST(PathRules, NetworkRoots)
{
    struct Case {
        const wchar_t* path;
        int result;
        const wchar_t* root;
    };
    const Case cases[] = {
        {L"\\\\server\\share\\", 0, L"\\\\server\\share\\"},
        {L"\\\\server\\share\\a\\b\\", 0, L"\\\\server\\share\\"},
        {L"\\\\9box\\s\\", 0, L"\\\\9box\\s\\"},
        {L"\\\\.\\s\\", 0, L"\\\\.\\s\\"},
        {L"\\\\server\\", 161, L"untouched"},     // no share
        {L"\\\\server", 161, L"untouched"},       // no backslash after the server
        {L"\\\\-server\\share\\", 161, L"untouched"},
        {L"\\\\_server\\share\\", 161, L"untouched"},
        {L"\\\\\\share\\x\\", 161, L"untouched"},  // empty server name
        {L"\\\\server\\\\x\\", 161, L"untouched"}, // empty share name
    };
    for (const auto& c : cases) {
        std::wstring root = L"untouched";
        EXPECT_EQ(utilrules::GetNetworkRoot(c.path, root), c.result) << c.path;
        EXPECT_EQ(root, c.root) << c.path;
    }
}

TEST(PathRules, StripRootIgnoresCase)
{
    std::wstring rest = L"untouched";
    EXPECT_TRUE(utilrules::StripRoot(L"\\\\Server\\Share\\a\\", L"\\\\server\\share\\", rest));
    EXPECT_EQ(rest, L"a\\");
    EXPECT_TRUE(utilrules::StripRoot(L"C:\\a\\", L"c:", rest));
    EXPECT_EQ(rest, L"\\a\\");
    rest = L"untouched";
    EXPECT_FALSE(utilrules::StripRoot(L"D:\\a\\", L"C:", rest));
    EXPECT_EQ(rest, L"untouched");
}

TEST(PathRules, OnlyASingleIntegerFieldIsFormatted)
{
    struct Case {
        const wchar_t* format;
        bool safe;
    };
    const Case cases[] = {
        {L".%03d", true},  {L".%d", true},     {L"%u", true},     {L".%-4x", true},   {L".%%%03d", true},
        {L".%5.3d", true}, {L".txt", false},   {L".%s", false},   {L".%ls", false},   {L".%n", false},
        {L".%*d", false},  {L".%I64d", false}, {L".%d%d", false}, {L".%", false},     {L".%%", false},
        {L".%03", false},  {L".%f", false},    {L".%99d", true},  {L".%100d", false}, {L".%.100d", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(utilrules::IsSingleIntegerFormat(c.format), c.safe) << c.format;
    }
    // Formatting stops at a NUL: one inside the text is never a conversion.
    EXPECT_FALSE(utilrules::IsSingleIntegerFormat(std::wstring(L".%\0d", 4)));
    EXPECT_FALSE(utilrules::IsSingleIntegerFormat(std::wstring(L".%\0", 3)));
}

TEST(PathRules, FormatNumberedName)
{
    struct Case {
        const wchar_t* pattern;
        int number;
        const wchar_t* name;
    };
    const Case cases[] = {
        {L"Pack.%03d", 1, L"Pack.001"},
        {L"Pack.%03d", 12, L"Pack.012"},
        {L"Pack.%03d", 1234, L"Pack.1234"},
        {L"My.Big.Pack.%03d", 7, L"My.Big.Pack.007"},  // only the part from the last dot is a format
        {L"100%.%03d", 2, L"100%.002"},
        {L"%03d", 5, L"005"},
        {L"Pack.%s", 5, L"Pack.%s"},                    // never formats what is not a number field
        {L"Pack.%d.%s", 5, L"Pack.%d.%s"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CUtil::FormatNumberedName(c.pattern, c.number), c.name) << c.pattern;
    }
}
