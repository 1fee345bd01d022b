// What deployment tools get from whole runs: the result file of each kind of run, the preflight
// run (/check) and the exit codes of /strictexit.
#include <gtest/gtest.h>

#include <functional>

#include "JsonReader.h"
#include "SilentRunFixture.h"

namespace {
constexpr wchar_t kMutexName[] = L"{AA16C87C-7BE6-4670-8526-4D402D18B369}";
const std::wstring kMessages =
    L"[AutoLaunch]\r\nReturnCode_0=success:{Done}\r\nReturnCode_3010=success:{Reboot}\r\n"
    L"ReturnCode_1618=error:{Busy}\r\n"
    L"[1033]\r\nDone=Installed.\r\nReboot=Restart the computer.\r\nBusy=Another setup runs.\r\n";

class Deployment : public SilentRun {
protected:
    std::wstring resultFile = dir / L"results\\run.json";

    void SetUp() override
    {
        SilentRun::SetUp();
        ASSERT_TRUE(::CreateDirectoryW((dir / L"results").c_str(), nullptr));
    }

    std::vector<std::wstring> WithResult(std::vector<std::wstring> arguments) const
    {
        arguments.push_back(L"/result=" + resultFile);
        return arguments;
    }

    testenv::JsonValue Result() const
    {
        testenv::JsonValue root;
        std::string error;
        const std::string text = testenv::ReadFileText(resultFile);
        EXPECT_TRUE(testenv::ParseJson(text, root, error)) << error << "\n" << text;
        return root;
    }

    void CorruptPart() const
    {
        auto bytes = testenv::ReadFileBytes(parts[1]);
        bytes[bytes.size() / 2] ^= 0xFF;
        testenv::WriteFileBytes(parts[1], bytes);
    }

    std::wstring Conditions() const
    {
        return L"[Conditions]\r\nCondition1={File};{" + dir.Path() +
               L"missing.txt};{EXIST};{};{Needed}\r\n"
               L"Action1=Extract\r\nAction1Condition=Condition1\r\nAction1Message={Missing}\r\n";
    }
};

std::vector<std::string> Names(const testenv::JsonValue& list)
{
    std::vector<std::string> names;
    for (const auto& item : list.items) {
        names.push_back(item["name"].text);
    }
    return names;
}
} // namespace

TEST_F(Deployment, ResultFileOfASuccessfulRunTellsWhatItDid)
{
    Build(Template(kMessages));
    EXPECT_EQ(Run(WithResult({L"/silent"})), 0);
    const testenv::JsonValue r = Result();

    EXPECT_EQ(r["format"].Int(), 1);
    EXPECT_EQ(r["package"]["name"].text, "RunTest");
    EXPECT_EQ(r["package"]["version"].text, "2.5");
    EXPECT_EQ(r["mode"].text, "silent");
    EXPECT_EQ(r["stage"].text, "cleanup");
    EXPECT_EQ(r["exitCode"].Int(), 0);
    EXPECT_EQ(r["outcome"].text, "success");
    EXPECT_TRUE(r["failure"].IsNull());
    EXPECT_EQ(r["summary"]["status"].text, SummaryStatus());
    EXPECT_EQ(r["summary"]["errors"].Int(), 0);
    EXPECT_TRUE(r["firstError"].IsNull());
    EXPECT_EQ(r["extractionPath"].text, WideToUtf8(target) + "\\");
    EXPECT_EQ(r["extracted"]["files"].Int(), 3);
    const size_t bytes = testenv::ReadFileBytes(source + L"\\setup.exe").size() + 7 + 300000;
    EXPECT_EQ(r["extracted"]["bytes"].Int(), static_cast<long long>(bytes));
    ASSERT_EQ(r["setups"].items.size(), 1u);
    EXPECT_EQ(r["setups"][0]["path"].text, WideToUtf8(target) + "\\setup.exe");
    EXPECT_EQ(r["setups"][0]["exitCode"].Int(), 0);
    EXPECT_TRUE(r["setups"][0]["waited"].boolean);
    EXPECT_EQ(r["setups"][0]["mapping"].text, "success");
    EXPECT_EQ(r["setups"][0]["message"].text, "Installed.");
    EXPECT_EQ(r["logFile"].text, WideToUtf8(testenv::kLogFolder + logName));
    EXPECT_EQ(Names(r["stages"]),
              (std::vector<std::string>{"start-up", "checks", "verification", "extraction", "launch", "cleanup"}));
}

TEST_F(Deployment, ResultFileAndStrictCodeOfEachKindOfRun)
{
    HANDLE held = nullptr;
    const struct Row {
        const char* name;
        std::wstring properties;
        const char* setupBehaviour;
        std::function<void()> before;
        std::vector<std::wstring> arguments;
        int code;
        const char* stage;
        const char* outcome;
        const char* failure; // empty: null
        const char* firstError;
    } rows[] = {
        {"restart needed",
         Template(kMessages),
         "exitcode=3010\r\n",
         {},
         {L"/silent", L"/strictexit"},
         3010,
         "cleanup",
         "success",
         "",
         ""},
        {"setup failed",
         Template(kMessages),
         "exitcode=1618\r\n",
         {},
         {L"/silent", L"/strictexit"},
         1618,
         "launch",
         "failed",
         "setup",
         "Error while installation. Message Configuerd : Another setup runs."},
        {"corrupt part",
         Template(),
         "",
         [this] { CorruptPart(); },
         {L"/silent", L"/strictexit"},
         1603,
         "verification",
         "failed",
         "parts",
         "File is corrupt  : "},
        {"corrupt part, default code",
         Template(),
         "",
         [this] { CorruptPart(); },
         {L"/silent"},
         -1,
         "verification",
         "failed",
         "parts",
         "File is corrupt  : "},
        {"requirements not met",
         Template(Conditions()),
         "",
         {},
         {L"/unattended", L"/strictexit"},
         1603,
         "checks",
         "failed",
         "requirements",
         "Condition not satisfied"},
        {"second instance",
         Template(),
         "",
         [&held] { held = ::CreateMutexW(nullptr, FALSE, kMutexName); },
         {L"/silent", L"/strictexit"},
         1603,
         "start-up",
         "failed",
         "single-instance",
         "Another instance is already running."},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ::DeleteFileW((source + L"\\setup.exe.behaviour").c_str());
        if (*row.setupBehaviour != '\0') {
            testenv::WriteFileText(source + L"\\setup.exe.behaviour", row.setupBehaviour);
        }
        Build(row.properties);
        if (row.before) {
            row.before();
        }
        ::DeleteFileW(resultFile.c_str());
        EXPECT_EQ(Run(WithResult(row.arguments)), row.code);
        if (held != nullptr) {
            ::CloseHandle(held);
            held = nullptr;
        }
        const testenv::JsonValue r = Result();
        EXPECT_EQ(r["exitCode"].Int(), row.code);
        EXPECT_EQ(r["stage"].text, row.stage);
        EXPECT_EQ(r["outcome"].text, row.outcome);
        EXPECT_EQ(r["failure"].IsNull() ? "" : r["failure"].text, row.failure);
        EXPECT_NE(r["firstError"].text.find(row.firstError), std::string::npos) << r["firstError"].text;
        EXPECT_EQ(r["summary"]["status"].text, *row.firstError ? "Fail" : "Success");
    }
}

TEST_F(Deployment, UnwritableResultFileIsLoggedAndChangesNothingElse)
{
    Build(Template());
    resultFile = dir / L"no-such-folder\\run.json";
    EXPECT_EQ(Run(WithResult({L"/silent"})), 0);
    ExpectTreeExtracted();
    EXPECT_FALSE(testenv::PathExists(resultFile));
    EXPECT_TRUE(Logged("|ERROR     |WriteResultFile                     |The result file could not be written : " +
                       WideToUtf8(resultFile)))
        << ExtractionLog();
    EXPECT_NE(SetupRecord(), "");
}

TEST_F(Deployment, CancelledUnattendedRunReportsItsCancel)
{
    // Enough files that the extraction is still under way when the window is closed.
    std::string noise(200000, '\0');
    uint32_t seed = 99;
    for (int i = 0; i < 40; ++i) {
        for (auto& c : noise) {
            seed = seed * 1103515245u + 12345u;
            c = static_cast<char>(seed >> 24);
        }
        testenv::WriteFileText(source + L"\\data\\f" + std::to_wstring(i) + L".bin", noise);
    }
    Build(Template());
    testenv::BackgroundProcess run(package, WithResult({L"/unattended", L"/strictexit"}));
    ASSERT_TRUE(run.Started());
    DWORD exitCode = 0;
    bool closed = false;
    bool answered = false;
    const DWORD start = ::GetTickCount();
    while (!run.Wait(20, exitCode) && ::GetTickCount() - start < 120000) {
        for (HWND window : testenv::VisibleTopLevelWindows(run.ProcessId())) {
            if (::GetDlgItem(window, IDYES) != nullptr && !answered) {
                answered = true; // "Do you really want to cancel?"
                ::PostMessageW(window, WM_COMMAND, MAKEWPARAM(IDYES, BN_CLICKED),
                               reinterpret_cast<LPARAM>(::GetDlgItem(window, IDYES)));
            } else if (!closed && ::GetDlgItem(window, IDYES) == nullptr) {
                closed = true;
                ::PostMessageW(window, WM_CLOSE, 0, 0);
            }
        }
    }
    ASSERT_TRUE(answered) << "no cancel question came";
    EXPECT_EQ(exitCode, 1602u);
    const testenv::JsonValue r = Result();
    EXPECT_EQ(r["outcome"].text, "cancelled");
    EXPECT_EQ(r["exitCode"].Int(), 1602);
    EXPECT_NE(r["stage"].text, "cleanup");
    EXPECT_EQ(r["mode"].text, "unattended");
    EXPECT_EQ(SetupRecord(), "");
}

TEST_F(Deployment, KilledRunLeavesNoResultFile)
{
    testenv::WriteFileText(source + L"\\setup.exe.behaviour", "sleep=3000\r\n");
    Build(Template());
    {
        testenv::BackgroundProcess run(package, WithResult({L"/silent"}));
        ASSERT_TRUE(run.Started());
        for (int i = 0; i < 200 && !testenv::PathExists(target + L"\\setup.exe.record.txt"); ++i) {
            ::Sleep(50);
        }
        ::TerminateProcess(run.Handle(), 99);
    }
    EXPECT_FALSE(testenv::PathExists(resultFile)) << "a run that did not end wrote a result";
    ::Sleep(3500); // the setup ends on its own
}

TEST_F(Deployment, CheckOfASoundPackagePassesAndLeavesNothing)
{
    Build(Template());
    EXPECT_EQ(Run(WithResult({L"/check"})), 0);
    EXPECT_FALSE(testenv::PathExists(target)) << "a check extracted something";
    const testenv::JsonValue r = Result();
    EXPECT_TRUE(r["check"].boolean);
    EXPECT_EQ(r["mode"].text, "silent");
    EXPECT_EQ(r["outcome"].text, "success");
    EXPECT_EQ(Names(r["checks"]).size(), 10u);
    for (const auto& verdict : r["checks"].items) {
        EXPECT_TRUE(verdict["passed"].boolean) << verdict["name"].text << ": " << verdict["detail"].text;
    }
    EXPECT_TRUE(r["setups"].items.empty());
    EXPECT_TRUE(Logged("|Preflight check                     |target-paths : passed - 3 files, longest target path"))
        << ExtractionLog();
}

TEST_F(Deployment, CheckEndsWithTheCodeOfTheFailingCheckAndExtractsNothing)
{
    // A name that fits below the package's own path but not below a long extraction path.
    const std::string longName(70, 'n');
    testenv::WriteFileText(source + L"\\data\\deep\\" + Utf8ToWide(longName) + L".txt", "x");
    const std::wstring longTarget = dir / (std::wstring(150, 'p') + L"\\" + std::wstring(20, 'q'));
    const std::wstring password = L"[Temporary]\r\nNumber=3\r\n";
    HANDLE held = nullptr;
    const struct Row {
        const char* name;
        std::wstring properties;
        std::function<void()> before;
        std::vector<std::wstring> arguments;
        int code;
        const char* check;
    } rows[] = {
        {"another instance",
         Template(),
         [&held] { held = ::CreateMutexW(nullptr, FALSE, kMutexName); },
         {},
         10,
         "single-instance"},
        {"wrong password",
         ReplaceFirst(Template(password), L"AutoLaunch=setup.exe",
                      L"AutoLaunch=setup.exe\r\nExtractPasswordRequired=1\r\nExtractionPassword=khoor"),
         {},
         {L"/extractionpassword=wrong"},
         14,
         "password"},
        {"unsupported OS", ReplaceFirst(Template(), L"OSAllowed=Windows61+", L"OSAllowed=WindowsXP"), {}, {}, 15, "os"},
        {"requirements not met", Template(Conditions()), {}, {}, 16, "requirements"},
        {"no usable extraction path", Template(L"", L"ExtractPathMaxLength=5\r\n"), {}, {}, 17, "extraction-path"},
        {"path too long below the target", Template(), {}, {L"/extractpath=" + longTarget}, 18, "target-paths"},
        {"corrupt part", Template(), [this] { CorruptPart(); }, {}, 19, "parts"},
        {"missing part", Template(), [this] { ::DeleteFileW(parts.back().c_str()); }, {}, 19, "parts"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Build(row.properties);
        if (row.before) {
            row.before();
        }
        std::vector<std::wstring> arguments = row.arguments;
        arguments.push_back(L"/check");
        ::DeleteFileW(resultFile.c_str());
        EXPECT_EQ(Run(WithResult(arguments)), row.code);
        if (held != nullptr) {
            ::CloseHandle(held);
            held = nullptr;
        }
        EXPECT_FALSE(testenv::PathExists(target)) << "a check extracted something";
        EXPECT_FALSE(testenv::PathExists(longTarget));
        const testenv::JsonValue r = Result();
        EXPECT_EQ(r["exitCode"].Int(), row.code);
        EXPECT_EQ(r["failure"].text, row.check);
    }
}

TEST_F(Deployment, HelpIsABoxInGuiModeAndNothingInASilentRun)
{
    Build(Template());
    const auto silent = testenv::RunProcess(package, {L"/silent", L"/?"}, 20000);
    EXPECT_FALSE(silent.timedOut) << "a silent run blocked on the switch list";
    EXPECT_EQ(silent.exitCode, 0u);

    testenv::BackgroundProcess run(package, {L"/help"});
    ASSERT_TRUE(run.Started());
    std::wstring text;
    DWORD exitCode = 1;
    const DWORD start = ::GetTickCount();
    while (!run.Wait(50, exitCode) && ::GetTickCount() - start < 30000) {
        for (HWND window : testenv::VisibleTopLevelWindows(run.ProcessId())) {
            wchar_t buffer[2048] = {};
            ::GetWindowTextW(::GetDlgItem(window, 0xFFFF), buffer, 2048);
            text = buffer;
            ::PostMessageW(window, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                           reinterpret_cast<LPARAM>(::GetDlgItem(window, IDOK)));
        }
    }
    EXPECT_EQ(exitCode, 0u);
    for (const wchar_t* option : {L"/silent", L"/result=FILE", L"/check", L"/strictexit", L"/? or /help"}) {
        EXPECT_NE(text.find(option), std::wstring::npos)
            << WideToUtf8(option) << " is not listed in: " << WideToUtf8(text);
    }
    EXPECT_FALSE(testenv::PathExists(target));
}
