#pragma once
// CabFolderStream: the uncompressed bytes of one cabinet folder (stored or MSZIP), decoded on a
// thread of its own while the caller writes what was decoded before. The thread reads only the data
// blocks of the cabinet part it was given; moving on to the next part is the caller's business
// (the engine has to be told first), so nothing is decoded from a part before the caller opened it.
// At most kChunks * kChunkSize decoded bytes wait at any time.
#include <zlib.h>

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "cabinet/CabReaderHost.h"

// The part of a folder that one cabinet holds.
struct CabSegment {
    INT_PTR handle = -1;
    uint32_t offset = 0; // first data block
    uint16_t blocks = 0;
    uint8_t dataReserve = 0;
    bool mayContinue = false; // the folder may go on in the next cabinet
};

class CabFolderStream {
public:
    enum class State {
        Data,       // bytes are ready
        SegmentEnd, // the part's blocks are used up and the folder may go on: Continue() with the next part
        End,        // the folder has no more bytes
        Error,      // damaged data: ErrorCode() tells the library error code
    };

    CabFolderStream(CabReaderHost& host, uint16_t compression);
    ~CabFolderStream();
    CabFolderStream(const CabFolderStream&) = delete;
    CabFolderStream& operator=(const CabFolderStream&) = delete;

    void Start(const CabSegment& segment);
    void Continue(const CabSegment& segment);
    // Waits until the next bytes are decoded or the stream stops; `data` and `size` are the bytes.
    State Peek(const uint8_t*& data, size_t& size);
    void Consume(size_t count); // at most the size of the last Peek
    int ErrorCode() const { return m_errorCode; }
    uint64_t Position() const { return m_position; }
    bool Continued() const { return m_continued; } // Continue() was called

    static constexpr size_t kChunkSize = 256 * 1024;
    static constexpr size_t kChunks = 8;

private:
    struct Chunk {
        std::unique_ptr<uint8_t[]> bytes;
        size_t size = 0;
        size_t used = 0;
        State state = State::Data;
    };

    void Run();
    // Decodes the blocks of one segment into chunks; false on damage or stop (m_errorCode set on damage).
    bool DecodeSegment(const CabSegment& segment);
    bool DecodeBlock(const uint8_t* in, size_t inSize, uint8_t* out, size_t outSize);
    // Makes `count` input bytes available at m_input[m_inputAt]; false when the part ends first.
    bool Need(const CabSegment& segment, size_t count);
    bool Push(Chunk chunk);
    std::unique_ptr<uint8_t[]> TakeBuffer();
    void Fail(int code);

    CabReaderHost& m_host;
    const uint16_t m_compression;
    z_stream m_zip{};
    bool m_zipReady = false;
    std::vector<uint8_t> m_input; // read-ahead of the part's data blocks
    size_t m_inputAt = 0;
    size_t m_inputEnd = 0;
    std::vector<uint8_t> m_pending; // first piece of a block split between two parts
    std::vector<uint8_t> m_window;  // MSZIP history handed from block to block

    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<Chunk> m_ready;
    std::vector<std::unique_ptr<uint8_t[]>> m_spare;
    std::deque<CabSegment> m_segments;
    bool m_stop = false;
    int m_errorCode = 0;
    uint64_t m_position = 0;
    bool m_continued = false;
    std::thread m_thread;
};
