// CUtil: creating folders and removing folder trees.
#include <windows.h>
#include <shlobj.h>

#include <cwchar>
#include <io.h>
#include <sys/stat.h>

#include "util/FileLinks.h"
#include "util/Handles.h"
#include "util/Util.h"
#include "util/WideFormat.h"

namespace {
enum class TreeMode { Plain, Strict, Collect };

// Shared walk of the three removal variants (Util.h).
int RemoveTreeImpl(const std::wstring& folder, TreeMode mode, std::list<std::wstring>* failures)
{
    // Callers pass folders with or without the trailing backslash; a drive root keeps its own.
    std::wstring path = folder;
    while (path.size() > 3 && path.back() == L'\\') {
        path.pop_back();
    }
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        return mode == TreeMode::Plain ? -1 : 0;
    }
    // A junction or folder link stays: its target is not ours to empty, and under Wine even
    // RemoveDirectory on the link removes the folder it leads to. It counts as what could not go.
    if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) {
        if (mode == TreeMode::Collect) {
            failures->push_front(path);
        }
        return 0;
    }
    WIN32_FIND_DATAW data;
    const std::wstring prefix = path.back() == L'\\' ? path : path + L"\\";
    UniqueFindHandle find(::FindFirstFileW((prefix + L"*").c_str(), &data));
    if (find) {
        do {
            const std::wstring name = data.cFileName;
            if (CUtil::IsDotEntry(name)) {
                continue;
            }
            const std::wstring child = prefix + name;
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                if (!RemoveTreeImpl(child, mode, failures) && mode != TreeMode::Collect) {
                    return 0;
                }
                continue;
            }
            // A file link stays too: Wine's DeleteFile deletes the file it leads to.
            if (ReachesThroughLink(child, path)) {
                if (mode != TreeMode::Collect) {
                    return 0;
                }
                failures->push_front(child);
                continue;
            }
            if (mode == TreeMode::Plain) {
                CUtil::ClearReadOnly(child);
            } else {
                ::_wchmod(child.c_str(), _S_IREAD | _S_IWRITE);
            }
            if (!::DeleteFileW(child.c_str())) {
                if (mode != TreeMode::Collect) {
                    return 0;
                }
                failures->push_front(child);
            }
        } while (::FindNextFileW(find.Get(), &data));
    }
    find.Reset();
    return ::RemoveDirectoryW(path.c_str()) ? 1 : 0;
}
}  // namespace

int CUtil::RemoveTree(const std::wstring& path) { return RemoveTreeImpl(path, TreeMode::Plain, nullptr); }

int CUtil::RemoveTreeStrict(const std::wstring& path) { return RemoveTreeImpl(path, TreeMode::Strict, nullptr); }

int CUtil::RemoveTreeCollect(const std::wstring& path, std::list<std::wstring>& failures)
{
    return RemoveTreeImpl(path, TreeMode::Collect, &failures);
}

DWORD CUtil::ClearReadOnly(const std::wstring& path)
{
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        return ::GetLastError();
    }
    if ((attributes & FILE_ATTRIBUTE_READONLY) && !::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL)) {
        return ::GetLastError();
    }
    return 0;
}

int CUtil::CreateParentFolders(const std::wstring& path)
{
    const size_t last = path.rfind(L'\\');
    if (last == std::wstring::npos) {
        return 0;
    }
    const std::wstring folder = path.substr(0, last + 1);
    // Start after the root ("C:\", or "\\server\share\" of a network path): every folder from the
    // first one on is created.
    size_t start = folder.size() < 3 ? folder.size() : 3;
    if (folder.size() > 2 && folder[0] == L'\\' && folder[1] == L'\\') {
        const size_t serverEnd = folder.find(L'\\', 2);
        const size_t shareEnd = serverEnd == std::wstring::npos ? serverEnd : folder.find(L'\\', serverEnd + 1);
        start = shareEnd == std::wstring::npos ? folder.size() : shareEnd + 1;
    }
    size_t position = folder.find(L'\\', start);
    while (position != std::wstring::npos) {
        const std::wstring prefix = folder.substr(0, position);
        if (!::CreateDirectoryW(prefix.c_str(), nullptr)) {
            const DWORD error = ::GetLastError();
            if (error != ERROR_ALREADY_EXISTS) {
                return -1;
            }
        }
        position = folder.find(L'\\', position + 1);
    }
    return 0;
}

int CUtil::CreateFolderReport(const std::wstring& path, std::wstring& message)
{
    const int result = ::SHCreateDirectoryExW(nullptr, path.c_str(), nullptr);
    switch (result) {
    case ERROR_SUCCESS:
        message = FormatW(L"Folder Created:\t\t %ls", path.c_str());
        break;
    case ERROR_PATH_NOT_FOUND:
        message = FormatW(L"Path Not Found:\t\t %ls", path.c_str());
        break;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
        message = FormatW(L"Folder exists:\t\t %ls", path.c_str());
        break;
    case ERROR_BAD_PATHNAME:
        message = FormatW(L"Bad Path Name:\t\t\t %ls", path.c_str());
        break;
    case ERROR_FILENAME_EXCED_RANGE:
        message = FormatW(L"Exceeds Range:\t\t\t %ls", path.c_str());
        break;
    default:
        break;
    }
    return 1;
}
