// The engine's answers to the library's notifications: which files are written, replaced or left
// alone, where they go, and what the window is told.
#include <fcntl.h>
#include <sys/stat.h>

#include <cstring>

#include "cabinet/CabDecompressor.h"
#include "cabinet/CabFile.h"
#include "cabinet/CabNames.h"
#include "log/LogFile.h"
#include "settings/WindowMessages.h"
#include "settings/WorkerReports.h"
#include "util/FileLinks.h"
#include "util/PathIdentity.h"
#include "util/ProcessContext.h"
#include "util/StringUtil.h"
#include "util/Util.h"

namespace {
constexpr wchar_t kFdiCallback[] = L"FdiCallback";
constexpr wchar_t kFileOverwrite[] = L"FileOverwrite";

bool PathExists(const std::wstring& path)
{
    return ::GetFileAttributesW(LongPath(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}
} // namespace

bool CCabDecompressor::HasWindow() const
{
    return m_options.window != nullptr && ::IsWindow(m_options.window);
}

void CCabDecompressor::SendLog(int kind, const wchar_t* function, const wchar_t* format, const std::wstring& argument)
{
    if (m_options.reports != nullptr) {
        m_options.reports->Log(kind, function, format, argument);
    }
}

void CCabDecompressor::SendProgress()
{
    if (m_options.reports != nullptr) {
        m_options.reports->Progress(1, 0);
    }
}

bool CCabDecompressor::MayGoOn()
{
    if (m_options.checkpoint) {
        m_options.checkpoint();
    }
    return m_flags.Continue.load() != 0;
}

INT_PTR CCabDecompressor::OnNotify(FDINOTIFICATIONTYPE type, PFDINOTIFICATION notification)
{
    OnNotification(type, *notification);
    if (m_abort) {
        return -1;
    }
    switch (type) {
    case fdintCABINET_INFO:
        OnCabinetInfoNotification(notification);
        return 0;
    case fdintPARTIAL_FILE:
    case fdintENUMERATE:
        return 0;
    case fdintCOPY_FILE:
        return OnCopyFile(notification);
    case fdintCLOSE_FILE_INFO:
        return OnCloseFile(notification);
    case fdintNEXT_CABINET:
        return OnNextCabinetNotification(notification);
    }
    return 0;
}

void CCabDecompressor::OnCabinetInfoNotification(PFDINOTIFICATION notification)
{
    if (m_options.multiPart) {
        RenameNextCabinetInPlace(notification);
    }
    OnCabinetInfo(CStrW::FromUtf8(notification->psz1 != nullptr ? notification->psz1 : "").Str(),
                  CStrW::FromUtf8(notification->psz2 != nullptr ? notification->psz2 : "").Str(),
                  CStrW::FromUtf8(notification->psz3 != nullptr ? notification->psz3 : "").Str(), notification->setID,
                  notification->iCabinet);
}

void CCabDecompressor::RenameNextCabinetInPlace(PFDINOTIFICATION notification)
{
    const std::wstring recorded = CStrW::FromUtf8(notification->psz1 != nullptr ? notification->psz1 : "").Str();
    if (!m_afterNextCabinet) {
        ++m_nextCabinetCounter;
    }
    const std::wstring renamed = RenameNextCabinet(m_options.partNamePattern, m_nextCabinetCounter, recorded);
    if (!recorded.empty() && !EqualsNoCase(recorded, renamed)) {
        // The library opens the next part through our open callback, which maps the recorded name;
        // the library's own buffer is rewritten too when the new name fits into it.
        m_renamedParts[ToLowerW(recorded)] = renamed;
        const CStrA renamedUtf8 = CStrA::FromWide(renamed);
        if (notification->psz1 != nullptr && renamedUtf8.Length() <= std::strlen(notification->psz1)) {
            std::memcpy(notification->psz1, renamedUtf8.c_str(), renamedUtf8.Length() + 1);
        }
    }
    if (m_afterNextCabinet) {
        m_afterNextCabinet = false;
    } else {
        m_nextCabinetName = renamed;
    }
}

INT_PTR CCabDecompressor::OnNextCabinetNotification(PFDINOTIFICATION notification)
{
    m_afterNextCabinet = true;
    if (notification->fdie != FDIERROR_NONE) {
        m_error.Set(static_cast<int>(notification->fdie), 0);
        return -1;
    }
    std::wstring next = CStrW::FromUtf8(notification->psz1 != nullptr ? notification->psz1 : "").Str();
    const auto renamed = m_renamedParts.find(ToLowerW(next));
    if (renamed != m_renamedParts.end()) {
        next = renamed->second;
    }
    m_nextCabinetName = next;
    OnNextCabinet(next);
    return 0;
}

void CCabDecompressor::RefuseName(const std::wstring& storedName, const std::wstring& reason)
{
    const std::wstring text = storedName + L" (" + reason + L")";
    if (m_options.reports != nullptr && m_options.reports->HasWindow()) {
        SendLog(kLogError, kFdiCallback, L"File name outside the extraction folder refused : %ls", text);
    } else {
        m_log.WriteLine(kLogError, kFdiCallback, L"File name outside the extraction folder refused : %ls",
                        text.c_str());
    }
    m_error.Set(kCabErrorUnsafeName, 0);
    RequestAbort();
}

INT_PTR CCabDecompressor::OnCopyFile(PFDINOTIFICATION notification)
{
    if (!MayGoOn()) {
        m_error.Set(kCabErrorUserAbort, 0);
        RequestAbort();
        return -1;
    }
    const uint16_t attributes = notification->attribs;
    const std::wstring stored = DecodeStoredName(notification->psz1 != nullptr ? notification->psz1 : "", attributes);
    const std::wstring normalized = NormalizeStoredName(stored);
    std::wstring refusal = CheckStoredName(normalized);
    const std::wstring targetFolder = m_targetFolder.Str();
    const CabTargetPath target = BuildTargetPath(targetFolder, normalized);
    if (refusal.empty()) {
        // Whatever the rules above missed, the resolved path must still lie in the target folder.
        if (!IsInsideFolder(FullPathName(target.targetPath), targetFolder)) {
            refusal = L"resolves outside the extraction folder";
        } else if (m_protectedFiles.Contains(target.targetPath)) {
            // Extracting into the package's own folder: the parts were checked and are still read.
            refusal = L"the running package or one of its part files";
        }
    }
    if (!refusal.empty()) {
        RefuseName(stored, refusal);
        return -1;
    }

    m_flags.CurrentFileName = target.fileName;

    // A chain that starts again at a later part offers files already decided in this extraction.
    const std::wstring key = ToLowerW(target.targetPath);
    if (m_handledTargets.count(key) != 0) {
        return 0;
    }

    CabCopyInfo info;
    info.fileName = target.fileName;
    info.relativeFolder = target.relativeFolder;
    info.storedName = stored;
    info.fileFolder = target.fileFolder;
    info.targetPath = target.targetPath;
    info.size = notification->cb;
    info.attributes = attributes;
    ::DosDateTimeToFileTime(notification->date, notification->time, &info.storedTime);
    if (BeforeCopy(info) == 0) {
        return 0;
    }

    if (target.targetPath.size() > static_cast<size_t>(kMaxTargetPath)) {
        m_error.Set(kCabErrorPathTooLong, 0);
        RequestAbort();
        return -1;
    }

    // A folder that cannot be created shows up as a failed open below. Folders made or found in
    // this extraction are not looked at again.
    const std::wstring folderKey = ToLowerW(target.fileFolder);
    if (m_readyFolders.count(folderKey) == 0) {
        const DWORD folderError = CCabFile::CreateFileFolder(target.fileFolder, targetFolder, m_paths);
        if (folderError == kFolderIsLink) {
            RefuseName(stored, L"a folder on its way is a link");
            return -1;
        }
        if (folderError == 0) {
            m_readyFolders.insert(folderKey);
        }
    }
    m_handledTargets.insert(key);

    const INT_PTR created = OpenNewOutput(target.targetPath);
    if (created == -1) {
        const DWORD createError = ::GetLastError();
        // What is there may be deleted or reopened below: no file of ours may still be open then
        // (another spelling of a name written in this run, say).
        if (!FinishHandedFiles()) {
            return -1;
        }
        // The path is taken: what is there is deleted or written below, so it must be a file of the
        // target folder itself. A name that is taken but leads nowhere is a link to nothing.
        const bool dangling =
            (createError == ERROR_FILE_EXISTS || createError == ERROR_ALREADY_EXISTS) && !PathExists(target.targetPath);
        if (dangling || ReachesThroughLink(target.targetPath, targetFolder)) {
            RefuseName(stored, L"the file is a link or lies behind one");
            return -1;
        }
    }

    INT_PTR handle = created;
    if (m_options.overwriteWithoutPrompting != 0) {
        if (handle == -1) {
            if (PathExists(target.targetPath)) {
                SendLog(kLogInfo, kFdiCallback, L"Deleting file : %ls", target.targetPath);
                ::DeleteFileW(LongPath(target.targetPath).c_str());
            }
            handle = OpenOutput(target.targetPath, true);
        }
        m_paths.ExtractedFiles.push_front(target.targetPath);
        m_paths.PackageFiles.push_front(target.targetPath);
        SendLog(kLogInfo, kFdiCallback, L"Extracting file : %ls", target.targetPath);
    } else {
        const FileOverwriteResult result = FileOverwrite(target.targetPath, created);
        if (result.cancel) {
            m_error.Set(kCabErrorUserAbort, 0);
            RequestAbort();
            return -1;
        }
        handle = result.handle;
    }
    if (handle > 0) {
        m_output.expectedSize = notification->cb;
    }
    return handle;
}

INT_PTR CCabDecompressor::OpenOutput(const std::wstring& targetPath, bool truncate)
{
    const int flags = _O_BINARY | _O_CREAT | _O_RDWR | _O_SEQUENTIAL | (truncate ? _O_TRUNC : 0);
    return TrackedOpen(targetPath, flags, _S_IREAD | _S_IWRITE);
}

// Most targets do not exist yet: creating them exclusively saves asking first. -1 when the path is
// taken (or cannot be created this way); the caller then goes the long way and learns why.
INT_PTR CCabDecompressor::OpenNewOutput(const std::wstring& targetPath)
{
    const INT_PTR handle =
        Open(targetPath, _O_BINARY | _O_CREAT | _O_EXCL | _O_RDWR | _O_SEQUENTIAL, _S_IREAD | _S_IWRITE);
    if (handle != -1) {
        m_output = OutputFile{};
        m_output.handle = handle;
        m_output.path = targetPath;
    }
    return handle;
}

CCabDecompressor::FileOverwriteResult CCabDecompressor::FileOverwrite(const std::wstring& targetPath, INT_PTR created)
{
    FileOverwriteResult result;
    if (created != -1 || !PathExists(targetPath)) {
        SendLog(kLogInfo, kFileOverwrite, L"Extracing file : %ls", targetPath);
        m_paths.ExtractedFiles.push_front(targetPath);
        m_paths.PackageFiles.push_front(targetPath);
        result.handle = created != -1 ? created : OpenOutput(targetPath, true);
        return result;
    }

    const int previous = m_flags.OverwriteAnswer.load();
    if (previous == kOverwriteYes || previous == kOverwriteNo || m_flags.OverwriteForAll.load() == 0) {
        if (HasWindow()) {
            // The prompt's window writes lines of its own: ours must be in the log before them.
            if (m_options.reports != nullptr) {
                m_options.reports->Hold();
            }
            ::SendMessageW(m_options.window, UM_ASK_OVERWRITE, 0, 0);
        }
    }
    const int answer = m_flags.OverwriteAnswer.load();
    if (answer == kOverwriteYesToAll || answer == kOverwriteNoToAll) {
        m_flags.OverwriteForAll = 1;
    }

    switch (answer) {
    case kOverwriteYes:
    case kOverwriteYesToAll: {
        m_keepWriteTime = true;
        SendLog(kLogInfo, kFileOverwrite, L"Deleting file : %ls", targetPath);
        const DWORD attributeError = ClearReadOnlyAttribute(targetPath);
        if (attributeError != 0) {
            m_error.Set(kCabErrorRemoveAttributes, 0);
            SendLog(kLogInfo, kFileOverwrite, L"Error Code : %ls", std::to_wstring(attributeError));
            SendLog(kLogInfo, kFileOverwrite, L"Error string : %ls", CUtil::FormatErrorText(attributeError));
            result.handle = -1;
            return result;
        }
        if (::DeleteFileW(LongPath(targetPath).c_str())) {
            SendLog(kLogInfo, kFileOverwrite, L"Extracing file : %ls", targetPath);
            result.handle = OpenOutput(targetPath, false);
            m_paths.ExtractedFiles.push_front(targetPath);
            m_paths.PackageFiles.push_front(targetPath);
            return result;
        }
        const DWORD deleteError = ::GetLastError();
        // Open it only to learn why it cannot go (in use, access denied, ...).
        const HANDLE probe = ::CreateFileW(LongPath(targetPath).c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ,
                                           nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        const DWORD openError = ::GetLastError();
        if (probe != INVALID_HANDLE_VALUE) {
            ::CloseHandle(probe);
            m_lastWin32Error = deleteError;
        } else {
            m_lastWin32Error = openError;
        }
        result.handle = -1;
        return result;
    }
    case kOverwriteNo:
    case kOverwriteNoToAll:
        SendLog(kLogInfo, kFileOverwrite, L"File already exists : %ls. No action required.", targetPath);
        m_paths.PackageFiles.push_front(targetPath);
        m_paths.KeptFiles.push_front(targetPath);
        result.handle = 0;
        return result;
    case kOverwriteCancel:
        result.cancel = true;
        return result;
    default:
        SendLog(kLogInfo, kFileOverwrite, L"Extracing file : %ls", targetPath);
        m_paths.ExtractedFiles.push_front(targetPath);
        m_paths.PackageFiles.push_front(targetPath);
        result.handle = OpenOutput(targetPath, true);
        return result;
    }
}

DWORD CCabDecompressor::ClearReadOnlyAttribute(const std::wstring& path)
{
    return CUtil::ClearReadOnly(LongPath(path));
}

INT_PTR CCabDecompressor::OnCloseFile(PFDINOTIFICATION notification)
{
    const bool complete = m_output.handle == notification->hf && m_output.written == m_output.expectedSize;
    if (!complete) {
        // The library gave up inside the file (missing part, bad data): the cleanup after the
        // loop removes what was written.
        Close(notification->hf);
        return 0;
    }
    // Times and attributes go through the handle that wrote the file: one call instead of
    // reopening it by name. The closer does that and the close while the next file is created.
    const FILE_BASIC_INFO info = StoredTimeAndAttributes(notification->date, notification->time, notification->attribs);
    m_output = OutputFile{}; // complete: the closer owns the handle, and the file stays
    if (!m_closer.Hand(reinterpret_cast<HANDLE>(notification->hf), info)) {
        FailTargetFile();
        return -1;
    }
    SendProgress();
    return 1;
}

FILE_BASIC_INFO CCabDecompressor::StoredTimeAndAttributes(uint16_t date, uint16_t time, uint16_t attributes)
{
    FILE_BASIC_INFO info{}; // zero fields stay as they are
    if (!m_keepWriteTime) {
        FILETIME stored{};
        FILETIME utc{};
        if (::DosDateTimeToFileTime(date, time, &stored)) {
            if ((attributes & kCabAttribUtcTime) != 0) {
                utc = stored;
            } else {
                ::LocalFileTimeToFileTime(&stored, &utc);
            }
            info.CreationTime.LowPart = utc.dwLowDateTime;
            info.CreationTime.HighPart = static_cast<LONG>(utc.dwHighDateTime);
            info.LastWriteTime = info.CreationTime;
        }
    }
    const DWORD applied = attributes & kCabAttribApplied;
    info.FileAttributes = applied != 0 ? applied : FILE_ATTRIBUTE_NORMAL;
    m_keepWriteTime = false;
    return info;
}
