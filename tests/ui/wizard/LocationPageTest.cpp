// The extraction-location page as a person uses it: the extract-only rule, a path with a variable,
// folders that cannot be used, a link that leads elsewhere, and the folder browser.
#include "WizardFixture.h"

#include <commctrl.h>

#include "FolderLink.h"

namespace {
using namespace wizardtest;

class LocationPage : public WizardTest {};

TEST_F(LocationPage, ExtractOnlyHidesAndUnticksDeleteOnExit)
{
    PackageSpec spec;
    spec.runtime = L"AutoLaunch=readme.txt\r\n";
    testenv::WizardDriver& wizard = Start(spec);
    ASSERT_TRUE(wizard.WaitForPage(kOverwriteBox));
    EXPECT_TRUE(wizard.Read(kExtractOnlyBox).visible);
    EXPECT_TRUE(wizard.Read(kLaunchInfo).visible);
    ASSERT_TRUE(wizard.Read(kDeleteOnExitBox).visible);

    ASSERT_TRUE(wizard.Click(kDeleteOnExitBox));
    ASSERT_TRUE(testenv::WaitUntil([&] { return wizard.Read(kDeleteOnExitBox).checked == BST_CHECKED; }, 5000));
    ASSERT_TRUE(wizard.Click(kExtractOnlyBox));
    ASSERT_TRUE(testenv::WaitUntil([&] { return !wizard.Read(kDeleteOnExitBox).visible; }, 5000));
    EXPECT_EQ(wizard.Read(kDeleteOnExitBox).checked, BST_UNCHECKED);
    // Unticking offers it again (KamBundle and Rahmensetup are not set), unticked.
    ASSERT_TRUE(wizard.Click(kExtractOnlyBox));
    ASSERT_TRUE(testenv::WaitUntil([&] { return wizard.Read(kDeleteOnExitBox).visible; }, 5000));
    EXPECT_EQ(wizard.Read(kDeleteOnExitBox).checked, BST_UNCHECKED);
    Shot(L"location-page");
    CancelAndClose();
    EXPECT_TRUE(Logged("Delete extracted file on delete is enabled by user"));
    EXPECT_TRUE(Logged("Extract the package and donot install option is checked.Enabling the controls for extract "
                       "path change"));
    EXPECT_TRUE(Logged("Autolaunch is disabled by user"));
    EXPECT_TRUE(Logged("User canceled the Browse Dialog"));
    EXPECT_TRUE(Logged("Extract the package and donot install option is unchecked.Disabling the controls for "
                       "extract path change"));
}

TEST_F(LocationPage, FoldersThatCannotBeUsedShowTheirMessageAndTheUserStays)
{
    ASSERT_TRUE(testenv::SmallDriveMounted());
    // More than the 1 MiB drive E: holds.
    PackageSpec spec;
    spec.files = {{L"big.bin", std::string(3 * 1024 * 1024, 'x')}};
    testenv::WriteFileText(dir / L"afile", "a file where a folder is asked for");
    // A link on D: that leads to E:: it is the space of E: that counts.
    const std::wstring small = L"E:\\wizard2-link-target";
    ::CreateDirectoryW(small.c_str(), nullptr);
    const std::wstring link = dir / L"to-small-drive";
    ASSERT_TRUE(testenv::MakeFolderLink(link, small));
    struct Unlink {
        std::wstring path;
        std::wstring target;
        ~Unlink()
        {
            testenv::RemoveFolderLink(path);
            ::RemoveDirectoryW(target.c_str());
        }
    } unlink{link, small};

    struct Case {
        std::wstring typed;
        std::wstring message;
    };
    const Case cases[] = {
        {L"%TARVEX_NO_SUCH_VARIABLE%\\Folder", L"Invalid path: %TARVEX_NO_SUCH_VARIABLE%\\Folder"},
        {dir / L"afile\\sub", L"Please check the permission of the path: " + dir / L"afile\\sub"},
        {L"E:\\Target", L"There is not sufficient space on drive E:."},
        {link, L"There is not sufficient space on drive E:."},
    };
    testenv::WizardDriver& wizard = Start(spec);
    ASSERT_TRUE(wizard.WaitForPage(kOverwriteBox));
    for (const Case& c : cases) {
        SCOPED_TRACE(WideToUtf8(c.typed));
        TypeInto(kPathEdit, c.typed);
        ASSERT_TRUE(wizard.Click(kNext));
        const HWND box = wizard.WaitForDialog();
        ASSERT_NE(box, nullptr);
        const std::wstring text = testenv::ReadMessageBox(box).text;
        EXPECT_EQ(text.substr(0, c.message.size()), c.message) << WideToUtf8(text);
        ASSERT_TRUE(wizard.ClickDialogButton(box, IDOK));
        ASSERT_TRUE(
            testenv::WaitUntil([&] { return testenv::DialogsOf(wizard.ProcessId(), wizard.Sheet()).empty(); }, 5000));
        EXPECT_TRUE(wizard.WaitForPage(kOverwriteBox, 3000));
        EXPECT_EQ(wizard.Read(kPathEdit).text, c.typed); // an unknown variable stays as typed
    }
    CancelAndClose();
    EXPECT_TRUE(Logged("Validating the Extract path : %TARVEX_NO_SUCH_VARIABLE%\\Folder"));
    EXPECT_TRUE(Logged("The folder " + WideToUtf8(link) + " is a link to "));
}

// Also: without AutoLaunch there is nothing to choose about what follows the extraction.
TEST_F(LocationPage, APathWithAVariableIsShownValidatedAndExtractedExpanded)
{
    wchar_t temp[MAX_PATH] = {};
    ASSERT_GT(::GetEnvironmentVariableW(L"TEMP", temp, MAX_PATH), 0u);
    const std::wstring expanded = std::wstring(temp) + L"\\TarvexWizardTwo";
    CUtil::RemoveTree(expanded);
    target = L"%TEMP%\\TarvexWizardTwo";
    testenv::WizardDriver& wizard = Start(PackageSpec{});
    ASSERT_TRUE(wizard.WaitForPage(kOverwriteBox));
    EXPECT_EQ(wizard.Read(kPathEdit).text, expanded);
    for (int id : {kExtractOnlyBox, kDeleteOnExitBox, kLaunchInfo, kBack}) {
        EXPECT_FALSE(wizard.Read(id).visible) << id;
    }
    EXPECT_EQ(DefaultButton(), kNext);
    ASSERT_TRUE(wizard.Click(kNext));
    FinishAndWait();
    EXPECT_TRUE(Logged("Autolaunch is disabled"));
    EXPECT_TRUE(Logged("Validating the Extract path : " + WideToUtf8(expanded)));
    EXPECT_EQ(testenv::ReadFileText(expanded + L"\\readme.txt"), "read me\r\n");
    CUtil::RemoveTree(expanded);
}

TEST_F(LocationPage, BrowseOpensTheFolderBrowserAndTheChosenFolderIsWhereFilesLand)
{
    // The browser opens on the folder in the edit; its first sub-folder is chosen with the keys.
    ::CreateDirectoryW(target.c_str(), nullptr);
    ::CreateDirectoryW((target + L"\\chosen").c_str(), nullptr);
    testenv::WizardDriver& wizard = Start(PackageSpec{});
    ASSERT_TRUE(wizard.WaitForPage(kOverwriteBox));
    // From the keyboard: Tab from the path edit makes Browse the default button, Enter opens it.
    ASSERT_TRUE(wizard.Click(kPathEdit));
    ASSERT_TRUE(wizard.Press(VK_TAB));
    ASSERT_TRUE(testenv::WaitUntil([&] { return wizard.FocusedId() == kBrowse; }, 5000));
    EXPECT_EQ(DefaultButton(), kBrowse);
    ASSERT_TRUE(wizard.Press(VK_RETURN));
    HWND browser = wizard.WaitForDialog();
    ASSERT_NE(browser, nullptr);
    ASSERT_TRUE(wizard.ClickDialogButton(browser, IDCANCEL));
    ASSERT_TRUE(testenv::WaitUntil([&] { return !::IsWindow(browser); }, 5000));
    EXPECT_EQ(wizard.Read(kPathEdit).text, target); // cancelled: nothing changes
    ASSERT_TRUE(wizard.Press(VK_TAB));
    ASSERT_TRUE(testenv::WaitUntil([&] { return DefaultButton() == kNext; }, 5000));

    ASSERT_TRUE(wizard.Click(kBrowse));
    browser = wizard.WaitForDialog();
    ASSERT_NE(browser, nullptr);
    EXPECT_EQ(testenv::TextOf(browser), L"Browse for folder");
    EXPECT_EQ(testenv::TextOf(testenv::ChildById(browser, IDOK)), L"&OK");
    EXPECT_EQ(testenv::TextOf(testenv::ChildById(browser, IDCANCEL)), L"&Cancel");
    bool titleShown = false;
    for (HWND child = ::GetWindow(browser, GW_CHILD); child != nullptr; child = ::GetWindow(child, GW_HWNDNEXT)) {
        titleShown |= testenv::TextOf(child) == L"Pick a directory";
    }
    EXPECT_TRUE(titleShown);
    // The keys go to the folder tree once it has the focus.
    for (int tab = 0; tab < 5 && testenv::ClassOf(testenv::FocusOf(browser)) != WC_TREEVIEWW; ++tab) {
        ASSERT_TRUE(wizard.Press(VK_TAB));
    }
    ASSERT_EQ(testenv::ClassOf(testenv::FocusOf(browser)), WC_TREEVIEWW);
    ASSERT_TRUE(wizard.Press(VK_RIGHT)); // open the folder
    ASSERT_TRUE(wizard.Press(VK_DOWN));  // its first sub-folder
    ASSERT_TRUE(wizard.ClickDialogButton(browser, IDOK));
    const std::wstring chosen = target + L"\\chosen";
    ASSERT_TRUE(testenv::WaitUntil([&] { return EqualsNoCase(wizard.Read(kPathEdit).text, chosen); }, 5000))
        << WideToUtf8(wizard.Read(kPathEdit).text);
    ASSERT_TRUE(wizard.Click(kNext));
    FinishAndWait();
    EXPECT_EQ(testenv::ReadFileText(chosen + L"\\readme.txt"), "read me\r\n");
    EXPECT_FALSE(testenv::PathExists(target + L"\\readme.txt"));
}

} // namespace
