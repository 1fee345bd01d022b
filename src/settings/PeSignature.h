#pragma once
// Where an executable's Authenticode certificate table lies. A signing tool appends the table
// behind everything else (after padding to eight bytes) and names it in the security entry of the
// PE data directories; the signature covers every byte before it, the appended payload included.
#include <windows.h>

#include <cstdint>
#include <string>

struct CertificateTable {
    uint32_t offset = 0; // file offset; 0: the executable is not signed
    uint32_t size = 0;
};

// The security directory entry of the PE headers at the start of `image` (`size` bytes: at least
// the DOS header, the NT headers and the data directories). Not signed when the headers are not
// a PE image's or the entry is empty.
CertificateTable FindCertificateTable(const uint8_t* image, size_t size);

// Reads the headers of an open executable; not signed when they cannot be read.
CertificateTable ReadCertificateTable(HANDLE file);

// Where the payload that starts at `payloadOffset` must end: at the certificate table when the
// table lies behind it (a signed package), else at the end of the file.
uint64_t PayloadEnd(uint64_t fileSize, uint32_t payloadOffset, const CertificateTable& table);
