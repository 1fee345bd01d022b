#pragma once
// CExtractor: reads the payload appended behind the executable's image.
// Entry: 76-byte marker (UTF-16LE GUID text), name length (u32, bytes), name (UTF-16LE),
// data size (u32), entry type (u16: 200 settings file, 100 package data), data.
#include <windows.h>

#include <cstdint>
#include <string>

#include "settings/WindowMessages.h"

constexpr uint16_t kPayloadSettingsEntry = 200;
constexpr uint16_t kPayloadPackageEntry = 100;
constexpr int kPayloadModeSettings = 200;
constexpr int kPayloadModePackage = 100;
constexpr size_t kPayloadMarkerBytes = 76;
constexpr uint32_t kPayloadMaxNameBytes = 1022;
constexpr wchar_t kPayloadMarkerText[] = L"{20726377-9F91-41b8-B514-20AE00AA235D}";
constexpr UINT kMsgPayloadProgress = UM_PROGRESS; // wParam 1: one progress step
constexpr UINT kMsgPayloadLog = UM_LOG_REQUEST;   // wParam: ExtractLogRecord*

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
    Entry,     // `header` holds the entry; the file position is at its data
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
// Reads the entry that starts at the current position of `file` (offset `at`) with the reader's
// name rules. The program and the package builder walk a payload with this one routine.
PayloadHeaderRead ReadPayloadEntryHeader(HANDLE file, int64_t at);
// Why an entry's data does not fit into a file of `fileSize` bytes, or empty.
std::wstring CheckPayloadEntryData(const PayloadEntryHeader& header, int64_t payloadEnd);

class CExtractor {
public:
    CExtractor() = default;
    CExtractor(HWND window, int32_t totalSize) : m_window(window), m_totalSize(totalSize) {}

    // 0 on success, -1 on failure. `destination` ends with "\".
    // mode 200: every entry up to the first package-data entry; mode 100: package-data entries only.
    int ExtractFile(const std::wstring& executable, const std::wstring& destination, int mode, uint32_t offset,
                    uint32_t chunkSize);

private:
    // Mode 100 hands the line to the window (sent, so it is written before the copy goes on);
    // otherwise it goes to the log directly.
    void LogLine(int mode, int kind, const std::wstring& text) const;

    HWND m_window = nullptr;
    int32_t m_totalSize = 0;
};
