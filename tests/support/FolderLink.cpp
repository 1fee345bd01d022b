#include "FolderLink.h"

#include <windows.h>

#include "ProcessRunner.h"

namespace testenv {
namespace {
bool IsLink(const std::wstring& path)
{
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 &&
           (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// Wine's own export: the Unix name of a Windows path (heap memory of the process heap).
std::wstring UnixNameOf(const std::wstring& path)
{
    using Convert = char* (*)(const wchar_t*);
    const auto convert = reinterpret_cast<Convert>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    if (convert == nullptr) {
        return {};
    }
    char* name = convert(path.c_str());
    if (name == nullptr) {
        return {};
    }
    const std::string narrow(name);
    ::HeapFree(::GetProcessHeap(), 0, name);
    return std::wstring(narrow.begin(), narrow.end());  // the build tree's paths are ASCII
}
}  // namespace

bool MakeFolderLink(const std::wstring& link, const std::wstring& target)
{
    if (::CreateSymbolicLinkW(link.c_str(), target.c_str(),
                              SYMBOLIC_LINK_FLAG_DIRECTORY | SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE) &&
        IsLink(link)) {
        return true;
    }
    // Under Wine a Unix program runs from its \\?\unix\ path.
    const std::wstring unixTarget = UnixNameOf(target);
    const std::wstring unixLink = UnixNameOf(link);
    if (unixTarget.empty() || unixLink.empty()) {
        return false;
    }
    std::wstring command = L"\\\\?\\unix\\bin\\ln -s " + QuoteArgument(unixTarget) + L" " + QuoteArgument(unixLink);
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info{};
    if (!::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info)) {
        return false;
    }
    ::WaitForSingleObject(info.hProcess, 10000);
    ::CloseHandle(info.hThread);
    ::CloseHandle(info.hProcess);
    return IsLink(link);
}

void RemoveFolderLink(const std::wstring& link)
{
    if (IsLink(link)) {
        // A directory link goes with RemoveDirectory; Wine removes the Unix link the same way.
        if (!::RemoveDirectoryW(link.c_str())) {
            ::DeleteFileW(link.c_str());
        }
    }
}

}  // namespace testenv
