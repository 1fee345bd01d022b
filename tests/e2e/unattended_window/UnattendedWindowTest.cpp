// The unattended progress window seen from outside, on a real package made by OrloPack: its title
// and progress bar, the cancel question that WM_CLOSE raises and both answers to it, and a
// screenshot of the window kept as a build artefact.
#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>

#include <memory>

#include "OrloPack.h"
#include "ProcessRunner.h"
#include "RunLog.h"
#include "TestEnv.h"
#include "WindowCapture.h"
#include "util/StringUtil.h"
#include "util/Util.h"

namespace {
const std::wstring kLogName = L"unattended-window.log";
const std::wstring kDisplayName = L"Window Test 3.1";
const std::wstring kScreenshot = L"D:\\artefacts\\unattended-window.png";
constexpr int kProgressBarId = 1045;
constexpr int kMessageBoxTextId = 0xFFFF;
// Enough pseudo-random data that the extraction lasts a few seconds under Wine; many small files so
// that the bar moves often and a paused worker shows at once.
constexpr int kFolders = 8;
constexpr int kFilesPerFolder = 12;
constexpr size_t kFileSize = 384 * 1024;
constexpr DWORD kRunLimitMs = 120000;
constexpr int kCloseCycles = 5;

std::wstring ClassOf(HWND window)
{
    wchar_t name[64] = {};
    ::GetClassNameW(window, name, 64);
    return name;
}

std::wstring TextOf(HWND window)
{
    wchar_t text[512] = {};
    ::GetWindowTextW(window, text, 512);
    return text;
}

// The progress bar of the process's unattended window, hidden or not; null when there is none yet.
HWND FindProgressBar(DWORD processId, HWND* dialog = nullptr)
{
    for (HWND window : testenv::TopLevelWindows(processId)) {
        const HWND bar = ::GetDlgItem(window, kProgressBarId);
        if (ClassOf(window) == L"#32770" && bar != nullptr && ClassOf(bar) == PROGRESS_CLASSW) {
            if (dialog != nullptr) {
                *dialog = window;
            }
            return bar;
        }
    }
    return nullptr;
}

// A message box of the process: a dialog without the progress bar that carries a box text.
HWND FindMessageBox(DWORD processId)
{
    for (HWND window : testenv::TopLevelWindows(processId)) {
        if (ClassOf(window) == L"#32770" && ::IsWindowVisible(window) &&
            ::GetDlgItem(window, kProgressBarId) == nullptr && ::GetDlgItem(window, kMessageBoxTextId) != nullptr) {
            return window;
        }
    }
    return nullptr;
}

// One cross-process query; false when the window did not answer within the time-out.
bool Query(HWND window, UINT message, WPARAM wParam, int& value, UINT timeoutMs = 250)
{
    DWORD_PTR result = 0;
    if (::SendMessageTimeoutW(window, message, wParam, 0, SMTO_BLOCK, timeoutMs, &result) == 0) {
        return false;
    }
    value = static_cast<int>(result);
    return true;
}

struct BarReading {
    bool hiddenBefore = false; // the window was already hidden when the reading began
    int low = -1;
    int high = -1;
    int position = -1;
};

bool ReadBar(HWND dialog, HWND bar, BarReading& reading)
{
    reading.hiddenBefore = !::IsWindowVisible(dialog);
    // Both limits come back as the result when lParam is null: wParam TRUE gives the low one.
    return Query(bar, PBM_GETRANGE, TRUE, reading.low) && Query(bar, PBM_GETRANGE, FALSE, reading.high) &&
           Query(bar, PBM_GETPOS, 0, reading.position);
}

std::vector<std::wstring> FilesBelow(const std::wstring& folder)
{
    std::vector<std::wstring> files;
    WIN32_FIND_DATAW data{};
    HANDLE find = ::FindFirstFileW((folder + L"\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) {
        return files;
    }
    do {
        const std::wstring name = data.cFileName;
        if (name == L"." || name == L"..") {
            continue;
        }
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            for (const auto& inner : FilesBelow(folder + L"\\" + name)) {
                files.push_back(name + L"\\" + inner);
            }
        } else {
            files.push_back(name);
        }
    } while (::FindNextFileW(find, &data));
    ::FindClose(find);
    return files;
}

// One package for the whole suite: building tens of megabytes is the slow part.
struct SharedPackage {
    testenv::ScratchDir dir{L"window"};
    std::wstring source = dir / L"src";
    std::wstring package;
    uint32_t fileCount = 0;
    size_t partCount = 0;
    std::string error;

    SharedPackage()
    {
        if (CUtil::CreateParentFolders(source + L"\\x") != 0 ||
            !::CopyFileW((testenv::BinDir() + L"FakeSetup.exe").c_str(), (source + L"\\setup.exe").c_str(), FALSE)) {
            error = "cannot prepare the source folder";
            return;
        }
        // The setup stays a while, so that the hidden window can still be looked at.
        testenv::WriteFileText(source + L"\\setup.exe.behaviour", "sleep=2500\r\n");
        testenv::WriteFileText(source + L"\\readme.txt", "unattended window\r\n");
        uint64_t seed = 0x9E3779B97F4A7C15ull;
        for (int folder = 0; folder < kFolders; ++folder) {
            const std::wstring sub = source + L"\\data\\d" + std::to_wstring(folder);
            CUtil::CreateParentFolders(sub + L"\\x");
            for (int file = 0; file < kFilesPerFolder; ++file) {
                std::vector<uint8_t> bytes(kFileSize);
                for (size_t i = 0; i + 8 <= bytes.size(); i += 8) {
                    seed ^= seed << 13;
                    seed ^= seed >> 7;
                    seed ^= seed << 17;
                    memcpy(&bytes[i], &seed, 8);
                }
                testenv::WriteFileBytes(sub + L"\\f" + std::to_wstring(file) + L".bin", bytes);
            }
        }
        orlopack::BuildOptions options;
        options.sourceFolder = source;
        options.templateText = L"[Package]\r\nName=WindowTest\r\nNameDispl=Window Test\r\nVersionString=3.1\r\n"
                               L"[Runtime]\r\nExtractPath=" +
                               (dir / L"default-target") +
                               L"\r\nAutoLaunch=setup.exe\r\nWaitForAutolaunchFinish=1\r\n"
                               L"[OS]\r\nOSAllowed=Windows61+\r\n[LogFiles]\r\nExtractLogFileName=" +
                               kLogName + L"\r\n";
        options.outputFolder = dir / L"out";
        options.baseName = L"WindowTest";
        options.partSize = 4 * 1024 * 1024;
        orlopack::BuildReport report;
        if (orlopack::BuildPackage(options, report) != orlopack::kOk) {
            error = "the package was not built: " + WideToUtf8(report.error);
            return;
        }
        package = report.packagePath;
        fileCount = report.fileCount;
        partCount = report.partPaths.size();
    }
};

class UnattendedWindow : public testing::Test {
protected:
    static void SetUpTestSuite() { s_package = std::make_unique<SharedPackage>(); }
    static void TearDownTestSuite() { s_package.reset(); }

    void SetUp() override
    {
        ASSERT_EQ(s_package->error, "");
        ASSERT_GE(s_package->partCount, 3u);
        // Each run gets its own log: an old one would be renamed and mixed up with this one.
        ::DeleteFileW((testenv::kLogFolder + kLogName).c_str());
    }

    const SharedPackage& Package() const { return *s_package; }

    std::unique_ptr<testenv::BackgroundProcess> Start()
    {
        auto run = std::make_unique<testenv::BackgroundProcess>(
            Package().package, std::vector<std::wstring>{L"/unattended", L"/extractpath=" + target});
        EXPECT_TRUE(run->Started());
        return run;
    }

    // Waits until the visible window shows that at least `files` files are out; null on time-out.
    HWND WaitForExtractionUnderWay(testenv::BackgroundProcess& run, HWND& bar, int files)
    {
        DWORD exitCode = 0;
        while (!run.Wait(20, exitCode) && ::GetTickCount() - m_start < kRunLimitMs) {
            HWND dialog = nullptr;
            bar = FindProgressBar(run.ProcessId(), &dialog);
            int position = 0;
            int high = 0;
            // The range grows to the file count when the extraction proper begins.
            if (bar != nullptr && ::IsWindowVisible(dialog) && Query(bar, PBM_GETRANGE, FALSE, high) &&
                high == static_cast<int>(Package().fileCount) && Query(bar, PBM_GETPOS, 0, position) &&
                position >= files) {
                return dialog;
            }
        }
        return nullptr;
    }

    HWND WaitForMessageBox(testenv::BackgroundProcess& run)
    {
        DWORD exitCode = 0;
        while (!run.Wait(20, exitCode) && ::GetTickCount() - m_start < kRunLimitMs) {
            if (HWND box = FindMessageBox(run.ProcessId())) {
                return box;
            }
        }
        return nullptr;
    }

    // Closes the window while the extraction runs and returns the question box (null: none came).
    HWND CloseWindowDuringExtraction(testenv::BackgroundProcess& run)
    {
        HWND bar = nullptr;
        const HWND dialog = WaitForExtractionUnderWay(run, bar, 3);
        if (dialog == nullptr) {
            ADD_FAILURE() << "the unattended window never showed the extraction under way";
            return nullptr;
        }
        EXPECT_FALSE(FilesBelow(target).empty());
        ::PostMessageW(dialog, WM_CLOSE, 0, 0);
        const HWND box = WaitForMessageBox(run);
        if (box == nullptr) {
            ADD_FAILURE() << "no question box appeared after WM_CLOSE";
            return nullptr;
        }
        EXPECT_EQ(TextOf(box), kDisplayName);
        EXPECT_EQ(TextOf(::GetDlgItem(box, kMessageBoxTextId)), L"Do you really want to cancel?");
        EXPECT_NE(::GetDlgItem(box, IDYES), nullptr);
        EXPECT_NE(::GetDlgItem(box, IDNO), nullptr);

        // While the question is open the extraction stands still: once the position has settled it
        // does not move again.
        int settled = -1;
        int position = -2;
        while (settled != position && ::GetTickCount() - m_start < kRunLimitMs) {
            Query(bar, PBM_GETPOS, 0, settled);
            ::Sleep(400);
            Query(bar, PBM_GETPOS, 0, position);
        }
        const size_t filesAtQuestion = FilesBelow(target).size();
        ::Sleep(1000);
        Query(bar, PBM_GETPOS, 0, position);
        EXPECT_EQ(position, settled) << "the extraction went on while the question was open";
        EXPECT_EQ(FilesBelow(target).size(), filesAtQuestion);
        EXPECT_LT(position, static_cast<int>(Package().fileCount)) << "the extraction was over before the close";
        return box;
    }

    // A run closed during its extraction, the question answered with `button`; its exit code.
    DWORD RunClosedAndAnswered(int button)
    {
        auto run = Start();
        if (!run->Started()) {
            return 0xDEAD;
        }
        const HWND box = CloseWindowDuringExtraction(*run);
        if (box == nullptr) {
            return 0xDEAD;
        }
        Answer(box, button);
        return WaitForEnd(*run);
    }

    static void Answer(HWND box, int button)
    {
        ::PostMessageW(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                       reinterpret_cast<LPARAM>(::GetDlgItem(box, button)));
    }

    DWORD WaitForEnd(testenv::BackgroundProcess& run)
    {
        DWORD exitCode = 0xDEAD;
        const DWORD elapsed = ::GetTickCount() - m_start;
        EXPECT_TRUE(run.Wait(elapsed < kRunLimitMs ? kRunLimitMs - elapsed : 0, exitCode)) << "the run blocked";
        return exitCode;
    }

    std::string ExtractionLog() const { return testenv::ReadExtractionLog(kLogName); }
    bool Logged(const std::string& text) const { return ExtractionLog().find(text) != std::string::npos; }
    std::string LogLineWith(const std::string& text) const
    {
        const std::string log = ExtractionLog();
        const size_t at = log.find(text);
        if (at == std::string::npos) {
            return "";
        }
        const size_t begin = log.rfind('\n', at) == std::string::npos ? 0 : log.rfind('\n', at) + 1;
        return log.substr(begin, log.find('\r', at) - begin);
    }

    testenv::ScratchDir dir{L"target"};
    std::wstring target = dir / L"new\\target";
    DWORD m_start = ::GetTickCount();

private:
    static std::unique_ptr<SharedPackage> s_package;
};
std::unique_ptr<SharedPackage> UnattendedWindow::s_package;
} // namespace

TEST_F(UnattendedWindow, ProgressBarEndsAtItsMaximumAndTheWindowIsCaptured)
{
    auto run = Start();
    ASSERT_TRUE(run->Started());
    const int files = static_cast<int>(Package().fileCount);
    bool sawVisible = false;
    std::wstring title;
    CaptureResult capture;
    bool captured = false;
    std::vector<BarReading> readings; // once the window has been shown
    DWORD exitCode = 0xDEAD;
    while (!run->Wait(10, exitCode)) {
        ASSERT_LT(::GetTickCount() - m_start, kRunLimitMs) << "the run blocked";
        HWND dialog = nullptr;
        const HWND bar = FindProgressBar(run->ProcessId(), &dialog);
        BarReading reading;
        if (bar == nullptr || !ReadBar(dialog, bar, reading)) {
            continue;
        }
        if (!reading.hiddenBefore) {
            sawVisible = true;
            title = TextOf(dialog);
            // Half-way through, so that the picture shows a bar neither empty nor full.
            if (!captured && reading.high == files && reading.position * 2 >= files) {
                ::CreateDirectoryW(L"D:\\artefacts", nullptr);
                ::DeleteFileW(kScreenshot.c_str());
                capture = CaptureWindowToPng(dialog, kScreenshot);
                captured = true;
            }
        }
        if (sawVisible) {
            readings.push_back(reading);
        }
    }
    EXPECT_EQ(exitCode, 0u);
    ASSERT_TRUE(sawVisible) << "the unattended window was never visible";
    EXPECT_EQ(title, kDisplayName);
    EXPECT_NE(testenv::ReadFileText(target + L"\\setup.exe.record.txt"), "") << "the setup was not launched";

    std::string timeline;
    int hiddenReadings = 0;
    bool sawFileCountRange = false;
    for (const auto& reading : readings) {
        timeline += (reading.hiddenBefore ? " h" : " v") + std::to_string(reading.position) + "/" +
                    std::to_string(reading.high);
        EXPECT_EQ(reading.low, 0);
        sawFileCountRange = sawFileCountRange || reading.high == files;
        if (reading.hiddenBefore) {
            // Hidden after being shown: the extraction is over and the setup runs.
            ++hiddenReadings;
            EXPECT_EQ(reading.high, files);
            EXPECT_EQ(reading.position, files) << "the bar did not end full";
        }
    }
    EXPECT_TRUE(sawFileCountRange) << "the range never became the file count:" << timeline;
    EXPECT_GT(hiddenReadings, 0) << "the hidden window never answered while the setup ran:" << timeline;

    ASSERT_TRUE(captured) << "the window was never seen half-way through the extraction:" << timeline;
    ASSERT_TRUE(capture.saved) << capture.error;
    EXPECT_GE(capture.distinctColours, 3) << "the screenshot is blank";
    const auto png = testenv::ReadFileBytes(kScreenshot);
    ASSERT_GT(png.size(), 200u) << "the screenshot file is too small to hold the picture";
    const auto bigEndian = [&](size_t at) {
        return (png[at] << 24) | (png[at + 1] << 16) | (png[at + 2] << 8) | png[at + 3];
    };
    EXPECT_EQ(std::string(png.begin() + 1, png.begin() + 4), "PNG");
    EXPECT_EQ(bigEndian(16), capture.width);
    EXPECT_EQ(bigEndian(20), capture.height);
}

TEST_F(UnattendedWindow, CloseAnsweredNoLetsTheRunComplete)
{
    EXPECT_EQ(RunClosedAndAnswered(IDNO), 0u);

    const auto packaged = FilesBelow(Package().source);
    EXPECT_EQ(FilesBelow(target).size(), packaged.size() + 1) << "the tree and the setup's record";
    for (const auto& file : packaged) {
        EXPECT_EQ(testenv::ReadFileBytes(target + L"\\" + file),
                  testenv::ReadFileBytes(Package().source + L"\\" + file))
            << WideToUtf8(file);
    }
    EXPECT_NE(testenv::ReadFileText(target + L"\\setup.exe.record.txt"), "") << "the setup was not launched";
    EXPECT_NE(LogLineWith("Extraction paused").find("|OnClose "), std::string::npos) << ExtractionLog();
    EXPECT_TRUE(Logged("|RETURN    |STATUS                                |Success")) << ExtractionLog();
}

TEST_F(UnattendedWindow, CloseAnsweredYesEndsWithSixAndRemovesWhatWasExtracted)
{
    EXPECT_EQ(RunClosedAndAnswered(IDYES), 6u);

    EXPECT_EQ(FilesBelow(target).size(), 0u) << "extracted files were left behind";
    EXPECT_FALSE(testenv::PathExists(target)) << "the extraction folder made by the run was left behind";
    EXPECT_FALSE(testenv::PathExists(dir / L"new")) << "the folder made by the run was left behind";
    const std::string log = ExtractionLog();
    EXPECT_NE(log.find("Extraction paused"), std::string::npos);
    EXPECT_EQ(log.find("Launching - "), std::string::npos) << "the setup was launched after a cancel";
    const std::vector<std::string> settingsFolders = testenv::TempFoldersNamedIn(log);
    ASSERT_FALSE(settingsFolders.empty()) << log;
    for (const std::string& settingsFolder : settingsFolders) {
        EXPECT_FALSE(testenv::PathExists(Utf8ToWide(settingsFolder))) << "the settings folder was left: " << settingsFolder;
    }
}

TEST_F(UnattendedWindow, RepeatedCloseAnsweredNoNeverStallsTheRun)
{
    auto run = Start();
    ASSERT_TRUE(run->Started());
    HWND bar = nullptr;
    const HWND dialog = WaitForExtractionUnderWay(*run, bar, 1);
    ASSERT_NE(dialog, nullptr) << "the unattended window never showed the extraction under way";
    // Closes land wherever the worker happens to be, the part checks included: each must bring the
    // question, and each No must let the run go on.
    const int files = static_cast<int>(Package().fileCount);
    int questions = 0;
    int position = 0;
    while (questions < kCloseCycles && Query(bar, PBM_GETPOS, 0, position) && position < files - 2) {
        ::PostMessageW(dialog, WM_CLOSE, 0, 0);
        const HWND box = WaitForMessageBox(*run);
        ASSERT_NE(box, nullptr) << "no question box after " << questions << " questions";
        ++questions;
        Answer(box, IDNO);
        while (::IsWindow(box) && ::GetTickCount() - m_start < kRunLimitMs) {
            ::Sleep(1);
        }
        ::Sleep(questions * 3);
    }
    EXPECT_GT(questions, 1);
    EXPECT_EQ(WaitForEnd(*run), 0u);
    EXPECT_EQ(FilesBelow(target).size(), FilesBelow(Package().source).size() + 1) << "the tree and the setup's record";
    EXPECT_TRUE(Logged("|RETURN    |STATUS                                |Success")) << ExtractionLog();
}

// While the run waits for its setup, its window must still answer: a setup that announces a change
// with a plain SendMessage broadcast waits for every top-level window, the hidden one included.
TEST(WaitingWindow, SetupThatBroadcastsIsNotBlockedBySilentOrUnattendedRun)
{
    testenv::ScratchDir dir{L"broadcast"};
    const std::wstring source = dir / L"src";
    ASSERT_EQ(CUtil::CreateParentFolders(source + L"\\x"), 0);
    ASSERT_TRUE(
        ::CopyFileW((testenv::BinDir() + L"BroadcastSetup.exe").c_str(), (source + L"\\setup.exe").c_str(), FALSE));
    orlopack::BuildOptions options;
    options.sourceFolder = source;
    options.templateText = L"[Package]\r\nName=BroadcastTest\r\nNameDispl=Broadcast Test\r\n"
                           L"[Runtime]\r\nAutoLaunch=setup.exe\r\nWaitForAutolaunchFinish=1\r\n"
                           L"[OS]\r\nOSAllowed=Windows61+\r\n";
    options.outputFolder = dir / L"out";
    options.baseName = L"BroadcastTest";
    options.singleFile = true;
    orlopack::BuildReport report;
    ASSERT_EQ(orlopack::BuildPackage(options, report), orlopack::kOk) << WideToUtf8(report.error);
    for (const wchar_t* mode : {L"/silent", L"/unattended"}) {
        const std::wstring target = dir / (std::wstring(L"target") + (mode[1] == L's' ? L"s" : L"u"));
        const auto result = testenv::RunProcess(report.packagePath, {mode, L"/extractpath=" + target}, 60000);
        EXPECT_FALSE(result.timedOut) << WideToUtf8(mode) << ": the run and its setup blocked each other";
        EXPECT_EQ(result.exitCode, 0u) << WideToUtf8(mode);
        EXPECT_EQ(testenv::ReadFileText(target + L"\\setup.exe.record.txt"), "broadcast=start\nbroadcast=done\n")
            << WideToUtf8(mode);
    }
}
