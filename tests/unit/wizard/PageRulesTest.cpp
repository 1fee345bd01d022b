// Rules of the license and extraction-location pages that do not need a window: the item text a
// language file gives, and where a linked folder really lies.
#include <gtest/gtest.h>
#include <windows.h>

#include "FolderLink.h"
#include "TestEnv.h"
#include "ui/DirChangePage.h"
#include "ui/LicensePage.h"
#include "util/StringUtil.h"

namespace {

TEST(LicenseItemText, FirstLineWithTheIdGivesTheTextWithoutIdEqualsAndLineEnd)
{
    const std::vector<std::wstring> file = {
        L"\xFEFF[FileInfo]\r\n",         L"ID=1043\r\n",    L"[Messages]\r\n",        L"3041=Not this one\r\n",
        L"304=Licentieovereenkomst\r\n", L"304=Second\r\n", L"305 = Veiligheid \r\n", L"306=Last line without end",
    };
    struct Case {
        int id;
        const wchar_t* text;
    };
    const Case cases[] = {
        {304, L"Licentieovereenkomst"}, {305, L"Veiligheid"}, {306, L"Last line without end"}, {307, L""}, {30, L""}};
    for (const Case& c : cases) {
        EXPECT_EQ(FindIdLine(file, c.id), c.text) << c.id;
    }
}

TEST(FolderLinks, ALinkOnThePathIsReplacedByWhereItLeads)
{
    testenv::ScratchDir dir(L"links");
    const std::wstring real = dir / L"real";
    const std::wstring plain = dir / L"plain";
    ::CreateDirectoryW(real.c_str(), nullptr);
    ::CreateDirectoryW((real + L"\\inner").c_str(), nullptr);
    ::CreateDirectoryW(plain.c_str(), nullptr);
    const std::wstring link = dir / L"link";
    ASSERT_TRUE(testenv::MakeFolderLink(link, real));
    struct Unlink {
        std::wstring path;
        ~Unlink() { testenv::RemoveFolderLink(path); }
    } unlink{link};

    struct Case {
        std::wstring typed;
        std::wstring resolved;
    };
    const Case cases[] = {
        {link, real},
        {link + L"\\", real + L"\\"},
        {link + L"\\inner", real + L"\\inner"},
        {link + L"\\new\\sub", real + L"\\new\\sub"}, // the part that does not exist yet is kept
        {plain + L"\\new", plain + L"\\new"},         // no link: exactly as typed
        {L"Q:\\nowhere\\x", L"Q:\\nowhere\\x"},
        {L"", L""},
    };
    for (const Case& c : cases) {
        const std::wstring resolved = ResolveFolderLinks(c.typed);
        EXPECT_TRUE(EqualsNoCase(resolved, c.resolved)) << WideToUtf8(c.typed) << " -> " << WideToUtf8(resolved);
    }
}

} // namespace
