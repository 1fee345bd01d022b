// Cabinet header parsing over plain bytes.
#include "CabinetHeader.h"

#include "cabinet/CabNames.h"
#include "util/WideFormat.h"

namespace orlopack {

namespace {

class Cursor {
public:
    Cursor(const uint8_t* data, size_t size, size_t position) : m_data(data), m_size(size), m_pos(position) {}
    bool Need(size_t count)
    {
        if (m_pos + count > m_size) {
            m_short = m_pos + count;
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
                m_short = m_pos + 257 - i;
                return false;
            }
            const uint8_t c = U8();
            if (c == 0) {
                return true;
            }
            out += static_cast<char>(c);
        }
    }
    size_t Short() const { return m_short; }

private:
    const uint8_t* m_data;
    size_t m_size;
    size_t m_pos;
    size_t m_short = 0;
};

} // namespace

std::wstring CabinetFileRecord::Name() const
{
    return DecodeStoredName(nameBytes, attributes);
}

int64_t ParseCabinetHeader(const uint8_t* data, size_t size, CabinetInfo& info, std::wstring& error)
{
    info = CabinetInfo{};
    Cursor cur(data, size, 0);
    if (!cur.Need(36)) {
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
    if (info.versionMajor != 1 || info.versionMinor != 3) {
        error = FormatW(L"unknown cabinet format version %u.%u", info.versionMajor, info.versionMinor);
        return -1;
    }
    uint16_t folderReserve = 0;
    if (info.flags & kCabFlagReserve) {
        if (!cur.Need(4)) {
            return static_cast<int64_t>(cur.Short());
        }
        const uint16_t headerReserve = cur.U16();
        folderReserve = cur.U8();
        cur.Skip(1);
        if (!cur.Need(headerReserve)) {
            return static_cast<int64_t>(cur.Short());
        }
        cur.Skip(headerReserve);
    }
    bool tooLong = false;
    std::string disk;
    if (info.flags & kCabFlagPrevious) {
        if (!cur.Text(info.previousCabinet, tooLong) || !cur.Text(disk, tooLong)) {
            if (tooLong) {
                error = L"a cabinet name in the header is not terminated";
                return -1;
            }
            return static_cast<int64_t>(cur.Short());
        }
    }
    if (info.flags & kCabFlagNext) {
        if (!cur.Text(info.nextCabinet, tooLong) || !cur.Text(disk, tooLong)) {
            if (tooLong) {
                error = L"a cabinet name in the header is not terminated";
                return -1;
            }
            return static_cast<int64_t>(cur.Short());
        }
    }
    for (uint16_t i = 0; i < folderCount; ++i) {
        if (!cur.Need(8 + static_cast<size_t>(folderReserve))) {
            return static_cast<int64_t>(cur.Short());
        }
        CabinetFolder folder;
        folder.dataOffset = cur.U32();
        folder.dataBlocks = cur.U16();
        folder.compression = cur.U16();
        cur.Skip(folderReserve);
        info.folders.push_back(folder);
    }
    Cursor files(data, size, info.filesOffset);
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
        info.files.push_back(record);
    }
    return 0;
}

} // namespace orlopack
