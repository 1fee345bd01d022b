// Our cabinet reader's data path (stored and MSZIP folders, the decoding thread, the step into the
// next part) over parts held in memory, with a host that answers as the engine does.
//
// Input: one byte of host behaviour (the k... bits below), then a cabinet. With kTwoParts the bytes
// are cut before the second "MSCF" into the first and the second part of one set.
#include <algorithm>
#include <cstring>
#include <limits>
#include <map>
#include <mutex>
#include <string_view>

#include "FuzzText.h"
#include "cabinet/CabReader.h"

namespace {

constexpr uint8_t kTwoParts = 0x01;
constexpr uint8_t kSkipEveryOther = 0x02; // the copy notification skips every second file
constexpr uint8_t kShortReads = 0x04;     // reads return at most a few bytes
constexpr uint8_t kFailingWrites = 0x08;  // the target "disk" is full after a few bytes
constexpr size_t kShortRead = 7;
constexpr uint64_t kDiskSpace = 100;

const std::string kFolder = "D:\\Package\\";
const std::string kPartNames[2] = {"Pack.001", "Pack.002"};

// The engine maps whatever name a part records for its next one to the package's own next part.
size_t PartNamed(const std::string& name)
{
    return name == kPartNames[0] ? 0 : 1;
}

struct Part {
    std::vector<uint8_t> bytes;
    CabinetInfo info;
    bool parsed = false;
};

// The uncompressed bytes that the data blocks of `folder` declare. Blocks past the end of the part
// still count: this is a bound on what the reader may write, not what it can.
uint64_t DeclaredBytes(const Part& part, size_t folderIndex)
{
    if (!part.parsed || folderIndex >= part.info.folders.size()) {
        return 0;
    }
    const CabinetFolder& folder = part.info.folders[folderIndex];
    const size_t header = kCabDataHeaderSize + part.info.dataReserve;
    uint64_t total = 0;
    uint64_t at = folder.dataOffset;
    for (uint32_t i = 0; i < folder.dataBlocks && at + header <= part.bytes.size(); ++i) {
        const CabDataBlock block = ParseDataBlockHeader(part.bytes.data() + at);
        total += block.uncompressedSize;
        at += header + block.compressedSize;
    }
    return total;
}

class MemoryHost final : public CabReaderHost {
public:
    MemoryHost(const std::vector<Part>& parts, uint8_t behaviour) : m_parts(parts), m_behaviour(behaviour) {}

    // A copy call on part `first` begins: its copy notifications are matched to its file records.
    void BeginCopy(size_t first)
    {
        m_first = first;
        m_nextFile = 0;
        m_starting.clear();
        m_folders.clear();
        if (m_parts[first].parsed) {
            for (const CabinetFileRecord& file : m_parts[first].info.files) {
                if (file.StartsHere()) {
                    m_starting.push_back(&file);
                }
            }
        }
    }

    size_t OpenHandles() const
    {
        std::lock_guard<std::mutex> lock(m_lock);
        return m_reads.size() + m_outputs.size();
    }
    size_t Notifications() const { return m_notifications; }
    uint64_t Written() const { return m_written; }

    INT_PTR ReaderOpen(const std::string& path) override
    {
        const size_t part = PartNamed(path.substr(std::min(path.size(), kFolder.size())));
        if (part >= m_parts.size()) {
            return -1;
        }
        std::lock_guard<std::mutex> lock(m_lock);
        const INT_PTR handle = m_nextHandle++;
        m_reads[handle] = Reading{part, 0};
        return handle;
    }

    UINT ReaderRead(INT_PTR handle, void* buffer, UINT count) override
    {
        std::lock_guard<std::mutex> lock(m_lock);
        const auto found = m_reads.find(handle);
        FUZZ_CHECK(found != m_reads.end());
        const std::vector<uint8_t>& bytes = m_parts[found->second.part].bytes;
        uint64_t& position = found->second.position;
        if (position >= bytes.size()) {
            return 0;
        }
        size_t length = std::min<size_t>(count, bytes.size() - position);
        if ((m_behaviour & kShortReads) != 0) {
            length = std::min(length, kShortRead);
        }
        std::memcpy(buffer, bytes.data() + position, length);
        position += length;
        return static_cast<UINT>(length);
    }

    LONG ReaderSeek(INT_PTR handle, LONG distance, int origin) override
    {
        std::lock_guard<std::mutex> lock(m_lock);
        const auto found = m_reads.find(handle);
        FUZZ_CHECK(found != m_reads.end());
        const int64_t base = origin == SEEK_SET   ? 0
                             : origin == SEEK_CUR ? static_cast<int64_t>(found->second.position)
                                                  : static_cast<int64_t>(m_parts[found->second.part].bytes.size());
        const int64_t target = base + distance;
        if (target < 0 || target > std::numeric_limits<LONG>::max()) {
            return -1; // as SetFilePointerEx refuses a position before the start
        }
        found->second.position = static_cast<uint64_t>(target);
        return static_cast<LONG>(target);
    }

    int ReaderClose(INT_PTR handle) override
    {
        std::lock_guard<std::mutex> lock(m_lock);
        // A handle closed twice, or never opened, is no longer in either map.
        FUZZ_CHECK(m_reads.erase(handle) + m_outputs.erase(handle) == 1);
        return 0;
    }

    UINT ReaderWrite(INT_PTR handle, const void* buffer, UINT count) override
    {
        std::lock_guard<std::mutex> lock(m_lock);
        const auto found = m_outputs.find(handle);
        FUZZ_CHECK(found != m_outputs.end());
        if ((m_behaviour & kFailingWrites) != 0 && m_written + count > kDiskSpace) {
            return static_cast<UINT>(-1);
        }
        Output& output = found->second;
        const uint64_t at = output.folderOffset + output.written;
        output.written += count;
        m_written += count;
        FUZZ_CHECK(output.written <= output.size);
        FUZZ_CHECK(at + count <= output.folderBytes);
        // Every file sees the same bytes at the same place of its folder, however the reader got
        // there (straight on, skipping ahead, or decoding the folder again from its start).
        Image& image = m_folders[output.folder];
        if (image.bytes.size() < at + count) {
            image.bytes.resize(at + count);
            image.known.resize(at + count);
        }
        const auto* bytes = static_cast<const uint8_t*>(buffer);
        for (UINT i = 0; i < count; ++i) {
            FUZZ_CHECK(!image.known[at + i] || image.bytes[at + i] == bytes[i]);
            image.bytes[at + i] = bytes[i];
            image.known[at + i] = true;
        }
        return count;
    }

    INT_PTR ReaderNotify(FDINOTIFICATIONTYPE type, FDINOTIFICATION& notification) override
    {
        FUZZ_CHECK(notification.pv == this);
        ++m_notifications;
        switch (type) {
        case fdintCABINET_INFO:
            FUZZ_CHECK(notification.psz1 != nullptr && notification.psz2 != nullptr && notification.psz3 != nullptr);
            FUZZ_CHECK(std::strlen(notification.psz1) < 256 && std::strlen(notification.psz3) < 256);
            return 0;
        case fdintPARTIAL_FILE:
        case fdintENUMERATE:
            return 0;
        case fdintCOPY_FILE:
            return OnCopyFile(notification);
        case fdintCLOSE_FILE_INFO: {
            std::lock_guard<std::mutex> lock(m_lock);
            const auto found = m_outputs.find(notification.hf);
            FUZZ_CHECK(found != m_outputs.end());
            // The reader reports a file as done only when all of it was written.
            FUZZ_CHECK(found->second.written == found->second.size);
            m_outputs.erase(found); // the engine closes the file itself
            return 1;
        }
        case fdintNEXT_CABINET:
            FUZZ_CHECK(notification.psz1 != nullptr && notification.psz3 != nullptr);
            return notification.fdie == FDIERROR_NONE ? 0 : -1; // the engine gives up on a failed attempt
        }
        FUZZ_CHECK(false);
        return -1;
    }

private:
    struct Reading {
        size_t part = 0;
        uint64_t position = 0;
    };
    struct Output {
        uint32_t size = 0;
        size_t folder = 0;
        uint64_t folderOffset = 0;
        uint64_t folderBytes = 0;
        uint64_t written = 0;
    };
    struct Image {
        std::vector<uint8_t> bytes;
        std::vector<bool> known;
    };

    INT_PTR OnCopyFile(const FDINOTIFICATION& notification)
    {
        // Files are offered in the order of their records, with the values the records hold.
        FUZZ_CHECK(m_nextFile < m_starting.size());
        const CabinetFileRecord& file = *m_starting[m_nextFile++];
        FUZZ_CHECK(notification.psz1 != nullptr && file.nameBytes == notification.psz1);
        FUZZ_CHECK(static_cast<uint32_t>(notification.cb) == file.size && notification.iFolder == file.folder);
        if ((m_behaviour & kSkipEveryOther) != 0 && m_nextFile % 2 == 0) {
            return 0;
        }
        const Part& part = m_parts[m_first];
        const size_t folders = part.info.folders.size();
        Output output;
        output.size = file.size;
        output.folder = file.folder == kFolderContinuedToNext ? folders - 1 : file.folder;
        output.folderOffset = file.folderOffset;
        output.folderBytes = DeclaredBytes(part, output.folder);
        // The last folder may go on in the part that this one names as its next (no further: part
        // numbers only go up, and there are two).
        const size_t next = PartNamed(part.info.nextCabinet);
        if (output.folder + 1 == folders && (part.info.flags & kCabFlagNext) != 0 && next != m_first &&
            next < m_parts.size()) {
            output.folderBytes += DeclaredBytes(m_parts[next], 0);
        }
        std::lock_guard<std::mutex> lock(m_lock);
        const INT_PTR handle = m_nextHandle++;
        m_outputs[handle] = output;
        return handle;
    }

    const std::vector<Part>& m_parts;
    const uint8_t m_behaviour;
    size_t m_first = 0;
    std::vector<const CabinetFileRecord*> m_starting;
    size_t m_nextFile = 0;
    size_t m_notifications = 0;
    uint64_t m_written = 0;
    std::map<size_t, Image> m_folders;

    mutable std::mutex m_lock; // the decoding thread reads and seeks too
    INT_PTR m_nextHandle = 0x100;
    std::map<INT_PTR, Reading> m_reads;
    std::map<INT_PTR, Output> m_outputs;
};

std::vector<Part> SplitParts(const uint8_t* data, size_t size, bool twoParts)
{
    size_t cut = size;
    if (twoParts && size > 4) {
        const std::string_view bytes(reinterpret_cast<const char*>(data), size);
        cut = std::min(size, bytes.find("MSCF", 4));
    }
    std::vector<Part> parts;
    for (size_t begin = 0; begin < size || parts.empty(); begin = cut, cut = size) {
        Part part;
        part.bytes.assign(data + begin, data + cut);
        std::wstring error;
        part.parsed = ParseCabinetHeader(part.bytes.data(), part.bytes.size(), part.info, error) == 0;
        parts.push_back(std::move(part));
    }
    return parts;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0) {
        return 0;
    }
    const uint8_t behaviour = data[0];
    const std::vector<Part> parts = SplitParts(data + 1, size - 1, (behaviour & kTwoParts) != 0);
    MemoryHost host(parts, behaviour);
    {
        CCabReader reader(host);
        // As the engine: one copy call per part that files begin in, while the calls succeed.
        for (size_t first = 0; first < parts.size(); ++first) {
            host.BeginCopy(first);
            const size_t notifications = host.Notifications();
            const uint64_t written = host.Written();
            ERF erf{};
            const CCabReader::Result result = reader.Copy(kPartNames[first], kFolder, &host, erf);
            FUZZ_CHECK(host.OpenHandles() == 0);
            if (result == CCabReader::Result::Done) {
                FUZZ_CHECK(!erf.fError);
                continue;
            }
            if (result == CCabReader::Result::Failed) {
                FUZZ_CHECK(erf.fError && erf.erfOper > FDIERROR_NONE && erf.erfOper <= FDIERROR_USER_ABORT);
            } else {
                FUZZ_CHECK(result == CCabReader::Result::Foreign);
                FUZZ_CHECK(host.Notifications() == notifications && host.Written() == written && !erf.fError);
            }
            break;
        }
    }
    FUZZ_CHECK(host.OpenHandles() == 0);
    return 0;
}
