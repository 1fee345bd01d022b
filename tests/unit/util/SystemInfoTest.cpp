// System queries: sizes, language names, drive space text, processors, GUIDs, error texts, rights.
#include <gtest/gtest.h>

#include <map>
#include <regex>

#include "util/Util.h"
#include "util/UtilRules.h"
#include "util/WideFormat.h"

namespace {
std::wstring Scaled(uint64_t bytes)
{
    const auto [number, unit] = CUtil::ScaleSize(bytes);
    return FormatW(L"%.02lf %ls", number, unit.c_str());
}
}  // namespace

TEST(ScaleSize, UnitBoundaries)
{
    struct Case {
        uint64_t bytes;
        const wchar_t* text;
    };
    const Case cases[] = {
        {0, L"0.00 KB"},
        {512, L"0.50 KB"},
        {1048576, L"1024.00 KB"},
        {1048577, L"1.00 MB"},
        {3 * 1048576 + 524288, L"3.50 MB"},
        {1073741824, L"1024.00 MB"},
        {1073741825, L"1.00 GB"},
        {8036184710, L"7.48 GB"},
        {uint64_t{5} << 40, L"5120.00 GB"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Scaled(c.bytes), c.text) << c.bytes;
    }
}

TEST(DriveSpaceText, Format)
{
    EXPECT_EQ(utilrules::FormatDriveSpaceText(uint64_t{1} << 30, 1048577),
              L"Total Space: 1024.00 MB\tUsed space: 1023.00 MB\tFree space: 1.00 MB");
    EXPECT_EQ(utilrules::FormatDriveSpaceText(1048576, 1048576),
              L"Total Space: 1024.00 KB\tUsed space: 0.00 KB\tFree space: 1024.00 KB");
    // A confused report with more free than total bytes shows nothing used.
    EXPECT_EQ(utilrules::FormatDriveSpaceText(1024, 4096),
              L"Total Space: 1.00 KB\tUsed space: 0.00 KB\tFree space: 4.00 KB");
}

TEST(DriveSpaceText, RealDrivesAndAMissingOne)
{
    EXPECT_EQ(CUtil::GetDriveSpaceText(L"Q:\\"), L"No Information");
    const std::wstring text = CUtil::GetDriveSpaceText(L"C:\\");
    EXPECT_EQ(text.rfind(L"Total Space: ", 0), 0u) << text;
    EXPECT_NE(text.find(L"\tUsed space: "), std::wstring::npos) << text;
    EXPECT_NE(text.find(L"\tFree space: "), std::wstring::npos) << text;
    EXPECT_FALSE(CUtil::GetFileSystemName(L"C:\\").empty());
    EXPECT_EQ(CUtil::GetFileSystemName(L"Q:\\"), L"");
}

TEST(GetLanguageNameOf, NamesAndUnknownIds)
{
    const std::map<unsigned, std::wstring> table{
        {0, L"Language Independent"},     {1025, L"Arabic (Saudi Arabia)"}, {1030, L"Danish"},
        {1033, L"English"},               {1036, L"French(France)"},        {1044, L"Norwegian (Bokmal)"},
        {2052, L"Chinese (Simplified)"},  {3082, L"Spanish - Modern Sort"}, {3084, L"French(Canada)"},
        {3098, L"Serbian (Cyrillic)"},
    };
    for (const auto& [lcid, name] : table) {
        EXPECT_EQ(CUtil::GetLanguageNameOf(lcid), name) << lcid;
    }
    for (unsigned lcid : {1039u, 1047u, 1052u, 2049u, 4096u, 0xFFFFFFFFu}) {
        EXPECT_EQ(CUtil::GetLanguageNameOf(lcid), L"Unknown") << lcid;
    }
    EXPECT_EQ(FormatW(L"%ls (%u)", CUtil::GetLanguageNameOf(1039).c_str(), 1039u), L"Unknown (1039)");
}

TEST(ProcessorNames, CollectedHighestIndexFirstUntilAGapOrAnEmptyName)
{
    struct Case {
        std::vector<std::wstring> registry;  // one key per index; "<none>" for a missing value
        std::list<std::wstring> list;
        int lastIndexRead;
    };
    const Case cases[] = {
        {{}, {}, 0},
        {{L"CPU A"}, {L"CPU A"}, 1},
        {{L"CPU A", L"CPU B"}, {L"CPU B", L"CPU A"}, 2},
        {{L"CPU A", L"", L"CPU C"}, {L"", L"CPU A"}, 1},  // an empty name ends the list after it is added
    };
    for (const auto& c : cases) {
        std::list<std::wstring> list;
        int lastIndex = -1;
        utilrules::CollectProcessorNames(
            [&](int index, std::wstring& name) {
                lastIndex = index;
                if (index >= static_cast<int>(c.registry.size())) {
                    return false;
                }
                name = c.registry[static_cast<size_t>(index)];
                return true;
            },
            list);
        EXPECT_EQ(list, c.list);
        EXPECT_EQ(lastIndex, c.lastIndexRead);
    }
}

TEST(SystemQueries, RealMachine)
{
    std::list<std::wstring> names;
    CUtil::GetProcessorNames(names);
    SYSTEM_INFO info{};
    ::GetNativeSystemInfo(&info);
    ASSERT_FALSE(names.empty());
    EXPECT_LE(names.size(), static_cast<size_t>(info.dwNumberOfProcessors));
    EXPECT_FALSE(names.back().empty());

    EXPECT_GT(CUtil::GetTotalPhysicalMemory(), 0u);
    wchar_t computer[256] = {};
    ASSERT_GT(::GetEnvironmentVariableW(L"COMPUTERNAME", computer, 256), 0u);
    EXPECT_EQ(CUtil::GetComputerName(), computer);
    EXPECT_GE(CUtil::GetOSMajorVersion(), 5u);
    EXPECT_GT(CUtil::GetUILanguage(), 0);
}

TEST(SystemQueries, GuidStrings)
{
    const std::wstring a = CUtil::NewGuidString();
    const std::wregex registryForm(L"\\{[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}\\}");
    EXPECT_TRUE(std::regex_match(a, registryForm)) << a;
    EXPECT_NE(a, CUtil::NewGuidString());
}

TEST(SystemQueries, ErrorTextsAreSingleLines)
{
    const std::wstring notFound = CUtil::FormatErrorText(ERROR_FILE_NOT_FOUND);
    const std::wstring denied = CUtil::FormatErrorText(ERROR_ACCESS_DENIED);
    EXPECT_FALSE(notFound.empty());
    EXPECT_FALSE(denied.empty());
    EXPECT_NE(notFound, denied);
    for (const auto& text : {notFound, denied}) {
        EXPECT_EQ(text.find_first_of(L"\r\n"), std::wstring::npos) << text;
        EXPECT_NE(text.back(), L' ');
    }
    EXPECT_EQ(CUtil::FormatErrorText(0x2000FFFF), L"");  // no such system message
}

TEST(SystemQueries, AdministratorCheck)
{
    // Wine's default user belongs to the Administrators group: the real SID check must say so.
    CUtil util;
    EXPECT_TRUE(util.IsAdmin(0));
    EXPECT_TRUE(util.IsAdmin(1));
    util.SetCheckAdminText(L"1");
    EXPECT_EQ(util.GetCheckAdminText(), L"1");
}
