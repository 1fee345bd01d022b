// CPayloadWriter: builds a package from a stub executable and payload entries.
#include "settings/PayloadWriter.h"

#include <algorithm>

#include "settings/Payload.h"
#include "util/Handles.h"
#include "util/StringUtil.h"
#include "util/Util.h"
#include "util/WideFormat.h"
#include "version/VersionInfoUpdater.h"

namespace {
constexpr DWORD kCopyBlock = 1u << 20;

std::wstring Reason(const std::wstring& what, DWORD code)
{
    return what + L": " + TrimW(CUtil::FormatErrorText(code)) + FormatW(L" (%lu)", code);
}

DWORD WriteAll(HANDLE file, const uint8_t* data, size_t size)
{
    while (size > 0) {
        const DWORD piece = static_cast<DWORD>(std::min<size_t>(size, kCopyBlock));
        DWORD written = 0;
        if (!::WriteFile(file, data, piece, &written, nullptr)) {
            return ::GetLastError();
        }
        if (written == 0) {
            return ERROR_WRITE_FAULT;
        }
        data += written;
        size -= written;
    }
    return 0;
}

// Appends one entry: header, then the data from memory or streamed from its source file.
DWORD AppendEntry(HANDLE out, const PayloadEntry& entry, std::wstring& error)
{
    if (entry.sourcePath.empty()) {
        if (entry.data.size() > UINT32_MAX) {
            error = L"Entry too large: " + entry.name;
            return ERROR_FILE_TOO_LARGE;
        }
        const auto header = EncodePayloadEntryHeader(entry.name, static_cast<uint32_t>(entry.data.size()), entry.type);
        DWORD code = WriteAll(out, header.data(), header.size());
        if (code == 0) {
            code = WriteAll(out, entry.data.data(), entry.data.size());
        }
        if (code != 0) {
            error = Reason(L"Cannot write entry " + entry.name, code);
        }
        return code;
    }

    UniqueFileHandle in(::CreateFileW(entry.sourcePath.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                      FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!in) {
        const DWORD code = ::GetLastError();
        error = Reason(L"Cannot open " + entry.sourcePath, code);
        return code;
    }
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(in.Get(), &size)) {
        const DWORD code = ::GetLastError();
        error = Reason(L"Cannot read the size of " + entry.sourcePath, code);
        return code;
    }
    if (static_cast<uint64_t>(size.QuadPart) > UINT32_MAX) {
        error = L"File too large for a payload entry (4 GiB at most): " + entry.sourcePath;
        return ERROR_FILE_TOO_LARGE;
    }
    const uint32_t dataSize = static_cast<uint32_t>(size.QuadPart);
    const auto header = EncodePayloadEntryHeader(entry.name, dataSize, entry.type);
    if (const DWORD code = WriteAll(out, header.data(), header.size()); code != 0) {
        error = Reason(L"Cannot write entry " + entry.name, code);
        return code;
    }
    std::vector<uint8_t> buffer(std::min<uint32_t>(std::max<uint32_t>(dataSize, 1), kCopyBlock));
    uint32_t left = dataSize;
    while (left > 0) {
        const DWORD want = std::min<uint32_t>(left, static_cast<uint32_t>(buffer.size()));
        DWORD got = 0;
        if (!::ReadFile(in.Get(), buffer.data(), want, &got, nullptr)) {
            const DWORD code = ::GetLastError();
            error = Reason(L"Cannot read " + entry.sourcePath, code);
            return code;
        }
        if (got != want) {
            error = L"File changed while it was packed: " + entry.sourcePath;
            return ERROR_HANDLE_EOF;
        }
        if (const DWORD code = WriteAll(out, buffer.data(), got); code != 0) {
            error = Reason(L"Cannot write entry " + entry.name, code);
            return code;
        }
        left -= got;
    }
    return 0;
}

// Entries that the reader would refuse or never reach are refused before anything is written.
DWORD CheckEntries(const std::vector<PayloadEntry>& entries, std::wstring& error)
{
    bool packageDataSeen = false;
    for (const PayloadEntry& entry : entries) {
        const std::wstring problem = CheckPayloadEntryName(
            static_cast<uint32_t>(std::min<size_t>(entry.name.size() * 2, UINT32_MAX)), entry.name);
        if (!problem.empty()) {
            error = problem;
            return ERROR_INVALID_NAME;
        }
        if (entry.type != kPayloadSettingsEntry && entry.type != kPayloadPackageEntry) {
            error = FormatW(L"Unknown payload entry type %u: %ls", entry.type, entry.name.c_str());
            return ERROR_INVALID_PARAMETER;
        }
        if (entry.type == kPayloadPackageEntry) {
            packageDataSeen = true;
        } else if (packageDataSeen) {
            // Start-up stops reading settings at the first package-data entry.
            error = L"Settings entry after package data: " + entry.name;
            return ERROR_INVALID_DATA;
        }
    }
    return 0;
}
} // namespace

std::vector<uint8_t> EncodePayloadEntryHeader(const std::wstring& name, uint32_t dataSize, uint16_t type)
{
    std::vector<uint8_t> bytes;
    auto put16 = [&](uint16_t v) {
        bytes.push_back(static_cast<uint8_t>(v));
        bytes.push_back(static_cast<uint8_t>(v >> 8));
    };
    auto put32 = [&](uint32_t v) {
        put16(static_cast<uint16_t>(v));
        put16(static_cast<uint16_t>(v >> 16));
    };
    bytes.reserve(kPayloadMarkerBytes + 10 + name.size() * 2);
    for (size_t i = 0; i < kPayloadMarkerBytes / 2; ++i) {
        put16(static_cast<uint16_t>(kPayloadMarkerText[i]));
    }
    put32(static_cast<uint32_t>(name.size() * 2));
    for (wchar_t c : name) {
        put16(static_cast<uint16_t>(c));
    }
    put32(dataSize);
    put16(type);
    return bytes;
}

DWORD CPayloadWriter::AppendEntries(const std::wstring& file, const std::vector<PayloadEntry>& entries,
                                    std::wstring& error)
{
    UniqueFileHandle out(
        ::CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!out) {
        const DWORD code = ::GetLastError();
        error = Reason(L"Cannot open " + file, code);
        return code;
    }
    LARGE_INTEGER zero{};
    if (!::SetFilePointerEx(out.Get(), zero, nullptr, FILE_END)) {
        const DWORD code = ::GetLastError();
        error = Reason(L"Cannot seek in " + file, code);
        return code;
    }
    for (const PayloadEntry& entry : entries) {
        if (const DWORD code = AppendEntry(out.Get(), entry, error); code != 0) {
            return code;
        }
    }
    if (!::FlushFileBuffers(out.Get())) {
        const DWORD code = ::GetLastError();
        error = Reason(L"Cannot flush " + file, code);
        return code;
    }
    return 0;
}

DWORD CPayloadWriter::WritePackage(const std::wstring& stub, const std::wstring& output,
                                   const std::vector<PayloadEntry>& entries, std::wstring& error)
{
    if (const DWORD code = CheckEntries(entries, error); code != 0) {
        return code;
    }
    std::wstring folder = CUtil::SplitPath(output, 0);
    if (folder.empty()) {
        folder = L".\\";
    }
    wchar_t temp[MAX_PATH] = {};
    if (!::GetTempFileNameW(folder.c_str(), L"opk", 0, temp)) {
        const DWORD code = ::GetLastError();
        error = Reason(L"Cannot create a temporary file in " + folder, code);
        return code;
    }
    const std::wstring tempPath = temp;
    auto abandon = [&](DWORD code) {
        ::DeleteFileW(tempPath.c_str());
        return code;
    };

    if (!::CopyFileW(stub.c_str(), tempPath.c_str(), FALSE)) {
        const DWORD code = ::GetLastError();
        error = Reason(L"Cannot copy " + stub + L" to " + tempPath, code);
        return abandon(code);
    }
    // A read-only stub copies read-only; the package must be writable to stamp and append.
    ::SetFileAttributesW(tempPath.c_str(), FILE_ATTRIBUTE_NORMAL);

    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!::GetFileAttributesExW(tempPath.c_str(), GetFileExInfoStandard, &data)) {
        const DWORD code = ::GetLastError();
        error = Reason(L"Cannot read the size of " + tempPath, code);
        return abandon(code);
    }
    if (data.nFileSizeHigh != 0) {
        error = L"Stub too large: " + stub;
        return abandon(ERROR_FILE_TOO_LARGE);
    }
    const uint32_t offset = data.nFileSizeLow;
    if (const DWORD code = COrloVersionInfoUpdater().WriteStamp(tempPath, offset); code != 0) {
        error = Reason(L"Cannot stamp the payload offset into the version resource of " + stub, code);
        return abandon(code);
    }
    if (const DWORD code = AppendEntries(tempPath, entries, error); code != 0) {
        return abandon(code);
    }
    if (!::MoveFileExW(tempPath.c_str(), output.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        const DWORD code = ::GetLastError();
        error = Reason(L"Cannot move " + tempPath + L" to " + output, code);
        return abandon(code);
    }
    return 0;
}
