// Tables for the builder's pure rules: sizes, names, language files, attributes, command line.
#include <gtest/gtest.h>

#include "CommandLineArgs.h"
#include "PackText.h"
#include "util/StringUtil.h"

using namespace orlopack;

TEST(PackText, ParseSize)
{
    struct Row {
        const wchar_t* text;
        bool ok;
        uint64_t bytes;
    };
    const Row rows[] = {
        {L"65536", true, 65536},
        {L"512K", true, 512 * 1024},
        {L"512kb", true, 512 * 1024},
        {L"64M", true, 64ull << 20},
        {L"64 MiB", true, 64ull << 20},
        {L" 2G ", true, 2ull << 30},
        {L"1gb", true, 1ull << 30},
        {L"17B", true, 17},
        {L"0", false, 0},
        {L"0M", false, 0},
        {L"", false, 0},
        {L"M", false, 0},
        {L"-5M", false, 0},
        {L"1.5G", false, 0},
        {L"64X", false, 0},
        {L"64 M B", false, 0},
        {L"99999999999999999999", false, 0},
        {L"17179869184G", false, 0}, // 2^34 GiB overflows 64 bits
    };
    for (const Row& row : rows) {
        uint64_t bytes = 12345;
        std::wstring error;
        EXPECT_EQ(ParseSize(row.text, bytes, error), row.ok) << WideToUtf8(row.text);
        if (row.ok) {
            EXPECT_EQ(bytes, row.bytes) << WideToUtf8(row.text);
        } else {
            EXPECT_EQ(bytes, 12345u) << "untouched on failure: " << WideToUtf8(row.text);
            EXPECT_FALSE(error.empty());
        }
    }
}

TEST(PackText, FormatBytesAndPartNames)
{
    EXPECT_EQ(FormatBytes(1), L"1 byte");
    EXPECT_EQ(FormatBytes(1023), L"1023 bytes");
    EXPECT_EQ(FormatBytes(64 * 1024), L"64 KiB");
    EXPECT_EQ(FormatBytes(1536), L"1.5 KiB");
    EXPECT_EQ(FormatBytes(64ull << 20), L"64 MiB");
    EXPECT_EQ(PartFileName(L"Demo", 1), L"Demo.001");
    EXPECT_EQ(PartFileName(L"Demo", 999), L"Demo.999");
    EXPECT_EQ(PartFileName(L"My.Package", 12), L"My.Package.012");
}

TEST(PackText, CheckBaseName)
{
    struct Row {
        std::wstring name;
        bool ok;
    };
    const Row rows[] = {
        {L"Demo", true},
        {L"Demo 1.0", true},
        {L"\u00dcbung", true},
        {L"", false},
        {L"a\\b", false},
        {L"a/b", false},
        {L"c:x", false},
        {L"what?", false},
        {L"trailing.", false},
        {L"trailing ", false},
        {L" leading", false},
        {L"CON", false},
        {L"lpt1", false},
        {L"con.v2", false}, // "con.v2.001" names the console all the same
        {L"CONSOLE", true},
        {std::wstring(250, L'n'), true},
        {std::wstring(251, L'n'), false},
        {L"tab\there", false},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(CheckBaseName(row.name).empty(), row.ok) << WideToUtf8(row.name);
    }
}

TEST(PackText, LanguageFileLcid)
{
    EXPECT_EQ(LanguageFileLcid(L"default1031.ulf"), 1031);
    EXPECT_EQ(LanguageFileLcid(L"Default1036.ULF"), 1036);
    EXPECT_EQ(LanguageFileLcid(L"Defaultx.ulf"), 0);
    EXPECT_EQ(LanguageFileLcid(L"DEFAULTX.ULF"), 0);
    EXPECT_EQ(LanguageFileLcid(L"default.ulf"), -1);
    EXPECT_EQ(LanguageFileLcid(L"default0.ulf"), -1);
    EXPECT_EQ(LanguageFileLcid(L"default10x1.ulf"), -1);
    EXPECT_EQ(LanguageFileLcid(L"german.ulf"), -1);
    EXPECT_EQ(LanguageFileLcid(L"default1031.ini"), -1);
    EXPECT_EQ(LanguageFileLcid(L"default1234567.ulf"), -1);
}

TEST(PackText, CabinetDatesAndAttributes)
{
    // 2017-12-06 21:53:42: date = (37 << 9) | (12 << 5) | 6, time = (21 << 11) | (53 << 5) | 21.
    EXPECT_EQ(DosDateTimeText((37 << 9) | (12 << 5) | 6, (21 << 11) | (53 << 5) | 21), L"2017-12-06 21:53:42");
    EXPECT_EQ(DosDateTimeText((0 << 9) | (1 << 5) | 1, 0), L"1980-01-01 00:00:00");
    struct Row {
        int year, month, day, hour, minute, second;
        bool inRange;
        const wchar_t* text;
    };
    const Row rows[] = {
        {1980, 1, 1, 0, 0, 0, true, L"1980-01-01 00:00:00"},
        {2017, 12, 6, 21, 53, 43, true, L"2017-12-06 21:53:42"},
        {2107, 12, 31, 23, 59, 59, true, L"2107-12-31 23:59:58"},
        {1979, 12, 31, 23, 59, 59, false, L"1980-01-01 00:00:00"},
        {1601, 1, 1, 0, 0, 0, false, L"1980-01-01 00:00:00"},
        {2108, 1, 1, 0, 0, 0, false, L"2107-12-31 23:59:58"},
        {2120, 3, 1, 12, 0, 0, false, L"2107-12-31 23:59:58"},
    };
    for (const Row& row : rows) {
        uint16_t date = 0;
        uint16_t time = 0;
        EXPECT_EQ(DosDateTimeOf(row.year, row.month, row.day, row.hour, row.minute, row.second, date, time),
                  row.inRange)
            << row.year;
        EXPECT_EQ(DosDateTimeText(date, time), row.text) << row.year;
    }
    EXPECT_EQ(CabAttributeText(0), L"----");
    EXPECT_EQ(CabAttributeText(0x27), L"RHSA");
    EXPECT_EQ(CabAttributeText(0x21 | 0x80 | 0x100), L"R--A utf8 utc");
    EXPECT_EQ(PartStampText(2017, 12, 6, 21, 53, 42, 0), L"Y2017:M12:D6:H21:M53:S42:MS0");
    EXPECT_TRUE(IsMd5Text(L"d41d8cd98f00b204e9800998ecf8427e"));
    EXPECT_FALSE(IsMd5Text(L"D41D8CD98F00B204E9800998ECF8427E"));
    EXPECT_FALSE(IsMd5Text(L"d41d8cd98f00b204e9800998ecf8427"));
}

TEST(OrloPackCommandLine, ParsesOrRefuses)
{
    struct Row {
        std::vector<std::wstring> args;
        bool ok;
        const wchar_t* errorPart;
    };
    const Row rows[] = {
        {{}, false, L"no command"},
        {{L"pack"}, false, L"unknown command"},
        {{L"help"}, true, L""},
        {{L"build", L"--help"}, true, L""},
        {{L"build", L"-s", L"src"}, false, L"--template"},
        {{L"build", L"-t", L"t.ini"}, false, L"--source"},
        {{L"build", L"-s", L"src", L"-t"}, false, L"needs a value"},
        {{L"build", L"-s", L"src", L"-t", L"t.ini", L"--part-size", L"1Q"}, false, L"--part-size"},
        {{L"build", L"-s", L"src", L"-t", L"t.ini", L"--compression", L"lzx"}, false, L"mszip or none"},
        {{L"build", L"-s", L"src", L"-t", L"t.ini", L"--set-id", L"0"}, false, L"1 to 65534"},
        {{L"build", L"-s", L"src", L"-t", L"t.ini", L"--set-id", L"65535"}, false, L"1 to 65534"},
        {{L"build", L"-s", L"src", L"-t", L"t.ini", L"--set-id", L"12x"}, false, L"1 to 65534"},
        {{L"build", L"-s", L"src", L"-t", L"t.ini", L"--single-file", L"--multi-part"}, false, L"exclude"},
        {{L"build", L"-s", L"src", L"-t", L"t.ini", L"--single-file", L"-p", L"1M"}, false, L"single-file"},
        {{L"build", L"-s", L"src", L"-t", L"t.ini", L"extra"}, false, L"unexpected"},
        {{L"build", L"-s", L"src", L"-t", L"t.ini", L"--frobnicate"}, false, L"unknown option"},
        {{L"build", L"-s", L"src", L"-t", L"t.ini", L"--name="}, false, L"empty value"},
        {{L"list"}, false, L"needs the package"},
        {{L"verify", L"a.exe", L"b.exe"}, false, L"only one package"},
        {{L"verify", L"--part-size", L"1M", L"a.exe"}, false, L"unknown option"},
        {{L"verify", L"a.exe"}, true, L""},
        {{L"--version"}, true, L""},
        {{L"build", L"-s", L"src", L"-t", L"t.ini", L"--sign-with", L"key.pfx"}, false, L"osslsigncode"},
    };
    for (const Row& row : rows) {
        ParsedArguments parsed;
        std::wstring error;
        std::string joined;
        for (const auto& a : row.args) {
            joined += WideToUtf8(a) + " ";
        }
        EXPECT_EQ(ParseArguments(row.args, parsed, error), row.ok) << joined;
        if (!row.ok) {
            EXPECT_NE(error.find(row.errorPart), std::wstring::npos) << joined << "-> " << WideToUtf8(error);
        }
    }
}

TEST(OrloPackCommandLine, BuildOptionsReachTheLibrary)
{
    ParsedArguments parsed;
    std::wstring error;
    ASSERT_TRUE(ParseArguments({L"BUILD",
                                L"--source=D:\\src",
                                L"-t",
                                L"t.ini",
                                L"-l",
                                L"default1031.ulf",
                                L"--language",
                                L"Defaultx.ulf",
                                L"--top-image",
                                L"top.png",
                                L"--bottom-image=bottom.png",
                                L"--stub",
                                L"X:\\bin\\Tarvex.exe",
                                L"-o",
                                L"out",
                                L"-n",
                                L"Demo",
                                L"-p",
                                L"512K",
                                L"--compression",
                                L"NONE",
                                L"--set-id",
                                L"4711",
                                L"-q"},
                               parsed, error))
        << WideToUtf8(error);
    EXPECT_EQ(parsed.command, Command::Build);
    const BuildOptions& b = parsed.build;
    EXPECT_EQ(b.sourceFolder, L"D:\\src");
    EXPECT_EQ(b.templatePath, L"t.ini");
    EXPECT_EQ(b.languageFiles, (std::vector<std::wstring>{L"default1031.ulf", L"Defaultx.ulf"}));
    EXPECT_EQ(b.topImage, L"top.png");
    EXPECT_EQ(b.bottomImage, L"bottom.png");
    EXPECT_EQ(b.stubPath, L"X:\\bin\\Tarvex.exe");
    EXPECT_EQ(b.outputFolder, L"out");
    EXPECT_EQ(b.baseName, L"Demo");
    EXPECT_EQ(b.partSize, 512u * 1024);
    EXPECT_EQ(b.compression, Compression::None);
    EXPECT_EQ(b.setId, 4711);
    EXPECT_FALSE(b.singleFile);
    EXPECT_TRUE(parsed.quiet);

    ASSERT_TRUE(ParseArguments({L"build", L"-s", L"s", L"-t", L"t", L"--single-file"}, parsed, error));
    EXPECT_TRUE(parsed.build.singleFile);
    EXPECT_EQ(parsed.build.compression, Compression::MsZip);
    EXPECT_EQ(parsed.build.setId, 0);
}
