// FDI over product-magic parts, for tests only (the product's engine lives elsewhere).
#include "FdiTestExtractor.h"

#include <windows.h>

#include <fdi.h>

#include <fcntl.h>

#include <cstdlib>
#include <cstring>

#include "util/StringUtil.h"
#include "util/Util.h"

namespace fditest {

namespace {

struct Context {
    Result* result = nullptr;
    std::wstring target;
    std::map<INT_PTR, long> readPositions; // cabinet handles and their position
};
thread_local Context* t_context = nullptr;

void* DIAMONDAPI Alloc(ULONG size)
{
    return std::malloc(size);
}
void DIAMONDAPI Free(void* p)
{
    std::free(p);
}

INT_PTR DIAMONDAPI Open(char* name, int flags, int /*mode*/)
{
    const std::wstring path = Utf8ToWide(name);
    const bool write = (flags & 3) != _O_RDONLY;
    HANDLE h =
        ::CreateFileW(path.c_str(), write ? GENERIC_READ | GENERIC_WRITE : GENERIC_READ, FILE_SHARE_READ, nullptr,
                      (flags & _O_CREAT) ? CREATE_ALWAYS : OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        return -1;
    }
    const INT_PTR handle = reinterpret_cast<INT_PTR>(h);
    if (!write) {
        t_context->readPositions[handle] = 0;
        t_context->result->cabinetsOpened.push_back(path);
    }
    return handle;
}

UINT DIAMONDAPI Read(INT_PTR handle, void* buffer, UINT count)
{
    DWORD read = 0;
    if (!::ReadFile(reinterpret_cast<HANDLE>(handle), buffer, count, &read, nullptr)) {
        return static_cast<UINT>(-1);
    }
    auto it = t_context->readPositions.find(handle);
    if (it != t_context->readPositions.end()) {
        if (it->second == 0 && read >= 4) {
            if (std::memcmp(buffer, "ORLO", 4) != 0) {
                t_context->result->magicRefused = true;
                return static_cast<UINT>(-1);
            }
            std::memcpy(buffer, "MSCF", 4);
        }
        it->second += static_cast<long>(read);
    }
    return read;
}

UINT DIAMONDAPI Write(INT_PTR handle, void* buffer, UINT count)
{
    DWORD written = 0;
    if (!::WriteFile(reinterpret_cast<HANDLE>(handle), buffer, count, &written, nullptr)) {
        return static_cast<UINT>(-1);
    }
    return written;
}

int DIAMONDAPI Close(INT_PTR handle)
{
    t_context->readPositions.erase(handle);
    return ::CloseHandle(reinterpret_cast<HANDLE>(handle)) ? 0 : -1;
}

long DIAMONDAPI Seek(INT_PTR handle, long distance, int origin)
{
    LARGE_INTEGER move;
    move.QuadPart = distance;
    LARGE_INTEGER position{};
    if (!::SetFilePointerEx(reinterpret_cast<HANDLE>(handle), move, &position,
                            origin == SEEK_CUR   ? FILE_CURRENT
                            : origin == SEEK_END ? FILE_END
                                                 : FILE_BEGIN)) {
        return -1;
    }
    auto it = t_context->readPositions.find(handle);
    if (it != t_context->readPositions.end()) {
        it->second = static_cast<long>(position.QuadPart);
    }
    return static_cast<long>(position.QuadPart);
}

std::wstring DecodeName(const char* name, uint16_t attributes)
{
    if (attributes & 0x80) {
        return Utf8ToWide(name);
    }
    std::wstring wide;
    for (const char* p = name; *p; ++p) {
        wide += static_cast<wchar_t>(static_cast<uint8_t>(*p));
    }
    return wide;
}

INT_PTR DIAMONDAPI Notify(FDINOTIFICATIONTYPE type, PFDINOTIFICATION n)
{
    Context& ctx = *t_context;
    switch (type) {
    case fdintCOPY_FILE: {
        const std::wstring stored = DecodeName(n->psz1, n->attribs);
        Extracted& record = ctx.result->files[stored];
        ++record.copies;
        record.attributes = n->attribs;
        record.date = n->date;
        record.time = n->time;
        const std::wstring path = ctx.target + (stored[0] == L'\\' ? stored.substr(1) : stored);
        CUtil::CreateParentFolders(path);
        ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        HANDLE h = ::CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL, nullptr);
        return h == INVALID_HANDLE_VALUE ? -1 : reinterpret_cast<INT_PTR>(h);
    }
    case fdintCLOSE_FILE_INFO: {
        HANDLE h = reinterpret_cast<HANDLE>(n->hf);
        FILETIME stamp{};
        ::DosDateTimeToFileTime(n->date, n->time, &stamp);
        if (!(n->attribs & 0x100)) {
            FILETIME local = stamp;
            ::LocalFileTimeToFileTime(&local, &stamp);
        }
        ::SetFileTime(h, &stamp, nullptr, &stamp);
        ::CloseHandle(h);
        const std::wstring stored = DecodeName(n->psz1, n->attribs);
        const std::wstring path = ctx.target + (stored[0] == L'\\' ? stored.substr(1) : stored);
        ::SetFileAttributesW(path.c_str(), (n->attribs & 0x27) ? (n->attribs & 0x27) : FILE_ATTRIBUTE_NORMAL);
        return TRUE;
    }
    default:
        return 0;
    }
}

} // namespace

bool ExtractSet(const std::wstring& folder, const std::vector<std::wstring>& cabinets, const std::wstring& target,
                Result& result)
{
    Context ctx;
    ctx.result = &result;
    ctx.target = target;
    t_context = &ctx;
    ERF erf{};
    HFDI fdi = ::FDICreate(Alloc, Free, Open, Read, Write, Close, Seek, cpuUNKNOWN, &erf);
    if (fdi == nullptr) {
        result.error = L"FDICreate failed";
        t_context = nullptr;
        return false;
    }
    bool ok = true;
    std::string folderBytes = WideToUtf8(folder);
    for (const std::wstring& cabinet : cabinets) {
        std::string name = WideToUtf8(cabinet);
        if (!::FDICopy(fdi, name.data(), folderBytes.data(), 0, Notify, nullptr, nullptr)) {
            result.error = L"FDICopy failed on " + cabinet + L" with FDI error " + std::to_wstring(erf.erfOper);
            ok = false;
            break;
        }
    }
    ::FDIDestroy(fdi);
    t_context = nullptr;
    return ok;
}

} // namespace fditest
