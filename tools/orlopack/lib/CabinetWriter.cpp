// Cabinet sets through FCI. The library hands every file operation to the callbacks below; the
// context pointer it passes back (pv) is our WriterContext.
#include "CabinetWriter.h"

#include <windows.h>

#include <fci.h>

#include <fcntl.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <new>

#include "PackText.h"
#include "SourceTree.h"
#include "util/Handles.h"
#include "util/StringUtil.h"
#include "util/Util.h"
#include "util/WideFormat.h"

namespace orlopack {

namespace {

// Folders are closed at this size: MSZIP keeps no history across blocks worth more, and smaller
// folders keep the library's temporary files small.
constexpr ULONG kFolderThreshold = 128u * 1024 * 1024;

struct WriterContext {
    const std::vector<CabinetEntry>* entries = nullptr;
    const CabinetSetOptions* options = nullptr;
    std::wstring folder;                       // ends with "\"
    std::map<std::string, std::wstring> temps; // token -> temp file path
    int tempCounter = 0;
    int cabinetCount = 1;                   // cabinets named so far
    std::vector<std::wstring> cabinetNames; // in set order
    uint64_t bytesDone = 0;
    std::wstring error; // first precise failure seen by a callback
};

WriterContext* Ctx(void* pv)
{
    return static_cast<WriterContext*>(pv);
}

std::wstring SystemText(DWORD code)
{
    return TrimW(CUtil::FormatErrorText(code));
}

std::wstring CabinetName(const WriterContext& ctx, int number)
{
    if (!ctx.options->singleName.empty()) {
        return ctx.options->singleName;
    }
    return PartFileName(ctx.options->baseName, number);
}

std::wstring MapPath(WriterContext& ctx, const char* name)
{
    const auto temp = ctx.temps.find(name);
    if (temp != ctx.temps.end()) {
        return temp->second;
    }
    return ctx.folder + Utf8ToWide(name);
}

void* DIAMONDAPI FciAlloc(ULONG size)
{
    return std::malloc(size);
}
void DIAMONDAPI FciFree(void* memory)
{
    std::free(memory);
}

INT_PTR DIAMONDAPI FciOpen(char* file, int flags, int /*mode*/, int* err, void* pv)
{
    try {
        WriterContext& ctx = *Ctx(pv);
        const std::wstring path = MapPath(ctx, file);
        DWORD access = GENERIC_READ;
        if ((flags & 3) == _O_WRONLY) {
            access = GENERIC_WRITE;
        } else if ((flags & 3) == _O_RDWR) {
            access = GENERIC_READ | GENERIC_WRITE;
        }
        DWORD disposition = OPEN_EXISTING;
        if (flags & _O_CREAT) {
            disposition = (flags & _O_EXCL) ? CREATE_NEW : (flags & _O_TRUNC) ? CREATE_ALWAYS : OPEN_ALWAYS;
        } else if (flags & _O_TRUNC) {
            disposition = TRUNCATE_EXISTING;
        }
        HANDLE handle = ::CreateFileW(LongPath(path).c_str(), access, FILE_SHARE_READ, nullptr, disposition,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle == INVALID_HANDLE_VALUE) {
            const DWORD code = ::GetLastError();
            *err = static_cast<int>(code);
            if (ctx.error.empty()) {
                ctx.error = FormatW(L"cannot open %ls: %ls", path.c_str(), SystemText(code).c_str());
            }
            return -1;
        }
        return reinterpret_cast<INT_PTR>(handle);
    } catch (...) {
        *err = ERROR_NOT_ENOUGH_MEMORY;
        return -1;
    }
}

UINT DIAMONDAPI FciRead(INT_PTR file, void* buffer, UINT count, int* err, void* /*pv*/)
{
    DWORD read = 0;
    if (!::ReadFile(reinterpret_cast<HANDLE>(file), buffer, count, &read, nullptr)) {
        *err = static_cast<int>(::GetLastError());
        return static_cast<UINT>(-1);
    }
    return read;
}

UINT DIAMONDAPI FciWrite(INT_PTR file, void* buffer, UINT count, int* err, void* pv)
{
    DWORD written = 0;
    const BOOL ok = ::WriteFile(reinterpret_cast<HANDLE>(file), buffer, count, &written, nullptr);
    if (!ok || written != count) {
        const DWORD code = ok ? ERROR_DISK_FULL : ::GetLastError(); // a short write means the disk is full
        *err = static_cast<int>(code);
        WriterContext& ctx = *Ctx(pv);
        if (ctx.error.empty()) {
            try {
                ctx.error = FormatW(L"cannot write in %ls: %ls", ctx.folder.c_str(), SystemText(code).c_str());
            } catch (...) {
            }
        }
        return static_cast<UINT>(-1);
    }
    return written;
}

int DIAMONDAPI FciClose(INT_PTR file, int* err, void* /*pv*/)
{
    if (!::CloseHandle(reinterpret_cast<HANDLE>(file))) {
        *err = static_cast<int>(::GetLastError());
        return -1;
    }
    return 0;
}

LONG DIAMONDAPI FciSeek(INT_PTR file, LONG distance, int origin, int* err, void* /*pv*/)
{
    LARGE_INTEGER move;
    move.QuadPart = distance;
    LARGE_INTEGER position{};
    const DWORD method = origin == SEEK_CUR ? FILE_CURRENT : origin == SEEK_END ? FILE_END : FILE_BEGIN;
    if (!::SetFilePointerEx(reinterpret_cast<HANDLE>(file), move, &position, method)) {
        *err = static_cast<int>(::GetLastError());
        return -1;
    }
    return static_cast<LONG>(position.QuadPart);
}

int DIAMONDAPI FciDelete(char* file, int* err, void* pv)
{
    try {
        WriterContext& ctx = *Ctx(pv);
        const std::wstring path = MapPath(ctx, file);
        if (!::DeleteFileW(LongPath(path).c_str())) {
            *err = static_cast<int>(::GetLastError());
            return -1;
        }
        ctx.temps.erase(file);
        return 0;
    } catch (...) {
        *err = ERROR_NOT_ENOUGH_MEMORY;
        return -1;
    }
}

// Temporary files live in the staging folder under short tokens, whatever the folder's path.
BOOL DIAMONDAPI FciGetTempFile(char* name, int size, void* pv)
{
    try {
        WriterContext& ctx = *Ctx(pv);
        for (int attempt = 0; attempt < 1000; ++attempt) {
            const int number = ++ctx.tempCounter;
            char tokenText[32];
            std::snprintf(tokenText, sizeof(tokenText), "*fci%d", number);
            const std::string token = tokenText;
            const std::wstring path = ctx.folder + FormatW(L"fci%d.tmp", number);
            if (::GetFileAttributesW(LongPath(path).c_str()) != INVALID_FILE_ATTRIBUTES) {
                continue;
            }
            if (static_cast<int>(token.size()) >= size) {
                return FALSE;
            }
            std::memcpy(name, token.c_str(), token.size() + 1);
            ctx.temps[token] = path;
            return TRUE;
        }
        return FALSE;
    } catch (...) {
        return FALSE;
    }
}

int DIAMONDAPI FciFilePlaced(PCCAB /*cab*/, char* /*file*/, LONG /*size*/, BOOL /*continuation*/, void* /*pv*/)
{
    return 0;
}

// The source name handed to FCIAddFile is "#<index>" into the entry list.
INT_PTR DIAMONDAPI FciGetOpenInfo(char* name, USHORT* date, USHORT* time, USHORT* attributes, int* err, void* pv)
{
    try {
        WriterContext& ctx = *Ctx(pv);
        const size_t index = static_cast<size_t>(std::strtoul(name + 1, nullptr, 10));
        const CabinetEntry& entry = (*ctx.entries)[index];
        HANDLE handle = ::CreateFileW(LongPath(entry.sourcePath).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                      OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
        if (handle == INVALID_HANDLE_VALUE) {
            const DWORD code = ::GetLastError();
            *err = static_cast<int>(code);
            ctx.error = FormatW(L"cannot read %ls: %ls", entry.sourcePath.c_str(), SystemText(code).c_str());
            return -1;
        }
        LARGE_INTEGER size{};
        if (!::GetFileSizeEx(handle, &size) || static_cast<uint64_t>(size.QuadPart) != entry.size) {
            ::CloseHandle(handle);
            *err = ERROR_INVALID_DATA;
            ctx.error = FormatW(L"%ls changed while the package was built", entry.sourcePath.c_str());
            return -1;
        }
        *date = entry.date;
        *time = entry.time;
        *attributes = entry.attributes;
        return reinterpret_cast<INT_PTR>(handle);
    } catch (...) {
        *err = ERROR_NOT_ENOUGH_MEMORY;
        return -1;
    }
}

BOOL DIAMONDAPI FciGetNextCabinet(PCCAB cab, ULONG /*previousSize*/, void* pv)
{
    try {
        WriterContext& ctx = *Ctx(pv);
        if (!ctx.options->singleName.empty()) {
            ctx.error = FormatW(L"the files do not fit one cabinet of %ls; build a multi-part package instead",
                                FormatBytes(ctx.options->partSize).c_str());
            return FALSE;
        }
        const int number = ++ctx.cabinetCount;
        const std::wstring name = CabinetName(ctx, number);
        const std::string bytes = WideToUtf8(name);
        if (bytes.size() >= sizeof(cab->szCab)) {
            ctx.error = FormatW(L"the part name %ls is too long for a cabinet header", name.c_str());
            return FALSE;
        }
        std::memcpy(cab->szCab, bytes.c_str(), bytes.size() + 1);
        ctx.cabinetNames.push_back(name);
        return TRUE;
    } catch (...) {
        return FALSE;
    }
}

LONG DIAMONDAPI FciStatus(UINT type, ULONG compressed, ULONG uncompressed, void* pv)
{
    WriterContext& ctx = *Ctx(pv);
    if (type == statusFile) {
        ctx.bytesDone += uncompressed;
        if (ctx.options->progress) {
            try {
                ctx.options->progress(ctx.bytesDone);
            } catch (...) {
            }
        }
    } else if (type == statusCabinet) {
        return static_cast<LONG>(uncompressed); // the size FCI wrote is the size we accept
    }
    (void)compressed;
    return 0;
}

std::wstring FciErrorText(const ERF& erf)
{
    switch (erf.erfOper) {
    case FCIERR_OPEN_SRC:
        return L"a source file could not be opened";
    case FCIERR_READ_SRC:
        return L"a source file could not be read";
    case FCIERR_ALLOC_FAIL:
        return L"out of memory";
    case FCIERR_TEMP_FILE:
        return L"a temporary file could not be written";
    case FCIERR_BAD_COMPR_TYPE:
        return L"unknown compression type";
    case FCIERR_CAB_FILE:
        return L"a cabinet file could not be written";
    case FCIERR_USER_ABORT:
        return L"the build was aborted";
    case FCIERR_MCI_FAIL:
        return L"compression failed";
    case FCIERR_NONE:
        return L"the cabinet library refused it without a reason";
    default:
        return FormatW(L"cabinet library error %d", erf.erfOper);
    }
}

struct FciTraits {
    using Type = HFCI;
    static Type Empty() noexcept { return nullptr; }
    static void Close(Type h) noexcept { ::FCIDestroy(h); }
};

} // namespace

bool PatchPartHeader(const std::wstring& path, uint16_t cabinetIndex, std::wstring& error)
{
    UniqueFileHandle file(::CreateFileW(LongPath(path).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        const DWORD code = ::GetLastError();
        error = FormatW(L"cannot open %ls: %ls", path.c_str(), SystemText(code).c_str());
        return false;
    }
    uint8_t header[36] = {};
    DWORD read = 0;
    if (!::ReadFile(file.Get(), header, sizeof(header), &read, nullptr) || read != sizeof(header) ||
        std::memcmp(header, "MSCF", 4) != 0) {
        error = FormatW(L"%ls is not a cabinet", path.c_str());
        return false;
    }
    std::memcpy(header, "ORLO", 4);
    header[34] = static_cast<uint8_t>(cabinetIndex & 0xFF);
    header[35] = static_cast<uint8_t>(cabinetIndex >> 8);
    LARGE_INTEGER start{};
    DWORD written = 0;
    if (!::SetFilePointerEx(file.Get(), start, nullptr, FILE_BEGIN) ||
        !::WriteFile(file.Get(), header, sizeof(header), &written, nullptr) || written != sizeof(header)) {
        const DWORD code = ::GetLastError();
        error = FormatW(L"cannot write %ls: %ls", path.c_str(), SystemText(code).c_str());
        return false;
    }
    return true;
}

bool WriteCabinetSet(const std::vector<CabinetEntry>& entries, const CabinetSetOptions& options,
                     CabinetSetResult& result, std::wstring& error)
{
    WriterContext ctx;
    ctx.entries = &entries;
    ctx.options = &options;
    ctx.folder = CUtil::EnsureTrailingBackslash(options.folder);

    CCAB cab{};
    cab.cb = static_cast<ULONG>(options.partSize > kMaxPartSize ? kMaxPartSize : options.partSize);
    cab.cbFolderThresh = cab.cb < kFolderThreshold ? cab.cb : kFolderThreshold;
    cab.iCab = 1;
    cab.iDisk = 1;
    cab.setID = options.setId;
    const std::wstring firstName = CabinetName(ctx, 1);
    const std::string firstBytes = WideToUtf8(firstName);
    if (firstBytes.size() >= sizeof(cab.szCab)) {
        error = FormatW(L"the part name %ls is too long for a cabinet header", firstName.c_str());
        return false;
    }
    std::memcpy(cab.szCab, firstBytes.c_str(), firstBytes.size() + 1);
    ctx.cabinetNames.push_back(firstName);

    ERF erf{};
    UniqueHandle<FciTraits> fci(::FCICreate(&erf, FciFilePlaced, FciAlloc, FciFree, FciOpen, FciRead, FciWrite,
                                            FciClose, FciSeek, FciDelete, FciGetTempFile, &cab, &ctx));
    if (!fci) {
        error = L"the cabinet library could not start: " + (ctx.error.empty() ? FciErrorText(erf) : ctx.error);
        return false;
    }
    const TCOMP compression = options.compression == Compression::MsZip ? tcompTYPE_MSZIP : tcompTYPE_NONE;
    for (size_t i = 0; i < entries.size(); ++i) {
        char source[32];
        std::snprintf(source, sizeof(source), "#%zu", i);
        std::string stored = entries[i].storedName;
        if (!::FCIAddFile(fci.Get(), source, stored.data(), FALSE, FciGetNextCabinet, FciStatus, FciGetOpenInfo,
                          compression)) {
            std::wstring reason = ctx.error.empty() ? FciErrorText(erf) : ctx.error;
            if (ctx.error.empty() && options.singleName.empty()) {
                // The file records of a part must fit the part: many files with long names need room.
                reason += FormatW(L"; the %ls parts may be too small for the file list of this many files, try "
                                  L"a larger part size",
                                  FormatBytes(options.partSize).c_str());
            }
            error = FormatW(L"cannot add %ls to the cabinet set: %ls", entries[i].sourcePath.c_str(), reason.c_str());
            return false;
        }
    }
    if (!::FCIFlushCabinet(fci.Get(), FALSE, FciGetNextCabinet, FciStatus)) {
        error = L"cannot finish the cabinet set: " + (ctx.error.empty() ? FciErrorText(erf) : ctx.error);
        return false;
    }
    fci.Reset();

    // FCI may name a cabinet that it then never needs; only cabinets that exist belong to the set.
    result.cabinetPaths.clear();
    for (const std::wstring& name : ctx.cabinetNames) {
        const std::wstring path = ctx.folder + name;
        if (::GetFileAttributesW(LongPath(path).c_str()) == INVALID_FILE_ATTRIBUTES) {
            break;
        }
        result.cabinetPaths.push_back(path);
    }
    // Cabinet libraries differ in how they number the cabinets of a set; the front end wants the
    // part number minus 1, so the index is written here together with the product magic.
    for (size_t i = 0; i < result.cabinetPaths.size(); ++i) {
        if (!PatchPartHeader(result.cabinetPaths[i], static_cast<uint16_t>(i), error)) {
            return false;
        }
    }
    return true;
}

} // namespace orlopack
