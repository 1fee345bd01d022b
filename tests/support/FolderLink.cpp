#include "FolderLink.h"

#include <windows.h>

#include <vector>

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
    return std::wstring(narrow.begin(), narrow.end()); // the build tree's paths are ASCII
}

// Runs a Unix program by its \\?\unix\ path, as Wine allows. Its handle may be signalled before
// the program is done and its exit code does not come through: callers wait for what it does.
void RunUnix(const std::wstring& program, const std::vector<std::wstring>& arguments)
{
    std::wstring command = L"\\\\?\\unix" + program;
    for (const auto& argument : arguments) {
        command += L" " + QuoteArgument(argument);
    }
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info{};
    if (::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info)) {
        ::WaitForSingleObject(info.hProcess, 10000);
        ::CloseHandle(info.hThread);
        ::CloseHandle(info.hProcess);
    }
}

template <typename Condition> bool WaitFor(Condition condition)
{
    for (int i = 0; i < 250 && !condition(); ++i) {
        ::Sleep(20);
    }
    return condition();
}

// Makes `link` with CreateSymbolicLink (`flags`), or under Wine, where that call makes nothing, as a
// Unix symbolic link; then waits until `made` says it is there.
template <typename Made> bool MakeLink(const std::wstring& link, const std::wstring& target, DWORD flags, Made made)
{
    if (::GetFileAttributesW(link.c_str()) != INVALID_FILE_ATTRIBUTES) {
        return false;
    }
    if (::CreateSymbolicLinkW(link.c_str(), target.c_str(), flags | SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE) &&
        made()) {
        return true;
    }
    const std::wstring unixTarget = UnixNameOf(target);
    const std::wstring unixLink = UnixNameOf(link);
    if (unixTarget.empty() || unixLink.empty()) {
        return false;
    }
    RunUnix(L"\\bin\\ln", {L"-s", unixTarget, unixLink});
    return WaitFor(made);
}

// Removes the link itself: Wine's RemoveDirectory and DeleteFile act on what a Unix link leads to,
// rm takes the link. `remove` is the Windows call.
void RemoveLink(const std::wstring& link, BOOL(WINAPI* remove)(LPCWSTR))
{
    const std::wstring unixLink = UnixNameOf(link);
    if (unixLink.empty()) {
        remove(link.c_str());
        return;
    }
    RunUnix(L"\\bin\\rm", {L"-f", unixLink});
    // A link that leads nowhere is invisible to Wine: then there is nothing to wait for.
    WaitFor([&] { return ::GetFileAttributesW(link.c_str()) == INVALID_FILE_ATTRIBUTES; });
}
} // namespace

bool MakeFolderLink(const std::wstring& link, const std::wstring& target)
{
    return MakeLink(link, target, SYMBOLIC_LINK_FLAG_DIRECTORY, [&] { return IsLink(link); });
}

void RemoveFolderLink(const std::wstring& link)
{
    if (IsLink(link)) {
        RemoveLink(link, &::RemoveDirectoryW);
    }
}

bool MakeFileLink(const std::wstring& link, const std::wstring& target)
{
    return MakeLink(link, target, 0, [&] { return ::GetFileAttributesW(link.c_str()) != INVALID_FILE_ATTRIBUTES; });
}

void RemoveFileLink(const std::wstring& link)
{
    RemoveLink(link, &::DeleteFileW);
}

} // namespace testenv
