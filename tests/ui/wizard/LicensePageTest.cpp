// The license page as a person uses it: documents of the chosen language (RTF and plain text), the
// acceptance boxes with their list images, Next and the default button, and a page without some or
// all documents.
#include "WizardFixture.h"

namespace {
using namespace wizardtest;

const std::string kLicenseRtf =
    "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Tahoma;}}\\f0\\fs18 {\\b Norlund end user license}\\par "
    "You may install this product on one computer.\\par}";
const std::string kSecurityTxt = "Keep the device switched off while you service it.\r\n";
const std::string kLizenzTxt = "Deutscher Lizenzvertrag: nur ein Computer.\r\n";

std::wstring Trimmed(const std::wstring& text)
{
    return TrimW(text);
}

std::vector<int> Images(const std::vector<testenv::ListItem>& items)
{
    std::vector<int> images;
    for (const auto& item : items) {
        images.push_back(item.image);
    }
    return images;
}

class LicensePage : public WizardTest {};

TEST_F(LicensePage, DocumentsOfTheChosenLanguageMustBeAcceptedBeforeNext)
{
    PackageSpec spec;
    spec.dialogs = L"WelcomeDialog=0\r\nLanguageDialog=1\r\nLicenseDialog=1\r\n";
    spec.extra = L"[Languages]\r\nSetupLanguages=1033;1031\r\n"
                 L"[LicenseFiles]\r\n1033=License.rtf\r\n1031=Lizenz.txt\r\n"
                 L"[SecurityLicenseFiles]\r\n1033=Security.txt\r\n";
    spec.documents = {{L"License.rtf", kLicenseRtf}, {L"Security.txt", kSecurityTxt}, {L"Lizenz.txt", kLizenzTxt}};
    spec.languages = {{L"Defaultx.ulf", L"[RADIOBUTTONSTRING]\r\n1033=&English\r\n1031=&Deutsch\r\n"},
                      {L"default1031.ulf", L"[FileInfo]\r\nID=1031\r\nLangName=German\r\n304=Lizenzvertrag\r\n"
                                           L"305=Sicherheitshinweise\r\n"}};
    testenv::WizardDriver& wizard = Start(spec);
    ASSERT_TRUE(wizard.WaitForPage(kLanguageRadio1));
    ASSERT_TRUE(wizard.Click(kNext));
    ASSERT_TRUE(wizard.WaitForPage(kLicenseList));

    // English: the RTF is shown as text, both documents are listed, nothing is accepted yet.
    const auto items = wizard.ListItems(kLicenseList);
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(items[0].text, L"License agreement Norlund AG(EULA)");
    EXPECT_EQ(items[1].text, L"Confirmation of the security information");
    EXPECT_EQ(Images(items), (std::vector<int>{0, 0}));
    EXPECT_EQ(Trimmed(wizard.Read(kDocumentName).text), L"License agreement Norlund AG(EULA)");
    EXPECT_NE(wizard.Read(kDocumentView).text.find(L"Norlund end user license"), std::wstring::npos);
    EXPECT_EQ(wizard.Read(kDocumentView).text.find(L"\\rtf"), std::wstring::npos);
    EXPECT_TRUE(wizard.Read(kBack).visible);
    EXPECT_FALSE(wizard.Read(kNext).enabled);
    EXPECT_EQ(DefaultButton(), kCancel);
    Shot(L"license-page");

    // Each box ticks its item; Next needs both, and unticking takes it away again.
    ASSERT_TRUE(wizard.Click(kLicenseBox));
    ASSERT_TRUE(testenv::WaitUntil(
        [&] {
            return Images(wizard.ListItems(kLicenseList)) == std::vector<int>{1, 0};
        },
        5000));
    EXPECT_FALSE(wizard.Read(kNext).enabled);
    ASSERT_TRUE(wizard.Click(kSecurityBox));
    ASSERT_TRUE(testenv::WaitUntil([&] { return wizard.Read(kNext).enabled; }, 5000));
    EXPECT_EQ(Images(wizard.ListItems(kLicenseList)), (std::vector<int>{1, 1}));
    EXPECT_EQ(DefaultButton(), kNext);
    ASSERT_TRUE(wizard.Click(kLicenseBox));
    ASSERT_TRUE(testenv::WaitUntil([&] { return !wizard.Read(kNext).enabled; }, 5000));
    EXPECT_EQ(Images(wizard.ListItems(kLicenseList)), (std::vector<int>{0, 1}));
    EXPECT_EQ(DefaultButton(), kCancel);

    // The second item shows the security text (its first row lies below the list's header).
    const RECT list = wizard.Read(kLicenseList).screenRect;
    ASSERT_TRUE(testenv::ClickAt(POINT{(list.left + list.right) / 2, list.top + 30}));
    ASSERT_TRUE(wizard.Press(VK_DOWN));
    ASSERT_TRUE(testenv::WaitUntil(
        [&] { return wizard.Read(kDocumentView).text.find(L"switched off") != std::wstring::npos; }, 5000));
    EXPECT_EQ(Trimmed(wizard.Read(kDocumentName).text), L"Confirmation of the security information");

    // German: its own plain-text license, the English security document as the fallback; the boxes
    // kept their state over Back and Next.
    ASSERT_TRUE(wizard.Click(kBack));
    ASSERT_TRUE(wizard.WaitForPage(kLanguageRadio2));
    ASSERT_TRUE(wizard.Click(kLanguageRadio2));
    ASSERT_TRUE(wizard.Click(kNext));
    ASSERT_TRUE(wizard.WaitForPage(kLicenseList));
    ASSERT_TRUE(testenv::WaitUntil(
        [&] { return wizard.Read(kDocumentView).text.find(L"Deutscher Lizenzvertrag") != std::wstring::npos; }, 5000));
    const auto german = wizard.ListItems(kLicenseList);
    ASSERT_EQ(german.size(), 2u);
    EXPECT_EQ(german[0].text, L"Lizenzvertrag");
    EXPECT_EQ(german[1].text, L"Sicherheitshinweise");
    EXPECT_EQ(Images(german), (std::vector<int>{0, 1}));
    EXPECT_EQ(wizard.Read(kLicenseBox).checked, BST_UNCHECKED);
    EXPECT_EQ(wizard.Read(kSecurityBox).checked, BST_CHECKED);
    EXPECT_FALSE(wizard.Read(kNext).enabled);

    CancelAndClose();
    EXPECT_TRUE(Logged("User has accepted the license agreement"));
    EXPECT_TRUE(Logged("User has accepted the lSecurity icense agreement"));
    EXPECT_TRUE(Logged("User canceled the License Dialog"));
}

TEST_F(LicensePage, WithoutSomeOrAllDocumentsOnlyWhatIsListedMustBeAccepted)
{
    struct Case {
        const char* name;
        std::wstring sections;
        std::vector<std::wstring> items;
        bool licenseBox;
        bool securityBox;
        bool nextAtStart;
    };
    const Case cases[] = {
        {"security document only",
         L"[SecurityLicenseFiles]\r\n1033=Security.txt\r\n",
         {L"Confirmation of the security information"},
         false,
         true,
         false},
        {"no documents", L"", {}, false, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        PackageSpec spec;
        spec.dialogs = L"WelcomeDialog=0\r\nLanguageDialog=0\r\nLicenseDialog=1\r\n";
        spec.extra = c.sections;
        spec.documents = {{L"Security.txt", kSecurityTxt}};
        testenv::WizardDriver& wizard = Start(spec);
        ASSERT_TRUE(wizard.WaitForPage(kLicenseList));
        std::vector<std::wstring> texts;
        for (const auto& item : wizard.ListItems(kLicenseList)) {
            texts.push_back(item.text);
        }
        EXPECT_EQ(texts, c.items);
        EXPECT_EQ(wizard.Read(kLicenseBox).visible, c.licenseBox);
        EXPECT_EQ(wizard.Read(kSecurityBox).visible, c.securityBox);
        EXPECT_FALSE(wizard.Read(kBack).visible); // the start page
        EXPECT_EQ(wizard.Read(kNext).enabled, c.nextAtStart);
        if (c.securityBox) {
            ASSERT_TRUE(wizard.Click(kSecurityBox));
            EXPECT_TRUE(testenv::WaitUntil([&] { return wizard.Read(kNext).enabled; }, 5000));
        }
        CancelAndClose();
    }
}

} // namespace
