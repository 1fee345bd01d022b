// Packages made by the builder (MSZIP cabinets through the system's FCI), extracted by the job:
// multi-part with files spanning parts, renamed by the user, and single-file.
#if TARVEX_HAVE_ORLOPACK
#include <gtest/gtest.h>
#include <windows.h>

#include <cwchar>
#include <string>
#include <vector>

#include "OrloPack.h"
#include "RecordingWindow.h"
#include "TestCabinet.h"
#include "TestEnv.h"
#include "extraction/ExtractionDriver.h"
#include "settings/OrloInitalizer.h"
#include "settings/Payload.h"
#include "settings/WindowMessages.h"
#include "util/ProcessContext.h"
#include "util/Profile.h"
#include "util/StringUtil.h"
#include "util/Util.h"
#include "validation/ExtractorValidator.h"
#include "version/VersionInfoUpdater.h"

namespace {

struct SourceFile {
    std::wstring relative;
    std::vector<uint8_t> data;
};

class BuiltPackage : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetProcessContext();
        m_source = m_dir / L"src\\";
        m_output = m_dir / L"out\\";
        m_temp = m_dir / L"temp\\";
        m_extraction = m_dir / L"extracted\\";
        ::CreateDirectoryW(m_temp.c_str(), nullptr);
        std::string text;
        for (int i = 0; i < 4000; ++i) {
            text += "line " + std::to_string(i) + " of a text that compresses well\r\n";
        }
        m_files = {
            {L"setup.exe", testcab::Bytes(90 * 1024, 1)},
            {L"data\\big.bin", testcab::Bytes(300 * 1024, 2)},  // spans three parts
            {L"data\\text.txt", std::vector<uint8_t>(text.begin(), text.end())},
            {L"data\\deep\\more.bin", testcab::Bytes(150 * 1024, 3)},
            {L"data\\empty.dat", {}},
            {L"\x00DC" L"bung \x20AC.txt", testcab::Bytes(1000, 4)},
        };
        for (const auto& file : m_files) {
            CUtil::CreateParentFolders(m_source + file.relative);
            testenv::WriteFileBytes(m_source + file.relative, file.data);
        }
    }
    void TearDown() override { ResetProcessContext(); }

    orlopack::BuildReport Build(bool singleFile)
    {
        orlopack::BuildOptions options;
        options.sourceFolder = m_source;
        options.templateText = L"[Package]\r\nName=Demo\r\n";
        options.outputFolder = m_output;
        options.baseName = L"Demo";
        options.partSize = 128 * 1024;
        options.singleFile = singleFile;
        orlopack::BuildReport report;
        EXPECT_EQ(orlopack::BuildPackage(options, report), orlopack::kOk) << WideToUtf8(report.error);
        return report;
    }

    // What start-up does before the wizard: unpack the settings files and read the package keys.
    void LoadSettings(const std::wstring& package)
    {
        const uint32_t offset = COrloVersionInfoUpdater().ReadStamp(package);
        ASSERT_EQ(CExtractor().ExtractFile(package, m_temp, kPayloadModeSettings, offset, kPayloadChunkSize), 0);
        const std::wstring properties = m_temp + kPropertiesFileName;
        COrloInitalizer& settings = Settings();
        settings.SetCabinetSetId(static_cast<uint16_t>(
            std::wcstol(ReadProfileString(properties, L"Orlo", L"GUID2").c_str(), nullptr, 10)));
        settings.SetMultiPartDownload(ReadProfileInt(properties, L"Package", L"MultiPartDownload", 0));
        settings.SetFileCount(ReadProfileInt(properties, L"FileCount", L"Count", 0));
        settings.SetOrloTempDirPath(m_temp);
        settings.SetExtractionPath(m_extraction);
        settings.SetRunMode(kRunModeSilent);
        settings.SetOverwriteWithoutPrompting(1);
        Validator().SetPropertiesPath(properties);
        Validator().SetPackageExecutable(package);
    }

    void RunAndCheck()
    {
        testenv::RecordingWindow window;
        ExtractionTarget target;
        target.window = window.Handle();
        target.stopRequested = [] { return false; };
        ExtractPackage(target);
        ASSERT_TRUE(window.WaitForAny({UM_EXTRACTION_DONE, UM_EXTRACTION_FAILED}));
        EXPECT_EQ(window.Messages().back(), UM_EXTRACTION_DONE);
        EXPECT_EQ(Settings().GetExtractionStatus(), 0);
        EXPECT_EQ(Settings().GetFileCount(), static_cast<int>(m_files.size()));
        size_t progress = 0;
        for (const auto& event : window.Events()) {
            progress += event.message == UM_PROGRESS && event.wParam == 1 ? 1 : 0;
        }
        EXPECT_EQ(progress, m_files.size());
        EXPECT_EQ(Paths().ExtractedFiles.size(), m_files.size());
        for (const auto& file : m_files) {
            EXPECT_EQ(testenv::ReadFileBytes(m_extraction + file.relative), file.data) << WideToUtf8(file.relative);
        }
    }

    testenv::ScratchDir m_dir{L"built"};
    std::wstring m_source;
    std::wstring m_output;
    std::wstring m_temp;
    std::wstring m_extraction;
    std::vector<SourceFile> m_files;
};

TEST_F(BuiltPackage, MultiPartPackageIsExtractedByteForByteOnce)
{
    const auto report = Build(false);
    ASSERT_GE(report.partPaths.size(), 4u);
    LoadSettings(report.packagePath);
    RunAndCheck();
}

TEST_F(BuiltPackage, PackageRenamedByTheUserStillFindsAndChainsItsParts)
{
    const auto report = Build(false);
    ASSERT_GE(report.partPaths.size(), 4u);
    // Other1.exe with Other.001, Other.002, ...; the cabinets still record "Demo".
    const std::wstring renamed = m_output + L"Other1.exe";
    ASSERT_TRUE(::MoveFileW(report.packagePath.c_str(), renamed.c_str()));
    for (size_t i = 0; i < report.partPaths.size(); ++i) {
        const std::wstring part = m_output + L"Other" + report.partPaths[i].substr(report.partPaths[i].rfind(L'.'));
        ASSERT_TRUE(::MoveFileW(report.partPaths[i].c_str(), part.c_str()));
    }
    LoadSettings(renamed);
    RunAndCheck();
    EXPECT_EQ(Validator().GetFirstPartName(), L"Other.001");
}

TEST_F(BuiltPackage, SingleFilePackageIsExtractedFromItsPayload)
{
    const auto report = Build(true);
    ASSERT_TRUE(report.partPaths.empty());
    LoadSettings(report.packagePath);
    ASSERT_EQ(Settings().GetMultiPartDownload(), 0);
    RunAndCheck();
    EXPECT_TRUE(testenv::PathExists(m_temp + L"WebCab1"));
}

}  // namespace
#endif
