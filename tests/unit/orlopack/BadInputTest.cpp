// Bad input: a clear message, a failure code and nothing written under the final names; an earlier
// package in the output folder stays exactly as it was.
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>

#include "OrloPack.h"
#include "PackTestUtil.h"
#include "TestEnv.h"
#include "util/Handles.h"
#include "util/StringUtil.h"
#include "util/Util.h"

using namespace orlopack;
using packtest::TreeFile;

namespace {

struct BadCase {
    const char* name;
    // Spoils the options (or the files they point to); may return a handle that must stay open
    // while the build runs.
    std::function<UniqueFileHandle(const testenv::ScratchDir&, BuildOptions&)> spoil;
    const wchar_t* expected; // part of the error text
};

} // namespace

TEST(BadInput, ClearErrorAndEarlierPackageUntouched)
{
    const std::wstring longFolder(130, L'f');
    const std::vector<BadCase> cases = {
        {"missing source folder",
         [](auto& d, BuildOptions& o) {
             o.sourceFolder = d / L"no-such-folder";
             return UniqueFileHandle();
         },
         L"does not exist"},
        {"source is a file",
         [](auto& d, BuildOptions& o) {
             o.sourceFolder = d / L"src\\a.txt";
             return UniqueFileHandle();
         },
         L"not a folder"},
        {"unreadable (locked) file",
         [](auto& d, BuildOptions&) {
             return UniqueFileHandle(::CreateFileW((d / L"src\\a.txt").c_str(), GENERIC_READ | GENERIC_WRITE, 0,
                                                   nullptr, OPEN_EXISTING, 0, nullptr));
         },
         L"cannot read"},
        {"stored name longer than a cabinet holds",
         [&](auto& d, BuildOptions&) {
             packtest::WriteLongPathFile(d / (L"src\\" + longFolder + L"\\" + longFolder + L"\\x.txt"), {1});
             return UniqueFileHandle();
         },
         L"at most 255 bytes"},
        {"part size too small",
         [](auto&, BuildOptions& o) {
             o.partSize = 1024;
             return UniqueFileHandle();
         },
         L"smallest part size"},
        {"file list larger than a part",
         [](auto& d, BuildOptions&) {
             const std::wstring name(180, L'n');
             for (int i = 0; i < 1500; ++i) {
                 testenv::WriteFileText(d / (L"src\\" + name + std::to_wstring(i)), "x");
             }
             return UniqueFileHandle();
         },
         L"larger part size"},
        {"part size beyond a cabinet",
         [](auto&, BuildOptions& o) {
             o.partSize = 3ull << 30;
             return UniqueFileHandle();
         },
         L"larger than a cabinet"},
        {"template is binary",
         [](auto& d, BuildOptions& o) {
             testenv::WriteFileBytes(d / L"bad.ini", {0x4D, 0x5A, 0x90, 0x00, 0x03, 0x00, 0xFF, 0xFE, 0x00});
             o.templatePath = d / L"bad.ini";
             return UniqueFileHandle();
         },
         L"not an INI file"},
        {"template is prose",
         [](auto& d, BuildOptions& o) {
             testenv::WriteFileText(d / L"bad.ini", "Dear package builder,\nplease make a package.\n");
             o.templatePath = d / L"bad.ini";
             return UniqueFileHandle();
         },
         L"not an INI file"},
        {"template missing",
         [](auto& d, BuildOptions& o) {
             o.templatePath = d / L"none.ini";
             return UniqueFileHandle();
         },
         L"template"},
        {"output folder is a file",
         [](auto& d, BuildOptions& o) {
             testenv::WriteFileText(d / L"plain-file", "x");
             o.outputFolder = d / L"plain-file";
             return UniqueFileHandle();
         },
         L"is a file"},
        {"output folder on a drive that does not exist",
         [](auto&, BuildOptions& o) {
             o.outputFolder = L"Q:\\out";
             return UniqueFileHandle();
         },
         L"cannot create the output folder"},
        {"output folder inside the source folder",
         [](auto& d, BuildOptions& o) {
             o.outputFolder = d / L"src\\out";
             return UniqueFileHandle();
         },
         L"inside the source folder"},
        {"stub missing",
         [](auto& d, BuildOptions& o) {
             o.stubPath = d / L"NoStub.exe";
             return UniqueFileHandle();
         },
         L"stub"},
        {"language file with a name the package never loads",
         [](auto& d, BuildOptions& o) {
             testenv::WriteUtf16File(d / L"german.ulf", L"[FileInfo]\r\nID=1031\r\n");
             o.languageFiles = {d / L"german.ulf"};
             return UniqueFileHandle();
         },
         L"defaultNNNN.ulf"},
        {"set id 65535",
         [](auto&, BuildOptions& o) {
             o.setId = 0xFFFF;
             return UniqueFileHandle();
         },
         L"65535"},
        {"base name with a path separator",
         [](auto&, BuildOptions& o) {
             o.baseName = L"sub\\Demo";
             return UniqueFileHandle();
         },
         L"base name"},
    };
    for (const BadCase& bad : cases) {
        SCOPED_TRACE(bad.name);
        testenv::ScratchDir dir(L"bad");
        packtest::MakeTree(dir / L"src\\", {TreeFile{L"a.txt", 1000, 0}, TreeFile{L"b.bin", 200000, 3}});
        BuildOptions options = packtest::Options(dir / L"src", dir / L"out", L"Demo");
        options.partSize = 64 * 1024;
        BuildReport earlier;
        ASSERT_EQ(BuildPackage(options, earlier), kOk) << WideToUtf8(earlier.error);
        const auto before = packtest::Snapshot(dir / L"out\\");

        UniqueFileHandle guard = bad.spoil(dir, options);
        BuildReport report;
        EXPECT_EQ(BuildPackage(options, report), kFailed);
        EXPECT_NE(report.error.find(bad.expected), std::wstring::npos) << WideToUtf8(report.error);
        EXPECT_TRUE(report.packagePath.empty());
        guard.Reset();
        EXPECT_TRUE(packtest::Snapshot(dir / L"out\\") == before) << "the earlier package changed";
    }
}

TEST(BadInput, LongTargetPathOnlyWarns)
{
    testenv::ScratchDir dir(L"longpath");
    const std::wstring deep = std::wstring(100, L'd') + L"\\" + std::wstring(100, L'e') + L"\\file.txt";
    packtest::MakeTree(dir / L"src\\", {TreeFile{deep, 10, 0}, TreeFile{L"short.txt", 10, 0}});
    BuildOptions options = packtest::Options(dir / L"src", dir / L"out", L"Demo");
    options.templateText += L"[Runtime]\r\nExtractPath=C:\\Program Files\\Norlund\\Some Product Name\\Setup Files\r\n";
    BuildReport report;
    ASSERT_EQ(BuildPackage(options, report), kOk) << WideToUtf8(report.error);
    ASSERT_EQ(report.warnings.size(), 1u);
    EXPECT_NE(report.warnings[0].find(L"file.txt"), std::wstring::npos) << WideToUtf8(report.warnings[0]);
    EXPECT_NE(report.warnings[0].find(L"260"), std::wstring::npos) << WideToUtf8(report.warnings[0]);
}

TEST(BadInput, FullDriveLeavesNothingBehind)
{
    if (!testenv::SmallDriveMounted()) {
        GTEST_SKIP() << "the small drive E: is not mounted (harness not run as root)";
    }
    testenv::ScratchDir dir(L"full");
    packtest::MakeTree(dir / L"src\\", {TreeFile{L"big.bin", 3 * 1024 * 1024, 17}});
    BuildOptions options = packtest::Options(dir / L"src", L"E:\\full-test", L"Demo");
    options.partSize = 512 * 1024;
    BuildReport report;
    EXPECT_EQ(BuildPackage(options, report), kFailed);
    EXPECT_FALSE(report.error.empty());
    const auto left = packtest::Snapshot(L"E:\\full-test\\");
    EXPECT_TRUE(left.empty()) << "files were left on the full drive";
    ::RemoveDirectoryW(L"E:\\full-test");
}

TEST(CommandLine, ExitCodesAndMessages)
{
    testenv::ScratchDir dir(L"cli");
    std::string out;
    std::string err;
    EXPECT_EQ(packtest::RunOrloPack(L"", out, err), 2);
    EXPECT_NE(err.find("no command given"), std::string::npos) << err;
    EXPECT_NE(err.find("OrloPack build --source FOLDER --template FILE"), std::string::npos) << err;

    EXPECT_EQ(packtest::RunOrloPack(L"build --source \"" + dir / L"src" + L"\"", out, err), 2);
    EXPECT_NE(err.find("--template"), std::string::npos) << err;

    testenv::WriteFileText(dir / L"t.ini", "[Package]\nName=Demo\n");
    EXPECT_EQ(packtest::RunOrloPack(L"build --source \"" + dir / L"missing" + L"\" --template \"" + dir / L"t.ini" +
                                        L"\" --output \"" + dir / L"out" + L"\"",
                                    out, err),
              1);
    EXPECT_NE(err.find("error: the source folder"), std::string::npos) << err;
    EXPECT_FALSE(testenv::PathExists(dir / L"out\\Demo.exe"));

    packtest::MakeTree(dir / L"src\\", {TreeFile{L"setup.exe", 1000, 1}});
    EXPECT_EQ(packtest::RunOrloPack(L"build -s \"" + dir / L"src" + L"\" -t \"" + dir / L"t.ini" + L"\" -o \"" +
                                        dir / L"out" + L"\" --set-id 77",
                                    out, err),
              0)
        << err;
    EXPECT_NE(out.find("package: "), std::string::npos) << out;
    EXPECT_EQ(packtest::RunOrloPack(L"verify \"" + dir / L"out\\Demo.exe" + L"\"", out, err), 0) << err;
    ::DeleteFileW((dir / L"out\\Demo.001").c_str());
    EXPECT_EQ(packtest::RunOrloPack(L"verify \"" + dir / L"out\\Demo.exe" + L"\"", out, err), 1);
    EXPECT_NE(err.find("PROBLEM  Demo.001: missing"), std::string::npos) << err;
}
