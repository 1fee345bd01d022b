#pragma once
// The walk over the payload's entries, over whatever reads the bytes (a file for the program and the
// builder, memory for the fuzz build).
// Entry: 76-byte marker (UTF-16LE GUID text), name length (u32, bytes), name (UTF-16LE),
// data size (u32), entry type (u16: 200 settings file, 100 package data), data.
#include <cstdint>
#include <functional>
#include <string>

#include "util/Platform.h"

constexpr uint16_t kPayloadSettingsEntry = 200;
constexpr uint16_t kPayloadPackageEntry = 100;
constexpr size_t kPayloadMarkerBytes = 76;
constexpr uint32_t kPayloadMaxNameBytes = 1022;
constexpr wchar_t kPayloadMarkerText[] = L"{20726377-9F91-41b8-B514-20AE00AA235D}";

// True when the 76 bytes are the payload marker.
bool IsPayloadMarker(const uint8_t* bytes, size_t size);
// Why a name length is refused (odd, zero, over 1022 bytes), or empty when it is acceptable.
std::wstring CheckPayloadNameLength(uint32_t nameBytes);
// Why an entry name is refused, or empty when it is acceptable (length and content rules). A name is
// one plain file name: no folder part, no "..", no drive or stream ":", no device name, no control
// or wildcard characters, so that destination + name always stays inside the destination.
std::wstring CheckPayloadEntryName(uint32_t nameBytes, const std::wstring& name);

// One entry header as the walk reads it.
struct PayloadEntryHeader {
    std::wstring name;
    uint32_t dataSize = 0;
    uint16_t type = 0;
    int64_t start = 0;      // file offset of its marker
    int64_t dataOffset = 0; // file offset of its data
};
enum class PayloadHeaderResult {
    Entry,     // `header` holds the entry; the read position is at its data
    End,       // the bytes at `at` are no marker: the payload ends there
    EndOfFile, // fewer than 76 bytes are left
    Refused,   // a cut or unsafe entry; `problem` says why
    ReadError, // the system refused a read; `error` holds its code
};
struct PayloadHeaderRead {
    PayloadHeaderResult result = PayloadHeaderResult::End;
    PayloadEntryHeader header;
    std::wstring problem;
    DWORD markerBytes = 0; // bytes read where the marker was looked for
    DWORD error = 0;
};

// Reads up to `size` bytes at the current position into `buffer`, `read` receives the count and
// `error` the system's last error code; false only when the system refused the read.
using PayloadByteReader = std::function<bool(void* buffer, DWORD size, DWORD& read, DWORD& error)>;

// Reads the entry that starts at the reader's position (offset `at`) with the program's name rules.
PayloadHeaderRead ReadPayloadEntryHeader(const PayloadByteReader& reader, int64_t at);
// Why an entry's data does not end by `payloadEnd` (the file's end, or where a signature table starts), or empty.
std::wstring CheckPayloadEntryData(const PayloadEntryHeader& header, int64_t payloadEnd);
