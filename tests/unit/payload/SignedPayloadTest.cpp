// A signed package: the certificate table a signing tool appends behind the payload is found in the
// PE headers, ends the payload walk, and no entry may reach into it. (The script test signs real
// packages; here the table is put in place byte for byte, as a signing tool lays it out.)
#include <gtest/gtest.h>

#include "PayloadTestUtil.h"
#include "log/BuildLogFile.h"
#include "settings/Payload.h"
#include "settings/PeSignature.h"
#include "util/ProcessContext.h"

using namespace payloadtest;

namespace {
constexpr uint32_t kChunk = 5242880;

// Points the security directory of the image at `offset`/`size`, as a signing tool does.
void SetSecurityDirectory(const std::wstring& path, uint32_t offset, uint32_t size)
{
    std::vector<uint8_t> bytes = testenv::ReadFileBytes(path);
    ASSERT_GT(bytes.size(), 0x200u);
    const uint32_t nt = bytes[0x3C] | (bytes[0x3D] << 8);
    const uint32_t optional = nt + 24;
    const bool plus = (bytes[optional] | (bytes[optional + 1] << 8)) == 0x20B;
    const uint32_t entry = optional + (plus ? 112 : 96) + 4 * 8;
    for (int i = 0; i < 4; ++i) {
        bytes[entry + i] = static_cast<uint8_t>(offset >> (8 * i));
        bytes[entry + 4 + i] = static_cast<uint8_t>(size >> (8 * i));
    }
    testenv::WriteFileBytes(path, bytes);
}

// Zero padding to eight bytes and a certificate table behind the file's end; returns its offset.
uint32_t AppendCertificateTable(const std::wstring& path, uint32_t size)
{
    const uint32_t end = FileSize(path);
    const uint32_t offset = (end + 7) & ~7u;
    std::vector<uint8_t> tail(offset - end, 0);
    Put32(tail, size);
    tail.push_back(0x00); // revision 2.0, PKCS#7 signed data
    tail.push_back(0x02);
    tail.push_back(0x02);
    tail.push_back(0x00);
    const auto blob = Pattern(size - 8, 9);
    tail.insert(tail.end(), blob.begin(), blob.end());
    AppendBytes(path, tail);
    SetSecurityDirectory(path, offset, size);
    return offset;
}

CertificateTable TableOf(const std::wstring& path)
{
    UniqueFileHandle file(
        ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    return ReadCertificateTable(file.Get());
}

class SignedPayloadTest : public testing::Test {
protected:
    void SetUp() override
    {
        ResetProcessContext();
        Log().Init(m_dir / L"extract.log", kLogLevelDebug);
        ::CreateDirectoryW(m_dest.c_str(), nullptr);
    }
    void TearDown() override { ResetProcessContext(); }

    testenv::ScratchDir m_dir{L"signed"};
    std::wstring m_pkg = m_dir / L"pkg.exe";
    std::wstring m_dest = m_dir / L"dest\\";
};
} // namespace

TEST_F(SignedPayloadTest, CertificateTableIsFoundAndBoundsThePayload)
{
    const uint32_t offset = MakePackage(m_pkg, {Entry(L"a.txt", Bytes("abc")), Entry(L"b.bin", Pattern(1001, 1))});
    EXPECT_EQ(TableOf(m_pkg).offset, 0u) << "an unsigned package";
    const uint32_t table = AppendCertificateTable(m_pkg, 1200);
    EXPECT_EQ(TableOf(m_pkg).offset, table);
    EXPECT_EQ(TableOf(m_pkg).size, 1200u);
    EXPECT_EQ(table % 8, 0u);

    ASSERT_EQ(CExtractor().ExtractFile(m_pkg, m_dest, kPayloadModeSettings, offset, kChunk), 0);
    EXPECT_EQ(Tree(m_dest), (std::set<std::wstring>{L"a.txt", L"b.bin"}));
    EXPECT_EQ(testenv::ReadFileBytes(m_dest + L"b.bin"), Pattern(1001, 1));
}

TEST_F(SignedPayloadTest, EntryReachingIntoTheCertificateTableIsRefused)
{
    const uint32_t offset = MakePackage(m_pkg, {Entry(L"a.txt", Bytes("abc")), Entry(L"b.bin", Pattern(1001, 1))});
    // A table that claims to begin inside the last entry's data.
    SetSecurityDirectory(m_pkg, FileSize(m_pkg) - 16, 16);
    EXPECT_EQ(CExtractor().ExtractFile(m_pkg, m_dest, kPayloadModeSettings, offset, kChunk), -1);
    EXPECT_NE(testenv::ReadFileText(m_dir / L"extract.log").find("Truncated payload entry : b.bin"), std::string::npos);
}

TEST(PeSignature, HeadersAndPayloadEnd)
{
    std::vector<uint8_t> notPe(4096, 0);
    EXPECT_EQ(FindCertificateTable(notPe.data(), notPe.size()).offset, 0u);
    const std::vector<uint8_t> stub = testenv::ReadFileBytes(Stub());
    EXPECT_EQ(FindCertificateTable(stub.data(), stub.size()).offset, 0u);
    EXPECT_EQ(FindCertificateTable(stub.data(), 0x60).offset, 0u) << "headers cut short";

    const struct {
        const char* name;
        CertificateTable table;
        uint64_t end;
    } cases[] = {
        {"unsigned", {0, 0}, 5000},
        {"table behind the payload", {4096, 904}, 4096},
        {"table before the payload (appended after signing)", {800, 200}, 5000},
        {"table past the end of the file", {6000, 100}, 5000},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(PayloadEnd(5000, 1000, c.table), c.end);
    }
}
