#include "util/FileLinks.h"

#include <windows.h>

#include "util/NameRules.h"
#include "util/PathIdentity.h"
#include "util/StringUtil.h"

namespace {
// A drive root keeps its own: "D:" alone would name the drive's current folder.
std::wstring WithoutTrailingBackslash(std::wstring path)
{
    while (path.size() > 3 && path.back() == L'\\') {
        path.pop_back();
    }
    return path;
}
} // namespace

bool IsLink(const std::wstring& path)
{
    const DWORD attributes = ::GetFileAttributesW(LongPath(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

bool HasLinkBelow(const std::wstring& path, const std::wstring& root)
{
    const std::wstring stop = WithoutTrailingBackslash(root);
    for (std::wstring entry = WithoutTrailingBackslash(path);
         entry.size() > stop.size() && !EqualsNoCase(entry, stop);) {
        if (IsLink(entry)) {
            return true;
        }
        const size_t slash = entry.rfind(L'\\');
        if (slash == std::wstring::npos) {
            break;
        }
        entry.resize(slash);
    }
    return false;
}

bool ReachesThroughLink(const std::wstring& path, const std::wstring& root)
{
    if (HasLinkBelow(path, root)) {
        return true;
    }
    const std::wstring stop = WithoutTrailingBackslash(root);
    const std::wstring entry = WithoutTrailingBackslash(path);
    if (entry.size() <= stop.size() || !StartsWithNoCase(entry, stop)) {
        return false;
    }
    const std::wstring opened = FinalPathName(entry);
    const std::wstring rootOpened = FinalPathName(stop);
    if (opened.empty() || rootOpened.empty()) {
        return false; // nothing there, or nothing to tell: the caller's own open decides
    }
    // Measured from where the root really lies, so that a linked, substituted or mapped root counts
    // as the place the user chose.
    return PathIdentity(opened) != PathIdentity(WithoutTrailingBackslash(rootOpened) + entry.substr(stop.size()));
}
