// The settings object's steps against real properties files: every key with its default and a
// set value, and the special rules of autolaunch, waiting, NoOSCheck and the buffer size.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "LogCapture.h"
#include "TestEnv.h"
#include "log/LogFormat.h"
#include "settings/Messages.h"
#include "settings/OrloInitalizer.h"
#include "util/Handles.h"
#include "util/ProcessContext.h"
#include "util/StringUtil.h"
#include "util/Util.h"

namespace {

int CountLines(const testenv::LogCapture& log, const std::string& text)
{
    int count = 0;
    for (const std::string& line : log.Lines()) {
        count += line.find(text) != std::string::npos ? 1 : 0;
    }
    return count;
}

class SettingsKeys : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetProcessContext();
        ClearMessageTable();
        log = std::make_unique<testenv::LogCapture>(dir / L"test.log");
        Settings().SetOrloTempDirPath(dir.Path());
        Settings().SetPropertiesPath(dir / kPropertiesFileName);
    }
    void TearDown() override { ResetProcessContext(); }
    void WriteProperties(const std::wstring& body) const { testenv::WriteUtf16File(dir / kPropertiesFileName, body); }

    testenv::ScratchDir dir{L"settings"};
    std::unique_ptr<testenv::LogCapture> log;
};

TEST_F(SettingsKeys, AutolaunchAndWaiting)
{
    struct Row {
        const char* name;
        std::wstring runtime;
        int autolaunch;
        int wait;
        std::vector<std::wstring> lines;  // InitAutolaunch, then SetWaitForAutoLaunchParam
    };
    const std::wstring off = L"AutoLaunch is not enabled";
    const std::wstring on = L"AutoLaunch is enabled";
    const std::wstring waits = L"WaitForAutolaunchFinish is enabled";
    const std::vector<Row> rows = {
        {"no keys", L"", 0, 1, {off}},
        {"AutoLaunch set", L"AutoLaunch=setup.exe\r\n", 1, 1, {on, waits}},
        {"Multilaunch 1 with only AutoLaunch", L"Multilaunch=1\r\nAutoLaunch=setup.exe\r\n", 0, 1, {off}},
        {"Multilaunch 1 with AutoLaunch1", L"Multilaunch=1\r\nAutoLaunch1=a.exe\r\n", 1, 1, {on, waits}},
        {"Multilaunch not exactly 1 uses AutoLaunch", L"Multilaunch=true\r\nAutoLaunch1=a.exe\r\n", 0, 1, {off}},
        {"commented-out AutoLaunch", L";AutoLaunch=setup.exe\r\n", 0, 1, {off}},
        {"empty AutoLaunch", L"AutoLaunch=\r\n", 0, 1, {off}},
        {"wait 0", L"AutoLaunch=s.exe\r\nWaitForAutolaunchFinish=0\r\n", 1, 0,
         {on, L"WaitForAutolaunchFinish is not enabled"}},
        {"wait yes", L"AutoLaunch=s.exe\r\nWaitForAutolaunchFinish=yes\r\n", 1, 1,
         {on, L"Invalid value for WaitForAutolaunchFinish. WaitForAutolaunchFinish is enabled by default"}},
        {"wait empty", L"AutoLaunch=s.exe\r\nWaitForAutolaunchFinish=\r\n", 1, 1, {on, waits}},
        {"wait 0 without a setup is not read", L"WaitForAutolaunchFinish=0\r\n", 0, 1, {off}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        ResetProcessContext();
        testenv::LogCapture capture(dir / (L"autolaunch-" + CUtil::NewGuidString() + L".log"));
        Settings().SetPropertiesPath(dir / kPropertiesFileName);
        WriteProperties(L"[Runtime]\r\n" + row.runtime);
        Settings().InitAutolaunch();
        EXPECT_EQ(Settings().GetAutolaunch(), row.autolaunch);
        EXPECT_EQ(Settings().GetWaitForAutolaunchFinish(), row.wait);
        const auto lines = capture.Lines();
        ASSERT_EQ(lines.size(), row.lines.size());
        EXPECT_EQ(capture.Find(kLogInfo, L"InitAutolaunch", row.lines[0]), 0);
        if (row.lines.size() > 1) {
            EXPECT_EQ(capture.Find(kLogInfo, L"SetWaitForAutoLaunchParam", row.lines[1]), 1);
        }
    }
}

TEST_F(SettingsKeys, NoOSCheckSources)
{
    struct Row {
        const char* name;
        std::wstring properties;
        int commandLine;
        int expected;
        std::vector<std::pair<std::wstring, std::wstring>> lines;  // function, message
    };
    const std::wstring function = L"InitCommandLineForNoOSCheck";
    const std::pair<std::wstring, std::wstring> checkOs{
        function, L"CheckOs is set.OS check will be done before extraction in GUI mode"};
    const std::pair<std::wstring, std::wstring> hasBeenSet{function, L"NoOSCheck has been set.OS check will not be done."};
    const std::vector<Row> rows = {
        {"CheckOs overrides the command line", L"[Package]\r\nCheckOs=1\r\n", 1, 0, {checkOs}},
        {"CheckOs overrides the package", L"[Package]\r\nCheckOs=1\r\n[OS]\r\nNoOSCheck=1\r\n", 0, 0, {checkOs}},
        {"command line",
         L"",
         1,
         1,
         {{L"Command Line Parameters", L"Setting NoOSCheck from commandline."}, hasBeenSet}},
        {"CheckOs other than 1 does not override",
         L"[Package]\r\nCheckOs=true\r\n",
         1,
         1,
         {{L"Command Line Parameters", L"Setting NoOSCheck from commandline."}, hasBeenSet}},
        {"package", L"[OS]\r\nNoOSCheck=1\r\n", 0, 1, {{function, L"Setting NoOSCheck from INI file."}, hasBeenSet}},
        {"package value yes is not 1", L"[OS]\r\nNoOSCheck=yes\r\n", 0, 0, {}},
        {"nothing", L"", 0, 0, {}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        ResetProcessContext();
        testenv::LogCapture capture(dir / (L"noos-" + CUtil::NewGuidString() + L".log"));
        Settings().SetPropertiesPath(dir / kPropertiesFileName);
        WriteProperties(row.properties);
        Settings().InitCommandLineForNoOSCheck(row.commandLine);
        EXPECT_EQ(Settings().GetNoOSCheck(), row.expected);
        ASSERT_EQ(capture.Lines().size(), row.lines.size());
        for (size_t i = 0; i < row.lines.size(); ++i) {
            EXPECT_EQ(capture.Find(kLogInfo, row.lines[i].first, row.lines[i].second), static_cast<int>(i));
        }
    }
}

TEST_F(SettingsKeys, BufferSizeFollowsPhysicalMemory)
{
    const uint64_t memory = CUtil::GetTotalPhysicalMemory();
    ASSERT_GT(memory, 0u);
    const uint64_t blocks = (memory + 134217727ULL) / 134217728ULL;

    WriteProperties(L"[Size]\r\n128MB=1048576\r\n");
    Settings().SetBufferSize();
    EXPECT_EQ(static_cast<uint64_t>(Settings().GetCopyBufferSize()), blocks * 1048576ULL);
    EXPECT_TRUE(log->Has(kLogDetail, L"SetBufferSize", L"BufferSize in ToolSettings : 1048576"));
    EXPECT_TRUE(log->Has(kLogDetail, L"SetBufferSize",
                         L"Calculated BufferSize : " + std::to_wstring(blocks * 1048576ULL)));

    for (const wchar_t* missing : {L"", L"[Size]\r\n128MB=0\r\n", L"[Size]\r\n128MB=abc\r\n", L"[Size]\r\n;128MB=7\r\n"}) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(missing)));
        WriteProperties(missing);
        Settings().SetBufferSize();
        EXPECT_EQ(static_cast<uint64_t>(Settings().GetCopyBufferSize()), blocks * 5242880ULL);
    }
}

TEST_F(SettingsKeys, MultiPartDownload)
{
    struct Row {
        const char* name;
        std::wstring package;
        int expected;
        std::wstring fileName;
    };
    const std::vector<Row> rows = {
        {"missing", L"", 0, L""},
        {"1 reads the part-file name", L"MultiPartDownload=1\r\nMultipartFileName=Pack.%03d\r\n", 1, L"Pack.%03d"},
        {"0", L"MultiPartDownload=0\r\nMultipartFileName=Pack.%03d\r\n", 0, L""},
        {"2 is not multi-part", L"MultiPartDownload=2\r\nMultipartFileName=Pack.%03d\r\n", 0, L""},
        {"not a number", L"MultiPartDownload=yes\r\n", 0, L""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        ResetProcessContext();
        Settings().SetPropertiesPath(dir / kPropertiesFileName);
        WriteProperties(L"[Package]\r\n" + row.package);
        Settings().SetMultiPart();
        EXPECT_EQ(Settings().GetMultiPartDownload(), row.expected);
        EXPECT_EQ(Settings().GetMultipartFileName(), row.fileName);
    }
}

TEST_F(SettingsKeys, PackageSizeAndRequiredSpace)
{
    WriteProperties(L"[Size]\r\nPackageSize=8036184710\r\nCabSize=1000\r\n");
    EXPECT_EQ(Settings().GetPackageSize(), 8036184710ULL);
    EXPECT_TRUE(log->Has(kLogDetail, L"PackageSize", L"8036184710"));
    EXPECT_EQ(Settings().GetRequiredSpace(L"D:\\target", dir.Path(), 0), 8036185710ULL);
    EXPECT_EQ(Settings().GetRequiredSpace(L"C:\\target", dir.Path(), 0), 8036184710ULL);
    EXPECT_EQ(Settings().GetRequiredSpace(L"D:\\target", dir.Path(), 1), 8036184710ULL);

    for (const wchar_t* bad : {L"", L"[Size]\r\nPackageSize=abc\r\n", L"[Size]\r\nPackageSize=-5\r\n", L"[Size]\r\n"}) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(bad)));
        WriteProperties(bad);
        EXPECT_EQ(Settings().GetPackageSize(), 0u);
        EXPECT_EQ(Settings().GetRequiredSpace(L"D:\\target", dir.Path(), 0), 0u);
    }
}

TEST_F(SettingsKeys, ImagesAndFinishMessage)
{
    WriteProperties(L"[Images]\r\nTopImage=top.bmp\r\nBottomImage=\r\n");
    EXPECT_EQ(Settings().GetImagePath(L"TopImage"), dir / L"top.bmp");
    EXPECT_EQ(Settings().GetImagePath(L"BottomImage"), L"");
    EXPECT_EQ(Settings().GetImagePath(L"Missing"), L"");
    // The image is copied and deleted under its name: one that leaves the temp folder is refused.
    for (const wchar_t* name : {L"..\\top.bmp", L"sub\\top.bmp", L"C:top.bmp", L"con.bmp"}) {
        WriteProperties(std::wstring(L"[Images]\r\nTopImage=") + name + L"\r\n");
        EXPECT_EQ(Settings().GetImagePath(L"TopImage"), L"") << WideToUtf8(name);
    }
    EXPECT_EQ(CountLines(*log, "|ERROR     |GetImagePath"), 4);

    Settings().SetFinishMessage(L"Installed.[NEWLINE]Code:[TAB]0");
    EXPECT_EQ(Settings().GetFinishMessage(), L"Installed.\nCode:\t0");
}

}  // namespace

TEST_F(SettingsKeys, LeftoverTempFoldersOfKilledRunsAreRemovedWhenProvablyOurs)
{
    struct Case {
        const wchar_t* what;
        std::vector<std::wstring> files; // "name" or "name\" for a folder
        bool newer;                      // made after this run started
        bool inUse;                      // its properties file held open
        bool removed;
    };
    const std::vector<std::wstring> settings = {L"Properties_Orlo.ini", L"Defaultx.ulf", L"default1031.ulf", L"top.png",
                                                L"WebCab1"};
    auto with = [&](std::vector<std::wstring> extra) {
        extra.insert(extra.end(), settings.begin(), settings.end());
        return extra;
    };
    const Case cases[] = {
        {L"settings files only", settings, false, false, true},
        {L"a file of the user", with({L"notes.txt"}), false, false, false},
        {L"a folder inside", with({L"sub\\"}), false, false, false},
        {L"no properties file", {L"Defaultx.ulf"}, false, false, false},
        {L"newer than the run", settings, true, false, false},
        {L"in use", settings, false, true, false},
    };
    std::vector<std::wstring> folders(std::size(cases));
    std::vector<UniqueFileHandle> held;
    auto make = [&](size_t i) {
        const Case& c = cases[i];
        folders[i] = dir / CUtil::NewGuidString() + L"\\";
        ASSERT_TRUE(::CreateDirectoryW(folders[i].c_str(), nullptr));
        for (const std::wstring& name : c.files) {
            if (name.back() == L'\\') {
                ::CreateDirectoryW((folders[i] + name).c_str(), nullptr);
            } else if (name == kPropertiesFileName) {
                testenv::WriteUtf16File(folders[i] + name, L"[Images]\r\nTopImage=top.png\r\n");
            } else {
                testenv::WriteFileText(folders[i] + name, "x");
            }
        }
        if (c.inUse) {
            held.emplace_back(::CreateFileW((folders[i] + kPropertiesFileName).c_str(), FILE_READ_DATA,
                                            FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
        }
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        if (!cases[i].newer) {
            make(i);
        }
    }
    const std::wstring notOurs = dir / L"{not-a-guid}\\";
    ::CreateDirectoryW(notOurs.c_str(), nullptr);
    testenv::WriteUtf16File(notOurs + kPropertiesFileName, L"");
    ::Sleep(50);
    FILETIME started{};
    ::GetSystemTimeAsFileTime(&started);
    ::Sleep(50);
    for (size_t i = 0; i < std::size(cases); ++i) {
        if (cases[i].newer) {
            make(i);
        }
    }

    COrloInitalizer::RemoveLeftoverTempDirs({dir.Path()}, started);
    held.clear();

    for (size_t i = 0; i < std::size(cases); ++i) {
        EXPECT_EQ(!testenv::PathExists(folders[i]), cases[i].removed) << WideToUtf8(cases[i].what);
        if (!cases[i].removed) {
            EXPECT_TRUE(testenv::PathExists(folders[i] + cases[i].files.back())) << WideToUtf8(cases[i].what);
        }
    }
    EXPECT_TRUE(testenv::PathExists(notOurs + kPropertiesFileName));
    EXPECT_EQ(CountLines(*log, "Removed a settings folder left behind by an earlier run : "), 1);
}
