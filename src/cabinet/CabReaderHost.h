#pragma once
// What the cabinet reader needs from its engine: every file it opens, reads, seeks, writes and
// closes, and the notifications of the cabinet library's copy call, so that the engine answers the
// reader exactly as it answers the library.
#include "util/Platform.h"

#include <fdi.h>

#include <string>

class CabReaderHost {
public:
    // Opens a cabinet for reading (UTF-8 path, as the library passes it); -1 on failure.
    virtual INT_PTR ReaderOpen(const std::string& path) = 0;
    // Read and Seek are also called from the reader's decoding thread, never at the same time for
    // one handle and never for a handle that another call is closing.
    virtual UINT ReaderRead(INT_PTR handle, void* buffer, UINT count) = 0;
    virtual LONG ReaderSeek(INT_PTR handle, LONG distance, int origin) = 0;
    virtual int ReaderClose(INT_PTR handle) = 0;
    virtual UINT ReaderWrite(INT_PTR handle, const void* buffer, UINT count) = 0;
    virtual INT_PTR ReaderNotify(FDINOTIFICATIONTYPE type, FDINOTIFICATION& notification) = 0;

protected:
    ~CabReaderHost() = default;
};
