#pragma once
// Folder and file links (reparse points) for tests of what the program does with links. On Windows
// they are symbolic links; Wine 8 accepts that call without making anything, so there the link is a
// Unix symbolic link, which Wine shows as a folder with FILE_ATTRIBUTE_REPARSE_POINT (a folder link)
// or as a plain file (a file link).
#include <string>

namespace testenv {

// Makes `link` (must not exist) a link to the existing folder `target`; false when neither way
// gave a folder that the file system reports as a reparse point.
bool MakeFolderLink(const std::wstring& link, const std::wstring& target);

// Removes the link itself, never what it leads to.
void RemoveFolderLink(const std::wstring& link);

// Makes `link` (must not exist) a symbolic link to the existing file `target`. Wine shows such a
// link as a plain file: only where it opens tells it apart.
bool MakeFileLink(const std::wstring& link, const std::wstring& target);

// Removes a file link itself (Wine's DeleteFile deletes the file it leads to), also one that leads
// nowhere.
void RemoveFileLink(const std::wstring& link);

} // namespace testenv
