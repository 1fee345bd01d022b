#include "settings/PeSignature.h"

#include <cstring>
#include <vector>

namespace {
constexpr size_t kHeaderBytes = 4096; // DOS stub and NT headers of any image we make or meet
constexpr uint16_t kPe32Magic = 0x10B;
constexpr uint16_t kPe32PlusMagic = 0x20B;
constexpr uint32_t kSecurityDirectory = 4;

uint16_t U16(const uint8_t* p)
{
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}
uint32_t U32(const uint8_t* p)
{
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
           (static_cast<uint32_t>(p[3]) << 24);
}
} // namespace

CertificateTable FindCertificateTable(const uint8_t* image, size_t size)
{
    if (image == nullptr || size < 0x40 || image[0] != 'M' || image[1] != 'Z') {
        return {};
    }
    const size_t nt = U32(image + 0x3C);
    const size_t optional = nt + 4 + 20; // signature, file header
    if (nt > size || size - nt < 4 + 20 + 2 || std::memcmp(image + nt, "PE\0\0", 4) != 0) {
        return {};
    }
    const uint16_t magic = U16(image + optional);
    const size_t countAt = optional + (magic == kPe32PlusMagic ? 108 : 92);
    const size_t directories = countAt + 4;
    if ((magic != kPe32Magic && magic != kPe32PlusMagic) || directories + 8 * (kSecurityDirectory + 1) > size ||
        U32(image + countAt) <= kSecurityDirectory) {
        return {};
    }
    // For this one directory the "address" is a file offset, not a virtual address.
    const uint8_t* entry = image + directories + 8 * kSecurityDirectory;
    CertificateTable table{U32(entry), U32(entry + 4)};
    return table.offset != 0 && table.size != 0 ? table : CertificateTable{};
}

CertificateTable ReadCertificateTable(HANDLE file)
{
    std::vector<uint8_t> headers(kHeaderBytes);
    LARGE_INTEGER start{};
    DWORD read = 0;
    if (!::SetFilePointerEx(file, start, nullptr, FILE_BEGIN) ||
        !::ReadFile(file, headers.data(), static_cast<DWORD>(headers.size()), &read, nullptr)) {
        return {};
    }
    return FindCertificateTable(headers.data(), read);
}

uint64_t PayloadEnd(uint64_t fileSize, uint32_t payloadOffset, const CertificateTable& table)
{
    if (table.offset != 0 && table.offset >= payloadOffset && table.offset <= fileSize) {
        return table.offset;
    }
    return fileSize;
}
