#pragma once
// CCabDecompressor: extracts a cabinet set and supplies all of the decompressor's file input and
// output. Stored and MSZIP folders go through our own reader (CCabReader); folders of other types
// through the operating system's cabinet library (FDI in Cabinet.dll, loaded at run time). Both
// call the same file operations and notifications below. On the way the engine turns the product
// magic "ORLO" back into "MSCF", points the decompressor at the part files under the package's own
// base name, applies the overwrite policy, creates folders, applies stored times and attributes,
// records what it touched and reports to its window.
//
// One engine per extraction or query. The library's callbacks reach the engine through a per-thread
// "current engine", so two engines must not run on one thread at the same time.
#include <windows.h>

#include <fdi.h>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "cabinet/CabError.h"
#include "cabinet/CabFileCloser.h"
#include "cabinet/CabReaderHost.h"
#include "cabinet/CabStrings.h"
#include "util/Handles.h"
#include "util/PathIdentity.h"

class CCabReader;
class CLogFile;
class CWorkerReports;
struct PathLists;
struct RunFlags;

enum class CabDecoder {
    Own,     // our reader; the library only for folders it does not read
    Library, // the library for everything (tests compare the two)
};

// What an engine is told about the run it works for.
struct CabEngineOptions {
    HWND window = nullptr;             // shows the overwrite prompt (UM_ASK_OVERWRITE); may be null
    CWorkerReports* reports = nullptr; // takes log lines and progress for the window; may be null
    int overwriteWithoutPrompting = 0;
    bool multiPart = false;       // the parts lie under the package's own base name...
    std::wstring partNamePattern; // ...which this names ("Pack.%03d", CUtil::FormatNumberedName)
    uint16_t setId = 0;           // the package's cabinet set id, for the header check
    // Called before each file is decided on; it may hold the worker while the user is asked whether
    // to cancel. The continue flag of the run's flags then says whether to go on.
    std::function<void()> checkpoint;
    CabDecoder decoder = CabDecoder::Own;
    // The running package and its part files (full paths): never opened for writing, deleted or
    // replaced, whatever the overwrite settings and answers say.
    std::vector<std::wstring> protectedFiles;
};

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

class CCabDecompressor : private CabReaderHost {
public:
    // `flags` (continue flag, overwrite answers, current file name) and `paths` (what the
    // extraction touched) are the run's; `log` takes the lines written without the window.
    CCabDecompressor(const CabEngineOptions& options, RunFlags& flags, PathLists& paths, CLogFile& log);
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

    // Every notification, before the engine answers it (tests compare decompressors with it).
    virtual void OnNotification(FDINOTIFICATIONTYPE /*type*/, const FDINOTIFICATION& /*notification*/) {}

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
    };
    struct FileOverwriteResult {
        INT_PTR handle = -1; // an open handle, 0 (skip) or -1 (failure)
        bool cancel = false;
    };

    // CabReaderHost: our reader reaches the same operations as the library's callbacks.
    INT_PTR ReaderOpen(const std::string& path) override;
    UINT ReaderRead(INT_PTR handle, void* buffer, UINT count) override { return Read(handle, buffer, count); }
    LONG ReaderSeek(INT_PTR handle, LONG distance, int origin) override { return Seek(handle, distance, origin); }
    int ReaderClose(INT_PTR handle) override { return Close(handle); }
    UINT ReaderWrite(INT_PTR handle, const void* buffer, UINT count) override { return Write(handle, buffer, count); }
    INT_PTR ReaderNotify(FDINOTIFICATIONTYPE type, FDINOTIFICATION& notification) override;

    // One copy call of the decompressor for the cabinet `name` in `folder` (UTF-8).
    bool CopyCabinet(CStrA& name, CStrA& folder);
    INT_PTR OpenForDecompressor(const char* name, int flags);
    bool MayGoOn();
    bool CreateContext();
    void DestroyContext();
    void ResetForOperation();

    INT_PTR OnNotify(FDINOTIFICATIONTYPE type, PFDINOTIFICATION notification);
    INT_PTR OnCopyFile(PFDINOTIFICATION notification);
    INT_PTR OnCloseFile(PFDINOTIFICATION notification);
    INT_PTR OnNextCabinetNotification(PFDINOTIFICATION notification);
    void OnCabinetInfoNotification(PFDINOTIFICATION notification);
    void RenameNextCabinetInPlace(PFDINOTIFICATION notification);
    // `created`: the handle of OpenNewOutput, or -1 when the path was taken.
    FileOverwriteResult FileOverwrite(const std::wstring& targetPath, INT_PTR created);
    INT_PTR OpenOutput(const std::wstring& targetPath, bool truncate);
    INT_PTR OpenNewOutput(const std::wstring& targetPath);
    // The stored time (unless the file keeps its own) and attributes, as set through the handle.
    FILE_BASIC_INFO StoredTimeAndAttributes(uint16_t date, uint16_t time, uint16_t attributes);
    // Waits for the files handed to the closer; false (and the run fails) when one was not closed.
    bool FinishHandedFiles();
    void FailTargetFile();
    void RefuseName(const std::wstring& storedName, const std::wstring& reason);
    void FinishOutput();

    void SendLog(int kind, const wchar_t* function, const wchar_t* format, const std::wstring& argument);
    void SendProgress();
    bool HasWindow() const;

    CabEngineOptions m_options;
    CPathSet m_protectedFiles;
    RunFlags& m_flags;
    PathLists& m_paths;
    CLogFile& m_log;
    DWORD m_lastWin32Error = 0;
    bool m_keepWriteTime = false;
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
    std::map<INT_PTR, int64_t> m_readPositions; // our reader reads on its own thread too
    std::mutex m_readPositionsLock;
    std::unique_ptr<CCabReader> m_reader;
    CCabFileCloser m_closer; // complete output files; never in m_readPositions

    // Renaming of the next part, per extraction.
    int m_nextCabinetCounter = 1;
    bool m_afterNextCabinet = false;
    std::map<std::wstring, std::wstring> m_renamedParts; // recorded name (lower case) -> name on disk
    // Target paths (lower case) decided in this extraction: each file is handled once.
    std::set<std::wstring> m_handledTargets;
    std::set<std::wstring> m_readyFolders; // file folders (lower case) that exist and are recorded
};
