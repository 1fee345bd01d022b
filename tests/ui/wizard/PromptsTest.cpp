// The password prompt on the start page and the overwrite prompt of a second run into the same
// folder, answered with the pointer, the keys and the close box.
#include "WizardFixture.h"

namespace {
using namespace wizardtest;

constexpr int kYes = 1024;
constexpr int kYesToAll = 1027;
constexpr int kNo = 1028;
constexpr int kNoToAll = 1029;
constexpr int kCloseBox = -1; // not a button: the prompt's close box

class Prompts : public WizardTest {
protected:
    // The process's prompt over the sheet with this control, or null after the wait.
    HWND WaitForPrompt(int controlId, DWORD timeoutMs = 30000)
    {
        HWND found = nullptr;
        testenv::WaitUntil(
            [&] {
                for (HWND dialog : testenv::DialogsOf(m_wizard->ProcessId(), m_wizard->Sheet())) {
                    if (testenv::ChildById(dialog, controlId) != nullptr) {
                        found = dialog;
                        return true;
                    }
                }
                return !m_wizard->Running();
            },
            timeoutMs);
        return found;
    }

    bool Gone(HWND window)
    {
        return testenv::WaitUntil([&] { return !::IsWindowVisible(window); }, 5000);
    }

    // A point of the close box, found by asking the window what lies along its caption.
    static bool ClickCloseBox(HWND window)
    {
        RECT frame{};
        ::GetWindowRect(window, &frame);
        for (int y = frame.top + 2; y < frame.top + 40; y += 2) {
            for (int x = frame.right - 2; x > frame.right - 60; x -= 2) {
                LRESULT hit = 0;
                if (testenv::Query(window, WM_NCHITTEST, 0, MAKELPARAM(x, y), hit) && hit == HTCLOSE) {
                    return testenv::ClickAt(POINT{x, y});
                }
            }
        }
        return false;
    }
};

TEST_F(Prompts, PasswordOnTheStartPageIsAskedUntilItIsRight)
{
    PackageSpec spec;
    spec.runtime = L"ExtractPasswordRequired=1\r\nExtractionPassword=Secret7\r\n";
    testenv::WizardDriver& wizard = Start(spec);
    const HWND prompt = WaitForPrompt(kPasswordEdit);
    ASSERT_NE(prompt, nullptr);
    const HWND edit = testenv::ChildById(prompt, kPasswordEdit);
    const HWND ok = testenv::ChildById(prompt, IDOK);
    const auto length = [&] {
        LRESULT chars = -1;
        testenv::Query(edit, WM_GETTEXTLENGTH, 0, 0, chars);
        return static_cast<int>(chars);
    };
    EXPECT_EQ(testenv::TextOf(prompt), kDisplayName);
    EXPECT_FALSE(::IsWindowEnabled(ok));
    CaptureWhenDrawn(prompt, L"password-prompt");

    // At most 50 characters; OK only while there are some.
    ASSERT_TRUE(wizard.Type(std::wstring(51, L'x')));
    ASSERT_TRUE(testenv::WaitUntil([&] { return length() == 50; }, 5000)) << length();
    EXPECT_TRUE(::IsWindowEnabled(ok));
    ASSERT_TRUE(wizard.Press(VK_HOME));
    ASSERT_TRUE(wizard.Press(VK_END, testenv::kShift));
    ASSERT_TRUE(wizard.Press(VK_DELETE));
    ASSERT_TRUE(testenv::WaitUntil([&] { return !::IsWindowEnabled(ok); }, 5000));

    // A wrong one: an error, and the edit is empty for the next try.
    ASSERT_TRUE(wizard.Type(L"secret7"));
    ASSERT_TRUE(wizard.ClickDialogButton(prompt, IDOK));
    HWND box = WaitForPrompt(kMessageBoxText);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(testenv::ReadMessageBox(box).text, L"Invalid password.\nEnter the correct password.");
    ASSERT_TRUE(wizard.ClickDialogButton(box, IDOK));
    ASSERT_TRUE(Gone(box));
    EXPECT_TRUE(testenv::WaitUntil([&] { return length() == 0; }, 5000)) << length();

    // Cancel answered No keeps the prompt.
    ASSERT_TRUE(wizard.ClickDialogButton(prompt, IDCANCEL));
    box = WaitForPrompt(kMessageBoxText);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(testenv::ReadMessageBox(box).text, L"Do you really want to cancel?");
    ASSERT_TRUE(wizard.ClickDialogButton(box, IDNO));
    ASSERT_TRUE(Gone(box));
    EXPECT_TRUE(::IsWindowVisible(prompt));

    // The right one: the run goes on.
    ASSERT_TRUE(wizard.Type(L"Secret7"));
    ASSERT_TRUE(testenv::WaitUntil([&] { return length() == 7; }, 5000)) << length();
    ASSERT_TRUE(wizard.ClickDialogButton(prompt, IDOK));
    ASSERT_TRUE(Gone(prompt));
    ASSERT_TRUE(wizard.WaitForPage(kOverwriteBox));
    ASSERT_TRUE(wizard.Click(kNext));
    FinishAndWait();
    EXPECT_EQ(testenv::ReadFileText(target + L"\\readme.txt"), "read me\r\n");
    const std::string log = Log();
    EXPECT_NE(log.find("Password provided by user is invalid"), std::string::npos);
    EXPECT_NE(log.find("Password provided by user is correct"), std::string::npos);
    EXPECT_EQ(log.find("Secret7"), std::string::npos);
}

TEST_F(Prompts, EachOverwriteAnswerLeavesTheFilesItPromises)
{
    // Three files exist from an earlier run, one is new; the prompt comes in the order of the set.
    const std::vector<std::wstring> names = {L"1.txt", L"2.txt", L"3.txt"};
    const std::string fresh = "from the package\r\n";
    const std::string old = "from the earlier run\r\n";
    struct Case {
        const char* name;
        std::vector<int> answers;   // buttons in the order the prompts come
        std::vector<bool> replaced; // per existing file
        bool completes;             // the extraction runs to its end (new.txt written)
        const char* logLine;
    };
    const Case cases[] = {
        {"yes, no, yes", {kYes, kNo, kYes}, {true, false, true}, true, "User Clicked on 'Yes' button"},
        {"no", {kNo, kNo, kNo}, {false, false, false}, true, "User Clicked on 'No' button"},
        {"yes to all", {kYesToAll}, {true, true, true}, true, "User Clicked on 'Yes To All' button"},
        {"no to all", {kNoToAll}, {false, false, false}, true, "User Clicked on 'No To All' button"},
        {"cancel", {kCancel}, {false, false, false}, false, "User Clicked on 'Cancel' button"},
        {"close box", {kCloseBox}, {false, false, false}, false, "User Clicked on 'Cancel' button"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        CUtil::RemoveTree(target);
        ::CreateDirectoryW(target.c_str(), nullptr);
        PackageSpec spec;
        spec.files.clear();
        for (const auto& name : names) {
            spec.files.push_back({name, fresh});
            testenv::WriteFileText(target + L"\\" + name, old);
        }
        spec.files.push_back({L"new.txt", fresh});
        testenv::WizardDriver& wizard = Start(spec);
        ASSERT_TRUE(wizard.WaitForPage(kOverwriteBox));
        ASSERT_EQ(wizard.Read(kOverwriteBox).checked, BST_UNCHECKED);
        ASSERT_TRUE(wizard.Click(kNext));
        for (size_t i = 0; i < c.answers.size(); ++i) {
            const HWND prompt = WaitForPrompt(kOverwriteFileName);
            ASSERT_NE(prompt, nullptr) << "prompt " << i;
            EXPECT_EQ(TrimW(testenv::TextOf(testenv::ChildById(prompt, kOverwriteFileName))), names[i]);
            if (c.answers[i] == kCloseBox) {
                ASSERT_TRUE(ClickCloseBox(prompt));
            } else {
                ASSERT_TRUE(wizard.ClickDialogButton(prompt, c.answers[i]));
            }
            ASSERT_TRUE(Gone(prompt));
        }
        // A to-all answer is not asked again: the run goes on to the finish page by itself (a
        // stopped extraction may say why on the way).
        ASSERT_TRUE(testenv::WaitUntil(
            [&] {
                for (HWND box : testenv::DialogsOf(wizard.ProcessId(), wizard.Sheet())) {
                    EXPECT_EQ(testenv::ChildById(box, kOverwriteFileName), nullptr) << "asked again";
                    wizard.ClickDialogButton(box, IDOK);
                }
                return wizard.OnPage(kFinishText);
            },
            60000));
        FinishAndWait();
        for (size_t i = 0; i < names.size(); ++i) {
            EXPECT_EQ(testenv::ReadFileText(target + L"\\" + names[i]), c.replaced[i] ? fresh : old)
                << WideToUtf8(names[i]);
        }
        EXPECT_EQ(testenv::PathExists(target + L"\\new.txt"), c.completes);
        EXPECT_TRUE(Logged(c.logLine));
    }
}

TEST_F(Prompts, OverwritePromptKeysAndALongName)
{
    // A name that makes a 250-character path; Escape does nothing, the arrows move the answer.
    ::CreateDirectoryW(target.c_str(), nullptr);
    const std::wstring longName = std::wstring(250 - target.size() - 1 - 4, L'n') + L".txt";
    ASSERT_EQ(target.size() + 1 + longName.size(), 250u);
    PackageSpec spec;
    spec.files = {{longName, "new\r\n"}, {L"second.txt", "new\r\n"}};
    testenv::WriteFileText(target + L"\\" + longName, "old\r\n");
    testenv::WriteFileText(target + L"\\second.txt", "old\r\n");
    testenv::WizardDriver& wizard = Start(spec);
    ASSERT_TRUE(wizard.WaitForPage(kOverwriteBox));
    ASSERT_TRUE(wizard.Click(kNext));
    const HWND prompt = WaitForPrompt(kOverwriteFileName);
    ASSERT_NE(prompt, nullptr);
    const std::wstring shown = testenv::TextOf(testenv::ChildById(prompt, kOverwriteFileName));
    ASSERT_GT(shown.size(), 3u);
    EXPECT_EQ(shown.substr(0, 3), L"...");
    EXPECT_EQ(longName.compare(0, shown.size() - 3, shown.substr(3)), 0) << WideToUtf8(shown);
    EXPECT_LT(shown.size(), longName.size());
    EXPECT_EQ(testenv::TextOf(prompt), kDisplayName);
    CaptureWhenDrawn(prompt, L"overwrite-prompt");

    ASSERT_TRUE(wizard.Press(VK_ESCAPE));
    ::Sleep(300);
    EXPECT_TRUE(::IsWindowVisible(prompt));
    ASSERT_TRUE(wizard.Press(VK_RIGHT)); // Yes to All
    ASSERT_TRUE(wizard.Press(VK_RIGHT)); // No
    ASSERT_TRUE(wizard.Press(VK_TAB));   // No to All
    ASSERT_TRUE(wizard.Press(VK_LEFT));  // No
    ASSERT_TRUE(wizard.Press(VK_RETURN));
    ASSERT_TRUE(Gone(prompt));
    // No was for this file only: the next one is asked about.
    const HWND next = WaitForPrompt(kOverwriteFileName);
    ASSERT_NE(next, nullptr);
    EXPECT_EQ(TrimW(testenv::TextOf(testenv::ChildById(next, kOverwriteFileName))), L"second.txt");
    ASSERT_TRUE(wizard.Press(VK_RETURN)); // Yes, which has the focus again
    FinishAndWait();
    EXPECT_EQ(testenv::ReadFileText(target + L"\\" + longName), "old\r\n");
    EXPECT_EQ(testenv::ReadFileText(target + L"\\second.txt"), "new\r\n");
}

} // namespace
