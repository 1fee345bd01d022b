#pragma once
// CCabReader: our own reader of cabinet sets whose folders are stored or MSZIP, used in place of
// the cabinet library's copy call. It behaves as that call does towards its caller: it opens,
// reads, writes and closes every file through the host, and notifies the host in the same order
// with the same values (cabinet information, partial file, copy file, close file information,
// next cabinet), honours abort (-1) and skip (0), reads the next part under the name the host
// writes into the cabinet-information text, and fills an ERF with the library's error codes.
//
// One call handles the files that begin in one cabinet, plus the rest of a file that goes on in
// the next ones. The data of each folder is decoded on a second thread ahead of the writing.
#include "util/Platform.h"

#include <fdi.h>

#include <memory>
#include <string>
#include <vector>

#include "cabinet/CabFolderStream.h"
#include "cabinet/CabFormat.h"
#include "cabinet/CabReaderHost.h"

class CCabReader {
public:
    enum class Result {
        Done,
        Failed,  // `erf` says why
        Foreign, // the cabinet needs another decompressor; nothing was notified or written
    };

    explicit CCabReader(CabReaderHost& host);
    ~CCabReader();
    CCabReader(const CCabReader&) = delete;
    CCabReader& operator=(const CCabReader&) = delete;

    // `name` and `folder` (ending with a backslash) are UTF-8, as the library takes them; `pv` is
    // handed back in every notification.
    Result Copy(const std::string& name, const std::string& folder, void* pv, ERF& erf);

private:
    struct Cabinet {
        INT_PTR handle = -1;
        std::string path;
        CabinetInfo info;
        // Writable texts handed to the host, as the library hands out its own buffers: the host
        // renames the next part by writing into `next`.
        char next[256] = {};
        char nextDisk[256] = {};
        char folder[256] = {};
    };

    int OpenCabinet(const std::string& folder, const std::string& name, Cabinet& cabinet);
    int ReadHeader(Cabinet& cabinet);
    bool IsForeign(const Cabinet& cabinet) const;
    int NotifyCabinetInfo(Cabinet& cabinet);
    // Writes `size` bytes of folder `folderIndex` of the first cabinet from `offset` to `handle`.
    int CopyData(size_t folderIndex, uint32_t offset, uint32_t size, INT_PTR handle);
    int SeekFolder(size_t folderIndex, uint32_t offset);
    int OpenNextCabinet();
    CabSegment SegmentOf(const Cabinet& cabinet, size_t folderIndex) const;
    void CloseAll();
    INT_PTR Notify(FDINOTIFICATIONTYPE type, FDINOTIFICATION& notification);

    CabReaderHost& m_host;
    void* m_pv = nullptr;
    std::vector<std::unique_ptr<Cabinet>> m_cabinets; // the first, then each next one opened
    std::unique_ptr<CabFolderStream> m_stream;
    size_t m_streamFolder = 0;
};
