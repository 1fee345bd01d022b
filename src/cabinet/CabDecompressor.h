#pragma once
// CCabDecompressor: extracts a cabinet set through the operating system's cabinet library (FDI in
// Cabinet.dll, loaded at run time) and supplies all of the library's file input and output. On the
// way it turns the product magic "ORLO" back into "MSCF", points the library at the part files under
// the package's own base name, applies the overwrite policy, creates folders, applies stored times
// and attributes, records what it touched (Paths()) and reports to its window.
//
// One engine per extraction or query. The library's callbacks reach the engine through a per-thread
// "current engine", so two engines must not run on one thread at the same time.
#include <windows.h>

#include <fdi.h>

#include <cstdint>
#include <map>
#include <set>
#include <string>

#include "cabinet/CabError.h"
#include "cabinet/CabStrings.h"
#include "log/ExtractLogRecord.h"
#include "util/Handles.h"

// What the before-copy hook is told about a file.
struct CabCopyInfo {
    std::wstring fileName;
    std::wstring relativeFolder;
    std::wstring storedName;
    std::wstring fileFolder;
    std::wstring targetPath;
    uint32_t size = 0;
    uint16_t attributes = 0;
    FILETIME storedTime{};
};

class CCabDecompressor {
public:
    // `partNamePattern` names the package's part files ("Pack.%03d", CUtil::FormatNumberedName):
    // in a multi-part package the library is pointed at those instead of the names the cabinets
    // recorded. Queries and single cabinets do not need it.
    CCabDecompressor(HWND window, int overwriteWithoutPrompting, const std::wstring& partNamePattern);
    virtual ~CCabDecompressor();
    CCabDecompressor(const CCabDecompressor&) = delete;
    CCabDecompressor& operator=(const CCabDecompressor&) = delete;

    // Extracts the set that starts with `cabinetPath` (full path) into `targetFolder`. 0 on success,
    // else a library code; callers ask GetErrorText and then GetErrorCode.
    int ExtractCabinet(const std::wstring& cabinetPath, const std::wstring& targetFolder);
    // The error text; folds the engine's own code into the record, so call it before GetErrorCode.
    std::wstring GetErrorText();
    int GetErrorCode() const { return m_error.GetCode(); }
    // After a failed multi-part extraction: the part with which extraction would have continued.
    std::wstring GetNextCabinetName() const { return m_nextCabinetName.Str(); }
    // Win32 error of a file that could not be opened, or replaced; 0 otherwise.
    DWORD GetWin32Error() const { return m_lastWin32Error; }

    bool IsCabinet(const std::wstring& path, FDICABINETINFO& info);
    // The set identifier of a cabinet, or 0xFFFF when it cannot be read.
    uint16_t GetCabinetSetId(const std::wstring& path);
    // Header check of a part file: readable cabinet, set id = GUID2, index = part number - 1.
    bool ValidateCabinetFile(const std::wstring& path);

    virtual void RequestAbort() { m_abort = true; }

    // The library's callbacks (plain functions forwarding to the current engine).
    static void* DIAMONDAPI CallbackAlloc(ULONG size) noexcept;
    static void DIAMONDAPI CallbackFree(void* block) noexcept;
    static INT_PTR DIAMONDAPI CallbackOpen(char* name, int flags, int mode) noexcept;
    static UINT DIAMONDAPI CallbackRead(INT_PTR handle, void* buffer, UINT count) noexcept;
    static UINT DIAMONDAPI CallbackWrite(INT_PTR handle, void* buffer, UINT count) noexcept;
    static int DIAMONDAPI CallbackClose(INT_PTR handle) noexcept;
    static LONG DIAMONDAPI CallbackSeek(INT_PTR handle, LONG distance, int origin) noexcept;
    static INT_PTR DIAMONDAPI FdiCallback(FDINOTIFICATIONTYPE type, PFDINOTIFICATION notification) noexcept;

protected:
    // The engine's own file operations on Win32 handles (C runtime open flags and modes).
    virtual void* Allocate(ULONG size);
    virtual void Release(void* block);
    virtual UINT Read(INT_PTR handle, void* buffer, UINT count);
    virtual UINT Write(INT_PTR handle, const void* buffer, UINT count);
    virtual int Close(INT_PTR handle);
    virtual LONG Seek(INT_PTR handle, LONG distance, int origin);
    virtual INT_PTR Open(const std::wstring& path, int flags, int mode);

    // Hooks; nothing in the program installs others than these defaults.
    virtual int BeforeCopy(const CabCopyInfo&) { return 1; }
    virtual void OnCabinetInfo(const std::wstring& /*nextCabinet*/, const std::wstring& /*nextDisk*/,
                               const std::wstring& /*cabinetPath*/, uint16_t /*setId*/, uint16_t /*index*/)
    {
    }
    virtual void OnNextCabinet(const std::wstring& /*nextCabinet*/) {}

    // Clears the read-only attribute of a file about to be replaced; 0 or the Win32 error.
    virtual DWORD ClearReadOnlyAttribute(const std::wstring& path);

    // Opens through the engine's Open and keeps the books: output handle or read position.
    INT_PTR TrackedOpen(const std::wstring& path, int flags, int mode);

private:
    struct OutputFile {
        INT_PTR handle = 0;
        std::wstring path;
        uint32_t expectedSize = 0;
        uint64_t written = 0;
        bool complete = false;
    };
    struct FileOverwriteResult {
        INT_PTR handle = -1; // an open handle, 0 (skip) or -1 (failure)
        bool cancel = false;
    };

    bool CreateContext();
    void DestroyContext();
    void ResetForOperation();

    INT_PTR OnNotify(FDINOTIFICATIONTYPE type, PFDINOTIFICATION notification);
    INT_PTR OnCopyFile(PFDINOTIFICATION notification);
    INT_PTR OnCloseFile(PFDINOTIFICATION notification);
    INT_PTR OnNextCabinetNotification(PFDINOTIFICATION notification);
    void OnCabinetInfoNotification(PFDINOTIFICATION notification);
    void RenameNextCabinetInPlace(PFDINOTIFICATION notification);
    FileOverwriteResult FileOverwrite(const std::wstring& targetPath);
    INT_PTR OpenOutput(const std::wstring& targetPath, bool truncate);
    void ApplyTimeAndAttributes(HANDLE file, uint16_t date, uint16_t time, uint16_t attributes);
    void RefuseName(const std::wstring& storedName, const std::wstring& reason);
    void FinishOutput();

    void SendLog(int kind, const wchar_t* function, const wchar_t* format, const std::wstring& argument);
    void SendProgress();
    bool HasWindow() const;

    DWORD m_lastWin32Error = 0;
    int m_overwriteWithoutPrompting = 0;
    std::wstring m_partNamePattern;
    bool m_keepWriteTime = false;
    HWND m_window = nullptr;
    CStrW m_targetFolder;
    CStrW m_nextCabinetName;
    CError m_error{kCabErrorModeDecompress};
    HFDI m_context = nullptr;
    bool m_abort = false;
    OutputFile m_output;
    UniqueModule m_module;
    decltype(&::FDICreate) m_fdiCreate = nullptr;
    decltype(&::FDICopy) m_fdiCopy = nullptr;
    decltype(&::FDIIsCabinet) m_fdiIsCabinet = nullptr;
    decltype(&::FDIDestroy) m_fdiDestroy = nullptr;
    std::map<INT_PTR, int64_t> m_readPositions;
    ExtractLogRecord m_logRecord;

    // Renaming of the next part, per extraction.
    int m_nextCabinetCounter = 1;
    bool m_afterNextCabinet = false;
    std::map<std::wstring, std::wstring> m_renamedParts; // recorded name (lower case) -> name on disk
    // Target paths (lower case) decided in this extraction: each file is handled once.
    std::set<std::wstring> m_handledTargets;
    std::set<std::wstring> m_readyFolders; // file folders (lower case) that exist and are recorded
};
