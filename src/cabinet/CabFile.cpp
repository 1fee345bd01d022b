#include "cabinet/CabFile.h"

#include <algorithm>

#include "cabinet/CabNames.h"
#include "util/FileLinks.h"
#include "util/ProcessContext.h"
#include "util/StringUtil.h"

namespace {
std::wstring WithoutTrailingBackslash(std::wstring path)
{
    while (path.size() > 1 && path.back() == L'\\') {
        path.pop_back();
    }
    return path;
}

// The root of a path ("C:" or "\\server\share"), above which nothing is created.
bool IsRoot(const std::wstring& folder)
{
    if (folder.size() <= 2) {
        return true;
    }
    if (folder[0] == L'\\' && folder[1] == L'\\') {
        const size_t share = folder.find(L'\\', 2);
        return share == std::wstring::npos || folder.find(L'\\', share + 1) == std::wstring::npos;
    }
    return false;
}
} // namespace

bool CCabFile::IsDirectory(const std::wstring& folder)
{
    const DWORD attributes = ::GetFileAttributesW(LongPath(folder).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

void CCabFile::RecordFolderChain(const std::wstring& fileFolder, const std::wstring& extractionFolder, PathLists& paths)
{
    const std::wstring stop = WithoutTrailingBackslash(extractionFolder);
    auto& chain = paths.FolderChain;
    std::wstring folder = WithoutTrailingBackslash(fileFolder);
    while (!folder.empty() && !EqualsNoCase(folder, stop) && folder.size() > stop.size()) {
        const bool known = std::any_of(chain.begin(), chain.end(),
                                       [&folder](const std::wstring& listed) { return EqualsNoCase(listed, folder); });
        if (known) {
            break;
        }
        chain.push_front(folder);
        const size_t slash = folder.rfind(L'\\');
        if (slash == std::wstring::npos) {
            break;
        }
        folder.resize(slash);
    }
}

DWORD CCabFile::CreateFolder(const std::wstring& folderPath, PathLists& paths)
{
    const std::wstring folder = WithoutTrailingBackslash(folderPath);
    if (folder.empty() || IsDirectory(folder)) {
        return 0;
    }
    if (IsRoot(folder)) {
        return ERROR_PATH_NOT_FOUND;
    }
    const size_t slash = folder.rfind(L'\\');
    if (slash != std::wstring::npos && slash > 0) {
        const DWORD parentError = CreateFolder(folder.substr(0, slash), paths);
        if (parentError != 0) {
            return parentError;
        }
    }
    if (!::CreateDirectoryW(LongPath(folder).c_str(), nullptr)) {
        const DWORD error = ::GetLastError();
        return error == ERROR_ALREADY_EXISTS && IsDirectory(folder) ? 0 : error;
    }
    paths.CreatedFolders.push_front(folder);
    return 0;
}

DWORD CCabFile::CreateFileFolder(const std::wstring& fileFolder, const std::wstring& extractionFolder, PathLists& paths)
{
    if (HasLinkBelow(fileFolder, extractionFolder)) {
        return kFolderIsLink;
    }
    RecordFolderChain(fileFolder, extractionFolder, paths);
    return CreateFolder(fileFolder, paths);
}
