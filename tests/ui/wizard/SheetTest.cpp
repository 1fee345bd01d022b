// The wizard's frame, worked as a person does: the welcome and language pages with their buttons,
// switching the language, the header title, cancelling by button, Escape and the close box, and the
// keyboard moving the focused look and the default button.
#include "WizardFixture.h"

using namespace wizardtest;

namespace {
const std::wstring kGerman = L"[FileInfo]\r\nID=1031\r\nLangName=German\r\n110=< &Zur\u00fcck\r\n111=&Weiter >\r\n"
                             L"112=&Abbrechen\r\n208=Bitte w\u00e4hlen Sie die Sprache:\r\n";
const std::wstring kCaptions = L"[RADIOBUTTONSTRING]\r\n1033=&English\r\n1031=&Deutsch\r\n";

class Sheet : public WizardTest {
protected:
    // Whether a navigation button is there for the user: shown and enabled.
    bool Usable(int id) const
    {
        const auto state = m_wizard->Read(id);
        return state.visible && state.enabled;
    }
    // The ring colour a look draws on the button's top edge, at a third of its width.
    COLORREF RingOf(int id) const
    {
        const RECT area = m_wizard->Read(id).screenRect;
        return testenv::ScreenPixel(POINT{area.left + (area.right - area.left) / 3, area.top + 1});
    }
};

bool Near(COLORREF seen, COLORREF expected)
{
    const auto close = [](int a, int b) { return a - b < 40 && b - a < 40; };
    return close(GetRValue(seen), GetRValue(expected)) && close(GetGValue(seen), GetGValue(expected)) &&
           close(GetBValue(seen), GetBValue(expected));
}
// Welcome and language pages of a package offered in English and German.
PackageSpec WelcomeAndLanguageInTwoLanguages()
{
    PackageSpec spec;
    spec.dialogs = L"WelcomeDialog=1\r\nLanguageDialog=1\r\n";
    spec.extra = L"[Languages]\r\nSetupLanguages=1033;1031\r\n";
    spec.languages = {{L"Defaultx.ulf", kCaptions}, {L"default1031.ulf", kGerman}};
    return spec;
}
}  // namespace

TEST_F(Sheet, WelcomeAndLanguagePagesSwitchEveryTextAtOnceAndCancelOnlyWhenConfirmed)
{
    testenv::WizardDriver& wizard = Start(WelcomeAndLanguageInTwoLanguages());

    ASSERT_TRUE(wizard.WaitForPage(kWelcomeText));
    EXPECT_EQ(wizard.Read(kWelcomeText).text, L"Welcome to the Setup of " + kDisplayName + L".");
    EXPECT_EQ(TrimW(wizard.Read(kHeaderTitle).text), kDisplayName);  // setup type Classic
    EXPECT_FALSE(wizard.Read(kBack).visible);
    EXPECT_TRUE(Usable(kNext) && Usable(kCancel));
    EXPECT_FALSE(wizard.Read(kFinish).visible);
    EXPECT_EQ(DefaultButton(), kNext);
    Shot(L"wizard-welcome");

    ASSERT_TRUE(wizard.Click(kNext));
    ASSERT_TRUE(wizard.WaitForPage(kLanguagePrompt));
    EXPECT_TRUE(Usable(kBack) && Usable(kNext) && Usable(kCancel));
    EXPECT_EQ(wizard.Read(kLanguageRadio1).text, L"&English");
    EXPECT_EQ(wizard.Read(kLanguageRadio1).checked, BST_CHECKED);
    EXPECT_EQ(DefaultButton(), kNext);
    Shot(L"wizard-language");

    ASSERT_TRUE(wizard.Click(kLanguageRadio2));
    EXPECT_TRUE(testenv::WaitUntil([&] { return wizard.Read(kNext).text == L"&Weiter >"; }, 5000));
    EXPECT_EQ(TrimW(wizard.Read(kLanguagePrompt).text), L"Bitte w\u00e4hlen Sie die Sprache:");
    EXPECT_EQ(wizard.Read(kBack).text, L"< &Zur\u00fcck");
    EXPECT_EQ(wizard.Read(kCancel).text, L"&Abbrechen");
    Shot(L"wizard-language-german");

    // Cancel asks first; No keeps the page as it was.
    ASSERT_TRUE(wizard.Click(kCancel));
    EXPECT_EQ(Answer(IDNO), L"Do you really want to cancel?");
    EXPECT_TRUE(wizard.OnPage(kLanguagePrompt));
    ASSERT_TRUE(wizard.Click(kCancel));
    Answer(IDYES);
    ASSERT_TRUE(wizard.WaitForPage(kFinishText));
    EXPECT_EQ(wizard.Read(kFinishText).text, L"The extraction of " + kDisplayName + L" has been cancelled.");
    EXPECT_TRUE(Usable(kFinish));
    for (int id : {kBack, kNext, kCancel}) {
        EXPECT_FALSE(wizard.Read(id).visible) << id;
    }
    EXPECT_EQ(FinishAndWait(), 0);
    EXPECT_TRUE(LoggedUnder("Language Selected", "ID of the Language selected : 1031"));
    EXPECT_TRUE(LoggedUnder("ConfirmCancel", "User canceled the Language Dialog"));
    EXPECT_FALSE(testenv::PathExists(target)) << "nothing is extracted from a cancelled wizard";
}

TEST_F(Sheet, LanguagePageAsStartPageOffersTenLanguagesAndDisablesOneNotInstalled)
{
    struct Case {
        const wchar_t* languages;
        int radios;      // shown
        int checked;     // the radio that is checked
        bool classic;    // header title shown
    };
    const Case cases[] = {
        // Twelve languages, 9999 not a locale of this system: ten radios, 9999 shown but disabled.
        {L"1031;9999;1036;1040;3082;1043;1044;1045;1046;1053;1033;1035", 10, 0, false},
        // One language that is not the user's: its radio is checked all the same.
        {L"1031", 1, kLanguageRadio1, true},
    };
    for (const Case& c : cases) {
        PackageSpec spec;
        spec.dialogs = L"WelcomeDialog=0\r\nLanguageDialog=1\r\n";
        spec.package = c.classic ? L"" : L"Setuptype=plus\r\n";
        spec.extra = std::wstring(L"[Languages]\r\nSetupLanguages=") + c.languages + L"\r\n";
        spec.languages = {{L"Defaultx.ulf", kCaptions},
                          {L"default1031.ulf", kGerman},
                          {L"default9999.ulf", L"[FileInfo]\r\nID=9999\r\nLangName=Nowhere\r\n"}};
        testenv::WizardDriver& wizard = Start(spec);
        ASSERT_TRUE(wizard.WaitForPage(kLanguagePrompt));
        EXPECT_FALSE(wizard.Read(kBack).visible) << "the start page has no Back";
        int shown = 0;
        int checked = 0;
        for (int id : {1006, 1007, 1008, 1009, 1010, 1011, 1012, 1015, 1016, 1017}) {
            const auto radio = wizard.Read(id);
            shown += radio.visible ? 1 : 0;
            checked = radio.checked == BST_CHECKED ? id : checked;
        }
        EXPECT_EQ(shown, c.radios) << WideToUtf8(c.languages);
        EXPECT_EQ(checked, c.checked) << WideToUtf8(c.languages);
        EXPECT_EQ(wizard.Control(kHeaderTitle) != nullptr, c.classic) << "setup type plus has no header title";
        if (c.radios == 10) {
            EXPECT_EQ(wizard.Read(1007).text, L"Nowhere");
            EXPECT_FALSE(wizard.Read(1007).enabled);
        }
        CancelAndClose();
        EXPECT_EQ(LoggedUnder("DisplayRadioButtons", "Language : Nowhere not supported and has been disabled"),
                  c.radios == 10);
    }
}

TEST_F(Sheet, EscapeAndTheCloseBoxAskBeforeCancellingAndEscapeFinishesTheFinishPage)
{
    PackageSpec spec;
    spec.dialogs = L"WelcomeDialog=1\r\n";
    testenv::WizardDriver& wizard = Start(spec);
    ASSERT_TRUE(wizard.WaitForPage(kWelcomeText));

    ASSERT_TRUE(wizard.Press(VK_ESCAPE));
    Answer(IDNO);
    EXPECT_TRUE(wizard.OnPage(kWelcomeText));

    ASSERT_TRUE(wizard.Press(VK_F4, testenv::kAlt));  // Close of the system menu
    Answer(IDYES);
    ASSERT_TRUE(wizard.WaitForPage(kFinishText));
    ASSERT_TRUE(wizard.Press(VK_ESCAPE));  // presses Finish there: no question
    DWORD exitCode = 1;
    EXPECT_TRUE(wizard.WaitForExit(exitCode));
    EXPECT_EQ(exitCode, 0u);
    EXPECT_TRUE(LoggedUnder("ConfirmCancel", "User canceled the Welcome Dialog"));
    EXPECT_EQ(testenv::SummaryStatus(Log()), "Success");
}

TEST_F(Sheet, KeyboardMovesTheFocusedLookAndTheDefaultButton)
{
    testenv::WizardDriver& wizard = Start(WelcomeAndLanguageInTwoLanguages());
    ASSERT_TRUE(wizard.WaitForPage(kWelcomeText));
    ASSERT_TRUE(wizard.Press(VK_RETURN));  // Next
    ASSERT_TRUE(wizard.WaitForPage(kLanguagePrompt));
    ASSERT_TRUE(testenv::WaitUntil([&] { return wizard.FocusedId() == kNext; }, 5000));
    // Looks are checked once painted: the button repaints after the focus moved.
    EXPECT_TRUE(testenv::WaitUntil([&] { return Near(RingOf(kNext), RGB(24, 103, 158)); }, 3000)) << "focused look";
    EXPECT_TRUE(testenv::WaitUntil([&] { return Near(RingOf(kCancel), RGB(179, 179, 179)); }, 3000)) << "normal look";

    ASSERT_TRUE(wizard.Press(VK_TAB));
    EXPECT_TRUE(testenv::WaitUntil([&] { return wizard.FocusedId() == kCancel && DefaultButton() == kCancel; }, 5000));
    EXPECT_TRUE(testenv::WaitUntil([&] { return Near(RingOf(kCancel), RGB(24, 103, 158)); }, 3000));
    ASSERT_TRUE(wizard.Press(VK_LEFT));
    EXPECT_TRUE(testenv::WaitUntil([&] { return wizard.FocusedId() == kNext && DefaultButton() == kNext; }, 5000));
    ASSERT_TRUE(wizard.Press(VK_LEFT));
    EXPECT_TRUE(testenv::WaitUntil([&] { return wizard.FocusedId() == kBack && DefaultButton() == kBack; }, 5000));

    // The pointer over a button gives it the hover look, a ring of another colour.
    ASSERT_TRUE(wizard.Hover(kCancel));
    EXPECT_TRUE(testenv::WaitUntil([&] { return Near(RingOf(kCancel), RGB(239, 181, 73)); }, 3000));
    Shot(L"wizard-focus-and-hover");

    ASSERT_TRUE(wizard.Press(VK_SPACE));  // Back, which has the focus
    ASSERT_TRUE(wizard.WaitForPage(kWelcomeText));
    CancelAndClose();
}
