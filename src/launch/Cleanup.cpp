#include "launch/Cleanup.h"

#include <windows.h>

#include <list>
#include <set>
#include <string>

#include "launch/LaunchRules.h"
#include "launch/LaunchState.h"
#include "log/BuildLogFile.h"
#include "settings/OrloInitalizer.h"
#include "util/FileLinks.h"
#include "util/Handles.h"
#include "util/NameRules.h"
#include "util/PathIdentity.h"
#include "util/ProcessContext.h"
#include "util/StringUtil.h"
#include "util/Util.h"
#include "validation/ExtractorValidator.h"

namespace {
constexpr DWORD kPauseAfterDeletion = 10; // ms

// The engine writes long paths with the "\\?\" prefix; every file-system call here uses the same
// rule (LongPath), or such files would stay behind.

// Paths are compared by identity (PathIdentity): the lists hold what the cabinet engine composed,
// the folder walk what the file system reports.
std::set<std::wstring> KeySet(const std::list<std::wstring>& paths)
{
    std::set<std::wstring> keys;
    for (const auto& path : paths) {
        if (!path.empty()) {
            keys.insert(PathIdentity(path));
        }
    }
    return keys;
}

bool IsFolder(const std::wstring& path)
{
    const DWORD attributes = ::GetFileAttributesW(LongPath(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::wstring WithoutTrailingBackslash(std::wstring path)
{
    while (path.size() > 3 && path.back() == L'\\') {
        path.pop_back();
    }
    return path;
}

// Calls `visit(fullPath, data)` for each entry of `folder` but "." and ".."; stops when it returns false.
template <typename Visit> void ForEachEntry(const std::wstring& folder, Visit visit)
{
    WIN32_FIND_DATAW data;
    UniqueFindHandle find(::FindFirstFileW(LongPath(WithoutTrailingBackslash(folder) + L"\\*").c_str(), &data));
    if (!find) {
        return;
    }
    do {
        if (CUtil::IsDotEntry(data.cFileName)) {
            continue;
        }
        if (!visit(WithoutTrailingBackslash(folder) + L"\\" + data.cFileName, data)) {
            return;
        }
    } while (::FindNextFileW(find.Get(), &data));
}

// Files the user kept at the overwrite prompt, unless this run wrote them after all.
std::set<std::wstring> KeptKeys()
{
    std::set<std::wstring> kept = KeySet(Paths().KeptFiles);
    for (const auto& written : KeySet(Paths().ExtractedFiles)) {
        kept.erase(written);
    }
    return kept;
}

// The package files this run wrote: those are the run's to delete or to hand over.
std::set<std::wstring> WrittenKeys()
{
    std::set<std::wstring> written = KeySet(Paths().PackageFiles);
    for (const auto& kept : KeptKeys()) {
        written.erase(kept);
    }
    return written;
}

// What the cleanup never deletes nor hands over, whatever its lists say: the running package and its
// parts, and what lies behind a link below the extraction folder (someone else's).
class DeletionGuard {
public:
    DeletionGuard() : m_package(Validator().GetPackageFiles()), m_root(Settings().GetExtractionPath()) {}

    // True, and logged, when `path` must stay.
    bool Keeps(const wchar_t* function, const std::wstring& path) const
    {
        const wchar_t* reason = nullptr;
        if (m_package.Contains(path)) {
            reason = L"the running package or one of its part files";
        } else if (!m_root.empty() && ReachesThroughLink(path, m_root)) {
            reason = L"behind a link";
        } else {
            return false;
        }
        Log().WriteLine(kLogError, function, L"Protected from deletion (%ls) : %ls", reason, path.c_str());
        return true;
    }

private:
    CPathSet m_package;
    std::wstring m_root;
};

bool IsLinkEntry(const WIN32_FIND_DATAW& data)
{
    return (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

// A link met by a folder walk is neither entered nor removed (Wine's RemoveDirectory would remove
// the folder it leads to); the folder that holds it stays.
bool LeavesLink(const wchar_t* function, const std::wstring& folder)
{
    if (!IsLink(folder)) {
        return false;
    }
    Log().WriteLine(kLogWarning, function, L"Link left in place : %ls", folder.c_str());
    return true;
}

bool IsOwned(const std::wstring& folder, const std::set<std::wstring>& files, const std::set<std::wstring>& folders)
{
    bool owned = true;
    ForEachEntry(folder, [&](const std::wstring& path, const WIN32_FIND_DATAW& data) {
        if (IsLinkEntry(data)) {
            owned = false;
        } else if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            owned = folders.count(PathIdentity(path)) && IsOwned(path, files, folders);
        } else {
            owned = files.count(PathIdentity(path)) != 0;
        }
        return owned;
    });
    return owned;
}

int DeleteDirectoryIn(const std::wstring& folder, const std::set<std::wstring>& chain)
{
    if (!IsFolder(folder)) {
        return -1;
    }
    if (LeavesLink(L"DeleteDirectory", folder)) {
        return 0;
    }
    bool blocked = false;
    ForEachEntry(folder, [&](const std::wstring& path, const WIN32_FIND_DATAW& data) {
        if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || !chain.count(PathIdentity(path))) {
            blocked = true;
            return true;
        }
        // A sub-folder that must stay ends the walk; the removal below then fails.
        return DeleteDirectoryIn(path, chain) != 0;
    });
    if (blocked) {
        return 0;
    }
    Log().WriteLine(8, L"DeleteDirectory", L"Deleting folder : %ls", folder.c_str());
    return ::RemoveDirectoryW(LongPath(WithoutTrailingBackslash(folder)).c_str()) ? 1 : 0;
}

// Converts to the system's 8-bit code page, as the launcher that reads the list file expects.
std::string ToListFileLine(const std::wstring& path)
{
    BOOL usedDefault = FALSE;
    std::string line = WideToCodePage(path, CP_ACP);
    if (!path.empty()) {
        ::WideCharToMultiByte(CP_ACP, 0, path.c_str(), static_cast<int>(path.size()), nullptr, 0, nullptr,
                              &usedDefault);
    }
    if (usedDefault) {
        Log().WriteLine(1, L"WriteToDeletetxt", L"Path not representable in the system code page : %ls", path.c_str());
    }
    return line + "\r\n";
}

void DeleteListedFile(const wchar_t* function, const wchar_t* format, const std::wstring& path,
                      const DeletionGuard& guard)
{
    if (guard.Keeps(function, path)) {
        return;
    }
    Log().WriteLine(8, function, format, path.c_str());
    CUtil::ClearReadOnly(LongPath(path));
    if (!::DeleteFileW(LongPath(path).c_str())) {
        Log().WriteLine(8, function, L"Could not delete file : %ls", path.c_str());
    }
    ::Sleep(kPauseAfterDeletion);
}

void RemoveCreatedFolder(const wchar_t* function, const std::wstring& folder, const DeletionGuard& guard)
{
    if (guard.Keeps(function, folder)) {
        return;
    }
    Log().WriteLine(8, function, L"Deleting folder : %ls", folder.c_str());
    if (RemoveEmptyFolderTree(folder) == 0) {
        Log().WriteLine(8, function, L"Could not delete folder : %ls", folder.c_str());
    }
}
} // namespace

bool IsFolderOnExtractionPath(const std::wstring& root, const std::wstring& extractionPath)
{
    if (root.empty() || extractionPath.empty()) {
        return false;
    }
    const std::wstring rootKey = PathIdentity(root);
    const std::wstring pathKey = PathIdentity(extractionPath);
    if (pathKey == rootKey) {
        return true;
    }
    const std::wstring prefix = rootKey.back() == L'\\' ? rootKey : rootKey + L"\\";
    return pathKey.compare(0, prefix.size(), prefix) == 0;
}

bool IsFolderOwnedByPackage(const std::wstring& folder)
{
    return IsOwned(folder, WrittenKeys(), KeySet(Paths().FolderChain));
}

int RemoveEmptyFolderTree(const std::wstring& folder)
{
    if (!IsFolder(folder)) {
        return -1;
    }
    if (LeavesLink(L"RemoveEmptyFolderTree", folder)) {
        return 0;
    }
    ForEachEntry(folder, [](const std::wstring& path, const WIN32_FIND_DATAW& data) {
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            RemoveEmptyFolderTree(path);
        }
        return true;
    });
    return ::RemoveDirectoryW(LongPath(WithoutTrailingBackslash(folder)).c_str()) ? 1 : 0;
}

int WriteToDeletetxt()
{
    const std::wstring extractionPath = Settings().GetExtractionPath();
    const std::wstring listPath = ListFilePath(extractionPath);
    PathLists& paths = Paths();
    // Listed once, as the newest entry: a second handshake must not list the file twice.
    const std::wstring listKey = PathIdentity(listPath);
    paths.PackageFiles.remove_if([&](const std::wstring& path) { return PathIdentity(path) == listKey; });
    paths.PackageFiles.push_front(listPath);
    const DeletionGuard guard;
    if (guard.Keeps(L"WriteToDeletetxt", listPath)) {
        return 0;
    }

    UniqueFileHandle file(::CreateFileW(LongPath(listPath).c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ,
                                        nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        const DWORD error = ::GetLastError();
        Log().WriteLine(11, L"WriteToDeletetxt", L"CreateFile %ls : error %lu", listPath.c_str(), error);
        return 0;
    }
    std::string content = "[FilesToDelete]\r\n";
    const auto packageFiles = WrittenKeys();
    for (auto it = paths.PackageFiles.rbegin(); it != paths.PackageFiles.rend(); ++it) {
        if (packageFiles.count(PathIdentity(*it)) == 0) {
            Log().WriteLine(8, L"WriteToDeletetxt", L"Kept file not listed : %ls", it->c_str());
            continue;
        }
        if (guard.Keeps(L"WriteToDeletetxt", *it)) {
            continue;
        }
        Log().WriteLine(8, L"WriteToDeletetxt", L"writing file name to ExtractedFilesToDelete.txt: %ls", it->c_str());
        content += ToListFileLine(*it);
    }
    const auto folderChain = KeySet(paths.FolderChain);
    for (auto it = paths.FolderChain.rbegin(); it != paths.FolderChain.rend(); ++it) {
        Log().WriteLine(8, L"WriteToDeletetxt", L"writing folder name to ExtractedFilesToDelete.txt: %ls", it->c_str());
        if (IsOwned(*it, packageFiles, folderChain) && !guard.Keeps(L"WriteToDeletetxt", *it)) {
            content += ToListFileLine(*it);
        }
    }
    const std::wstring& root = Util().CreatedExtractionRoot;
    if (!root.empty()) {
        Log().WriteLine(8, L"WriteToDeletetxt", L"writing extraction folder name to ExtractedFilesToDelete.txt: %ls",
                        root.c_str());
        if (IsFolderOnExtractionPath(root, extractionPath)) {
            content += ToListFileLine(root);
        }
    }
    DWORD written = 0;
    if (!::WriteFile(file.Get(), content.data(), static_cast<DWORD>(content.size()), &written, nullptr) ||
        written != content.size()) {
        const DWORD error = ::GetLastError();
        Log().WriteLine(11, L"WriteToDeletetxt", L"WriteFile %ls : error %lu", listPath.c_str(), error);
        return 0; // a cut list would leave files behind: nobody may rely on it
    }
    return 1;
}

void DeleteExtractedContents()
{
    PathLists& paths = Paths();
    const DeletionGuard guard;
    for (auto it = paths.ExtractedFiles.rbegin(); it != paths.ExtractedFiles.rend(); ++it) {
        DeleteListedFile(L"DeleteExtractedContents", L"Deleting file : %ls\n", *it, guard);
    }
    for (const auto& folder : paths.CreatedFolders) {
        if (!folder.empty()) {
            RemoveCreatedFolder(L"DeleteExtractedContents", folder, guard);
            ::Sleep(kPauseAfterDeletion);
        }
    }
    const std::wstring root = Util().CreatedExtractionRoot;
    if (!root.empty()) {
        RemoveCreatedFolder(L"DeleteExtractedContents", root, guard);
    }
    paths.ExtractedFiles.clear();
    paths.CreatedFolders.clear();
}

void DeleteExtractedFilesAndFolders()
{
    PathLists& paths = Paths();
    const DeletionGuard guard;
    const auto kept = KeptKeys();
    for (auto it = paths.PackageFiles.rbegin(); it != paths.PackageFiles.rend(); ++it) {
        if (kept.count(PathIdentity(*it)) != 0) {
            Log().WriteLine(8, L"DeleteExtractedFilesAndFolders", L"Kept file not deleted : %ls", it->c_str());
            continue;
        }
        DeleteListedFile(L"DeleteExtractedFilesAndFolders", L"Deleting file : %ls", *it, guard);
    }
    const auto chain = KeySet(paths.FolderChain);
    for (const auto& folder : paths.FolderChain) {
        if (folder.empty() || !IsFolder(folder) || guard.Keeps(L"DeleteExtractedFilesAndFolders", folder)) {
            continue;
        }
        if (DeleteDirectoryIn(folder, chain) == 0) {
            Log().WriteLine(8, L"DeleteExtractedFilesAndFolders", L"Could not delete folder : %ls", folder.c_str());
        }
        ::Sleep(kPauseAfterDeletion);
    }
    const std::wstring root = Util().CreatedExtractionRoot;
    if (!root.empty() && IsFolderOnExtractionPath(root, Settings().GetExtractionPath())) {
        RemoveCreatedFolder(L"DeleteExtractedFilesAndFolders", root, guard);
    }
    paths.PackageFiles.clear();
    paths.FolderChain.clear();
    paths.KeptFiles.clear();
}

int DeleteDirectory(const std::wstring& folder)
{
    return DeleteDirectoryIn(folder, KeySet(Paths().FolderChain));
}

void RemoveOrloTempDirectory()
{
    LaunchState& state = LaunchData();
    if (state.ClosePropertiesHandle) {
        state.ClosePropertiesHandle();
    }
    if (state.TempFolderRemoved) {
        return;
    }
    state.TempFolderRemoved = true;
    if (Flags().UserCancelled == 1) {
        DeleteExtractedContents();
    }
    const std::wstring tempDirectory = Settings().GetOrloTempDir();
    const std::wstring folder = CUtil::EnsureTrailingBackslash(tempDirectory);
    if (folder.size() <= 3 || !IsFolder(folder)) {
        return;
    }
    Log().WriteLine(8, L"Temp directory : ", L"%ls", folder.c_str());
    Log().WriteLine(8, L"Deleting folder : ", L"%ls", folder.c_str());
    std::list<std::wstring> failures;
    CUtil::RemoveTreeCollect(WithoutTrailingBackslash(folder), failures);
    // The list holds the failures newest first: log them in the order they happened.
    for (auto it = failures.rbegin(); it != failures.rend(); ++it) {
        if (!LeavesLink(L"RemoveOrloTempDirectory", *it)) {
            Log().WriteLine(8, L"File could not be deleted : ", L"%ls", it->c_str());
        }
    }
}

void CleanupAtExit(bool normalExit)
{
    if (normalExit && Flags().DeleteOnExit == 1 && Settings().GetWaitForAutolaunchFinish() == 1 &&
        Flags().SelfDeleteOnExit == 1) {
        DeleteExtractedFilesAndFolders();
    }
    RemoveOrloTempDirectory();
}
