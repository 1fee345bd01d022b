// Packages built by the library, taken apart again with Cabinet.dll FDI: every file exactly once,
// byte for byte, with its time and attributes; headers, payload and properties as the front end
// reads them.
#include <gtest/gtest.h>

#include <set>

#include "CabinetHeader.h"
#include "FdiTestExtractor.h"
#include "OrloPack.h"
#include "PackTestUtil.h"
#include "PackText.h"
#include "PackageReader.h"
#include "TestEnv.h"
#include "util/Profile.h"
#include "util/StringUtil.h"
#include "util/Util.h"
#include "util/WideFormat.h"
#include "validation/ExtractorValidator.h"

using namespace orlopack;
using packtest::TreeFile;

namespace {

constexpr uint64_t kPart = 64 * 1024;

bool IsPlainAsciiForTest(const std::wstring& text)
{
    for (wchar_t c : text) {
        if (c > 0x7F) {
            return false;
        }
    }
    return true;
}

std::vector<TreeFile> MixedTree()
{
    std::vector<TreeFile> files;
    TreeFile big{L"data\\huge.bin", 3 * kPart + 12345, 7}; // incompressible: spans at least three parts
    files.push_back(big);
    files.push_back(TreeFile{L"setup.exe", 40000, 11});
    files.push_back(TreeFile{L"readme.txt", 5000, 0});
    files.push_back(TreeFile{L"empty.dat", 0, 0});
    files.push_back(TreeFile{L"a\\b\\c\\d\\nested.txt", 777, 0});
    files.push_back(TreeFile{L"a\\b\\empty-too.txt", 0, 0});
    files.push_back(TreeFile{L"Gr\u00fc\u00dfe\\\u00dcbersicht \u65e5\u672c\u8a9e.txt", 1234, 0});
    files.push_back(TreeFile{L"emoji \U0001F600.bin", 100, 3});
    TreeFile readOnly{L"flags\\readonly.txt", 10, 0};
    readOnly.attributes = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE;
    files.push_back(readOnly);
    TreeFile hidden{L"flags\\hidden-system.txt", 10, 0};
    hidden.attributes = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
    files.push_back(hidden);
    TreeFile odd{L"flags\\odd-second.txt", 10, 0};
    odd.time = SYSTEMTIME{2001, 2, 0, 3, 4, 5, 7, 0};
    odd.attributes = FILE_ATTRIBUTE_NORMAL;
    files.push_back(odd);
    for (int i = 0; i < 300; ++i) {
        files.push_back(TreeFile{FormatW(L"many\\small%03d.txt", i), static_cast<uint64_t>(i * 7), 0});
    }
    return files;
}

std::wstring Stored(const std::wstring& relative)
{
    return L"\\" + relative;
}

struct Built {
    BuildReport report;
    PackageContents contents;
};

void ExpectFdiRoundTrip(const std::vector<TreeFile>& files, const std::wstring& source, const std::wstring& folder,
                        const std::vector<std::wstring>& cabinets, const std::wstring& target)
{
    fditest::Result result;
    ASSERT_TRUE(fditest::ExtractSet(folder, cabinets, target, result)) << WideToUtf8(result.error);
    EXPECT_FALSE(result.magicRefused);
    EXPECT_EQ(result.files.size(), files.size());
    for (const TreeFile& file : files) {
        const auto it = result.files.find(Stored(file.relative));
        ASSERT_NE(it, result.files.end()) << WideToUtf8(file.relative);
        EXPECT_EQ(it->second.copies, 1) << WideToUtf8(file.relative);
        EXPECT_EQ((it->second.attributes & 0x80) != 0, !IsPlainAsciiForTest(file.relative))
            << WideToUtf8(file.relative);
        EXPECT_TRUE(it->second.attributes & 0x100) << "times are stored as UTC";
    }
    for (const std::wstring& difference : packtest::CompareTree(files, source, target)) {
        ADD_FAILURE() << WideToUtf8(difference);
    }
}

} // namespace

class MultiPartRoundTrip : public ::testing::TestWithParam<Compression> {};

TEST_P(MultiPartRoundTrip, EveryFileOnceWithBytesTimesAndAttributes)
{
    testenv::ScratchDir dir(L"pack-rt");
    const std::vector<TreeFile> files = MixedTree();
    packtest::MakeTree(dir / L"src\\", files);
    testenv::WriteUtf16File(dir / L"default1031.ulf", L"[FileInfo]\r\nID=1031\r\nLangName=German\r\n600=Fertig\r\n");
    testenv::WriteFileText(dir / L"Defaultx.ulf", "[RADIOBUTTONSTRING]\r\n1031=&Deutsch\r\n");
    testenv::WriteFileBytes(dir / L"top.png", {0x42, 0x4D, 1, 2, 3});

    BuildOptions options = packtest::Options(dir / L"src", dir / L"out", L"Demo");
    options.partSize = kPart;
    options.compression = GetParam();
    options.languageFiles = {dir / L"default1031.ulf", dir / L"Defaultx.ulf"};
    options.topImage = dir / L"top.png";
    uint64_t lastDone = 0;
    uint64_t lastTotal = 0;
    bool monotonic = true;
    options.progress = [&](uint64_t done, uint64_t total) {
        monotonic = monotonic && done >= lastDone;
        lastDone = done;
        lastTotal = total;
    };
    BuildReport report;
    ASSERT_EQ(BuildPackage(options, report), kOk) << WideToUtf8(report.error);
    EXPECT_TRUE(monotonic);
    EXPECT_EQ(lastTotal, report.sourceBytes);
    EXPECT_EQ(lastDone, report.sourceBytes) << "progress ends at all bytes";
    EXPECT_EQ(report.packagePath, dir / L"out\\Demo.exe");
    EXPECT_EQ(report.setId, 4711);
    EXPECT_EQ(report.fileCount, files.size());
    ASSERT_GE(report.partPaths.size(), 4u);

    // Headers: product magic, set id, index = part number - 1, the chain, the size limit.
    uint64_t totalParts = 0;
    std::vector<std::wstring> names;
    int partsHoldingHuge = 0;
    for (size_t i = 0; i < report.partPaths.size(); ++i) {
        const std::wstring& path = report.partPaths[i];
        names.push_back(CUtil::SplitPath(path, 1));
        EXPECT_EQ(names.back(), FormatW(L"Demo.%03d", static_cast<int>(i + 1)));
        const std::vector<uint8_t> bytes = testenv::ReadFileBytes(path);
        totalParts += bytes.size();
        EXPECT_LE(bytes.size(), kPart);
        ASSERT_GE(bytes.size(), 4u);
        EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 4), "ORLO");
        CabinetInfo info;
        std::wstring error;
        ASSERT_TRUE(ReadCabinetHeader(path, info, error)) << WideToUtf8(error);
        EXPECT_EQ(info.setId, 4711);
        EXPECT_EQ(info.index, i);
        EXPECT_EQ(info.cabinetSize, bytes.size());
        for (const CabinetFolder& folder : info.folders) {
            EXPECT_EQ(folder.compression & 0x0F, GetParam() == Compression::MsZip ? 1 : 0);
        }
        const bool last = i + 1 == report.partPaths.size();
        EXPECT_EQ((info.flags & kCabFlagNext) != 0, !last);
        if (!last) {
            EXPECT_EQ(info.nextCabinet, WideToUtf8(FormatW(L"Demo.%03d", static_cast<int>(i + 2))));
        }
        for (const CabinetFileRecord& record : info.files) {
            partsHoldingHuge += record.Name() == L"\\data\\huge.bin" ? 1 : 0;
        }
        std::wstring hash;
        ASSERT_EQ(CExtractorValidator::ComputeFileMd5(path, hash, error), 0u);
        EXPECT_EQ(report.partHashes[i], hash);
    }
    EXPECT_GE(partsHoldingHuge, 3) << "the large file spans three parts";

    // Payload order and the generated properties, read with the profile functions.
    PackageContents contents;
    std::wstring error;
    ASSERT_TRUE(ReadPackage(report.packagePath, contents, error)) << WideToUtf8(error);
    EXPECT_TRUE(contents.damage.empty()) << WideToUtf8(contents.damage);
    std::vector<std::wstring> order;
    for (const PayloadItem& item : contents.items) {
        order.push_back(item.name);
        EXPECT_EQ(item.type, 200);
    }
    EXPECT_EQ(order,
              (std::vector<std::wstring>{L"Properties_Orlo.ini", L"Defaultx.ulf", L"default1031.ulf", L"top.png"}));
    std::vector<uint8_t> data;
    ASSERT_TRUE(ReadPayloadData(report.packagePath, contents.items[1], data, error));
    ASSERT_GE(data.size(), 2u);
    EXPECT_TRUE(data[0] == 0xFF && data[1] == 0xFE) << "the UTF-8 Defaultx.ulf is stored as UTF-16";
    ASSERT_TRUE(ReadPayloadData(report.packagePath, contents.items[0], data, error));
    ASSERT_GE(data.size(), 2u);
    EXPECT_EQ(data[0], 0xFF);
    EXPECT_EQ(data[1], 0xFE);
    const std::wstring ini = dir / L"Properties_Orlo.ini";
    testenv::WriteFileBytes(ini, data);
    EXPECT_EQ(ReadProfileString(ini, L"Package", L"Name"), L"Demo");
    EXPECT_EQ(ReadProfileString(ini, L"Package", L"MultiPartDownload"), L"1");
    EXPECT_EQ(ReadProfileString(ini, L"Package", L"MultipartFileName"), L"Demo");
    EXPECT_EQ(ReadProfileString(ini, L"Orlo", L"GUID2"), L"4711");
    EXPECT_EQ(ReadProfileString(ini, L"Images", L"TopImage"), L"top.png");
    uint64_t sourceBytes = 0;
    for (const TreeFile& file : files) {
        sourceBytes += file.size;
    }
    EXPECT_EQ(ReadProfileString(ini, L"Size", L"PackageSize"), FormatW(L"%I64u", sourceBytes));
    EXPECT_EQ(ReadProfileString(ini, L"Size", L"CabSize"), FormatW(L"%I64u", totalParts));
    EXPECT_EQ(ReadProfileString(ini, L"FileCount", L"Count"), FormatW(L"%u", static_cast<unsigned>(files.size())));
    for (size_t i = 0; i < report.partPaths.size(); ++i) {
        const std::wstring key = FormatW(L"%03d", static_cast<int>(i + 1));
        EXPECT_FALSE(ReadProfileString(ini, L"PartFileIno", key).empty()) << WideToUtf8(key);
        EXPECT_EQ(ReadProfileString(ini, L"HashCode", key), report.partHashes[i]);
    }
    EXPECT_TRUE(ReadProfileString(ini, L"PartFileIno", FormatW(L"%03d", static_cast<int>(report.partPaths.size() + 1)))
                    .empty());

    ExpectFdiRoundTrip(files, dir / L"src\\", dir / L"out\\", names, dir / L"x\\");
}

INSTANTIATE_TEST_SUITE_P(Compression, MultiPartRoundTrip, ::testing::Values(Compression::MsZip, Compression::None),
                         [](const auto& info) { return info.param == Compression::MsZip ? "mszip" : "none"; });

TEST(SingleFileRoundTrip, CabinetIsTheLastPayloadEntryAndExtracts)
{
    testenv::ScratchDir dir(L"pack-single");
    std::vector<TreeFile> files = {TreeFile{L"setup.exe", 200000, 5}, TreeFile{L"doc\\read me.txt", 3000, 0},
                                   TreeFile{L"doc\\\u00e9t\u00e9.txt", 10, 0}};
    packtest::MakeTree(dir / L"src\\", files);
    BuildOptions options = packtest::Options(dir / L"src", dir / L"out", L"Single");
    options.singleFile = true;
    BuildReport report;
    ASSERT_EQ(BuildPackage(options, report), kOk) << WideToUtf8(report.error);
    EXPECT_TRUE(report.partPaths.empty());
    EXPECT_FALSE(testenv::PathExists(dir / L"out\\Single.001"));

    PackageContents contents;
    std::wstring error;
    ASSERT_TRUE(ReadPackage(report.packagePath, contents, error)) << WideToUtf8(error);
    ASSERT_EQ(contents.items.size(), 2u);
    EXPECT_EQ(contents.items.back().name, L"WebCab1");
    EXPECT_EQ(contents.items.back().type, 100);
    EXPECT_EQ(contents.properties.Get(L"Package", L"MultiPartDownload"), L"0");
    EXPECT_EQ(contents.properties.Get(L"Size", L"CabSize"), FormatW(L"%u", contents.items.back().size));
    EXPECT_FALSE(contents.properties.HasSection(L"HashCode") && !contents.properties.Keys(L"HashCode").empty());

    std::vector<uint8_t> cabinet;
    ASSERT_TRUE(ReadPayloadData(report.packagePath, contents.items.back(), cabinet, error));
    ::CreateDirectoryW((dir / L"cab").c_str(), nullptr);
    testenv::WriteFileBytes(dir / L"cab\\WebCab1", cabinet);
    ExpectFdiRoundTrip(files, dir / L"src\\", dir / L"cab\\", {L"WebCab1"}, dir / L"x\\");

    std::vector<OutputLine> lines;
    EXPECT_EQ(VerifyPackage(report.packagePath, lines), kOk);
    lines.clear();
    ASSERT_EQ(ListPackage(report.packagePath, lines), kOk);
    int fileLines = 0;
    for (const OutputLine& line : lines) {
        fileLines += line.text.find(L" utc ") != std::wstring::npos ? 1 : 0;
    }
    EXPECT_EQ(fileLines, 3);
}

TEST(RebuildOverEarlierPackage, ReplacesItAndRemovesItsExtraParts)
{
    testenv::ScratchDir dir(L"pack-rebuild");
    packtest::MakeTree(dir / L"src\\", {TreeFile{L"big.bin", 5 * kPart, 9}});
    BuildOptions options = packtest::Options(dir / L"src", dir / L"out", L"Demo");
    options.partSize = kPart;
    BuildReport first;
    ASSERT_EQ(BuildPackage(options, first), kOk) << WideToUtf8(first.error);
    ASSERT_GE(first.partPaths.size(), 5u);

    // A file that merely has a part's name is not ours to remove.
    const std::wstring foreign = FormatW(L"Demo.%03d", static_cast<int>(first.partPaths.size() + 1));
    testenv::WriteFileText(dir / (L"out\\" + foreign), "not a cabinet");
    packtest::MakeTree(dir / L"src\\", {TreeFile{L"big.bin", 100, 9}});
    options.setId = 815;
    BuildReport second;
    ASSERT_EQ(BuildPackage(options, second), kOk) << WideToUtf8(second.error);
    ASSERT_EQ(second.partPaths.size(), 1u);
    EXPECT_FALSE(testenv::PathExists(dir / L"out\\Demo.002"));
    EXPECT_FALSE(testenv::PathExists(dir / L"out\\Demo.005"));
    // Only the package itself is left: no staging folder, no parked files.
    const auto snapshot = packtest::Snapshot(dir / L"out\\");
    ASSERT_EQ(snapshot.size(), 3u);
    EXPECT_EQ(snapshot[0].first, L"Demo.001");
    EXPECT_EQ(snapshot[1].first, foreign);
    EXPECT_EQ(snapshot[2].first, L"Demo.exe");
    std::vector<OutputLine> lines;
    EXPECT_EQ(VerifyPackage(second.packagePath, lines), kOk);
}

TEST(CabinetTimes, OutOfRangeTimesTakeTheNearestEnd)
{
    testenv::ScratchDir dir(L"pack-times");
    TreeFile old{L"old.txt", 5, 0};
    old.time = SYSTEMTIME{1975, 3, 0, 1, 12, 0, 0, 0};
    TreeFile future{L"future.txt", 5, 0};
    future.time = SYSTEMTIME{2120, 3, 0, 1, 12, 0, 0, 0};
    packtest::MakeTree(dir / L"src\\", {old, future});
    BuildReport report;
    ASSERT_EQ(BuildPackage(packtest::Options(dir / L"src", dir / L"out", L"Times"), report), kOk)
        << WideToUtf8(report.error);
    ASSERT_EQ(report.notices.size(), 1u);
    EXPECT_NE(report.notices[0].find(L"2 file(s)"), std::wstring::npos) << WideToUtf8(report.notices[0]);
    CabinetInfo info;
    std::wstring error;
    ASSERT_TRUE(ReadCabinetHeader(report.partPaths.at(0), info, error)) << WideToUtf8(error);
    ASSERT_EQ(info.files.size(), 2u);
    EXPECT_EQ(info.files[0].Name(), L"\\future.txt");
    EXPECT_EQ(DosDateTimeText(info.files[0].date, info.files[0].time), L"2107-12-31 23:59:58");
    EXPECT_EQ(DosDateTimeText(info.files[1].date, info.files[1].time), L"1980-01-01 00:00:00");
}
