#include "cabinet/CabReader.h"

#include <algorithm>
#include <cstring>

namespace {
constexpr size_t kFirstHeaderRead = 64 * 1024;
// Largest header a cabinet can have: 65535 folders and files with the longest names and reserves.
constexpr size_t kMaxHeaderBytes = 40u * 1024 * 1024;
constexpr int kNextCabinetAttempts = 2;

void CopyText(char (&buffer)[256], const std::string& text)
{
    const size_t length = std::min(text.size(), sizeof(buffer) - 1);
    std::memcpy(buffer, text.data(), length);
    buffer[length] = '\0';
}
} // namespace

CCabReader::CCabReader(CabReaderHost& host) : m_host(host) {}

CCabReader::~CCabReader()
{
    CloseAll();
}

CCabReader::Result CCabReader::Copy(const std::string& name, const std::string& folder, void* pv, ERF& erf)
{
    CloseAll();
    m_pv = pv;
    auto fail = [&](int code) {
        CloseAll();
        erf.erfOper = code;
        erf.erfType = 0;
        erf.fError = TRUE;
        return Result::Failed;
    };

    m_cabinets.push_back(std::make_unique<Cabinet>());
    Cabinet& cabinet = *m_cabinets.front();
    if (const int code = OpenCabinet(folder, name, cabinet); code != 0) {
        return fail(code);
    }
    if (IsForeign(cabinet)) {
        CloseAll();
        return Result::Foreign;
    }
    if (NotifyCabinetInfo(cabinet) != 0) {
        return fail(FDIERROR_USER_ABORT);
    }
    const CabinetInfo& info = cabinet.info;
    for (const CabinetFileRecord& file : info.files) {
        std::string fileName = file.nameBytes; // the notification hands out writable texts
        FDINOTIFICATION notification{};
        if (!file.StartsHere()) {
            std::string previous = info.previousCabinet;
            std::string previousDisk = info.previousDisk;
            notification.psz1 = fileName.data();
            notification.psz2 = previous.data();
            notification.psz3 = previousDisk.data();
            if (Notify(fdintPARTIAL_FILE, notification) == -1) {
                return fail(FDIERROR_USER_ABORT);
            }
            continue;
        }
        const size_t folderIndex = file.folder == kFolderContinuedToNext ? info.folders.size() - 1 : file.folder;
        if (info.folders.empty() || folderIndex >= info.folders.size()) {
            return fail(FDIERROR_CORRUPT_CABINET);
        }
        notification.psz1 = fileName.data();
        notification.cb = static_cast<LONG>(file.size);
        notification.date = file.date;
        notification.time = file.time;
        notification.attribs = file.attributes;
        notification.iFolder = file.folder;
        const INT_PTR handle = Notify(fdintCOPY_FILE, notification);
        if (handle == -1) {
            return fail(FDIERROR_USER_ABORT);
        }
        if (handle == 0) {
            continue;
        }
        if (const int code = CopyData(folderIndex, file.folderOffset, file.size, handle); code != 0) {
            m_host.ReaderClose(handle);
            return fail(code);
        }
        FDINOTIFICATION closing{};
        closing.hf = handle;
        closing.psz1 = fileName.data();
        closing.date = file.date;
        closing.time = file.time;
        closing.attribs = file.attributes;
        closing.cb = (file.attributes & _A_EXEC) != 0 ? 1 : 0;
        const INT_PTR closed = Notify(fdintCLOSE_FILE_INFO, closing);
        if (closed == 0 || closed == -1) {
            return fail(FDIERROR_USER_ABORT);
        }
    }
    CloseAll();
    return Result::Done;
}

int CCabReader::OpenCabinet(const std::string& folder, const std::string& name, Cabinet& cabinet)
{
    cabinet.path = folder + name;
    CopyText(cabinet.folder, folder);
    cabinet.handle = m_host.ReaderOpen(cabinet.path);
    if (cabinet.handle == -1) {
        return FDIERROR_CABINET_NOT_FOUND;
    }
    return ReadHeader(cabinet);
}

int CCabReader::ReadHeader(Cabinet& cabinet)
{
    std::vector<uint8_t> bytes(kFirstHeaderRead);
    size_t have = 0;
    size_t want = bytes.size();
    for (;;) {
        while (have < want) {
            const UINT got = m_host.ReaderRead(cabinet.handle, bytes.data() + have, static_cast<UINT>(want - have));
            if (got == static_cast<UINT>(-1)) {
                return FDIERROR_NOT_A_CABINET; // the engine refused the part's magic, or the read failed
            }
            if (got == 0) {
                break;
            }
            have += got;
        }
        if (have < kCabFixedHeaderSize || std::memcmp(bytes.data(), "MSCF", 4) != 0) {
            return FDIERROR_NOT_A_CABINET;
        }
        std::wstring reason;
        const int64_t needed = ParseCabinetHeader(bytes.data(), have, cabinet.info, reason);
        if (needed == 0) {
            return FDIERROR_NONE;
        }
        if (needed < 0) {
            return cabinet.info.KnownVersion() ? FDIERROR_CORRUPT_CABINET : FDIERROR_UNKNOWN_CABINET_VERSION;
        }
        // Compared as 64-bit numbers: a record offset near 4 GiB must not shrink when size_t is 32 bits.
        if (have < want || static_cast<uint64_t>(needed) > kMaxHeaderBytes) {
            return FDIERROR_CORRUPT_CABINET; // the part ends inside its header, or claims an absurd one
        }
        // Grow generously: every file record costs at most 272 bytes.
        want = std::min(kMaxHeaderBytes, static_cast<size_t>(needed) + kFirstHeaderRead);
        bytes.resize(want);
    }
}

bool CCabReader::IsForeign(const Cabinet& cabinet) const
{
    const CabinetInfo& info = cabinet.info;
    for (const CabinetFolder& folder : info.folders) {
        if (folder.compression != kCabCompressionNone && folder.compression != kCabCompressionMsZip) {
            return true;
        }
    }
    // A file that begins inside a folder continued from the previous part can only be decoded from
    // that part on; such sets are left to the library.
    const bool continuedFolder = std::any_of(info.files.begin(), info.files.end(),
                                             [](const CabinetFileRecord& file) { return !file.StartsHere(); });
    return continuedFolder && std::any_of(info.files.begin(), info.files.end(), [&info](const CabinetFileRecord& file) {
               return file.StartsHere() &&
                      (file.folder == 0 || (file.folder == kFolderContinuedToNext && info.folders.size() == 1));
           });
}

int CCabReader::NotifyCabinetInfo(Cabinet& cabinet)
{
    CopyText(cabinet.next, cabinet.info.nextCabinet);
    CopyText(cabinet.nextDisk, cabinet.info.nextDisk);
    FDINOTIFICATION notification{};
    notification.psz1 = cabinet.next;
    notification.psz2 = cabinet.nextDisk;
    notification.psz3 = cabinet.folder;
    notification.setID = cabinet.info.setId;
    notification.iCabinet = cabinet.info.index;
    return Notify(fdintCABINET_INFO, notification) == -1 ? -1 : 0;
}

CabSegment CCabReader::SegmentOf(const Cabinet& cabinet, size_t folderIndex) const
{
    const CabinetFolder& folder = cabinet.info.folders[folderIndex];
    CabSegment segment;
    segment.handle = cabinet.handle;
    segment.offset = folder.dataOffset;
    segment.blocks = folder.dataBlocks;
    segment.dataReserve = cabinet.info.dataReserve;
    segment.mayContinue = folderIndex + 1 == cabinet.info.folders.size() && (cabinet.info.flags & kCabFlagNext) != 0;
    return segment;
}

int CCabReader::SeekFolder(size_t folderIndex, uint32_t offset)
{
    if (!m_stream || m_streamFolder != folderIndex || offset < m_stream->Position()) {
        if (m_stream && m_stream->Continued()) {
            return FDIERROR_CORRUPT_CABINET; // back into a part already left behind
        }
        const Cabinet& first = *m_cabinets.front();
        m_stream.reset();
        m_stream = std::make_unique<CabFolderStream>(m_host, first.info.folders[folderIndex].compression);
        m_stream->Start(SegmentOf(first, folderIndex));
        m_streamFolder = folderIndex;
    }
    while (m_stream->Position() < offset) {
        const uint8_t* data = nullptr;
        size_t size = 0;
        switch (m_stream->Peek(data, size)) {
        case CabFolderStream::State::Data:
            m_stream->Consume(static_cast<size_t>(std::min<uint64_t>(size, offset - m_stream->Position())));
            break;
        case CabFolderStream::State::SegmentEnd:
            if (const int code = OpenNextCabinet(); code != 0) {
                return code;
            }
            break;
        case CabFolderStream::State::End:
            return FDIERROR_CORRUPT_CABINET;
        case CabFolderStream::State::Error:
            return m_stream->ErrorCode();
        }
    }
    return FDIERROR_NONE;
}

int CCabReader::CopyData(size_t folderIndex, uint32_t offset, uint32_t size, INT_PTR handle)
{
    if (const int code = SeekFolder(folderIndex, offset); code != 0) {
        return code;
    }
    uint32_t left = size;
    while (left > 0) {
        const uint8_t* data = nullptr;
        size_t available = 0;
        switch (m_stream->Peek(data, available)) {
        case CabFolderStream::State::Data: {
            const UINT count = static_cast<UINT>(std::min<size_t>(available, left));
            if (m_host.ReaderWrite(handle, data, count) != count) {
                return FDIERROR_TARGET_FILE;
            }
            m_stream->Consume(count);
            left -= count;
            break;
        }
        case CabFolderStream::State::SegmentEnd:
            if (const int code = OpenNextCabinet(); code != 0) {
                return code;
            }
            break;
        case CabFolderStream::State::End:
            return FDIERROR_CORRUPT_CABINET; // the file runs past its folder
        case CabFolderStream::State::Error:
            return m_stream->ErrorCode();
        }
    }
    return FDIERROR_NONE;
}

int CCabReader::OpenNextCabinet()
{
    Cabinet& previous = *m_cabinets.back();
    if ((previous.info.flags & kCabFlagNext) == 0) {
        return FDIERROR_CORRUPT_CABINET;
    }
    FDIERROR failure = FDIERROR_NONE;
    for (int attempt = 0; attempt < kNextCabinetAttempts; ++attempt) {
        FDINOTIFICATION notification{};
        notification.psz1 = previous.next;
        notification.psz2 = previous.nextDisk;
        notification.psz3 = previous.folder;
        notification.fdie = failure;
        if (Notify(fdintNEXT_CABINET, notification) == -1) {
            return FDIERROR_USER_ABORT;
        }
        auto next = std::make_unique<Cabinet>();
        int code = OpenCabinet(previous.folder, previous.next, *next);
        if (code == 0 &&
            (next->info.setId != previous.info.setId ||
             next->info.index != static_cast<uint16_t>(previous.info.index + 1) || next->info.folders.empty())) {
            code = FDIERROR_WRONG_CABINET;
        }
        if (code == 0 && (next->info.dataReserve != previous.info.dataReserve ||
                          next->info.folderReserve != previous.info.folderReserve)) {
            code = FDIERROR_RESERVE_MISMATCH;
        }
        if (code != 0) {
            if (next->handle != -1) {
                m_host.ReaderClose(next->handle);
            }
            failure = static_cast<FDIERROR>(code);
            continue;
        }
        Cabinet& opened = *next;
        m_cabinets.push_back(std::move(next));
        if (NotifyCabinetInfo(opened) != 0) {
            return FDIERROR_USER_ABORT;
        }
        m_stream->Continue(SegmentOf(opened, 0));
        return FDIERROR_NONE;
    }
    return failure;
}

void CCabReader::CloseAll()
{
    m_stream.reset(); // stops its thread before the parts it reads are closed
    for (const auto& cabinet : m_cabinets) {
        if (cabinet->handle != -1) {
            m_host.ReaderClose(cabinet->handle);
        }
    }
    m_cabinets.clear();
}

INT_PTR CCabReader::Notify(FDINOTIFICATIONTYPE type, FDINOTIFICATION& notification)
{
    notification.pv = m_pv;
    return m_host.ReaderNotify(type, notification);
}
