// The payload-offset stamp: reading it from version blocks and files, finding and patching it in
// PE images.
#include <gtest/gtest.h>

#include <cstring>

#include "TestEnv.h"
#include "util/Handles.h"
#include "version/VersionInfoUpdater.h"

namespace {
constexpr uint32_t kNeutralStamp = 0x13572468; // tests/fixtures/version_two_blocks
constexpr uint32_t kEnglishStamp = 0x0BADF00D;

std::wstring TwoBlocks()
{
    return testenv::BinDir() + L"version_two_blocks.exe";
}

// What the version functions themselves say the stamp field holds.
uint32_t StampByVersionApi(const std::wstring& file)
{
    DWORD handle = 0;
    const DWORD size = ::GetFileVersionInfoSizeW(file.c_str(), &handle);
    if (size == 0) {
        return 0;
    }
    std::vector<uint8_t> block(size);
    if (!::GetFileVersionInfoW(file.c_str(), 0, size, block.data())) {
        return 0;
    }
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    if (!::VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length) || fixed == nullptr) {
        return 0;
    }
    return fixed->dwFileSubtype;
}

// The stamp of one language's block, read straight from the resource section.
uint32_t StampOfLanguage(const std::wstring& file, WORD language)
{
    UniqueModule module(::LoadLibraryExW(file.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
    if (!module) {
        return 0;
    }
    HRSRC resource = ::FindResourceExW(module.Get(), MAKEINTRESOURCEW(16), MAKEINTRESOURCEW(1), language);
    if (resource == nullptr) {
        return 0;
    }
    const auto* data = static_cast<const uint8_t*>(::LockResource(::LoadResource(module.Get(), resource)));
    return ReadStampFromVersionBlock(data, ::SizeofResource(module.Get(), resource));
}

// A version block as GetFileVersionInfoW returns it, with the given key and stamp.
std::vector<uint8_t> MakeBlock(const std::wstring& key, uint32_t stamp, uint32_t signature = 0xFEEF04BD,
                               uint16_t valueLength = 52)
{
    std::vector<uint8_t> block(6);
    for (wchar_t c : key + L'\0') {
        block.push_back(static_cast<uint8_t>(c));
        block.push_back(static_cast<uint8_t>(c >> 8));
    }
    while (block.size() % 4 != 0) {
        block.push_back(0);
    }
    const size_t fixed = block.size();
    block.resize(fixed + 52, 0);
    std::memcpy(&block[fixed], &signature, 4);
    std::memcpy(&block[fixed + 40], &stamp, 4);
    const uint16_t total = static_cast<uint16_t>(block.size());
    std::memcpy(&block[0], &total, 2);
    std::memcpy(&block[2], &valueLength, 2);
    return block;
}
} // namespace

TEST(VersionStamp, ReadFromVersionBlock)
{
    const auto standard = MakeBlock(L"VS_VERSION_INFO", 0x11223344);
    EXPECT_EQ(StampPositionInVersionBlock(standard.data(), standard.size()), 80u);
    EXPECT_EQ(ReadStampFromVersionBlock(standard.data(), standard.size()), 0x11223344u);

    struct Case {
        const char* what;
        std::vector<uint8_t> block;
        size_t size;
        uint32_t expected;
    };
    const auto shortKey = MakeBlock(L"VS_VERSION_INF", 0x55667788); // padding differs with the key length
    const auto wrongSignature = MakeBlock(L"VS_VERSION_INFO", 0x11223344, 0x12345678);
    const auto noFixedPart = MakeBlock(L"VS_VERSION_INFO", 0x11223344, 0xFEEF04BD, 0);
    std::vector<uint8_t> unterminated(40, 'A');
    const Case cases[] = {
        {"key of 14 characters", shortKey, shortKey.size(), 0x55667788},
        {"cut inside the stamp field", standard, 83, 0},
        {"cut right after the stamp field", standard, 84, 0}, // fixed info needs all 52 bytes
        {"wrong signature", wrongSignature, wrongSignature.size(), 0},
        {"no fixed part announced", noFixedPart, noFixedPart.size(), 0},
        {"key without terminator", unterminated, unterminated.size(), 0},
        {"empty", standard, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(ReadStampFromVersionBlock(c.block.data(), c.size), c.expected);
    }
    EXPECT_EQ(ReadStampFromVersionBlock(nullptr, 100), 0u);
}

TEST(VersionStamp, FilesWithoutVersionResourceGiveZero)
{
    testenv::ScratchDir dir(L"version");
    testenv::WriteFileText(dir / L"text.exe", "not an executable");
    // The test program itself carries no version resource.
    EXPECT_EQ(COrloVersionInfoUpdater().ReadStamp(testenv::BinDir() + L"test_version.exe"), 0u);
    EXPECT_EQ(COrloVersionInfoUpdater().ReadStamp(dir / L"text.exe"), 0u);
    EXPECT_EQ(COrloVersionInfoUpdater().ReadStamp(dir / L"missing.exe"), 0u);
}

// The neutral block and the 1033 block carry different stamps: the reader must give the value of
// the block GetFileVersionInfoW returns, which is the neutral one.
TEST(VersionStamp, TwoLanguageBlocksGiveTheBlockTheVersionFunctionsReturn)
{
    ASSERT_EQ(StampOfLanguage(TwoBlocks(), MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL)), kNeutralStamp);
    ASSERT_EQ(StampOfLanguage(TwoBlocks(), MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US)), kEnglishStamp);
    const uint32_t stamp = COrloVersionInfoUpdater().ReadStamp(TwoBlocks());
    EXPECT_EQ(stamp, StampByVersionApi(TwoBlocks()));
    EXPECT_EQ(stamp, kNeutralStamp);
}

TEST(VersionStamp, FindStampFileOffsetInImages)
{
    const auto image = testenv::ReadFileBytes(TwoBlocks());
    const uint64_t offset = FindStampFileOffset(image);
    ASSERT_GT(offset, 0u);
    ASSERT_LE(offset + 4, image.size());
    uint32_t value = 0;
    std::memcpy(&value, &image[offset], 4);
    EXPECT_EQ(value, kNeutralStamp);

    EXPECT_EQ(FindStampFileOffset(testenv::ReadFileBytes(testenv::BinDir() + L"test_version.exe")), 0u);
    EXPECT_EQ(FindStampFileOffset({}), 0u);

    // Cut images never send the search outside the bytes it was given.
    for (size_t cut = 0; cut < image.size(); cut += 97) {
        const std::vector<uint8_t> part(image.begin(), image.begin() + static_cast<std::ptrdiff_t>(cut));
        const uint64_t found = FindStampFileOffset(part);
        EXPECT_TRUE(found == 0 || (found == offset && found + 4 <= cut)) << cut;
    }
    // Neither do damaged headers and directories.
    for (size_t at = 0; at < std::min<size_t>(image.size(), 4096); at += 3) {
        std::vector<uint8_t> damaged = image;
        damaged[at] ^= 0xA5;
        const uint64_t found = FindStampFileOffset(damaged);
        EXPECT_LE(found + (found ? 4 : 0), damaged.size()) << at;
    }
}

TEST(VersionStamp, WriteStampPatchesFourBytesOfTheNeutralBlock)
{
    testenv::ScratchDir dir(L"version");
    const std::wstring copy = dir / L"stamped.exe";
    ASSERT_TRUE(::CopyFileW(TwoBlocks().c_str(), copy.c_str(), FALSE));
    const auto before = testenv::ReadFileBytes(copy);

    ASSERT_EQ(COrloVersionInfoUpdater().WriteStamp(copy, 0xCAFEBABE), 0u);
    EXPECT_EQ(COrloVersionInfoUpdater().ReadStamp(copy), 0xCAFEBABEu);
    EXPECT_EQ(StampByVersionApi(copy), 0xCAFEBABEu);
    EXPECT_EQ(StampOfLanguage(copy, MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US)), kEnglishStamp);

    const auto after = testenv::ReadFileBytes(copy);
    ASSERT_EQ(after.size(), before.size());
    const uint64_t offset = FindStampFileOffset(before);
    for (size_t i = 0; i < after.size(); ++i) {
        if (i < offset || i >= offset + 4) {
            ASSERT_EQ(after[i], before[i]) << "byte " << i << " changed";
        }
    }
}

TEST(VersionStamp, WriteStampRefusesFilesWithoutVersionResource)
{
    testenv::ScratchDir dir(L"version");
    const std::wstring text = dir / L"plain.bin";
    testenv::WriteFileText(text, std::string(4096, 'z'));
    EXPECT_EQ(COrloVersionInfoUpdater().WriteStamp(text, 7), static_cast<DWORD>(ERROR_RESOURCE_TYPE_NOT_FOUND));
    EXPECT_EQ(testenv::ReadFileText(text), std::string(4096, 'z'));
    EXPECT_NE(COrloVersionInfoUpdater().WriteStamp(dir / L"missing.exe", 7), 0u);
}
