// Our cabinet reader against the cabinet library on sets the package builder makes, and on
// damaged sets: the same trees, the same notifications, the engine's errors and no half files.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <functional>
#include <map>

#include "CabFixture.h"
#include "OrloPack.h"
#include "cabinet/CabFormat.h"
#include "util/WideFormat.h"

namespace {

// Notes every notification in a form both decompressors must agree on.
class RecordingEngine : public TestEngine {
public:
    using TestEngine::TestEngine;
    std::vector<std::string> notices;

protected:
    void OnNotification(FDINOTIFICATIONTYPE type, const FDINOTIFICATION& n) override
    {
        auto text = [](const char* value) { return std::string(value != nullptr ? value : ""); };
        char fields[160];
        std::snprintf(fields, sizeof(fields), " cb=%ld date=%u time=%u attribs=%u set=%u index=%u error=%d",
                      static_cast<long>(n.cb), n.date, n.time, n.attribs, n.setID, n.iCabinet,
                      static_cast<int>(n.fdie));
        notices.push_back(std::to_string(type) + " " + text(n.psz1) + "|" + text(n.psz2) + "|" + text(n.psz3) + fields);
    }
};

struct Tree {
    std::map<std::wstring, std::vector<uint8_t>> files; // relative path -> bytes
};

std::vector<uint8_t> Text(size_t size, uint32_t seed)
{
    std::string text;
    while (text.size() < size) {
        text += "line " + std::to_string(text.size() * seed % 977) + " of a setting that repeats itself\r\n";
    }
    return std::vector<uint8_t>(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(size));
}

Tree MixedTree()
{
    Tree tree;
    tree.files[L"readme.txt"] = Text(150 * 1024, 3);
    tree.files[L"empty.dat"] = {};
    tree.files[L"sub\\random.bin"] = testcab::Bytes(180 * 1024, 7);
    tree.files[L"sub\\deeper\\\x00DC"
               L"bung \x20AC \x65E5\x672C.txt"] = Text(5000, 11);
    tree.files[L"sub\\deeper\\empty too.txt"] = {};
    for (int i = 0; i < 40; ++i) {
        tree.files[FormatW(L"small\\s%d.ini", i)] = Text(200 + 37 * static_cast<size_t>(i), static_cast<uint32_t>(i));
    }
    tree.files[L"mixed.bin"] = testcab::Bytes(70 * 1024, 9);
    const auto text = Text(90 * 1024, 5);
    tree.files[L"mixed.bin"].insert(tree.files[L"mixed.bin"].end(), text.begin(), text.end());
    return tree;
}

class CabReader : public CabFixture {
protected:
    // Builds the tree into a package of parts "Pack.00n" and returns the part paths.
    std::vector<std::wstring> Build(const Tree& tree, orlopack::Compression compression, uint64_t partSize)
    {
        const std::wstring source = m_dir / L"src\\";
        for (const auto& [relative, bytes] : tree.files) {
            const std::wstring path = source + relative;
            for (size_t slash = path.find(L'\\', 3); slash != std::wstring::npos; slash = path.find(L'\\', slash + 1)) {
                ::CreateDirectoryW(path.substr(0, slash).c_str(), nullptr);
            }
            testenv::WriteFileBytes(path, bytes);
        }
        orlopack::BuildOptions options;
        options.sourceFolder = source;
        options.outputFolder = m_package;
        options.baseName = L"Pack";
        options.templateText = L"[Package]\r\nName=Pack\r\n";
        options.partSize = partSize;
        options.compression = compression;
        options.setId = kSetId;
        orlopack::BuildReport report;
        EXPECT_EQ(orlopack::BuildPackage(options, report), 0) << WideToUtf8(report.error);
        return report.partPaths;
    }

    // Extracts with one decompressor into a folder of its own; returns the engine's code.
    int Extract(const std::wstring& first, CabDecoder decoder, const std::wstring& target,
                std::vector<std::string>* notices = nullptr)
    {
        ResetProcessContext();
        RecordingEngine engine(nullptr, 1, decoder);
        engine.ExtractCabinet(first, target);
        engine.GetErrorText();
        if (notices != nullptr) {
            *notices = engine.notices;
        }
        return engine.GetErrorCode();
    }

    // Every file below `target` must be a whole file of the tree; returns how many there are.
    static size_t CheckOnlyWholeFiles(const Tree& tree, const std::wstring& target)
    {
        size_t count = 0;
        for (const auto& [relative, bytes] : tree.files) {
            if (!testenv::PathExists(target + relative)) {
                continue;
            }
            ++count;
            EXPECT_EQ(testenv::ReadFileBytes(target + relative), bytes) << WideToUtf8(relative);
        }
        return count;
    }
};

TEST_F(CabReader, WritesTheSameTreeWithTheSameNotificationsAsTheLibrary)
{
    const struct {
        const char* name;
        orlopack::Compression compression;
        uint64_t partSize;
    } sets[] = {
        {"one MSZIP part", orlopack::Compression::MsZip, 8u << 20},
        {"MSZIP parts with spanning files", orlopack::Compression::MsZip, 64 * 1024},
        {"stored parts with spanning files", orlopack::Compression::None, 64 * 1024},
        {"one stored part", orlopack::Compression::None, 8u << 20},
    };
    const Tree tree = MixedTree();
    for (const auto& set : sets) {
        SCOPED_TRACE(set.name);
        ResetProcessContext();
        SetUp();
        const auto parts = Build(tree, set.compression, set.partSize);
        ASSERT_FALSE(parts.empty());
        EXPECT_EQ(parts.size() > 1, set.partSize < (1u << 20));

        std::vector<std::string> own;
        std::vector<std::string> library;
        EXPECT_EQ(Extract(parts[0], CabDecoder::Own, m_dir / L"own\\", &own), 0);
        EXPECT_EQ(Extract(parts[0], CabDecoder::Library, m_dir / L"library\\", &library), 0);
        EXPECT_EQ(own, library);
        EXPECT_EQ(CheckOnlyWholeFiles(tree, m_dir / L"own\\"), tree.files.size());
        for (const auto& [relative, bytes] : tree.files) {
            WIN32_FILE_ATTRIBUTE_DATA ours{};
            WIN32_FILE_ATTRIBUTE_DATA theirs{};
            ASSERT_TRUE(::GetFileAttributesExW((m_dir / L"own\\" + relative).c_str(), GetFileExInfoStandard, &ours));
            ASSERT_TRUE(
                ::GetFileAttributesExW((m_dir / L"library\\" + relative).c_str(), GetFileExInfoStandard, &theirs));
            EXPECT_EQ(ours.dwFileAttributes, theirs.dwFileAttributes) << WideToUtf8(relative);
            EXPECT_EQ(::CompareFileTime(&ours.ftLastWriteTime, &theirs.ftLastWriteTime), 0) << WideToUtf8(relative);
        }
    }
}

TEST_F(CabReader, PartsRenamedAfterTheBuildChainTheSameWay)
{
    const Tree tree = MixedTree();
    std::vector<std::wstring> parts = Build(tree, orlopack::Compression::MsZip, 64 * 1024);
    ASSERT_GT(parts.size(), 2u);
    // The cabinets recorded "Other.00n"; the parts lie under the package's base name "Pack".
    for (auto& part : parts) {
        const std::wstring other = m_package + L"Other" + part.substr(part.rfind(L'.'));
        ASSERT_TRUE(::MoveFileW(part.c_str(), other.c_str()));
        part = other;
    }
    for (auto& part : parts) {
        std::vector<uint8_t> bytes = testenv::ReadFileBytes(part);
        CabinetInfo info;
        std::wstring error;
        ASSERT_EQ(ParseCabinetHeader(bytes.data(), bytes.size(), info, error), 0);
        const std::wstring renamed = m_package + L"Pack" + part.substr(part.rfind(L'.'));
        testenv::WriteFileBytes(renamed, bytes);
        part = renamed;
    }
    std::vector<std::string> own;
    std::vector<std::string> library;
    EXPECT_EQ(Extract(parts[0], CabDecoder::Own, m_dir / L"own\\", &own), 0);
    EXPECT_EQ(Extract(parts[0], CabDecoder::Library, m_dir / L"library\\", &library), 0);
    EXPECT_EQ(own, library);
    EXPECT_EQ(CheckOnlyWholeFiles(tree, m_dir / L"own\\"), tree.files.size());
}

size_t CountFiles(const std::wstring& folder)
{
    size_t count = 0;
    WIN32_FIND_DATAW data;
    const HANDLE find = ::FindFirstFileW((folder + L"*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) {
        return 0;
    }
    do {
        const std::wstring name = data.cFileName;
        if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
            ++count;
        } else if (name != L"." && name != L"..") {
            count += CountFiles(folder + name + L"\\");
        }
    } while (::FindNextFileW(find, &data));
    ::FindClose(find);
    return count;
}

// Where a part's data blocks and file records lie.
struct Layout {
    size_t firstBlock = 0; // offset of the first data block of folder 0
    size_t filesOffset = 0;
};

Layout LayoutOf(const std::vector<uint8_t>& bytes)
{
    std::vector<uint8_t> copy = bytes;
    std::memcpy(copy.data(), "MSCF", 4);
    CabinetInfo info;
    std::wstring error;
    EXPECT_EQ(ParseCabinetHeader(copy.data(), copy.size(), info, error), 0);
    Layout layout;
    layout.firstBlock = info.folders.at(0).dataOffset;
    layout.filesOffset = info.filesOffset;
    return layout;
}

TEST_F(CabReader, DamagedSetsFailWithTheEngineErrorAndLeaveNoHalfFile)
{
    const Tree tree = MixedTree();
    const struct {
        const char* name;
        int code; // the engine's error code
        size_t part;
        std::function<void(std::vector<uint8_t>&)> damage;
    } cases[] = {
        {"flipped byte in data with a checksum", FDIERROR_CORRUPT_CABINET, 1,
         [](std::vector<uint8_t>& b) { b[LayoutOf(b).firstBlock + 8 + 100] ^= 0x10; }},
        {"invalid block type without a checksum", FDIERROR_MDI_FAIL, 0,
         [](std::vector<uint8_t>& b) {
             const size_t block = LayoutOf(b).firstBlock;
             std::memset(&b[block], 0, 4);
             b[block + 8 + 2] |= 0x06; // BTYPE 3 does not exist
         }},
        {"block signature missing", FDIERROR_MDI_FAIL, 0,
         [](std::vector<uint8_t>& b) {
             const size_t block = LayoutOf(b).firstBlock;
             std::memset(&b[block], 0, 4);
             b[block + 8] = 'X';
         }},
        {"block that inflates to another size", FDIERROR_MDI_FAIL, 0,
         [](std::vector<uint8_t>& b) {
             const size_t block = LayoutOf(b).firstBlock;
             std::memset(&b[block], 0, 4);
             const uint16_t size = static_cast<uint16_t>((b[block + 6] | (b[block + 7] << 8)) - 1);
             b[block + 6] = static_cast<uint8_t>(size); // one byte less than the block holds
             b[block + 7] = static_cast<uint8_t>(size >> 8);
         }},
        {"truncated part", FDIERROR_CORRUPT_CABINET, 1, [](std::vector<uint8_t>& b) { b.resize(b.size() / 2); }},
        {"wrong set id in the next part", FDIERROR_WRONG_CABINET, 1, [](std::vector<uint8_t>& b) { b[32] ^= 0x01; }},
        {"file record past its folder", FDIERROR_CORRUPT_CABINET, 0,
         [](std::vector<uint8_t>& b) {
             const size_t record = LayoutOf(b).filesOffset;
             b[record + 7] = 0x40; // folder offset far behind the folder's end
         }},
        {"absurd file count", FDIERROR_CORRUPT_CABINET, 0, [](std::vector<uint8_t>& b) { b[28] = b[29] = 0xFF; }},
        {"file records beyond the part's end", FDIERROR_CORRUPT_CABINET, 0,
         [](std::vector<uint8_t>& b) { b[19] = 0x7F; }},
        {"file records at an offset that wraps in 32 bits", FDIERROR_CORRUPT_CABINET, 0,
         [](std::vector<uint8_t>& b) {
             b[16] = 0xF8;
             b[17] = b[18] = b[19] = 0xFF;
         }},
        {"absurd folder count", FDIERROR_CORRUPT_CABINET, 0, [](std::vector<uint8_t>& b) { b[26] = b[27] = 0xFF; }},
        {"part that ends inside its header", FDIERROR_NOT_A_CABINET, 0, [](std::vector<uint8_t>& b) { b.resize(20); }},
        {"unknown format version", FDIERROR_UNKNOWN_CABINET_VERSION, 0, [](std::vector<uint8_t>& b) { b[25] = 9; }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ResetProcessContext();
        SetUp();
        const auto parts = Build(tree, orlopack::Compression::MsZip, 64 * 1024);
        ASSERT_GT(parts.size(), c.part);
        std::vector<uint8_t> bytes = testenv::ReadFileBytes(parts[c.part]);
        c.damage(bytes);
        testenv::WriteFileBytes(parts[c.part], bytes);

        const std::wstring target = m_dir / L"own\\";
        EXPECT_EQ(Extract(parts[0], CabDecoder::Own, target), c.code);
        const size_t whole = CheckOnlyWholeFiles(tree, target);
        EXPECT_LT(whole, tree.files.size());
        EXPECT_EQ(CountFiles(target), whole); // and nothing else
    }
}

} // namespace
