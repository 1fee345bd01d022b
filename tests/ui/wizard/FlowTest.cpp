// Whole wizard runs of packages made by the builder, worked with the pointer and the keyboard: every
// page from welcome to finish, cancelling on each page, the requirements page, failures named on
// the finish page, the setup started by Finish, the launch page, the extraction folder that is gone
// and a system the package does not support.
#include "WizardFixture.h"
#include "util/Handles.h"

using namespace wizardtest;

namespace {
constexpr int kLicenseAccept = 1020;
const std::wstring kCaptions = L"[RADIOBUTTONSTRING]\r\n1033=&English\r\n1031=&Deutsch\r\n";

class Flow : public WizardTest {
protected:
    // Every page: welcome, language, license (one text document), location, progress, launch, finish.
    static PackageSpec Everything(bool singleFile)
    {
        PackageSpec spec;
        spec.dialogs = L"WelcomeDialog=1\r\nLanguageDialog=1\r\nLicenseDialog=1\r\n";
        spec.runtime = L"AutoLaunch=setup.exe\r\nWaitForAutolaunchFinish=1\r\nAutoLaunchInstallationDialog=1\r\n";
        spec.extra = L"[Languages]\r\nSetupLanguages=1033;1031\r\n[LicenseFiles]\r\n1033=License.txt\r\n"
                     L"[1033]\r\nLaunchEXEParams=/from=wizard\r\nDone=The setup has finished.\r\n"
                     L"[AutoLaunch]\r\nReturnCode_0=success:{Done}\r\n";
        spec.documents = {{L"License.txt", "Terms of use.\r\n"}};
        spec.languages = {{L"Defaultx.ulf", kCaptions},
                          {L"default1031.ulf", L"[FileInfo]\r\nID=1031\r\nLangName=German\r\n"}};
        spec.files = {{L"readme.txt", "read me\r\n"}, {L"data\\blob.bin", Noise(300000, 7)}};
        spec.setups = {L"setup.exe"};
        spec.singleFile = singleFile;
        spec.partSize = singleFile ? 0 : 64 * 1024;
        return spec;
    }

    void ExpectExtracted(const PackageSpec& spec) const
    {
        for (const auto& [name, content] : spec.files) {
            EXPECT_EQ(testenv::ReadFileText(target + L"\\" + name), content) << WideToUtf8(name);
        }
    }
    std::string SetupRecord(const std::wstring& name = L"setup.exe") const
    {
        return testenv::ReadFileText(target + L"\\" + name + L".record.txt");
    }
    bool NothingExtracted() const
    {
        return !testenv::PathExists(target + L"\\readme.txt") && !testenv::PathExists(target + L"\\data\\blob.bin");
    }
    // Moves on with Next until the page with `controlId` is there.
    void NextUntil(int controlId)
    {
        testenv::WizardDriver& wizard = *m_wizard;
        for (int step = 0; step < 8 && !wizard.OnPage(controlId); ++step) {
            const int page = wizard.OnPage(kLicenseList) ? kLicenseList : 0;
            if (page == kLicenseList && wizard.Read(kLicenseAccept).checked != BST_CHECKED) {
                ASSERT_TRUE(wizard.Click(kLicenseAccept));
            }
            ASSERT_TRUE(testenv::WaitUntil([&] { return wizard.Read(kNext).enabled; }, 5000));
            const HWND before = wizard.ActivePage();
            ASSERT_TRUE(wizard.Click(kNext));
            testenv::WaitUntil([&] { return wizard.ActivePage() != before; }, 5000);
        }
        ASSERT_TRUE(wizard.WaitForPage(controlId));
    }
};
}  // namespace

TEST_F(Flow, ClickingThroughEveryPageInstallsMultiPartAndSingleFilePackages)
{
    for (bool singleFile : {false, true}) {
        SCOPED_TRACE(singleFile ? "single file" : "multi part");
        const PackageSpec spec = Everything(singleFile);
        testenv::WizardDriver& wizard = Start(spec);
        NextUntil(kLicenseList);
        Shot(L"flow-license");
        NextUntil(kPathEdit);
        ASSERT_TRUE(wizard.Click(kNext));
        ASSERT_TRUE(wizard.WaitForPage(kFinishText, 60000));
        Shot(L"wizard-finish");
        EXPECT_EQ(wizard.Read(kFinishText).text, L"Installation complete: " + kDisplayName);
        EXPECT_NE(wizard.Read(kFinishMessage).text.find(L"The setup has finished."), std::wstring::npos);
        EXPECT_EQ(FinishAndWait(), 0);
        ExpectExtracted(spec);
        EXPECT_NE(SetupRecord().find("/from=wizard"), std::string::npos) << SetupRecord();
        EXPECT_EQ(testenv::SummaryStatus(Log()), "Success") << Log();
        EXPECT_TRUE(LoggedUnder("LaunchSetupThread", "Started the Launch process"));
        CUtil::RemoveTree(target);
    }
}

TEST_F(Flow, KeysAloneInstallThePackage)
{
    const PackageSpec spec = Everything(false);
    testenv::WizardDriver& wizard = Start(spec);
    ASSERT_TRUE(wizard.WaitForPage(kWelcomeText));
    ASSERT_TRUE(wizard.Press(VK_RETURN));
    ASSERT_TRUE(wizard.WaitForPage(kLanguageRadio1));
    ASSERT_TRUE(wizard.Press(VK_SPACE));  // Next has the focus
    ASSERT_TRUE(wizard.WaitForPage(kLicenseList));
    for (int tab = 0; tab < 12 && wizard.FocusedId() != kLicenseAccept; ++tab) {
        ASSERT_TRUE(wizard.Press(VK_TAB));
    }
    ASSERT_EQ(wizard.FocusedId(), kLicenseAccept);
    ASSERT_TRUE(wizard.Press(VK_SPACE));  // ticks the box: Next takes the focus
    ASSERT_TRUE(testenv::WaitUntil([&] { return wizard.FocusedId() == kNext; }, 5000));
    ASSERT_TRUE(wizard.Press(VK_RETURN));
    ASSERT_TRUE(wizard.WaitForPage(kPathEdit));
    ASSERT_TRUE(wizard.Press(VK_RETURN));
    ASSERT_TRUE(wizard.WaitForPage(kFinishText, 60000));
    ASSERT_TRUE(wizard.Press(VK_RETURN));
    DWORD exitCode = 1;
    EXPECT_TRUE(wizard.WaitForExit(exitCode));
    EXPECT_EQ(exitCode, 0u);
    ExpectExtracted(spec);
}

TEST_F(Flow, CancelOnEachPageEndsWithItsFinishTextAndLeavesNothing)
{
    struct Case {
        int page;
        const char* logLine;
    };
    const Case cases[] = {{kWelcomeText, "User canceled the Welcome Dialog"},
                          {kLanguageRadio1, "User canceled the Language Dialog"},
                          {kLicenseList, "User canceled the License Dialog"},
                          {kPathEdit, "User canceled the Browse Dialog"}};
    Build(Everything(false));
    for (const Case& c : cases) {
        Start();
        NextUntil(c.page);
        CancelAndClose();
        EXPECT_TRUE(LoggedUnder("ConfirmCancel", c.logLine)) << c.logLine;
        EXPECT_TRUE(NothingExtracted());
    }
}

TEST_F(Flow, CancelWhileExtractingWaitsForTheAnswerAndKeepsOrRemovesEveryFile)
{
    // Thousands of small files keep the progress page up long enough to be cancelled.
    PackageSpec spec;
    spec.files.clear();
    for (int i = 0; i < 3000; ++i) {
        spec.files.push_back({L"many\\file" + std::to_wstring(i) + L".txt", "line " + std::to_string(i) + "\r\n"});
    }
    Build(spec);
    for (int answer : {IDNO, IDYES}) {
        testenv::WizardDriver& wizard = Start();
        NextUntil(kPathEdit);
        ASSERT_TRUE(wizard.Click(kNext));
        ASSERT_TRUE(wizard.WaitForPage(kProgressBar));
        ASSERT_TRUE(wizard.Click(kCancel));
        const HWND box = wizard.WaitForDialog();
        ASSERT_NE(box, nullptr);
        EXPECT_TRUE(wizard.OnPage(kProgressBar)) << "asked while extracting";
        ASSERT_TRUE(wizard.ClickDialogButton(box, answer));
        ASSERT_TRUE(wizard.WaitForPage(kFinishText, 120000));
        if (answer == IDNO) {
            EXPECT_EQ(wizard.Read(kFinishText).text.find(L"cancelled"), std::wstring::npos);
            EXPECT_EQ(FinishAndWait(), 0);
            ExpectExtracted(spec);
            CUtil::RemoveTree(target);
        } else {
            EXPECT_EQ(wizard.Read(kFinishText).text, L"The extraction of " + kDisplayName + L" has been cancelled.");
            EXPECT_EQ(FinishAndWait(), 0);
            EXPECT_TRUE(LoggedUnder("ConfirmCancel", "User canceled the extraction process"));
            EXPECT_FALSE(testenv::PathExists(target + L"\\many\\file0.txt")) << "a cancelled extraction leaves nothing";
        }
    }
}

TEST_F(Flow, RequirementsListTheirMessagesCutToFitAndRetryMovesOnForGood)
{
    const std::wstring marker = dir / L"requirement.txt";
    const std::wstring longText(300, L'r');
    struct Case {
        const wchar_t* conditions;  // condition keys in Action1Condition
        size_t cut;                 // each message cut to this length
    };
    for (const Case& c : {Case{L"Condition1", 260}, Case{L"Condition1 or Condition2", 168}}) {
        PackageSpec spec;
        spec.dialogs = L"WelcomeDialog=1\r\n";
        spec.extra = L"[Conditions]\r\nCondition1={File};{" + marker + L"};{EXIST};{};{Needed}\r\n"
                     L"Condition2={File};{" + marker + L"};{EXIST};{};{Also}\r\nAction1=Extract\r\n"
                     L"Action1Condition=" + c.conditions + L"\r\nAction1Message={Missing}\r\n"
                     L"[Languages]\r\nSetupLanguages=1033\r\n[1033]\r\nMissing=" + longText + L"\r\nNeeded=" +
                     longText + L"\r\nAlso=" + longText + L"\r\n";
        ::DeleteFileW(marker.c_str());
        testenv::WizardDriver& wizard = Start(spec);
        NextUntil(kRequirementsList);
        const std::wstring list = wizard.Read(kRequirementsList).text;
        EXPECT_NE(list.find(std::wstring(c.cut, L'r') + L"...\n"), std::wstring::npos) << WideToUtf8(list);
        EXPECT_EQ(list.find(std::wstring(c.cut + 1, L'r')), std::wstring::npos);
        EXPECT_EQ(wizard.Read(kNext).text, L"&Retry");
        EXPECT_TRUE(wizard.Read(kBack).visible);
        Shot(L"flow-requirements");

        ASSERT_TRUE(wizard.Click(kNext));  // still not met: the page stays
        ASSERT_TRUE(testenv::WaitUntil([&] { return wizard.Read(kRequirementsList).text == list; }, 5000));
        testenv::WriteFileText(marker, "met\r\n");
        ASSERT_TRUE(wizard.Click(kNext));
        ASSERT_TRUE(wizard.WaitForPage(kPathEdit));
        ASSERT_TRUE(wizard.Click(kBack));
        ASSERT_TRUE(wizard.WaitForPage(kWelcomeText)) << "the requirements page has left the wizard";
        CancelAndClose();
    }
}

TEST_F(Flow, FailuresAreNamedOnTheFinishPage)
{
    struct Case {
        const char* what;
        std::wstring expected;  // the finish text; [PART] is the damaged part's name
    };
    const std::wstring tail = L" Please check the log file.";
    const Case cases[] = {{"missing part", L"Part file [PART] not found." + tail},
                          {"unreadable part", L"Part file [PART] is invalid." + tail},
                          {"corrupt part", L"Part file [PART] is corrupt." + tail},
                          {"setup missing", L"The file for launching the setup is not found." + tail}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        PackageSpec spec = Everything(false);
        spec.dialogs = L"WelcomeDialog=0\r\n";
        if (std::string(c.what) == "setup missing") {
            spec.runtime = L"AutoLaunch=nowhere.exe\r\nWaitForAutolaunchFinish=1\r\n";
        }
        Build(spec);
        const std::vector<std::wstring> parts = m_package->Parts();
        ASSERT_GE(parts.size(), 3u);
        const std::wstring& damaged = parts[1];
        auto bytes = testenv::ReadFileBytes(damaged);
        UniqueFileHandle held;
        if (std::string(c.what) == "missing part") {
            ::DeleteFileW(damaged.c_str());
        } else if (std::string(c.what) == "unreadable part") {
            // Held without sharing by another program: neither hashed nor read, so not a cabinet.
            held.Reset(::CreateFileW(damaged.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
            ASSERT_TRUE(held.Valid());
        } else if (std::string(c.what) == "corrupt part") {
            bytes[bytes.size() / 2] ^= 0xFF;
            testenv::WriteFileBytes(damaged, bytes);
        }
        testenv::WizardDriver& wizard = Start();
        NextUntil(kPathEdit);
        ASSERT_TRUE(wizard.Click(kNext));
        if (std::string(c.what) != "setup missing") {
            Answer(IDOK);  // the extraction error, shown by the wizard's own box
        }
        ASSERT_TRUE(wizard.WaitForPage(kFinishText, 60000));
        const std::wstring name = damaged.substr(damaged.rfind(L'\\') + 1);
        EXPECT_EQ(TrimW(wizard.Read(kFinishText).text), ReplaceAll(c.expected, L"[PART]", name));
        FinishAndWait();
        CUtil::RemoveTree(target);
    }
}

TEST_F(Flow, ASingleSetupNotWaitedForStartsWithFinish)
{
    PackageSpec spec;
    spec.runtime = L"AutoLaunch=setup.exe\r\nWaitForAutolaunchFinish=0\r\n";
    spec.setups = {L"setup.exe"};
    testenv::WizardDriver& wizard = Start(spec);
    NextUntil(kPathEdit);
    ASSERT_TRUE(wizard.Click(kNext));
    ASSERT_TRUE(wizard.WaitForPage(kFinishText, 60000));
    EXPECT_EQ(wizard.Read(kFinishText).text, L"Installation will start after Finish button is clicked.");
    EXPECT_EQ(SetupRecord(), "") << "nothing starts before Finish";
    EXPECT_EQ(FinishAndWait(), 0);
    EXPECT_TRUE(testenv::WaitUntil([&] { return !SetupRecord().empty(); }, 20000));
}

TEST_F(Flow, CancelOnTheLaunchPageLetsTheRunningSetupFinishAndStartsNoOther)
{
    PackageSpec spec;
    spec.runtime = L"Multilaunch=1\r\nAutoLaunch1=first.exe\r\nAutoLaunch2=second.exe\r\nWaitForAutolaunchFinish=1\r\n"
                   L"AutoLaunchInstallationDialog=1\r\n";
    spec.setups = {L"first.exe", L"second.exe"};
    spec.files.push_back({L"first.exe.behaviour", "sleep=4000\r\n"});
    testenv::WizardDriver& wizard = Start(spec);
    NextUntil(kPathEdit);
    ASSERT_TRUE(wizard.Click(kNext));
    ASSERT_TRUE(wizard.WaitForPage(kLaunchStatus, 60000));
    ASSERT_TRUE(testenv::WaitUntil([&] { return !SetupRecord(L"first.exe").empty(); }, 20000));
    ASSERT_TRUE(wizard.Click(kCancel));
    Answer(IDYES);
    EXPECT_TRUE(testenv::WaitUntil([&] { return !wizard.Read(kCancel).enabled; }, 5000));
    EXPECT_EQ(TrimW(wizard.Read(kLaunchStatus).text),
              L"After current installation is finished, further installations(if any) will be cancelled.");
    Shot(L"flow-launch-cancelled");
    ASSERT_TRUE(wizard.WaitForPage(kFinishText, 60000));
    EXPECT_EQ(wizard.Read(kFinishText).text, L"The installation of " + kDisplayName + L" has been cancelled.");
    EXPECT_EQ(FinishAndWait(), 0);
    EXPECT_EQ(SetupRecord(L"second.exe"), "") << "no setup starts after a confirmed cancel";
    EXPECT_TRUE(LoggedUnder("ConfirmCancel", "User canceled the AutoLaunch Installation Dialog"));
}

TEST_F(Flow, OpeningAnExtractionFolderThatIsGoneSaysSo)
{
    PackageSpec spec;
    spec.runtime = L"OpenExtractionLocation=1\r\nWaitForAutolaunchFinish=1\r\n";
    testenv::WizardDriver& wizard = Start(spec);
    NextUntil(kPathEdit);
    ASSERT_TRUE(wizard.Click(kNext));
    ASSERT_TRUE(wizard.WaitForPage(kFinishText, 60000));
    ASSERT_TRUE(wizard.Read(kOpenLocationBox).visible);
    ASSERT_TRUE(wizard.Click(kOpenLocationBox));
    CUtil::RemoveTree(target);
    ASSERT_TRUE(wizard.Click(kFinish));
    EXPECT_EQ(Answer(IDOK), L"Extraction location cannot be found: " + target + L"\\");
    DWORD exitCode = 1;
    EXPECT_TRUE(wizard.WaitForExit(exitCode));
    EXPECT_TRUE(LoggedUnder("CFinishPage::OnWizardNext", "Extration path does not exist : " + WideToUtf8(target)));
}

TEST_F(Flow, AnUnsupportedSystemGetsThePackagesOwnTextAndNoLaunch)
{
    PackageSpec spec;
    spec.runtime = L"AutoLaunch=setup.exe\r\nWaitForAutolaunchFinish=1\r\n";
    spec.os = L"OSAllowed=WindowsXP\r\n";
    spec.extra = L"[1033]\r\nMsgOSError=This package needs [OSNAME] to be XP.\r\n";
    spec.setups = {L"setup.exe"};
    testenv::WizardDriver& wizard = Start(spec);
    NextUntil(kPathEdit);
    ASSERT_TRUE(wizard.Click(kNext));
    const std::wstring text = Answer(IDOK);
    EXPECT_EQ(text.find(L"This package needs "), 0u) << WideToUtf8(text);
    DWORD exitCode = 1;
    EXPECT_TRUE(wizard.WaitForExit(exitCode));
    EXPECT_EQ(exitCode, 0u);
    EXPECT_EQ(SetupRecord(), "");
    EXPECT_TRUE(Logged("Message to be displayed : This package needs "));
}
