// The extraction job against a real window on its own thread: message sequences, status values and
// the user-facing texts of each outcome.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "ProcessRunner.h"
#include "RecordingWindow.h"
#include "TestCabinet.h"
#include "TestEnv.h"
#include "extraction/ExtractionDriver.h"
#include "settings/OrloInitalizer.h"
#include "settings/Payload.h"
#include "settings/PayloadWriter.h"
#include "settings/WindowMessages.h"
#include "util/Handles.h"
#include "util/PauseGate.h"
#include "util/ProcessContext.h"
#include "util/StringUtil.h"
#include "util/Util.h"
#include "util/WideFormat.h"
#include "validation/ExtractorValidator.h"

namespace {

constexpr uint16_t kSetId = 999;

class Driver : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetProcessContext();
        m_package = m_dir / L"pkg\\";
        m_temp = m_dir / L"temp\\";
        m_extraction = m_dir / L"out\\new\\"; // created by the job
        ::CreateDirectoryW(m_package.c_str(), nullptr);
        ::CreateDirectoryW(m_temp.c_str(), nullptr);
        COrloInitalizer& settings = Settings();
        settings.SetMultiPartDownload(1);
        settings.SetCabinetSetId(kSetId);
        settings.SetExtractionPath(m_extraction);
        settings.SetOrloTempDirPath(m_temp);
        settings.SetRunMode(kRunModeGui);
        settings.SetOverwriteWithoutPrompting(1);
        Validator().SetPackageExecutable(m_package + L"Pack.exe");
        Validator().SetPropertiesPath(m_temp + L"Properties_Orlo.ini");
    }
    void TearDown() override { ResetProcessContext(); }

    void MakePackage(const std::vector<testcab::File>& files, size_t perCabinet)
    {
        testcab::SetOptions options;
        options.folder = m_package;
        options.setId = kSetId;
        options.dataPerCabinet = perCabinet;
        m_files = files;
        m_parts = testcab::WriteSet(options, files);
        std::wstring ini = L"[Package]\r\nMultipartFileName=Pack\r\n[PartFileIno]\r\n";
        std::wstring hashes = L"[HashCode]\r\n";
        for (size_t i = 0; i < m_parts.size(); ++i) {
            std::wstring hash;
            std::wstring error;
            CExtractorValidator::ComputeFileMd5(m_parts[i], hash, error);
            m_hashes.push_back(hash);
            ini += FormatW(L"%03d=stamp\r\n", static_cast<int>(i + 1));
            hashes += FormatW(L"%03d=%ls\r\n", static_cast<int>(i + 1), hash.c_str());
        }
        testenv::WriteUtf16File(Validator().GetPropertiesPath(), ini + hashes);
        Settings().SetFileCount(static_cast<int>(files.size()));
    }
    std::vector<testcab::File> ThreeParts()
    {
        return {testcab::MakeFile("\\a.bin", 20 * 1024, 1), testcab::MakeFile("\\b.bin", 50 * 1024, 2),
                testcab::MakeFile("\\sub\\c.bin", 30 * 1024, 3)};
    }

    // Runs the job on this thread (the worker) and waits for its closing message.
    void Run(testenv::RecordingWindow& window, bool stop = false)
    {
        ExtractionTarget target;
        target.window = window.Handle();
        target.stopRequested = [stop] { return stop; };
        target.showMessage = [this](const std::wstring& text) { m_shown.push_back(text); };
        ExtractPackage(target);
        if (!stop) {
            ASSERT_TRUE(window.WaitForAny({UM_EXTRACTION_DONE, UM_EXTRACTION_FAILED}));
        }
    }

    // The window's messages in compact form: "L8 text", "P1,0", "DONE", "FAILED", "ASK".
    static std::vector<std::wstring> Trace(const testenv::RecordingWindow& window)
    {
        std::vector<std::wstring> trace;
        for (const auto& event : window.Events()) {
            switch (event.message) {
            case UM_LOG_REQUEST:
                trace.push_back(FormatW(L"L%d %ls", event.logKind, event.logText.c_str()));
                break;
            case UM_PROGRESS:
                trace.push_back(FormatW(L"P%d,%d", static_cast<int>(event.wParam), static_cast<int>(event.lParam)));
                break;
            case UM_EXTRACTION_DONE:
                trace.push_back(L"DONE");
                break;
            case UM_EXTRACTION_FAILED:
                trace.push_back(L"FAILED");
                break;
            default:
                trace.push_back(FormatW(L"M%u", event.message));
            }
        }
        return trace;
    }
    static bool Contains(const std::vector<std::wstring>& trace, const std::wstring& line)
    {
        return std::find(trace.begin(), trace.end(), line) != trace.end();
    }

    testenv::ScratchDir m_dir{L"drv"};
    std::wstring m_package;
    std::wstring m_temp;
    std::wstring m_extraction;
    std::vector<testcab::File> m_files;
    std::vector<std::wstring> m_parts;
    std::vector<std::wstring> m_hashes;
    std::vector<std::wstring> m_shown;
};

TEST_F(Driver, SuccessfulMultiPartExtraction)
{
    MakePackage(ThreeParts(), 40 * 1024);
    ASSERT_EQ(m_parts.size(), 3u);
    testenv::RecordingWindow window;
    Run(window);

    std::vector<std::wstring> expected = {L"L8 Extracting the Setup to : " + m_extraction, L"P2,100", L"P3,3",
                                          L"L8 Checking for parts"};
    for (size_t i = 0; i < m_parts.size(); ++i) {
        expected.push_back(L"L8 Validating cabinet : " + m_parts[i]);
        expected.push_back(L"L8 Hash code for : " + m_parts[i] + L" is :" + m_hashes[i]);
    }
    expected.push_back(L"L8 Extracting files from cabinet :" + m_parts[0]);
    for (const wchar_t* name : {L"a.bin", L"b.bin", L"sub\\c.bin"}) {
        expected.push_back(L"L8 Extracting file : " + m_extraction + name);
        expected.push_back(L"P1,0");
    }
    expected.push_back(L"L8 Return Code for cab extraction : 0");
    expected.push_back(L"L8 Success");
    expected.push_back(L"DONE");
    EXPECT_EQ(Trace(window), expected);
    EXPECT_EQ(Settings().GetExtractionStatus(), 0);
    EXPECT_TRUE(m_shown.empty());
    EXPECT_EQ(testenv::ReadFileBytes(m_extraction + L"sub\\c.bin"), m_files[2].data);
}

TEST_F(Driver, PartMissingBeforeExtraction)
{
    MakePackage(ThreeParts(), 40 * 1024);
    ASSERT_TRUE(::DeleteFileW(m_parts[1].c_str()));
    testenv::RecordingWindow window;
    Run(window);
    const auto trace = Trace(window);
    EXPECT_TRUE(Contains(trace, L"L0 Multi part File not found : " + m_parts[1]));
    EXPECT_EQ(trace.back(), L"FAILED");
    EXPECT_FALSE(Contains(trace, L"DONE"));
    EXPECT_EQ(Settings().GetExtractionStatus(), -2);
    EXPECT_EQ(m_shown, (std::vector<std::wstring>{L"Part file " + m_parts[1] + L" not found."}));
    EXPECT_FALSE(testenv::PathExists(m_extraction + L"a.bin"));
}

TEST_F(Driver, PartRemovedWhileExtractionRuns)
{
    MakePackage(ThreeParts(), 40 * 1024);
    testenv::RecordingWindow window;
    // The gate is held as while the user is asked whether to cancel: the worker hands over its lines
    // at its first file, after the parts were checked, and waits. Part 2 goes away then, and the
    // engine runs into its absence when b.bin continues there.
    WorkerPause().Hold();
    window.OnEvent([this](const testenv::WindowEvent&) {
        if (WorkerPause().Held() && ::InSendMessage()) {
            ::DeleteFileW(m_parts[1].c_str());
            WorkerPause().Release();
        }
    });
    Run(window);
    WorkerPause().Release();
    const auto trace = Trace(window);
    EXPECT_TRUE(Contains(trace, L"L8 Return Code for cab extraction : 1"));
    EXPECT_TRUE(Contains(trace, L"L0 Part file " + m_package + L"Pack.002 not found"));
    EXPECT_EQ(trace.back(), L"FAILED");
    EXPECT_EQ(Settings().GetExtractionStatus(), 1);
    EXPECT_EQ(m_shown, (std::vector<std::wstring>{L"Part file " + m_package + L"Pack.002 not found."}));
    EXPECT_TRUE(EqualsNoCase(Settings().GetReportedFileName(), L"Pack.002"));
}

TEST_F(Driver, MissingFirstCabinetIsReportedAsDone)
{
    // A single-file package whose payload has no package data: the copy succeeds, WebCab1 is missing.
    Settings().SetMultiPartDownload(0);
    testenv::WriteFileText(m_package + L"Pack.exe", "not a program and no payload");
    testenv::RecordingWindow window;
    Run(window);
    const auto trace = Trace(window);
    EXPECT_EQ(trace.back(), L"DONE");
    EXPECT_TRUE(Contains(trace, L"L0 Part file " + m_temp + L"WebCab1 not found"));
    EXPECT_EQ(Settings().GetExtractionStatus(), -2);
    EXPECT_EQ(m_shown, (std::vector<std::wstring>{L"Part file " + m_temp + L"WebCab1 not found."}));
}

TEST_F(Driver, SingleFilePackageFromItsPackageDataEntry)
{
    Settings().SetMultiPartDownload(0);
    testcab::SetOptions options;
    options.folder = m_dir.Path();
    options.singleName = L"cabinet.bin";
    const auto files = ThreeParts();
    const auto cabinet = testcab::WriteSet(options, files);
    PayloadEntry properties;
    properties.name = L"Properties_Orlo.ini";
    properties.data = {'[', 'P', ']'};
    PayloadEntry data;
    data.name = L"WebCab1";
    data.type = kPayloadPackageEntry;
    data.sourcePath = cabinet[0];
    std::wstring error;
    ASSERT_EQ(CPayloadWriter::WritePackage(testenv::BinDir() + L"versioned.exe", m_package + L"Pack.exe",
                                           {properties, data}, error),
              0u)
        << WideToUtf8(error);
    Settings().SetFileCount(3);

    testenv::RecordingWindow window;
    Run(window);
    const auto trace = Trace(window);
    EXPECT_EQ(trace.back(), L"DONE");
    EXPECT_TRUE(Contains(trace, L"L8 Extracting files from cabinet :" + m_temp + L"WebCab1"));
    EXPECT_EQ(Settings().GetExtractionStatus(), 0);
    for (const auto& file : files) {
        EXPECT_EQ(testenv::ReadFileBytes(m_extraction + Utf8ToWide(file.storedName.substr(1))), file.data);
    }
    // Only the package data was copied out of the executable.
    EXPECT_EQ(testenv::ReadFileBytes(m_temp + L"WebCab1"), testenv::ReadFileBytes(cabinet[0]));
    EXPECT_FALSE(testenv::PathExists(m_temp + L"Properties_Orlo.ini"));
}

TEST_F(Driver, SingleFileCopyFailure)
{
    Settings().SetMultiPartDownload(0); // and no executable at the package path
    testenv::RecordingWindow window;
    Run(window);
    const auto trace = Trace(window);
    EXPECT_EQ(trace.back(), L"FAILED");
    EXPECT_FALSE(Contains(trace, L"P2,100"));
    EXPECT_EQ(Settings().GetExtractionStatus(), -1);
    EXPECT_TRUE(m_shown.empty());
}

TEST_F(Driver, TargetFileLockedByAnotherProcess)
{
    MakePackage(ThreeParts(), 40 * 1024);
    ASSERT_EQ(CUtil::CreateParentFolders(m_extraction + L"b.bin"), 0);
    testenv::WriteFileText(m_extraction + L"b.bin", "old");
    const std::wstring readyName = L"Local\\tarvex-lock-ready-" + CUtil::NewGuidString();
    const std::wstring releaseName = L"Local\\tarvex-lock-release-" + CUtil::NewGuidString();
    UniqueKernelHandle ready(::CreateEventW(nullptr, TRUE, FALSE, readyName.c_str()));
    UniqueKernelHandle release(::CreateEventW(nullptr, TRUE, FALSE, releaseName.c_str()));
    testenv::BackgroundProcess locker(testenv::BinDir() + L"file_locker.exe",
                                      {m_extraction + L"b.bin", readyName, releaseName});
    ASSERT_TRUE(locker.Started());
    ASSERT_EQ(::WaitForSingleObject(ready.Get(), 30000), WAIT_OBJECT_0);

    testenv::RecordingWindow window;
    Run(window);
    ::SetEvent(release.Get());
    DWORD exitCode = 0;
    locker.Wait(30000, exitCode);

    const auto trace = Trace(window);
    const std::wstring text =
        L"Cannot copy b.bin It is being used by another person or program.Close any programs that might be using "
        L"the file and try again.";
    EXPECT_TRUE(Contains(trace, L"L0 " + text));
    EXPECT_EQ(trace.back(), L"FAILED");
    EXPECT_EQ(Settings().GetExtractionStatus(), -1);
    EXPECT_EQ(m_shown, (std::vector<std::wstring>{
                           L"Cannot copy b.bin: It is being used by another person or program.\nClose any programs "
                           L"that might be using the file and try again."}));
    EXPECT_EQ(testenv::ReadFileText(m_extraction + L"b.bin"), "old");
}

TEST_F(Driver, FullDiskNamesTheDrive)
{
    if (!testenv::SmallDriveMounted()) {
        GTEST_SKIP() << "the small tmpfs drive E: is not mounted (TARVEX_SMALL_DRIVE is not \"yes\")";
    }
    m_extraction = L"E:\\drv-full-" + CUtil::NewGuidString() + L"\\";
    Settings().SetExtractionPath(m_extraction);
    MakePackage({testcab::MakeFile("\\small.bin", 1000, 1), testcab::MakeFile("\\big.bin", 2 * 1024 * 1024, 2)},
                1024 * 1024);
    testenv::RecordingWindow window;
    Run(window);
    const auto trace = Trace(window);
    EXPECT_TRUE(Contains(trace, L"L8 Return Code for cab extraction : 8"));
    EXPECT_TRUE(Contains(trace, L"L0 There is not sufficient space on drive :E:"));
    EXPECT_EQ(trace.back(), L"FAILED");
    EXPECT_EQ(Settings().GetExtractionStatus(), 8);
    EXPECT_EQ(m_shown, (std::vector<std::wstring>{L"There is not sufficient space on drive E:."}));
    EXPECT_FALSE(testenv::PathExists(m_extraction + L"big.bin"));
    CUtil::RemoveTree(m_extraction);
}

TEST_F(Driver, StopBeforeStartPostsNothing)
{
    MakePackage(ThreeParts(), 40 * 1024);
    Settings().SetExtractionStatus(-1);
    testenv::RecordingWindow window;
    Run(window, true);
    // Anything sent or posted would have been handled before this marker.
    ::SendMessageW(window.Handle(), WM_USER + 1, 0, 0);
    EXPECT_EQ(window.Messages(), (std::vector<UINT>{WM_USER + 1}));
    EXPECT_EQ(Settings().GetExtractionStatus(), -1);
    EXPECT_FALSE(testenv::PathExists(m_extraction + L"a.bin"));
}

TEST_F(Driver, LogLinesReachASlowWindowWholeAndInOrder)
{
    std::vector<testcab::File> files;
    for (int i = 0; i < 40; ++i) {
        files.push_back(testcab::MakeFile(WideToUtf8(FormatW(L"\\f%02d.txt", i)), 100, static_cast<uint32_t>(i)));
    }
    MakePackage(files, 1000);
    testenv::RecordingWindow window;
    window.OnEvent([](const testenv::WindowEvent& event) {
        if (event.message == UM_LOG_REQUEST) {
            ::Sleep(15); // a window thread slower than the job
        }
    });
    Run(window);

    std::vector<std::wstring> expected = {L"L8 Extracting the Setup to : " + m_extraction, L"P2,100", L"P3,40",
                                          L"L8 Checking for parts"};
    for (size_t i = 0; i < m_parts.size(); ++i) {
        expected.push_back(L"L8 Validating cabinet : " + m_parts[i]);
        expected.push_back(L"L8 Hash code for : " + m_parts[i] + L" is :" + m_hashes[i]);
    }
    expected.push_back(L"L8 Extracting files from cabinet :" + m_parts[0]);
    for (int i = 0; i < 40; ++i) {
        expected.push_back(FormatW(L"L8 Extracting file : %lsf%02d.txt", m_extraction.c_str(), i));
        expected.push_back(L"P1,0");
    }
    expected.push_back(L"L8 Return Code for cab extraction : 0");
    expected.push_back(L"L8 Success");
    expected.push_back(L"DONE");
    EXPECT_EQ(Trace(window), expected);
}

TEST(ExtractionErrorText, TextsPerCode)
{
    ResetProcessContext();
    struct Case {
        int code;
        const wchar_t* name;
        const wchar_t* message;
        const wchar_t* log;
    } cases[] = {
        {1, L"D:\\p\\Pack.002", L"Part file D:\\p\\Pack.002 not found.", L"Part file D:\\p\\Pack.002 not found"},
        {-2, L"D:\\p\\Pack.001", L"Part file D:\\p\\Pack.001 not found.", L"Part file D:\\p\\Pack.001 not found"},
        {-3, L"D:\\p\\Pack.003", L"Part file D:\\p\\Pack.003 is invalid.", L"Part file D:\\p\\Pack.003 is invalid."},
        {-5, L"D:\\p\\Pack.004", L"Part file D:\\p\\Pack.004 is corrupt.", L"Part file D:\\p\\Pack.004 is corrupt."},
        {5, L"x", L"Access is denied.", L"Access is denied."},
        {8, L"", L"There is not sufficient space on drive C:.", L"There is not sufficient space on drive :C:"},
        {39, L"", L"There is not sufficient space on drive C:.", L"There is not sufficient space on drive :C:"},
    };
    for (const Case& c : cases) {
        const ExtractionErrorTexts texts = MakeExtractionErrorTexts(c.code, c.name, L"C:");
        EXPECT_EQ(texts.message, c.message) << c.code;
        EXPECT_EQ(texts.log, c.log) << c.code;
    }
    const ExtractionErrorTexts other = MakeExtractionErrorTexts(ERROR_FILE_NOT_FOUND, L"x", L"C:");
    EXPECT_TRUE(other.message.empty());
    EXPECT_EQ(other.log, TrimW(CUtil::FormatErrorText(ERROR_FILE_NOT_FOUND)));

    // The message is shown in full-GUI mode only.
    std::vector<std::wstring> shown;
    Settings().SetExtractionPath(L"D:\\target\\");
    for (int mode : {kRunModeGui, kRunModeUnattended, kRunModeSilent}) {
        Settings().SetRunMode(mode);
        EXPECT_EQ(GetExtractionErrorText(8, L"", [&](const std::wstring& text) { shown.push_back(text); }),
                  L"There is not sufficient space on drive :D:");
    }
    EXPECT_EQ(shown, (std::vector<std::wstring>{L"There is not sufficient space on drive D:."}));
    ResetProcessContext();
}

} // namespace
