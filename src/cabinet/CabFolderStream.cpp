#include "cabinet/CabFolderStream.h"

#include <cstring>
#include <limits>

#include "cabinet/CabFormat.h"

namespace {
constexpr size_t kReadAhead = 512 * 1024;
constexpr size_t kMaxUncompressedBlock = 32768;
constexpr size_t kMaxWindow = 32768;
} // namespace

CabFolderStream::CabFolderStream(CabReaderHost& host, uint16_t compression) : m_host(host), m_compression(compression)
{
    for (size_t i = 0; i < kChunks; ++i) {
        m_spare.push_back(std::make_unique<uint8_t[]>(kChunkSize));
    }
}

CabFolderStream::~CabFolderStream()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stop = true;
    }
    m_changed.notify_all();
    if (m_thread.joinable()) {
        m_thread.join();
    }
    if (m_zipReady) {
        inflateEnd(&m_zip);
    }
}

void CabFolderStream::Start(const CabSegment& segment)
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_segments.push_back(segment);
    }
    m_thread = std::thread([this] { Run(); });
}

void CabFolderStream::Continue(const CabSegment& segment)
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_segments.push_back(segment);
        m_continued = true;
    }
    m_changed.notify_all();
}

CabFolderStream::State CabFolderStream::Peek(const uint8_t*& data, size_t& size)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    for (;;) {
        m_changed.wait(lock, [this] { return !m_ready.empty(); });
        Chunk& chunk = m_ready.front();
        if (chunk.state != State::Data) {
            if (chunk.state == State::SegmentEnd) {
                m_ready.pop_front(); // seen once: the caller moves on to the next part or stops
                return State::SegmentEnd;
            }
            return chunk.state;
        }
        if (chunk.used < chunk.size) {
            data = chunk.bytes.get() + chunk.used;
            size = chunk.size - chunk.used;
            return State::Data;
        }
        m_spare.push_back(std::move(chunk.bytes));
        m_ready.pop_front();
        m_changed.notify_all();
    }
}

void CabFolderStream::Consume(size_t count)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    Chunk& chunk = m_ready.front();
    chunk.used += count;
    m_position += count;
}

void CabFolderStream::Run()
{
    if (m_compression == kCabCompressionMsZip) {
        m_zipReady = inflateInit2(&m_zip, -MAX_WBITS) == Z_OK;
        if (!m_zipReady) {
            Fail(FDIERROR_ALLOC_FAIL);
            return;
        }
    }
    m_input.resize(kReadAhead);
    for (;;) {
        CabSegment segment;
        {
            std::unique_lock<std::mutex> lock(m_mutex);
            m_changed.wait(lock, [this] { return m_stop || !m_segments.empty(); });
            if (m_stop) {
                return;
            }
            segment = m_segments.front();
            m_segments.pop_front();
        }
        if (!DecodeSegment(segment)) {
            return;
        }
        Chunk mark;
        mark.state = segment.mayContinue ? State::SegmentEnd : State::End;
        if (!Push(std::move(mark)) || !segment.mayContinue) {
            return;
        }
    }
}

bool CabFolderStream::DecodeSegment(const CabSegment& segment)
{
    m_inputAt = 0;
    m_inputEnd = 0;
    // An offset a LONG cannot hold turns negative, and at -1 a failed seek would look like success:
    // the blocks would be read from wherever the part was left.
    if (segment.offset > static_cast<uint32_t>(std::numeric_limits<LONG>::max()) ||
        m_host.ReaderSeek(segment.handle, static_cast<LONG>(segment.offset), SEEK_SET) !=
            static_cast<LONG>(segment.offset)) {
        Fail(FDIERROR_CORRUPT_CABINET);
        return false;
    }
    Chunk chunk;
    const size_t headerSize = kCabDataHeaderSize + segment.dataReserve;
    for (uint32_t block = 0; block < segment.blocks; ++block) {
        if (!Need(segment, headerSize)) {
            Fail(FDIERROR_CORRUPT_CABINET);
            return false;
        }
        const uint8_t* header = m_input.data() + m_inputAt;
        const CabDataBlock info = ParseDataBlockHeader(header);
        if (info.compressedSize > kCabMaxBlockSize || info.uncompressedSize > kMaxUncompressedBlock ||
            !Need(segment, headerSize + info.compressedSize)) {
            Fail(FDIERROR_CORRUPT_CABINET);
            return false;
        }
        header = m_input.data() + m_inputAt;
        const uint8_t* data = header + headerSize;
        if (info.checksum != 0 &&
            DataBlockChecksum(header, segment.dataReserve, data, info.compressedSize) != info.checksum) {
            Fail(FDIERROR_CORRUPT_CABINET);
            return false;
        }
        m_inputAt += headerSize + info.compressedSize;

        if (info.uncompressedSize == 0) {
            // The block goes on in the next part: only the last block of a part may do that.
            if (block + 1 != segment.blocks || !segment.mayContinue || !m_pending.empty()) {
                Fail(FDIERROR_CORRUPT_CABINET);
                return false;
            }
            m_pending.assign(data, data + info.compressedSize);
            continue;
        }
        if (!m_pending.empty()) {
            m_pending.insert(m_pending.end(), data, data + info.compressedSize);
            data = m_pending.data();
        }
        const size_t inSize = m_pending.empty() ? info.compressedSize : m_pending.size();
        if (chunk.bytes && kChunkSize - chunk.size < info.uncompressedSize) {
            if (!Push(std::move(chunk))) {
                return false;
            }
            chunk = Chunk{};
        }
        if (!chunk.bytes) {
            chunk.bytes = TakeBuffer();
            if (!chunk.bytes) {
                return false;
            }
        }
        if (!DecodeBlock(data, inSize, chunk.bytes.get() + chunk.size, info.uncompressedSize)) {
            Fail(FDIERROR_MDI_FAIL);
            return false;
        }
        chunk.size += info.uncompressedSize;
        m_pending.clear();
    }
    return !chunk.bytes || chunk.size == 0 || Push(std::move(chunk));
}

bool CabFolderStream::DecodeBlock(const uint8_t* in, size_t inSize, uint8_t* out, size_t outSize)
{
    if (m_compression == kCabCompressionNone) {
        if (inSize != outSize) {
            return false;
        }
        std::memcpy(out, in, outSize);
        return true;
    }
    if (inSize < 2 || in[0] != 'C' || in[1] != 'K') {
        return false;
    }
    m_zip.next_in = const_cast<Bytef*>(in + 2);
    m_zip.avail_in = static_cast<uInt>(inSize - 2);
    m_zip.next_out = out;
    m_zip.avail_out = static_cast<uInt>(outSize);
    // Not Z_FINISH: zlib would then keep no window, and the next block refers back into this one.
    const int result = inflate(&m_zip, Z_NO_FLUSH);
    if (result != Z_STREAM_END || m_zip.avail_out != 0) {
        return false;
    }
    // Each block is a deflate stream of its own that may refer to the 32 KiB before it.
    m_window.resize(kMaxWindow);
    uInt length = static_cast<uInt>(m_window.size());
    return inflateGetDictionary(&m_zip, m_window.data(), &length) == Z_OK && inflateReset(&m_zip) == Z_OK &&
           inflateSetDictionary(&m_zip, m_window.data(), length) == Z_OK;
}

bool CabFolderStream::Need(const CabSegment& segment, size_t count)
{
    if (m_inputEnd - m_inputAt >= count) {
        return true;
    }
    std::memmove(m_input.data(), m_input.data() + m_inputAt, m_inputEnd - m_inputAt);
    m_inputEnd -= m_inputAt;
    m_inputAt = 0;
    while (m_inputEnd < count) {
        const UINT got = m_host.ReaderRead(segment.handle, m_input.data() + m_inputEnd,
                                           static_cast<UINT>(m_input.size() - m_inputEnd));
        if (got == 0 || got == static_cast<UINT>(-1)) {
            return false;
        }
        m_inputEnd += got;
    }
    return true;
}

bool CabFolderStream::Push(Chunk chunk)
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_stop) {
            return false;
        }
        m_ready.push_back(std::move(chunk));
    }
    m_changed.notify_all();
    return true;
}

std::unique_ptr<uint8_t[]> CabFolderStream::TakeBuffer()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    m_changed.wait(lock, [this] { return m_stop || !m_spare.empty(); });
    if (m_stop) {
        return nullptr;
    }
    auto buffer = std::move(m_spare.back());
    m_spare.pop_back();
    return buffer;
}

void CabFolderStream::Fail(int code)
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_stop) {
            return;
        }
        m_errorCode = code;
        Chunk chunk;
        chunk.state = State::Error;
        m_ready.push_back(std::move(chunk));
    }
    m_changed.notify_all();
}
