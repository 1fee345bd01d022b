#pragma once
// CExtractor: reads the payload appended behind the executable's image (entries: PayloadEntry.h).
#include <windows.h>

#include <cstdint>
#include <string>

#include "settings/PayloadEntry.h"
#include "settings/WindowMessages.h"

constexpr int kPayloadModeSettings = 200;
constexpr int kPayloadModePackage = 100;
constexpr UINT kMsgPayloadProgress = UM_PROGRESS; // wParam 1: one progress step
constexpr UINT kMsgPayloadLog = UM_LOG_REQUEST;   // wParam: ExtractLogRecord*

// The entry at the current position of `file` (offset `at`); the program and the package builder
// walk a payload with this one routine.
PayloadHeaderRead ReadPayloadEntryHeader(HANDLE file, int64_t at);

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
