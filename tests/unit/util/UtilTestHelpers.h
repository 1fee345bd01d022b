#pragma once
// Small helpers of the utility tests.
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "util/Handles.h"
#include "util/Util.h"

namespace utiltest {

// Names in a folder (without "." and ".."), sorted.
inline std::vector<std::wstring> ListFolder(const std::wstring& folder)
{
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW data;
    UniqueFindHandle find(::FindFirstFileW(CUtil::EnsureTrailingBackslash(folder).append(L"*").c_str(), &data));
    if (find) {
        do {
            if (!CUtil::IsDotEntry(data.cFileName)) {
                names.emplace_back(data.cFileName);
            }
        } while (::FindNextFileW(find.Get(), &data));
    }
    std::sort(names.begin(), names.end());
    return names;
}

// Restores the current folder that a test changes.
class CurrentFolderGuard {
public:
    CurrentFolderGuard()
    {
        wchar_t buffer[MAX_PATH] = {};
        ::GetCurrentDirectoryW(MAX_PATH, buffer);
        m_saved = buffer;
    }
    ~CurrentFolderGuard() { ::SetCurrentDirectoryW(m_saved.c_str()); }
    CurrentFolderGuard(const CurrentFolderGuard&) = delete;
    CurrentFolderGuard& operator=(const CurrentFolderGuard&) = delete;

private:
    std::wstring m_saved;
};

}  // namespace utiltest
