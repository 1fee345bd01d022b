#pragma once
// Shared parts of the wizard's tests: packages made with the builder library, the wizard started on
// them through the driver, and what the run left in its log and on disk.
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "OrloPack.h"
#include "RunLog.h"
#include "TestEnv.h"
#include "WindowCapture.h"
#include "WizardDriver.h"
#include "util/StringUtil.h"
#include "util/Util.h"

namespace wizardtest {

// Controls the tests look at.
constexpr int kBack = 12323;
constexpr int kNext = 12324;
constexpr int kFinish = 12325;
constexpr int kCancel = IDCANCEL;
constexpr int kLanguageRadio1 = 1006; // the first language of [Languages] SetupLanguages
constexpr int kLanguageRadio2 = 1007;
constexpr int kLicenseList = 1059;
constexpr int kDocumentName = 1060;
constexpr int kDocumentView = 1039;
constexpr int kLicenseBox = 1020;
constexpr int kSecurityBox = 1021;
constexpr int kPathEdit = 1000;
constexpr int kBrowse = 1001;
constexpr int kOverwriteBox = 1023;
constexpr int kExtractOnlyBox = 1036;
constexpr int kDeleteOnExitBox = 1043;
constexpr int kLaunchInfo = 1044;
constexpr int kFinishText = 1033;
constexpr int kPasswordEdit = 1054;
constexpr int kOverwriteFileName = 1030;
constexpr int kMessageBoxText = 0xFFFF;
constexpr int kHeaderTitle = 1000;      // on the sheet
constexpr int kWelcomeText = 1047;
constexpr int kLanguagePrompt = 1013;
constexpr int kRequirementsList = 1050;
constexpr int kProgressBar = 1002;
constexpr int kResultIcon = 1051;
constexpr int kOpenLocationBox = 1014;
constexpr int kFinishMessage = 1061;
constexpr int kLaunchStatus = 1063;

const std::wstring kDisplayName = L"Wizard Test 2.0";
const std::wstring kLogName = L"wizard-test.log";

struct PackageSpec {
    std::wstring dialogs = L"WelcomeDialog=0\r\nLanguageDialog=0\r\nLicenseDialog=0\r\n";
    std::wstring package; // further [Package] lines
    std::wstring runtime; // further [Runtime] lines
    std::wstring extra;   // further sections
    std::wstring os = L"OSAllowed=Windows61+\r\n";  // the [OS] section
    std::vector<std::pair<std::wstring, std::string>> files = {{L"readme.txt", "read me\r\n"}};
    std::vector<std::pair<std::wstring, std::string>> documents;  // license documents: name, content
    std::vector<std::pair<std::wstring, std::wstring>> languages; // language files: name, UTF-16 text
    std::vector<std::wstring> setups;  // names under which the fake setup is packed ("setup.exe")
    bool singleFile = false;
    uint64_t partSize = 0;             // 0: one part for these small packages
};

// Reproducible noise, so that packages hold files that do not compress to nothing.
inline std::string Noise(size_t size, uint32_t seed)
{
    std::string bytes(size, '\0');
    for (auto& c : bytes) {
        seed = seed * 1103515245u + 12345u;
        c = static_cast<char>(seed >> 24);
    }
    return bytes;
}

// A package in its own scratch folder; `target` is its [Runtime] ExtractPath.
class Package {
public:
    Package(const PackageSpec& spec, const std::wstring& target) : m_dir(L"wizard")
    {
        m_source = m_dir / L"src";
        const std::wstring& source = m_source;
        for (const auto& [name, content] : spec.files) {
            CUtil::CreateParentFolders(source + L"\\" + name);
            testenv::WriteFileText(source + L"\\" + name, content);
        }
        for (const std::wstring& name : spec.setups) {
            CUtil::CreateParentFolders(source + L"\\" + name);
            ::CopyFileW((testenv::BinDir() + L"FakeSetup.exe").c_str(), (source + L"\\" + name).c_str(), FALSE);
        }
        orlopack::BuildOptions options;
        options.sourceFolder = source;
        for (const auto& [name, content] : spec.documents) {
            testenv::WriteFileText(m_dir / name, content);
            options.documentFiles.push_back(m_dir / name);
        }
        for (const auto& [name, text] : spec.languages) {
            testenv::WriteUtf16File(m_dir / name, text);
            options.languageFiles.push_back(m_dir / name);
        }
        options.templateText = L"[Package]\r\nName=WizardTest\r\nNameDispl=Wizard Test\r\nVersionString=2.0\r\n" +
                               spec.package + L"[Dialogs]\r\n" +
                               spec.dialogs + L"[Runtime]\r\nAllowChangeTarget=1\r\nExtractPath=" + target + L"\r\n" +
                               spec.runtime + L"[OS]\r\n" + spec.os + L"[LogFiles]\r\n" +
                               L"ExtractLogFileName=" + kLogName + L"\r\n" + spec.extra;
        options.outputFolder = m_dir / L"out";
        options.baseName = L"WizardTest";
        options.singleFile = spec.singleFile;
        options.partSize = spec.partSize;
        orlopack::BuildReport report;
        if (orlopack::BuildPackage(options, report) != orlopack::kOk) {
            m_error = "the package was not built: " + WideToUtf8(report.error);
        }
        m_path = report.packagePath;
        m_parts = report.partPaths;
    }
    const std::wstring& Path() const { return m_path; }
    const std::string& Error() const { return m_error; }
    const std::wstring& Source() const { return m_source; }
    const std::vector<std::wstring>& Parts() const { return m_parts; }

private:
    testenv::ScratchDir m_dir;
    std::wstring m_source;
    std::wstring m_path;
    std::vector<std::wstring> m_parts;
    std::string m_error;
};

class WizardTest : public testing::Test {
protected:
    void SetUp() override
    {
        ::DeleteFileW((testenv::kLogFolder + kLogName).c_str());
        ::CreateDirectoryW(L"D:\\artefacts", nullptr);
    }

    // Builds the package and starts its wizard; the test fails when either does not happen.
    testenv::WizardDriver& Start(const PackageSpec& spec)
    {
        Build(spec);
        return Start();
    }
    void Build(const PackageSpec& spec)
    {
        m_package = std::make_unique<Package>(spec, target);
        EXPECT_EQ(m_package->Error(), "");
    }
    // Starts the wizard of the package built last.
    testenv::WizardDriver& Start()
    {
        m_wizard = std::make_unique<testenv::WizardDriver>(m_package->Path());
        EXPECT_TRUE(m_wizard->Started());
        EXPECT_TRUE(m_wizard->WaitForSheet(kDisplayName));
        return *m_wizard;
    }

    // Cancels the wizard on the current page and closes it from the finish page.
    void CancelAndClose()
    {
        testenv::WizardDriver& wizard = *m_wizard;
        ASSERT_TRUE(wizard.Click(kCancel));
        const HWND box = wizard.WaitForDialog();
        ASSERT_NE(box, nullptr);
        ASSERT_TRUE(wizard.ClickDialogButton(box, IDYES));
        EXPECT_EQ(FinishAndWait(), 0);
    }

    // Presses Finish on the finish page and waits for the end of the process; its exit code.
    int FinishAndWait()
    {
        testenv::WizardDriver& wizard = *m_wizard;
        EXPECT_TRUE(wizard.WaitForPage(kFinishText, 60000));
        EXPECT_TRUE(wizard.Click(kFinish));
        DWORD exitCode = 0;
        EXPECT_TRUE(wizard.WaitForExit(exitCode));
        return static_cast<int>(exitCode);
    }

    // The next box or prompt over the sheet, answered with `button`; its text.
    std::wstring Answer(int button)
    {
        testenv::WizardDriver& wizard = *m_wizard;
        const HWND box = wizard.WaitForDialog();
        EXPECT_NE(box, nullptr) << "no box appeared";
        if (box == nullptr) {
            return L"";
        }
        const std::wstring text = testenv::ReadMessageBox(box).text;
        EXPECT_TRUE(wizard.ClickDialogButton(box, button));
        EXPECT_TRUE(testenv::WaitUntil([&] { return !::IsWindowVisible(box); }, 10000));
        return text;
    }

    // Replaces the text of an edit by typing, as a person does.
    void TypeInto(int id, const std::wstring& text)
    {
        testenv::WizardDriver& wizard = *m_wizard;
        ASSERT_TRUE(wizard.Click(id));
        ASSERT_TRUE(wizard.Press(VK_HOME));
        ASSERT_TRUE(wizard.Press(VK_END, testenv::kShift));
        ASSERT_TRUE(wizard.Press(VK_DELETE));
        ASSERT_TRUE(wizard.Type(text));
        ASSERT_TRUE(testenv::WaitUntil([&] { return wizard.Read(id).text == text; }, 5000)) << WideToUtf8(text);
    }

    // A picture of the sheet once the page shown last has painted itself.
    void Shot(const std::wstring& name) const
    {
        ::Sleep(400);
        const CaptureResult capture = m_wizard->Screenshot(name);
        EXPECT_TRUE(capture.saved) << capture.error;
    }

    // The page's default button (DM_GETDEFID), 0 when it has none.
    int DefaultButton() const
    {
        LRESULT result = 0;
        const HWND page = m_wizard->ActivePage();
        if (page == nullptr || !testenv::Query(page, DM_GETDEFID, 0, 0, result) || HIWORD(result) != DC_HASDEFID) {
            return 0;
        }
        return LOWORD(result);
    }

    // A PNG of a prompt in D:\artefacts\ once it has been drawn (a new window paints a moment later).
    static void CaptureWhenDrawn(HWND window, const std::wstring& name)
    {
        const std::wstring path = testenv::kArtefactFolder + name + L".png";
        CaptureResult capture;
        int previous = -1;
        // Drawn when two captures a moment apart look alike.
        testenv::WaitUntil(
            [&] {
                ::Sleep(200);
                capture = CaptureWindowToPng(window, path, CaptureArea::Window);
                const bool settled =
                    capture.saved && capture.distinctColours >= 16 && capture.distinctColours == previous;
                previous = capture.distinctColours;
                return settled;
            },
            5000);
        EXPECT_TRUE(capture.saved) << capture.error;
    }

    std::string Log() const { return testenv::ReadExtractionLog(kLogName); }
    bool Logged(const std::string& text) const { return Log().find(text) != std::string::npos; }
    // A line `text` written under `function` (the log pads the function column to 35 characters).
    bool LoggedUnder(const std::string& function, const std::string& text) const
    {
        return Logged("|" + function + std::string(function.size() < 35 ? 35 - function.size() : 0, ' ') + " |" + text);
    }

    testenv::ScratchDir dir{L"wizard-target"};
    std::wstring target = dir / L"target";
    std::unique_ptr<Package> m_package;
    std::unique_ptr<testenv::WizardDriver> m_wizard;
};

} // namespace wizardtest
