#include "ProcessRunner.h"

#include <algorithm>

namespace testenv {

std::wstring QuoteArgument(const std::wstring& argument)
{
    if (!argument.empty() && argument.find_first_of(L" \t\"") == std::wstring::npos) {
        return argument;
    }
    // Backslashes are literal except before a quote, where they must be doubled.
    std::wstring quoted = L"\"";
    size_t backslashes = 0;
    for (wchar_t c : argument) {
        if (c == L'\\') {
            ++backslashes;
        } else if (c == L'"') {
            quoted.append(backslashes + 1, L'\\');
            backslashes = 0;
        } else {
            backslashes = 0;
        }
        quoted += c;
    }
    quoted.append(backslashes, L'\\');
    return quoted + L"\"";
}

namespace {
std::wstring BuildCommandLine(const std::wstring& program, const std::vector<std::wstring>& arguments)
{
    std::wstring commandLine = QuoteArgument(program);
    for (const auto& argument : arguments) {
        commandLine += L" " + QuoteArgument(argument);
    }
    return commandLine;
}

bool Launch(const std::wstring& program, const std::vector<std::wstring>& arguments, const std::wstring& workingDir,
            PROCESS_INFORMATION& info, DWORD& error)
{
    std::wstring commandLine = BuildCommandLine(program, arguments);
    std::wstring folder = workingDir;
    if (folder.empty()) {
        const size_t slash = program.rfind(L'\\');
        folder = slash == std::wstring::npos ? L"" : program.substr(0, slash + 1);
    }
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    if (!::CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                          folder.empty() ? nullptr : folder.c_str(), &startup, &info)) {
        error = ::GetLastError();
        return false;
    }
    return true;
}
}  // namespace

ProcessResult RunProcess(const std::wstring& program, const std::vector<std::wstring>& arguments, DWORD timeoutMs,
                         const std::wstring& workingDir)
{
    ProcessResult result;
    PROCESS_INFORMATION info{};
    if (!Launch(program, arguments, workingDir, info, result.startError)) {
        return result;
    }
    result.started = true;
    if (::WaitForSingleObject(info.hProcess, timeoutMs) == WAIT_TIMEOUT) {
        result.timedOut = true;
        ::TerminateProcess(info.hProcess, 0xDEAD);
        ::WaitForSingleObject(info.hProcess, 5000);
    }
    ::GetExitCodeProcess(info.hProcess, &result.exitCode);
    ::CloseHandle(info.hThread);
    ::CloseHandle(info.hProcess);
    return result;
}

BackgroundProcess::BackgroundProcess(const std::wstring& program, const std::vector<std::wstring>& arguments)
{
    DWORD error = 0;
    if (!Launch(program, arguments, L"", m_info, error)) {
        m_info = PROCESS_INFORMATION{};
    }
}

BackgroundProcess::~BackgroundProcess()
{
    if (m_info.hProcess != nullptr) {
        if (::WaitForSingleObject(m_info.hProcess, 0) == WAIT_TIMEOUT) {
            ::TerminateProcess(m_info.hProcess, 0xDEAD);
            ::WaitForSingleObject(m_info.hProcess, 5000);
        }
        ::CloseHandle(m_info.hThread);
        ::CloseHandle(m_info.hProcess);
    }
}

bool BackgroundProcess::Wait(DWORD timeoutMs, DWORD& exitCode)
{
    if (m_info.hProcess == nullptr || ::WaitForSingleObject(m_info.hProcess, timeoutMs) != WAIT_OBJECT_0) {
        return false;
    }
    ::GetExitCodeProcess(m_info.hProcess, &exitCode);
    return true;
}

std::vector<HWND> TopLevelWindows(DWORD processId)
{
    struct Search {
        DWORD processId;
        std::vector<HWND> windows;
    } search{processId, {}};
    ::EnumWindows(
        [](HWND window, LPARAM context) -> BOOL {
            auto* s = reinterpret_cast<Search*>(context);
            DWORD owner = 0;
            ::GetWindowThreadProcessId(window, &owner);
            if (owner == s->processId) {
                s->windows.push_back(window);
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.windows;
}

std::vector<HWND> VisibleTopLevelWindows(DWORD processId)
{
    std::vector<HWND> windows = TopLevelWindows(processId);
    windows.erase(std::remove_if(windows.begin(), windows.end(), [](HWND window) { return !::IsWindowVisible(window); }),
                  windows.end());
    return windows;
}

}  // namespace testenv
