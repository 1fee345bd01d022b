#pragma once
// A folder link (a reparse point) for tests of what the program does with links. On Windows it is a
// directory symbolic link; Wine 8 accepts that call without making anything, so there the link is
// a Unix symbolic link, which Wine shows as a folder with FILE_ATTRIBUTE_REPARSE_POINT.
#include <string>

namespace testenv {

// Makes `link` (must not exist) a link to the existing folder `target`; false when neither way
// gave a folder that the file system reports as a reparse point.
bool MakeFolderLink(const std::wstring& link, const std::wstring& target);

// Removes the link itself, never what it leads to.
void RemoveFolderLink(const std::wstring& link);

} // namespace testenv
