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
} // namespace

bool MakeFolderLink(const std::wstring& link, const std::wstring& target)
{
    if (::GetFileAttributesW(link.c_str()) != INVALID_FILE_ATTRIBUTES) {
        return false;
    }
    if (::CreateSymbolicLinkW(link.c_str(), target.c_str(),
                              SYMBOLIC_LINK_FLAG_DIRECTORY | SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE) &&
        IsLink(link)) {
        return true;
    }
    const std::wstring unixTarget = UnixNameOf(target);
    const std::wstring unixLink = UnixNameOf(link);
    if (unixTarget.empty() || unixLink.empty()) {
        return false;
    }
    RunUnix(L"\\bin\\ln", {L"-s", unixTarget, unixLink});
    return WaitFor([&] { return IsLink(link); });
}

void RemoveFolderLink(const std::wstring& link)
{
    if (!IsLink(link)) {
        return;
    }
    // Wine's RemoveDirectory follows a Unix link and removes the folder it leads to: rm takes the
    // link itself.
    const std::wstring unixLink = UnixNameOf(link);
    if (unixLink.empty()) {
        ::RemoveDirectoryW(link.c_str());
    } else {
        RunUnix(L"\\bin\\rm", {L"-f", unixLink});
        WaitFor([&] { return ::GetFileAttributesW(link.c_str()) == INVALID_FILE_ATTRIBUTES; });
    }
}

} // namespace testenv
