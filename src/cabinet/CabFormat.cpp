#include "cabinet/CabFormat.h"

#include "cabinet/CabNames.h"
#include "util/WideFormat.h"

namespace {

class Cursor {
public:
    Cursor(const uint8_t* data, size_t size, size_t position) : m_data(data), m_size(size), m_pos(position) {}
    // The position may already lie past the end (an offset read from the file), and neither the
    // test nor the size reported as missing may wrap where size_t is 32 bits wide.
    bool Need(size_t count)
    {
        if (m_pos > m_size || count > m_size - m_pos) {
            m_short = static_cast<uint64_t>(m_pos) + count;
            return false;
        }
        return true;
    }
    uint8_t U8() { return m_data[m_pos++]; }
    uint16_t U16()
    {
        const uint16_t v = static_cast<uint16_t>(m_data[m_pos] | (m_data[m_pos + 1] << 8));
        m_pos += 2;
        return v;
    }
    uint32_t U32()
    {
        const uint32_t v = static_cast<uint32_t>(m_data[m_pos]) | (static_cast<uint32_t>(m_data[m_pos + 1]) << 8) |
                           (static_cast<uint32_t>(m_data[m_pos + 2]) << 16) |
                           (static_cast<uint32_t>(m_data[m_pos + 3]) << 24);
        m_pos += 4;
        return v;
    }
    void Skip(size_t count) { m_pos += count; }
    // A zero-terminated string of at most 256 bytes.
    bool Text(std::string& out, bool& tooLong)
    {
        tooLong = false;
        out.clear();
        for (size_t i = 0;; ++i) {
            if (i >= 256) {
                tooLong = true;
                return false;
            }
            if (!Need(1)) {
                m_short = static_cast<uint64_t>(m_pos) + 257 - i;
                return false;
            }
            const uint8_t c = U8();
            if (c == 0) {
                return true;
            }
            out += static_cast<char>(c);
        }
    }
    uint64_t Short() const { return m_short; }

private:
    const uint8_t* m_data;
    size_t m_size;
    size_t m_pos;
    uint64_t m_short = 0;
};

uint32_t Le32(const uint8_t* p)
{
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
           (static_cast<uint32_t>(p[3]) << 24);
}

} // namespace

std::wstring CabinetFileRecord::Name() const
{
    return DecodeStoredName(nameBytes, attributes);
}

int64_t ParseCabinetHeader(const uint8_t* data, size_t size, CabinetInfo& info, std::wstring& error)
{
    info = CabinetInfo{};
    Cursor cur(data, size, 0);
    if (!cur.Need(kCabFixedHeaderSize)) {
        return static_cast<int64_t>(cur.Short());
    }
    for (char& c : info.magic) {
        c = static_cast<char>(cur.U8());
    }
    cur.Skip(4);
    info.cabinetSize = cur.U32();
    cur.Skip(4);
    info.filesOffset = cur.U32();
    cur.Skip(4);
    info.versionMinor = cur.U8();
    info.versionMajor = cur.U8();
    const uint16_t folderCount = cur.U16();
    const uint16_t fileCount = cur.U16();
    info.flags = cur.U16();
    info.setId = cur.U16();
    info.index = cur.U16();
    if (!info.KnownVersion()) {
        error = FormatW(L"unknown cabinet format version %u.%u", info.versionMajor, info.versionMinor);
        return -1;
    }
    if ((info.flags & kCabFlagReserve) != 0) {
        if (!cur.Need(4)) {
            return static_cast<int64_t>(cur.Short());
        }
        info.headerReserve = cur.U16();
        info.folderReserve = cur.U8();
        info.dataReserve = cur.U8();
        if (!cur.Need(info.headerReserve)) {
            return static_cast<int64_t>(cur.Short());
        }
        cur.Skip(info.headerReserve);
    }
    bool tooLong = false;
    auto names = [&](std::string& cabinet, std::string& disk) -> int64_t {
        if (cur.Text(cabinet, tooLong) && cur.Text(disk, tooLong)) {
            return 0;
        }
        if (tooLong) {
            error = L"a cabinet name in the header is not terminated";
            return -1;
        }
        return static_cast<int64_t>(cur.Short());
    };
    if ((info.flags & kCabFlagPrevious) != 0) {
        if (const int64_t result = names(info.previousCabinet, info.previousDisk); result != 0) {
            return result;
        }
    }
    if ((info.flags & kCabFlagNext) != 0) {
        if (const int64_t result = names(info.nextCabinet, info.nextDisk); result != 0) {
            return result;
        }
    }
    info.folders.reserve(folderCount);
    for (uint16_t i = 0; i < folderCount; ++i) {
        if (!cur.Need(8 + static_cast<size_t>(info.folderReserve))) {
            return static_cast<int64_t>(cur.Short());
        }
        CabinetFolder folder;
        folder.dataOffset = cur.U32();
        folder.dataBlocks = cur.U16();
        folder.compression = cur.U16();
        cur.Skip(info.folderReserve);
        info.folders.push_back(folder);
    }
    Cursor files(data, size, info.filesOffset);
    info.files.reserve(fileCount);
    for (uint16_t i = 0; i < fileCount; ++i) {
        if (!files.Need(16)) {
            return static_cast<int64_t>(files.Short());
        }
        CabinetFileRecord record;
        record.size = files.U32();
        record.folderOffset = files.U32();
        record.folder = files.U16();
        record.date = files.U16();
        record.time = files.U16();
        record.attributes = files.U16();
        if (!files.Text(record.nameBytes, tooLong)) {
            if (tooLong) {
                error = L"a file name in the cabinet is not terminated";
                return -1;
            }
            return static_cast<int64_t>(files.Short());
        }
        info.files.push_back(std::move(record));
    }
    return 0;
}

CabDataBlock ParseDataBlockHeader(const uint8_t* data)
{
    CabDataBlock block;
    block.checksum = Le32(data);
    block.compressedSize = static_cast<uint16_t>(data[4] | (data[5] << 8));
    block.uncompressedSize = static_cast<uint16_t>(data[6] | (data[7] << 8));
    return block;
}

uint32_t CabChecksum(const uint8_t* data, size_t size, uint32_t seed)
{
    uint32_t sum = seed;
    size_t i = 0;
    for (; i + 4 <= size; i += 4) {
        sum ^= Le32(data + i);
    }
    // The tail is taken most significant byte first.
    uint32_t tail = 0;
    for (; i < size; ++i) {
        tail = (tail << 8) | data[i];
    }
    return sum ^ tail;
}

uint32_t DataBlockChecksum(const uint8_t* header, size_t reserve, const uint8_t* data, size_t size)
{
    return CabChecksum(header + 4, 4 + reserve, CabChecksum(data, size, 0));
}
