#pragma once
// The fixture of the whole-run tests: a source folder with a fake setup, a package built from it by
// the OrloPack library, runs of the real program with a time limit, and readers for the extraction
// log, the setup's record and the extracted tree.
#include <gtest/gtest.h>

#include "OrloPack.h"
#include "ProcessRunner.h"
#include "RunLog.h"
#include "TestEnv.h"
#include "util/StringUtil.h"
#include "util/Util.h"

class SilentRun : public testing::Test {
protected:
    testenv::ScratchDir dir{L"run"};
    std::wstring source = dir / L"src";
    std::wstring target = dir / L"target";
    std::wstring logName = L"run-" + CUtil::NewGuidString().substr(1, 8) + L".log";
    std::wstring package;
    std::vector<std::wstring> parts;

    void SetUp() override
    {
        ASSERT_EQ(CUtil::CreateParentFolders(source + L"\\data\\deep\\x"), 0);
        ASSERT_TRUE(::CopyFileW((testenv::BinDir() + L"FakeSetup.exe").c_str(), (source + L"\\setup.exe").c_str(),
                                FALSE));
        testenv::WriteFileText(source + L"\\readme.txt", "hello\r\n");
        std::string noise(300000, '\0');
        uint32_t seed = 12345;
        for (auto& c : noise) {
            seed = seed * 1103515245u + 12345u;
            c = static_cast<char>(seed >> 24);
        }
        testenv::WriteFileText(source + L"\\data\\deep\\blob.bin", noise);
    }

    // The package properties: `extra` is appended as further sections, `runtime` as further
    // [Runtime] lines (each ending with CR LF).
    std::wstring Template(const std::wstring& extra = L"", const std::wstring& runtime = L"") const
    {
        return L"[Package]\r\nName=RunTest\r\nNameDispl=Run Test\r\nVersionString=2.5\r\n"
               L"[Runtime]\r\nExtractPath=" + target + L"\r\nAutoLaunch=setup.exe\r\nWaitForAutolaunchFinish=1\r\n" +
               runtime + L"[OS]\r\nOSAllowed=Windows61+\r\n[LogFiles]\r\nExtractLogFileName=" + logName + L"\r\n" + extra;
    }

    orlopack::BuildOptions Options(const std::wstring& templateText, bool singleFile = false) const
    {
        orlopack::BuildOptions options;
        options.sourceFolder = source;
        options.templateText = templateText;
        options.outputFolder = dir / L"out";
        options.baseName = L"RunTest";
        options.partSize = 128 * 1024;
        options.singleFile = singleFile;
        return options;
    }

    void Build(const std::wstring& templateText, bool singleFile = false) { Build(Options(templateText, singleFile)); }

    void Build(const orlopack::BuildOptions& options)
    {
        orlopack::BuildReport report;
        ASSERT_EQ(orlopack::BuildPackage(options, report), orlopack::kOk) << WideToUtf8(report.error);
        package = report.packagePath;
        parts = report.partPaths;
    }

    int Run(const std::vector<std::wstring>& arguments)
    {
        const auto result = testenv::RunProcess(package, arguments, 120000);
        EXPECT_TRUE(result.started);
        EXPECT_FALSE(result.timedOut) << "the run blocked";
        return static_cast<int>(result.exitCode);
    }

    std::string ExtractionLog() const { return testenv::ReadExtractionLog(logName); }
    bool Logged(const std::string& text) const { return ExtractionLog().find(text) != std::string::npos; }
    std::string SummaryStatus() const { return testenv::SummaryStatus(ExtractionLog()); }
    std::string SetupRecord() const { return testenv::ReadFileText(target + L"\\setup.exe.record.txt"); }

    // Every case ends with the run's temp settings folder gone, whatever happened in the run.
    void TearDown() override
    {
        for (const std::string& folder : testenv::TempFoldersNamedIn(ExtractionLog())) {
            EXPECT_FALSE(testenv::PathExists(Utf8ToWide(folder))) << "the temp folder was left behind: " << folder;
        }
    }

    void ExpectTreeExtracted() const
    {
        EXPECT_EQ(testenv::ReadFileBytes(target + L"\\data\\deep\\blob.bin"),
                  testenv::ReadFileBytes(source + L"\\data\\deep\\blob.bin"));
        EXPECT_EQ(testenv::ReadFileText(target + L"\\readme.txt"), "hello\r\n");
    }
};
