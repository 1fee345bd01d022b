// The engine's plumbing: the library module and context, the file operations the library calls,
// the extraction loop and the header queries. The notifications are in CabNotify.cpp.
#include "cabinet/CabDecompressor.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cstdlib>
#include <cstring>

#include "cabinet/CabNames.h"
#include "cabinet/CabReader.h"
#include "log/LogFile.h"
#include "settings/WorkerReports.h"
#include "util/StringUtil.h"

namespace {
thread_local CCabDecompressor* g_currentEngine = nullptr;

constexpr char kProductMagic[4] = {'O', 'R', 'L', 'O'};
constexpr char kCabinetMagic[4] = {'M', 'S', 'C', 'F'};

HANDLE AsHandle(INT_PTR value)
{
    return reinterpret_cast<HANDLE>(value);
}
} // namespace

CCabDecompressor::CCabDecompressor(const CabEngineOptions& options, RunFlags& flags, PathLists& paths, CLogFile& log)
    : m_options(options), m_protectedFiles(options.protectedFiles), m_flags(flags), m_paths(paths), m_log(log)
{
}

CCabDecompressor::~CCabDecompressor()
{
    m_reader.reset();
    DestroyContext();
    for (const auto& [handle, position] : m_readPositions) {
        (void)position;
        ::CloseHandle(AsHandle(handle));
    }
    m_readPositions.clear();
    if (g_currentEngine == this) {
        g_currentEngine = nullptr;
    }
}

void CCabDecompressor::DestroyContext()
{
    if (m_context != nullptr && m_fdiDestroy != nullptr) {
        CCabDecompressor* previous = g_currentEngine;
        g_currentEngine = this; // FDIDestroy frees through our callbacks
        m_fdiDestroy(m_context);
        g_currentEngine = previous == this ? nullptr : previous;
    }
    m_context = nullptr;
}

bool CCabDecompressor::CreateContext()
{
    g_currentEngine = this;
    m_error.Clear();
    if (m_context != nullptr) {
        return true;
    }
    if (!m_module) {
        // From the system folder only: a Cabinet.dll beside a downloaded package must not be loaded.
        wchar_t system[MAX_PATH] = {};
        const UINT length = ::GetSystemDirectoryW(system, MAX_PATH);
        const std::wstring path =
            (length > 0 && length < MAX_PATH ? std::wstring(system, length) + L"\\" : std::wstring()) + L"Cabinet.dll";
        m_module.Reset(::LoadLibraryW(path.c_str()));
        if (m_module) {
            m_fdiCreate = reinterpret_cast<decltype(m_fdiCreate)>(
                reinterpret_cast<void*>(::GetProcAddress(m_module.Get(), "FDICreate")));
            m_fdiCopy = reinterpret_cast<decltype(m_fdiCopy)>(
                reinterpret_cast<void*>(::GetProcAddress(m_module.Get(), "FDICopy")));
            m_fdiIsCabinet = reinterpret_cast<decltype(m_fdiIsCabinet)>(
                reinterpret_cast<void*>(::GetProcAddress(m_module.Get(), "FDIIsCabinet")));
            m_fdiDestroy = reinterpret_cast<decltype(m_fdiDestroy)>(
                reinterpret_cast<void*>(::GetProcAddress(m_module.Get(), "FDIDestroy")));
        }
        if (!m_module || m_fdiCreate == nullptr || m_fdiCopy == nullptr || m_fdiIsCabinet == nullptr ||
            m_fdiDestroy == nullptr) {
            m_module.Reset();
            m_fdiCreate = nullptr;
            m_fdiCopy = nullptr;
            m_fdiIsCabinet = nullptr;
            m_fdiDestroy = nullptr;
            m_error.Set(kCabErrorLoadLibrary, 0);
            return false;
        }
    }
    m_context = m_fdiCreate(&CallbackAlloc, &CallbackFree, &CallbackOpen, &CallbackRead, &CallbackWrite, &CallbackClose,
                            &CallbackSeek, cpu80386, m_error.Erf());
    return m_context != nullptr;
}

void CCabDecompressor::ResetForOperation()
{
    m_abort = false;
    m_output = OutputFile{};
    m_error.Clear();
    m_readPositions.clear();
    m_lastWin32Error = 0;
    m_keepWriteTime = false;
    m_nextCabinetCounter = 1;
    m_afterNextCabinet = false;
    m_renamedParts.clear();
    m_handledTargets.clear();
    m_readyFolders.clear();
}

std::wstring CCabDecompressor::GetErrorText()
{
    return m_error.GetText();
}

int CCabDecompressor::ExtractCabinet(const std::wstring& cabinetPath, const std::wstring& targetFolder)
{
    if (!CreateContext()) {
        return m_error.GetCode();
    }
    ResetForOperation();

    std::wstring target = targetFolder;
    if (target.size() > 1 && target.back() != L'\\') {
        target += L'\\';
    }
    m_targetFolder = target;

    const size_t slash = cabinetPath.rfind(L'\\');
    const std::wstring folder = slash == std::wstring::npos ? std::wstring() : cabinetPath.substr(0, slash + 1);
    std::wstring name = slash == std::wstring::npos ? cabinetPath : cabinetPath.substr(slash + 1);
    if (target.size() < 3 || folder.size() < 2 || name.size() < 2) {
        m_error.Set(kCabErrorInvalidParameters, 0);
        return kCabErrorInvalidParameters;
    }
    m_nextCabinetName = name;

    CStrA folderUtf8 = CStrA::FromWide(folder);
    std::set<std::wstring> visited;
    for (;;) {
        visited.insert(ToLowerW(name));
        CStrA nameUtf8 = CStrA::FromWide(name);
        if (!CopyCabinet(nameUtf8, folderUtf8)) {
            break;
        }
        // Write failures reach us first (some library builds do not check writes): stop there too.
        if (m_abort || m_error.HasError()) {
            break;
        }
        const std::wstring next = m_nextCabinetName.Str();
        if (next.empty() || EqualsNoCase(next, name) || visited.count(ToLowerW(next)) != 0) {
            break;
        }
        name = next;
    }
    // Every handed file is closed before anything is removed or reported and before the caller
    // cleans up.
    FinishHandedFiles();
    FinishOutput();
    if (m_options.reports != nullptr) {
        m_options.reports->Hold(); // the window has every line of the extraction when it returns
    }
    if (!m_error.HasError()) {
        return 0;
    }
    return m_error.GetOwnCode() != 0 ? m_error.GetOwnCode() : m_error.GetCode();
}

bool CCabDecompressor::CopyCabinet(CStrA& name, CStrA& folder)
{
    if (m_options.decoder == CabDecoder::Own) {
        if (!m_reader) {
            m_reader = std::make_unique<CCabReader>(static_cast<CabReaderHost&>(*this));
        }
        switch (m_reader->Copy(name.Str(), folder.Str(), this, *m_error.Erf())) {
        case CCabReader::Result::Done:
            return true;
        case CCabReader::Result::Failed:
            return false;
        case CCabReader::Result::Foreign:
            break; // a folder type of the library's: the library copies this cabinet
        }
    }
    g_currentEngine = this;
    return m_fdiCopy(m_context, name.Buffer(), folder.Buffer(), 0, &FdiCallback, nullptr, this) != FALSE;
}

INT_PTR CCabDecompressor::ReaderOpen(const std::string& path)
{
    return OpenForDecompressor(path.c_str(), _O_RDONLY | _O_BINARY);
}

INT_PTR CCabDecompressor::ReaderNotify(FDINOTIFICATIONTYPE type, FDINOTIFICATION& notification)
{
    try {
        return OnNotify(type, &notification);
    } catch (...) {
        // Only the string buffers throw, on exhausted memory.
        m_error.Set(5, 0);
        RequestAbort();
        return -1;
    }
}

void CCabDecompressor::FinishOutput()
{
    if (m_output.handle > 0) {
        Close(m_output.handle);
    }
    // A file that was not written to its end is no use to anyone: remove it. (A complete one has
    // gone to the closer and left m_output.)
    if (!m_output.path.empty()) {
        ::SetFileAttributesW(LongPath(m_output.path).c_str(), FILE_ATTRIBUTE_NORMAL);
        ::DeleteFileW(LongPath(m_output.path).c_str());
    }
    m_output = OutputFile{};
}

bool CCabDecompressor::IsCabinet(const std::wstring& path, FDICABINETINFO& info)
{
    if (!CreateContext()) {
        return false;
    }
    const INT_PTR handle = TrackedOpen(path, _O_RDONLY | _O_BINARY, _S_IREAD);
    if (handle == -1) {
        return false;
    }
    FDICABINETINFO read{};
    const BOOL isCabinet = m_fdiIsCabinet(m_context, handle, &read);
    Close(handle);
    if (!isCabinet) {
        return false;
    }
    info = read;
    return true;
}

uint16_t CCabDecompressor::GetCabinetSetId(const std::wstring& path)
{
    FDICABINETINFO info{};
    if (!CreateContext() || !IsCabinet(path, info)) {
        return 0xFFFF;
    }
    return info.setID;
}

bool CCabDecompressor::ValidateCabinetFile(const std::wstring& path)
{
    bool result = true;
    FDICABINETINFO info{};
    if (!CreateContext() || !IsCabinet(path, info)) {
        return false;
    }
    std::wstring digits;
    const int number = ParsePartNumber(path, digits);
    if (number < 1) {
        m_log.WriteLine(kLogDetail, L"ValidateCabinetFile", L"Could not get cab number for cabinet.");
        return false;
    }
    if (static_cast<uint16_t>(info.setID) != m_options.setId) {
        m_log.WriteLine(kLogDetail, L"ValidateCabinetFile", L"Cabinet GUID not matching");
        result = false;
    }
    if (static_cast<int>(info.iCabinet) != number - 1) {
        m_log.WriteLine(kLogDetail, L"ValidateCabinetFile", L"Cabinet number from Name : %ls", digits.c_str());
        m_log.WriteLine(kLogDetail, L"ValidateCabinetFile", L"Cabinet number from Cabinet information : %ls",
                        std::to_wstring(info.iCabinet).c_str());
        m_log.WriteLine(kLogDetail, L"ValidateCabinetFile", L"Cabinet ID not correct");
        result = false;
    }
    return result;
}

// ---- File operations

void* CCabDecompressor::Allocate(ULONG size)
{
    return std::malloc(size);
}

void CCabDecompressor::Release(void* block)
{
    std::free(block);
}

INT_PTR CCabDecompressor::Open(const std::wstring& path, int flags, int mode)
{
    (void)mode;
    const std::wstring longPath = LongPath(path);
    DWORD access = GENERIC_READ;
    if ((flags & (_O_WRONLY | _O_RDWR)) == _O_WRONLY) {
        access = GENERIC_WRITE;
    } else if ((flags & _O_RDWR) != 0) {
        access = GENERIC_READ | GENERIC_WRITE;
    }
    DWORD disposition = OPEN_EXISTING;
    if ((flags & _O_CREAT) != 0) {
        disposition = (flags & _O_EXCL) != 0 ? CREATE_NEW : (flags & _O_TRUNC) != 0 ? CREATE_ALWAYS : OPEN_ALWAYS;
    } else if ((flags & _O_TRUNC) != 0) {
        disposition = TRUNCATE_EXISTING;
    }
    auto open = [&] {
        return ::CreateFileW(longPath.c_str(), access, FILE_SHARE_READ, nullptr, disposition,
                             FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    };
    HANDLE handle = open();
    if (handle == INVALID_HANDLE_VALUE && (flags & _O_CREAT) != 0 && ::GetLastError() == ERROR_ACCESS_DENIED) {
        // A read-only, hidden or system file is replaced, not refused: make it normal and retry.
        if (::SetFileAttributesW(longPath.c_str(), FILE_ATTRIBUTE_NORMAL)) {
            handle = open();
        } else {
            ::SetLastError(ERROR_ACCESS_DENIED);
        }
    }
    if (handle == INVALID_HANDLE_VALUE) {
        return -1;
    }
    return reinterpret_cast<INT_PTR>(handle);
}

INT_PTR CCabDecompressor::TrackedOpen(const std::wstring& path, int flags, int mode)
{
    const INT_PTR handle = Open(path, flags, mode);
    if (handle == -1) {
        m_lastWin32Error = ::GetLastError();
        return -1;
    }
    if ((mode & _S_IWRITE) != 0) {
        m_output = OutputFile{};
        m_output.handle = handle;
        m_output.path = path;
    } else {
        const std::lock_guard<std::mutex> lock(m_readPositionsLock);
        m_readPositions[handle] = 0;
    }
    return handle;
}

UINT CCabDecompressor::Read(INT_PTR handle, void* buffer, UINT count)
{
    DWORD read = 0;
    if (!::ReadFile(AsHandle(handle), buffer, count, &read, nullptr)) {
        return static_cast<UINT>(-1);
    }
    const std::lock_guard<std::mutex> lock(m_readPositionsLock);
    const auto position = m_readPositions.find(handle);
    if (position == m_readPositions.end()) {
        return read;
    }
    if (position->second == 0 && read >= 4) {
        auto* bytes = static_cast<char*>(buffer);
        if (std::memcmp(bytes, kProductMagic, 4) != 0) {
            m_error.Set(kCabErrorNotCabinet, 0);
            return static_cast<UINT>(-1);
        }
        std::memcpy(bytes, kCabinetMagic, 4);
    }
    position->second += read;
    return read;
}

UINT CCabDecompressor::Write(INT_PTR handle, const void* buffer, UINT count)
{
    if (m_abort) {
        return static_cast<UINT>(-1); // the library may go on decoding the file: write no more of it
    }
    if (m_options.reports != nullptr) {
        m_options.reports->PostIfDue(); // a large file: its "Extracting" line should not wait for its end
    }
    DWORD written = 0;
    const BOOL ok = ::WriteFile(AsHandle(handle), buffer, count, &written, nullptr);
    if (handle == m_output.handle) {
        m_output.written += written;
    }
    if (!ok || written != count) {
        // A full disk: stop the extraction here, whether or not the library checks the count.
        FailTargetFile();
        return static_cast<UINT>(-1);
    }
    return written;
}

void CCabDecompressor::FailTargetFile()
{
    if (m_error.GetOwnCode() == 0) {
        m_error.Set(kCabErrorTargetFile, 0);
    }
    RequestAbort();
}

// A failed close can mean data that never reached the disk (a network share): a failed write.
bool CCabDecompressor::FinishHandedFiles()
{
    if (m_closer.Drain()) {
        return true;
    }
    FailTargetFile();
    return false;
}

int CCabDecompressor::Close(INT_PTR handle)
{
    if (handle < 1) {
        return 0;
    }
    const int result = ::CloseHandle(AsHandle(handle)) ? 0 : -1;
    if (handle == m_output.handle) {
        m_output.handle = 0;
    }
    const std::lock_guard<std::mutex> lock(m_readPositionsLock);
    m_readPositions.erase(handle);
    return result;
}

LONG CCabDecompressor::Seek(INT_PTR handle, LONG distance, int origin)
{
    const DWORD method = origin == SEEK_SET ? FILE_BEGIN : origin == SEEK_CUR ? FILE_CURRENT : FILE_END;
    LARGE_INTEGER move;
    move.QuadPart = distance;
    LARGE_INTEGER position;
    if (!::SetFilePointerEx(AsHandle(handle), move, &position, method)) {
        return -1;
    }
    const std::lock_guard<std::mutex> lock(m_readPositionsLock);
    const auto found = m_readPositions.find(handle);
    if (found != m_readPositions.end()) {
        found->second = position.QuadPart;
    }
    return static_cast<LONG>(position.QuadPart);
}

// ---- Library callbacks: plain functions that forward to the current engine and let nothing escape.

void* DIAMONDAPI CCabDecompressor::CallbackAlloc(ULONG size) noexcept
{
    return g_currentEngine != nullptr ? g_currentEngine->Allocate(size) : std::malloc(size);
}

void DIAMONDAPI CCabDecompressor::CallbackFree(void* block) noexcept
{
    if (g_currentEngine != nullptr) {
        g_currentEngine->Release(block);
    } else {
        std::free(block);
    }
}

INT_PTR DIAMONDAPI CCabDecompressor::CallbackOpen(char* name, int flags, int mode) noexcept
{
    (void)mode;
    CCabDecompressor* engine = g_currentEngine;
    if (engine == nullptr || name == nullptr) {
        return -1;
    }
    return engine->OpenForDecompressor(name, flags);
}

// Every file a decompressor opens is a cabinet it reads.
INT_PTR CCabDecompressor::OpenForDecompressor(const char* name, int flags)
{
    try {
        std::wstring path = CStrW::FromUtf8(name).Str();
        // The decompressor asks for the next part under the name the cabinet recorded; the part
        // lies under the package's own base name.
        const size_t slash = path.rfind(L'\\');
        const std::wstring file = slash == std::wstring::npos ? path : path.substr(slash + 1);
        const auto renamed = m_renamedParts.find(ToLowerW(file));
        if (renamed != m_renamedParts.end()) {
            path = (slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1)) + renamed->second;
        }
        return TrackedOpen(path, flags, _S_IREAD);
    } catch (...) {
        return -1;
    }
}

UINT DIAMONDAPI CCabDecompressor::CallbackRead(INT_PTR handle, void* buffer, UINT count) noexcept
{
    return g_currentEngine != nullptr ? g_currentEngine->Read(handle, buffer, count) : static_cast<UINT>(-1);
}

UINT DIAMONDAPI CCabDecompressor::CallbackWrite(INT_PTR handle, void* buffer, UINT count) noexcept
{
    return g_currentEngine != nullptr ? g_currentEngine->Write(handle, buffer, count) : static_cast<UINT>(-1);
}

int DIAMONDAPI CCabDecompressor::CallbackClose(INT_PTR handle) noexcept
{
    return g_currentEngine != nullptr ? g_currentEngine->Close(handle) : -1;
}

LONG DIAMONDAPI CCabDecompressor::CallbackSeek(INT_PTR handle, LONG distance, int origin) noexcept
{
    return g_currentEngine != nullptr ? g_currentEngine->Seek(handle, distance, origin) : -1;
}

INT_PTR DIAMONDAPI CCabDecompressor::FdiCallback(FDINOTIFICATIONTYPE type, PFDINOTIFICATION notification) noexcept
{
    CCabDecompressor* engine = notification != nullptr && notification->pv != nullptr
                                   ? static_cast<CCabDecompressor*>(notification->pv)
                                   : g_currentEngine;
    if (engine == nullptr) {
        return -1;
    }
    try {
        return engine->OnNotify(type, notification);
    } catch (...) {
        // Only the string buffers throw, on exhausted memory.
        engine->m_error.Set(5, 0);
        engine->RequestAbort();
        return -1;
    }
}
