// Starting real programs: the fake setup (exit codes, timing, what it was given), a real .msi through
// msiexec, start failures, cancelling, progress, and the finish message each run selects.
#include <windows.h>

#include <commctrl.h>

#include <list>
#include <vector>

#include "LaunchFixture.h"
#include "ProcessRunner.h"
#include "launch/FinishMessages.h"
#include "launch/LaunchList.h"
#include "launch/LaunchState.h"
#include "launch/Launcher.h"

namespace {
using launchtest::LaunchFixture;
using launchtest::Narrow;
using launchtest::ReadRuns;

std::wstring Environment(const wchar_t* name)
{
    wchar_t buffer[4096] = {};
    const DWORD length = ::GetEnvironmentVariableW(name, buffer, 4096);
    return std::wstring(buffer, length < 4096 ? length : 0);
}

class Launcher : public LaunchFixture {
protected:
    // Builds the list from the properties file and starts it, as the launch step does.
    int Run(const std::wstring& installationDialog = L"0", const LaunchPageLink& page = {})
    {
        std::list<std::wstring> applications;
        std::list<std::wstring> parameters;
        GetAutolaunchApps(L"1033", applications, parameters);
        if (applications.empty()) {
            ADD_FAILURE() << "nothing to launch";
            return -100;
        }
        return LaunchMultipleApplications(L"1033", applications, parameters, installationDialog, page);
    }

    // A properties file: [Runtime] lines, the return codes of [AutoLaunch], and [1033] with the
    // parameters and the message texts.
    void WritePackage(const std::wstring& runtime, const std::wstring& language = L"") const
    {
        WriteProperties(L"[Runtime]\n" + runtime + L"\n" + kReturnCodes + L"[1033]\n" + language + L"\n" + kTexts);
    }
    static constexpr const wchar_t* kReturnCodes =
        L"[AutoLaunch]\nReturnCode_0=SUCCESS:{Done}\nReturnCode_3010=success:{Reboot}\n"
        L"ReturnCode_1603=Error:{Failed}\nReturnCode_5=success:plain text\nReturnCode_259=success:{Running}\n";
    static constexpr const wchar_t* kTexts = L"Done=All done\nReboot=Restart needed\nFailed=Install failed\n"
                                             L"Running=Still running\nMessageOnFinish=Thank you\n";
};

TEST_F(Launcher, ExitCodesSelectTheFinishMessage)
{
    struct Case {
        int exitCode;
        const wchar_t* message;
        int status;
        bool unconfigured;
    };
    const Case cases[] = {
        {0, L"All done", 0, false},           {3010, L"Restart needed", 0, false},
        {1603, L"Install failed", -6, false}, {5, L"", 0, false}, // a prefix without braces: the text is empty
        {7, L"Thank you", 0, true},                               // not configured: MessageOnFinish
    };
    for (const auto& c : cases) {
        ResetProcessContext();
        SetUp();
        const std::wstring setup = Place(L"Setup.exe");
        WritePackage(L"AutoLaunch=Setup.exe", FormatW(L"LaunchEXEParams=/exitcode=%d", c.exitCode));
        EXPECT_EQ(Run(), 0);
        EXPECT_EQ(GetFinishMessage(), c.message) << c.exitCode;
        EXPECT_EQ(Settings().GetExtractionStatus(), c.status) << c.exitCode;
        EXPECT_EQ(HasUnconfiguredResult(), c.unconfigured) << c.exitCode;
        EXPECT_TRUE(LogHas(L"LaunchMultipleApplications", L"Finished - " + setup));
        EXPECT_TRUE(
            LogHas(L"LaunchMultipleApplications", FormatW(L"Return code of - %ls is %d", setup.c_str(), c.exitCode)));
        const auto runs = ReadRuns(setup);
        ASSERT_EQ(runs.size(), 1u);
        EXPECT_TRUE(runs[0].ended);
    }
}

TEST_F(Launcher, AnErrorWinsOverALaterSuccess)
{
    Place(L"Setup1.exe");
    Place(L"Setup2.exe");
    WriteProperties(L"[Runtime]\nMultilaunch=1\nAutoLaunch1=Setup1.exe\nAutoLaunch2=Setup2.exe\n"
                    L"[AutoLaunch1]\nReturnCode_1603=eRrOr:{Failed}\n[AutoLaunch2]\nReturnCode_0=success:{Done}\n"
                    L"[1033]\nLaunchEXEParams1=/exitcode=1603\nLaunchEXEParams2=/exitcode=0\nDone=All done\n"
                    L"Failed=Install failed\nMessageOnFinish=Thank you\n");
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(GetFinishMessage(), L"Install failed");
    EXPECT_EQ(Settings().GetExtractionStatus(), -6);
    EXPECT_TRUE(LogHas(L"SetFinishMessage", L"Error while installation. Message Configuerd : Install failed"));
    EXPECT_TRUE(LogHas(L"SetFinishMessage", L"Message Configuerd : All done"));
}

TEST_F(Launcher, WithoutWaitingTheCodeIsReadAtOnce)
{
    // Multilaunch "0" logs the finish lines even without waiting; anything else does not.
    for (const wchar_t* multilaunch : {L"", L"0"}) {
        ResetProcessContext();
        SetUp();
        Settings().SetWaitForAutolaunchFinish(0);
        const std::wstring setup = Place(L"Setup.exe");
        WritePackage(std::wstring(L"Multilaunch=") + multilaunch + L"\nAutoLaunch=Setup.exe",
                     L"LaunchEXEParams=/sleep=1500 /exitcode=3010");
        EXPECT_EQ(Run(), 0);
        // STILL_ACTIVE is looked up like any other code.
        EXPECT_EQ(GetFinishMessage(), L"Still running");
        EXPECT_EQ(LogHas(L"LaunchMultipleApplications", L"Finished - " + setup), multilaunch == std::wstring(L"0"));
        EXPECT_EQ(LogHas(L"LaunchMultipleApplications", FormatW(L"Return code of - %ls is 259", setup.c_str())),
                  multilaunch == std::wstring(L"0"));
        ASSERT_TRUE(launchtest::WaitForEnd(setup));
        EXPECT_EQ(ReadRuns(setup)[0].values.at("exit"), "3010");
    }
}

TEST_F(Launcher, SidecarGivesTheExitCode)
{
    const std::wstring setup = Place(L"Setup.exe");
    testenv::WriteFileText(setup + L".behaviour", "exitcode=3010\nsleep=100\n");
    WritePackage(L"AutoLaunch=Setup.exe");
    Run();
    EXPECT_EQ(GetFinishMessage(), L"Restart needed");
}

// A stand-in for the launch page's progress bar: records every PBM_SETPOS it receives.
std::vector<int>* g_positions = nullptr;
LRESULT CALLBACK RecordingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == PBM_SETPOS && g_positions) {
        g_positions->push_back(static_cast<int>(wParam));
        return 0;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

TEST_F(Launcher, ThreeProgramsMoveTheProgressBarInThirds)
{
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = RecordingProc;
    windowClass.hInstance = ::GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"TarvexTestProgress";
    ::RegisterClassW(&windowClass);
    HWND window = ::CreateWindowExW(0, L"TarvexTestProgress", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                    windowClass.hInstance, nullptr);
    ASSERT_NE(window, nullptr);

    struct Case {
        int runMode;
        const wchar_t* dialog;
        std::vector<int> positions;
    };
    const Case cases[] = {
        {kRunModeGui, L"1", {33, 66, 99}},
        {kRunModeGui, L"0", {}},
        {kRunModeSilent, L"1", {}},
    };
    for (const auto& c : cases) {
        ResetProcessContext();
        SetUp();
        std::vector<int> positions;
        g_positions = &positions;
        const std::wstring order = Scratch() + L"order.txt";
        ::SetEnvironmentVariableW(L"FAKESETUP_ORDER_FILE", order.c_str());
        Place(L"One.exe");
        Place(L"Two.exe");
        Place(L"Three.exe");
        Settings().SetRunMode(c.runMode);
        WriteProperties(L"[Runtime]\nMultilaunch=1\nAutoLaunch1=One.exe\nAutoLaunch2=Two.exe\nAutoLaunch3=Three.exe\n");
        LaunchPageLink page;
        page.page = window;
        page.progressBar = window;
        EXPECT_EQ(Run(c.dialog, page), 0);
        g_positions = nullptr;
        EXPECT_EQ(positions, c.positions) << c.runMode << " " << Narrow(c.dialog);
        EXPECT_EQ(testenv::ReadLines(order), (std::vector<std::string>{"One.exe", "Two.exe", "Three.exe"}));
        EXPECT_EQ(Flags().LaunchReturned, 1);
    }
    ::DestroyWindow(window);
}

TEST_F(Launcher, ACancelStopsFurtherPrograms)
{
    const std::wstring first = Place(L"One.exe");
    const std::wstring second = Place(L"Two.exe");
    WriteProperties(std::wstring(L"[Runtime]\nMultilaunch=1\nAutoLaunch1=One.exe\nAutoLaunch2=Two.exe\n"));
    int finishCalls = 0;
    LaunchPageLink page;
    page.onLaunchSetupFinish = [&] { ++finishCalls; };
    // The user confirmed cancelling while the first program ran.
    Flags().Continue = 0;
    EXPECT_EQ(Run(L"0", page), 0);
    EXPECT_EQ(ReadRuns(first).size(), 1u);
    EXPECT_TRUE(ReadRuns(second).empty());
    EXPECT_EQ(finishCalls, 1);
    EXPECT_TRUE(LogHas(L"LaunchMultipleApplications", L"Launch process is stopped"));
    EXPECT_FALSE(LogHas(L"LaunchMultipleApplications", L"Finished - " + first));
}

TEST_F(Launcher, AProgramGoneAtLaunchTimeIsSkipped)
{
    const std::wstring first = Place(L"One.exe");
    const std::wstring second = Place(L"Two.exe");
    WriteProperties(L"[Runtime]\nMultilaunch=1\nAutoLaunch1=One.exe\nAutoLaunch2=Two.exe\n");
    std::list<std::wstring> applications;
    std::list<std::wstring> parameters;
    GetAutolaunchApps(L"1033", applications, parameters);
    ASSERT_EQ(applications.size(), 2u);
    ASSERT_TRUE(::DeleteFileW(first.c_str()));
    EXPECT_EQ(LaunchMultipleApplications(L"1033", applications, parameters, L"0"), -1);
    EXPECT_EQ(Settings().GetExtractionStatus(), -4);
    EXPECT_TRUE(LogHas(L"File for launching the setup not found : ", first));
    EXPECT_EQ(ReadRuns(second).size(), 1u);
    EXPECT_EQ(GetFinishMessage(), L"");
}

TEST_F(Launcher, AProgramThatCannotStartIsNeverReportedFinished)
{
    // Not a program at all: the shell refuses it.
    const std::wstring broken = extraction + L"Broken.exe";
    testenv::WriteFileText(broken, "this is not a program\r\n");
    // Silent: the shell must not report the failure with a box that nobody answers.
    Settings().SetRunMode(kRunModeSilent);
    WritePackage(L"AutoLaunch=Broken.exe");
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(Settings().GetExtractionStatus(), -4);
    EXPECT_TRUE(LogHas(L"LaunchMultipleApplications", L"Launch File - " + broken + L"   :  failed : "));
    EXPECT_FALSE(LogContains(L"Finished - "));
    EXPECT_FALSE(LogContains(L"Return code of - "));
    // The failure counts as exit code -1, which is not configured.
    EXPECT_TRUE(HasUnconfiguredResult());
    EXPECT_EQ(GetFinishMessage(), L"Thank you");

    std::wstring errorText = L"stale";
    EXPECT_EQ(LaunchApplication(broken, L"", errorText, 1), -1);
    EXPECT_EQ(errorText, L"Launch File - " + broken + L"   :  failed : ");
}

TEST_F(Launcher, ParametersGetTheirPlaceholdersExpanded)
{
    const std::wstring setup = Place(L"Setup.exe");
    ::SetEnvironmentVariableW(L"TARVEX_TEST_VALUE", L"D:\\custom value");
    WriteProperties(L"[Runtime]\nMultilaunch=1\nAutoLaunch1=Setup.exe\nAutoLaunch2=Setup.exe\n"
                    L"[1033]\nLaunchEXEParams1=/log=%TEMP%\\setup.log \"%TARVEX_TEST_VALUE%\\x\"\n"
                    L"LaunchEXEParams2=/dir=%TEMP%\n");
    Run();
    ::SetEnvironmentVariableW(L"TARVEX_TEST_VALUE", nullptr);
    const auto runs = ReadRuns(setup);
    ASSERT_EQ(runs.size(), 2u);
    const std::string temp = Narrow(Environment(L"TEMP"));
    ASSERT_FALSE(temp.empty());
    EXPECT_EQ(runs[0].args, (std::vector<std::string>{"/log=" + temp + "\\setup.log", "D:\\custom value\\x"}));
    EXPECT_EQ(runs[0].values.at("env.TEMP"), temp);
    // Nothing follows the placeholder: it is handed over as written.
    EXPECT_EQ(runs[1].args, std::vector<std::string>{"/dir=%TEMP%"});
    EXPECT_EQ(CountLog(L"IsEnvVarPresent", L"Env variable not supported.."), 1);
}

TEST_F(Launcher, FamilyLauncherFindsItsListWhenItStarts)
{
    const std::wstring start = PlaceFamilyLauncher();
    const std::wstring setup = Place(L"Setup.exe");
    Paths().PackageFiles = {start, extraction + L"InstData\\Resources\\Kam2.exe", setup};
    Paths().FolderChain = {extraction + L"InstData", extraction + L"InstData\\Resources"};
    Flags().DeleteOnExit = 1;
    WriteProperties(L"[Runtime]\nMultilaunch=1\nAutoLaunch1=Setup.exe\nAutoLaunch2=Start.exe\nMode=Orlo\n"
                    L"[1033]\nLaunchEXEParams1=/one\nLaunchEXEParams2=/two\n");
    Run();
    const std::wstring list = extraction + L"ExtractedFilesToDelete.txt";
    const auto setupRuns = ReadRuns(setup);
    ASSERT_EQ(setupRuns.size(), 1u);
    EXPECT_EQ(setupRuns[0].args, std::vector<std::string>{"/one"});
    const auto startRuns = ReadRuns(start);
    ASSERT_EQ(startRuns.size(), 1u);
    EXPECT_EQ(startRuns[0].args, (std::vector<std::string>{"/two", "/DeleteOnFinish=" + Narrow(list)}));
    EXPECT_EQ(startRuns[0].values.at("listfile.exists"), "1");
    EXPECT_EQ(startRuns[0].list, (std::vector<std::string>{
                                     "[FilesToDelete]", Narrow(setup),
                                     Narrow(extraction + L"InstData\\Resources\\Kam2.exe"), Narrow(start), Narrow(list),
                                     Narrow(extraction + L"InstData\\Resources"), Narrow(extraction + L"InstData")}));
    EXPECT_EQ(Flags().SelfDeleteOnExit, 0);
}

// A real Windows Installer package, built with wixl, started through msiexec.
class MsiLaunch : public Launcher {
protected:
    void TearDown() override
    {
        // Leave the prefix as it was: remove the product again.
        if (!m_msi.empty()) {
            wchar_t system[MAX_PATH] = {};
            ::GetSystemDirectoryW(system, MAX_PATH);
            const auto result = testenv::RunProcess(std::wstring(system) + L"\\msiexec.exe", {L"/x", m_msi, L"/qn"});
            EXPECT_TRUE(result.started && result.exitCode == 0) << result.startError << " " << result.exitCode;
        }
        Launcher::TearDown();
    }
    std::wstring m_msi;
};

TEST_F(MsiLaunch, InstallsThroughMsiexecAndMapsItsExitCode)
{
    m_msi = Place(L"Disk 1\\TestSetup.msi", L"fakesetup\\TestSetup.msi");
    const std::wstring target = Scratch() + L"Installed";
    WritePackage(L"AutoLaunch=Disk 1\\TestSetup.msi", L"LaunchEXEParams=/qn INSTALLDIR=\"" + target + L"\"");
    // An msiexec.exe in the current folder (the extraction folder, say) must not be the one started.
    // Wine looks in its system folder first, so there this only shows the outcome; Windows would
    // find the planted one under the bare name.
    const std::wstring planted = Place(L"msiexec.exe");
    wchar_t saved[MAX_PATH] = {};
    ::GetCurrentDirectoryW(MAX_PATH, saved);
    ::SetCurrentDirectoryW(extraction.c_str());
    const int result = Run();
    ::SetCurrentDirectoryW(saved);
    EXPECT_EQ(result, 0);
    EXPECT_TRUE(ReadRuns(planted).empty()) << "the msiexec.exe beside the package was started";
    EXPECT_TRUE(LogHas(L"LaunchMultipleApplications", FormatW(L"Return code of - %ls is 0", m_msi.c_str())));
    EXPECT_TRUE(testenv::PathExists(target + L"\\Readme.txt"));
    EXPECT_EQ(GetFinishMessage(), L"All done");
}

TEST_F(MsiLaunch, AFailedInstallIsConfiguredAsError)
{
    // Nothing gets installed, so nothing is removed afterwards.
    const std::wstring msi = Place(L"TestSetup.msi", L"fakesetup\\TestSetup.msi");
    WritePackage(L"AutoLaunch=TestSetup.msi", L"LaunchEXEParams=/qn FAILSETUP=1");
    EXPECT_EQ(Run(), 0);
    EXPECT_TRUE(LogHas(L"LaunchMultipleApplications", FormatW(L"Return code of - %ls is 1603", msi.c_str())));
    EXPECT_EQ(Settings().GetExtractionStatus(), -6);
    EXPECT_EQ(GetFinishMessage(), L"Install failed");
}

} // namespace
