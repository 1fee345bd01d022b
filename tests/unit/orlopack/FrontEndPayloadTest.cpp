// The front end's own start-up reader unpacks what the builder packed: a package built on the
// payload probe (a stub that runs start-up's settings extraction on itself) yields exactly the
// settings files of the payload, byte for byte, and stops before the cabinet of a single-file package.
#include <gtest/gtest.h>

#include <set>

#include "OrloPack.h"
#include "PackTestUtil.h"
#include "PackageReader.h"
#include "ProcessRunner.h"
#include "TestEnv.h"
#include "util/Profile.h"
#include "util/StringUtil.h"

using namespace orlopack;
using packtest::TreeFile;

TEST(FrontEndPayload, StartUpUnpacksTheSettingsFilesTheBuilderPacked)
{
    testenv::ScratchDir dir(L"pack-frontend");
    packtest::MakeTree(dir / L"src\\", {TreeFile{L"setup.exe", 5000, 4}});
    testenv::WriteUtf16File(dir / L"default1031.ulf", L"[FileInfo]\r\nID=1031\r\n600=Fertig\r\n");
    testenv::WriteUtf16File(dir / L"Defaultx.ulf", L"[RADIOBUTTONSTRING]\r\n1031=&Deutsch\r\n");
    testenv::WriteFileBytes(dir / L"top.png", {0x89, 'P', 'N', 'G', 1, 2, 3});
    testenv::WriteFileBytes(dir / L"bottom.png", {0xFF, 0xD8, 0xFF, 4, 5});
    BuildOptions options = packtest::Options(dir / L"src", dir / L"out", L"Probe");
    options.singleFile = true;
    options.stubPath = testenv::BinDir() + L"payload_probe.exe";
    options.languageFiles = {dir / L"default1031.ulf", dir / L"Defaultx.ulf"};
    options.topImage = dir / L"top.png";
    options.bottomImage = dir / L"bottom.png";
    BuildReport report;
    ASSERT_EQ(BuildPackage(options, report), kOk) << WideToUtf8(report.error);

    const std::wstring temp = dir / L"temp";
    ::CreateDirectoryW(temp.c_str(), nullptr);
    const auto run = testenv::RunProcess(report.packagePath, {temp, dir / L"probe.log"});
    ASSERT_TRUE(run.started);
    EXPECT_FALSE(run.timedOut);
    EXPECT_EQ(run.exitCode, 0u);

    PackageContents contents;
    std::wstring error;
    ASSERT_TRUE(ReadPackage(report.packagePath, contents, error)) << WideToUtf8(error);
    std::set<std::wstring> expected;
    for (const PayloadItem& item : contents.items) {
        if (item.type != 200) {
            continue;
        }
        expected.insert(item.name);
        std::vector<uint8_t> data;
        ASSERT_TRUE(ReadPayloadData(report.packagePath, item, data, error));
        EXPECT_EQ(testenv::ReadFileBytes(temp + L"\\" + item.name), data) << WideToUtf8(item.name);
    }
    EXPECT_EQ(expected, (std::set<std::wstring>{L"Properties_Orlo.ini", L"Defaultx.ulf", L"default1031.ulf", L"top.png",
                                                L"bottom.png"}));
    std::set<std::wstring> unpacked;
    for (const auto& [name, bytes] : packtest::Snapshot(temp + L"\\")) {
        unpacked.insert(name);
    }
    EXPECT_EQ(unpacked, expected) << "the cabinet WebCab1 stays in the package at start-up";

    const std::wstring properties = temp + L"\\Properties_Orlo.ini";
    EXPECT_EQ(ReadProfileString(properties, L"Package", L"MultiPartDownload"), L"0");
    EXPECT_EQ(ReadProfileString(properties, L"Orlo", L"GUID2"), L"4711");
    EXPECT_EQ(ReadProfileString(properties, L"Images", L"TopImage"), L"top.png");
    EXPECT_EQ(ReadProfileString(properties, L"Images", L"BottomImage"), L"bottom.png");
}
