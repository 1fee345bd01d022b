// CExtractor: copies the payload's files out of the executable.
#include "settings/Payload.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>

#include "log/BuildLogFile.h"
#include "settings/OrloInitalizer.h"
#include "settings/PeSignature.h"
#include "util/Handles.h"
#include "util/NameRules.h"
#include "util/ProcessContext.h"
#include "util/StringUtil.h"
#include "util/Util.h"
#include "util/WideFormat.h"

namespace {
constexpr wchar_t kFunction[] = L"ExtractFile";

std::wstring SystemErrorText(DWORD error)
{
    std::wstring text = TrimW(CUtil::FormatErrorText(error));
    return text.empty() ? FormatW(L"Error code : %lu", error) : text;
}

// Reads up to `size` bytes; false only when the system reports a read error.
bool ReadBytes(HANDLE file, void* buffer, DWORD size, DWORD& read)
{
    read = 0;
    return ::ReadFile(file, buffer, size, &read, nullptr) != FALSE;
}
} // namespace

PayloadHeaderRead ReadPayloadEntryHeader(HANDLE file, int64_t at)
{
    return ReadPayloadEntryHeader(
        [file](void* buffer, DWORD size, DWORD& read, DWORD& error) {
            read = 0;
            const bool done = ::ReadFile(file, buffer, size, &read, nullptr) != FALSE;
            error = ::GetLastError();
            return done;
        },
        at);
}

void CExtractor::LogLine(int mode, int kind, const std::wstring& text) const
{
    if (mode != kPayloadModePackage) {
        Log().WriteLineText(kind, kFunction, text);
        return;
    }
    if (m_window == nullptr || !::IsWindow(m_window)) {
        return;
    }
    // A record per line: the window may still be reading one while the next is prepared elsewhere.
    ExtractLogRecord record;
    record.kind = kind;
    record.function = kFunction;
    record.format = L"%ls";
    record.argument = text;
    ::SendMessageW(m_window, kMsgPayloadLog, reinterpret_cast<WPARAM>(&record), 0);
}

int CExtractor::ExtractFile(const std::wstring& executable, const std::wstring& destination, int mode, uint32_t offset,
                            uint32_t chunkSize)
{
    const std::wstring folder = CUtil::EnsureTrailingBackslash(destination);
    auto fail = [&](const std::wstring& text) {
        LogLine(mode, kLogError, text);
        return -1;
    };
    auto failWithSystemError = [&](DWORD error) { return fail(SystemErrorText(error)); };
    if (folder.empty()) {
        // Without a folder the names would land in the current directory.
        return fail(L"No destination folder for the attached files");
    }

    UniqueFileHandle file(::CreateFileW(executable.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                        FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file) {
        const DWORD error = ::GetLastError();
        return fail(FormatW(L"Error opening file : %ls Error code : %d ", executable.c_str(), static_cast<int>(error)));
    }
    // A signed package's certificate table follows the payload: no entry may reach into it.
    const CertificateTable signature = ReadCertificateTable(file.Get());
    LARGE_INTEGER target{};
    target.QuadPart = offset;
    LARGE_INTEGER position{};
    if (!::SetFilePointerEx(file.Get(), target, &position, FILE_BEGIN) || position.QuadPart != target.QuadPart) {
        const DWORD error = ::GetLastError();
        return fail(FormatW(L"Error seeking file : %ls  to : %lu Error code : %d", executable.c_str(),
                            static_cast<unsigned long>(offset), static_cast<int>(error)));
    }
    LARGE_INTEGER fileSize{};
    if (!::GetFileSizeEx(file.Get(), &fileSize)) {
        return failWithSystemError(::GetLastError());
    }
    const int64_t payloadEnd =
        static_cast<int64_t>(PayloadEnd(static_cast<uint64_t>(fileSize.QuadPart), offset, signature));

    const int64_t total = static_cast<int64_t>(m_totalSize) - offset;
    const bool reportProgress = mode == kPayloadModePackage && m_window != nullptr && total > 0;
    const int64_t progressStep = std::max<int64_t>(1, total / 100);
    int64_t progressCount = 0;
    int progressPosted = 0; // never more than the bar's 100 steps, whatever the total claims

    const uint32_t chunk = chunkSize != 0 ? chunkSize : static_cast<uint32_t>(kPayloadChunkSize);
    std::unique_ptr<uint8_t[]> buffer(new (std::nothrow) uint8_t[chunk]);
    if (!buffer) {
        return failWithSystemError(ERROR_NOT_ENOUGH_MEMORY);
    }

    int64_t at = position.QuadPart; // where the next read starts
    for (;;) {
        LogLine(mode, kLogDetail, L"Reading footer information");
        const PayloadHeaderRead entry = ReadPayloadEntryHeader(file.Get(), at);
        if (entry.result == PayloadHeaderResult::ReadError) {
            return failWithSystemError(entry.error);
        }
        if (entry.result == PayloadHeaderResult::EndOfFile) {
            LogLine(mode, kLogDetail,
                    FormatW(L"Reached EOF : %ls \n FileSize : %d, ActualRead : %d Last Return code : %d",
                            executable.c_str(), static_cast<int>(kPayloadMarkerBytes),
                            static_cast<int>(entry.markerBytes), static_cast<int>(entry.error)));
            break;
        }
        if (entry.result == PayloadHeaderResult::End) {
            LogLine(mode, kLogInfo, L"Attached files are extracted");
            return 0;
        }
        if (entry.result == PayloadHeaderResult::Refused) {
            return fail(entry.problem);
        }
        const std::wstring& name = entry.header.name;
        const uint32_t dataSize = entry.header.dataSize;
        const uint16_t type = entry.header.type;
        at = entry.header.dataOffset;

        if (mode == kPayloadModeSettings && type == kPayloadPackageEntry) {
            break; // package data is not a settings file: start-up stops here
        }
        const std::wstring dataProblem = CheckPayloadEntryData(entry.header, payloadEnd);
        if (!dataProblem.empty()) {
            return fail(dataProblem);
        }
        if (mode == kPayloadModePackage && type != kPayloadPackageEntry) {
            LARGE_INTEGER skip{};
            skip.QuadPart = dataSize;
            if (!::SetFilePointerEx(file.Get(), skip, nullptr, FILE_CURRENT)) {
                return failWithSystemError(::GetLastError());
            }
            at += dataSize;
            continue;
        }

        const std::wstring outputPath = folder + name;
        UniqueFileHandle output(::CreateFileW(outputPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                              CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!output) {
            const DWORD error = ::GetLastError();
            return fail(
                FormatW(L"Error creating file : %ls Error code : %d ", outputPath.c_str(), static_cast<int>(error)));
        }
        LogLine(mode, kLogInfo, FormatW(L"Extracting file : %ls", outputPath.c_str()));

        uint32_t left = dataSize;
        while (left > 0) {
            const DWORD want = std::min(left, chunk);
            DWORD got = 0;
            if (!ReadBytes(file.Get(), buffer.get(), want, got)) {
                return failWithSystemError(::GetLastError());
            }
            if (got != want) {
                return fail(FormatW(L"Truncated payload entry : %ls Data size : %lu, Available : %lu", name.c_str(),
                                    static_cast<unsigned long>(dataSize),
                                    static_cast<unsigned long>(dataSize - left + got)));
            }
            DWORD written = 0;
            if (!::WriteFile(output.Get(), buffer.get(), got, &written, nullptr) || written != got) {
                const DWORD error = ::GetLastError();
                return failWithSystemError(error != 0 ? error : ERROR_DISK_FULL);
            }
            if (!::FlushFileBuffers(output.Get())) {
                return failWithSystemError(::GetLastError());
            }
            left -= got;
            at += got;
            if (reportProgress) {
                // One step per hundredth of the total, remainder carried: the bar reaches its end.
                progressCount += got;
                while (progressCount >= progressStep && progressPosted < 100) {
                    ::PostMessageW(m_window, kMsgPayloadProgress, 1, 0);
                    progressCount -= progressStep;
                    ++progressPosted;
                }
            }
            if (Flags().PayloadCancel.exchange(0) != 0) {
                return -1; // cancelled by the window; the handles close on the way out
            }
        }
        LogLine(mode, kLogInfo, FormatW(L"Closing file : %ls", outputPath.c_str()));
    }
    return 0;
}
