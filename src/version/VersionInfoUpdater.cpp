// COrloVersionInfoUpdater: reads and writes the payload-offset stamp of a version resource.
#include "version/VersionInfoUpdater.h"

#include <algorithm>

#include "util/Handles.h"

namespace {
constexpr uint32_t kFixedInfoSignature = 0xFEEF04BD;
constexpr size_t kFixedInfoBytes = 52; // sizeof(VS_FIXEDFILEINFO)
constexpr uint64_t kMaxImageBytes = 64ull << 20;

// Bounds-checked little-endian reads over the image bytes; every offset comes from the file.
class Bytes {
public:
    Bytes(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}
    bool Has(uint64_t offset, uint64_t count) const { return offset <= m_size && count <= m_size - offset; }
    uint16_t U16(uint64_t offset) const { return static_cast<uint16_t>(m_data[offset] | (m_data[offset + 1] << 8)); }
    uint32_t U32(uint64_t offset) const
    {
        return static_cast<uint32_t>(m_data[offset]) | (static_cast<uint32_t>(m_data[offset + 1]) << 8) |
               (static_cast<uint32_t>(m_data[offset + 2]) << 16) | (static_cast<uint32_t>(m_data[offset + 3]) << 24);
    }
    const uint8_t* At(uint64_t offset) const { return m_data + offset; }

private:
    const uint8_t* m_data;
    size_t m_size;
};

struct Section {
    uint32_t virtualAddress;
    uint32_t virtualSize;
    uint32_t rawSize;
    uint32_t rawPointer;
};

// File offset of an RVA, or 0 when no section holds it in its raw data.
uint64_t RvaToFileOffset(const std::vector<Section>& sections, uint32_t rva)
{
    for (const Section& s : sections) {
        const uint32_t extent = s.virtualSize != 0 ? s.virtualSize : s.rawSize;
        if (rva >= s.virtualAddress && rva - s.virtualAddress < extent && rva - s.virtualAddress < s.rawSize) {
            return static_cast<uint64_t>(s.rawPointer) + (rva - s.virtualAddress);
        }
    }
    return 0;
}

struct DirectoryEntry {
    uint32_t name;   // id, or a string name when the high bit is set
    uint32_t target; // offset in the resource section; high bit: a sub-directory
};

// The entries of the resource directory at `offset` (relative to the resource section's start).
bool ReadDirectory(const Bytes& bytes, uint64_t base, uint32_t offset, std::vector<DirectoryEntry>& entries)
{
    const uint64_t at = base + offset;
    if (!bytes.Has(at, 16)) {
        return false;
    }
    const uint32_t count = static_cast<uint32_t>(bytes.U16(at + 12)) + bytes.U16(at + 14);
    if (!bytes.Has(at + 16, static_cast<uint64_t>(count) * 8)) {
        return false;
    }
    entries.clear();
    for (uint32_t i = 0; i < count; ++i) {
        entries.push_back({bytes.U32(at + 16 + 8ull * i), bytes.U32(at + 20 + 8ull * i)});
    }
    return true;
}

const DirectoryEntry* FindId(const std::vector<DirectoryEntry>& entries, uint32_t id)
{
    for (const DirectoryEntry& e : entries) {
        if (!(e.name & 0x80000000u) && e.name == id) {
            return &e;
        }
    }
    return nullptr;
}
} // namespace

size_t StampPositionInVersionBlock(const uint8_t* block, size_t size)
{
    if (block == nullptr || size < 6) {
        return 0;
    }
    const Bytes bytes(block, size);
    // The key ("VS_VERSION_INFO") runs to its terminating zero; the fixed part follows on a 4-byte boundary.
    size_t keyEnd = 6;
    while (bytes.Has(keyEnd, 2) && bytes.U16(keyEnd) != 0) {
        keyEnd += 2;
    }
    if (!bytes.Has(keyEnd, 2)) {
        return 0;
    }
    const size_t fixed = (keyEnd + 2 + 3) & ~static_cast<size_t>(3);
    if (bytes.U16(2) < kFixedInfoBytes || !bytes.Has(fixed, kFixedInfoBytes) ||
        bytes.U32(fixed) != kFixedInfoSignature) {
        return 0;
    }
    return fixed + kStampFieldInFixedInfo;
}

uint32_t ReadStampFromVersionBlock(const uint8_t* block, size_t size)
{
    const size_t position = StampPositionInVersionBlock(block, size);
    return position == 0 ? 0 : Bytes(block, size).U32(position);
}

uint64_t FindStampFileOffset(const std::vector<uint8_t>& image)
{
    const Bytes bytes(image.data(), image.size());
    if (!bytes.Has(0, 64) || bytes.U16(0) != 0x5A4D) { // "MZ"
        return 0;
    }
    const uint32_t pe = bytes.U32(0x3C);
    if (!bytes.Has(pe, 24) || bytes.U32(pe) != 0x00004550) { // "PE\0\0"
        return 0;
    }
    const uint16_t sectionCount = bytes.U16(pe + 6);
    const uint16_t optionalSize = bytes.U16(pe + 20);
    const uint64_t optional = pe + 24ull;
    if (!bytes.Has(optional, optionalSize) || optionalSize < 2) {
        return 0;
    }
    const uint16_t magic = bytes.U16(optional);
    const uint64_t countField = magic == 0x20B ? 108 : magic == 0x10B ? 92 : 0;
    if (countField == 0 || optionalSize < countField + 4) {
        return 0;
    }
    const uint32_t directoryCount = bytes.U32(optional + countField);
    const uint64_t resourceDirectory = optional + countField + 4 + 2 * 8; // data directory 2: resources
    if (directoryCount <= 2 || optionalSize < resourceDirectory + 8 - optional) {
        return 0;
    }
    const uint32_t resourceRva = bytes.U32(resourceDirectory);
    if (resourceRva == 0) {
        return 0;
    }

    const uint64_t sectionTable = optional + optionalSize;
    if (!bytes.Has(sectionTable, 40ull * sectionCount)) {
        return 0;
    }
    std::vector<Section> sections;
    for (uint16_t i = 0; i < sectionCount; ++i) {
        const uint64_t at = sectionTable + 40ull * i;
        sections.push_back({bytes.U32(at + 12), bytes.U32(at + 8), bytes.U32(at + 16), bytes.U32(at + 20)});
    }
    const uint64_t base = RvaToFileOffset(sections, resourceRva);
    if (base == 0) {
        return 0;
    }

    // Type RT_VERSION -> name 1 -> language (neutral when present, else the first).
    std::vector<DirectoryEntry> entries;
    if (!ReadDirectory(bytes, base, 0, entries)) {
        return 0;
    }
    const DirectoryEntry* type = FindId(entries, 16);
    if (type == nullptr || !(type->target & 0x80000000u) ||
        !ReadDirectory(bytes, base, type->target & 0x7FFFFFFFu, entries)) {
        return 0;
    }
    const DirectoryEntry* name = FindId(entries, 1);
    if (name == nullptr || !(name->target & 0x80000000u) ||
        !ReadDirectory(bytes, base, name->target & 0x7FFFFFFFu, entries) || entries.empty()) {
        return 0;
    }
    const DirectoryEntry* language = FindId(entries, 0);
    if (language == nullptr) {
        language = &entries.front();
    }
    if (language->target & 0x80000000u) {
        return 0;
    }
    const uint64_t dataEntry = base + language->target;
    if (!bytes.Has(dataEntry, 16)) {
        return 0;
    }
    const uint32_t dataRva = bytes.U32(dataEntry);
    const uint32_t dataSize = bytes.U32(dataEntry + 4);
    const uint64_t data = RvaToFileOffset(sections, dataRva);
    if (data == 0 || !bytes.Has(data, dataSize)) {
        return 0;
    }
    const size_t position = StampPositionInVersionBlock(bytes.At(data), dataSize);
    return position == 0 ? 0 : data + position;
}

uint32_t COrloVersionInfoUpdater::ReadStamp(const std::wstring& file) const
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
    return ReadStampFromVersionBlock(block.data(), block.size());
}

DWORD COrloVersionInfoUpdater::WriteStamp(const std::wstring& file, uint32_t stamp) const
{
    uint64_t offset = 0;
    {
        UniqueFileHandle in(::CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                          FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!in) {
            return ::GetLastError();
        }
        LARGE_INTEGER size{};
        if (!::GetFileSizeEx(in.Get(), &size)) {
            return ::GetLastError();
        }
        // The resources lie inside the image; whatever follows it (a payload) need not be read.
        std::vector<uint8_t> image(static_cast<size_t>(std::min<uint64_t>(size.QuadPart, kMaxImageBytes)));
        DWORD read = 0;
        if (!::ReadFile(in.Get(), image.data(), static_cast<DWORD>(image.size()), &read, nullptr)) {
            return ::GetLastError();
        }
        image.resize(read);
        offset = FindStampFileOffset(image);
    }
    if (offset == 0) {
        return ERROR_RESOURCE_TYPE_NOT_FOUND;
    }
    {
        UniqueFileHandle out(
            ::CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!out) {
            return ::GetLastError();
        }
        LARGE_INTEGER position{};
        position.QuadPart = static_cast<LONGLONG>(offset);
        const uint8_t value[4] = {static_cast<uint8_t>(stamp), static_cast<uint8_t>(stamp >> 8),
                                  static_cast<uint8_t>(stamp >> 16), static_cast<uint8_t>(stamp >> 24)};
        DWORD written = 0;
        if (!::SetFilePointerEx(out.Get(), position, nullptr, FILE_BEGIN) ||
            !::WriteFile(out.Get(), value, sizeof(value), &written, nullptr)) {
            return ::GetLastError();
        }
        if (written != sizeof(value)) {
            return ERROR_WRITE_FAULT;
        }
    }
    // The block we patched must be the one the version functions hand out, or the package would
    // not find its payload.
    return ReadStamp(file) == stamp ? 0 : ERROR_INVALID_DATA;
}
