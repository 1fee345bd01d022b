#pragma once
// Starting real processes from tests, with a time limit.
#include <windows.h>

#include <string>
#include <vector>

namespace testenv {

struct ProcessResult {
    bool started = false;
    bool timedOut = false;  // the process was killed after the time limit
    DWORD exitCode = 0;
    DWORD startError = 0;
};

// Quotes an argument for CreateProcess when it needs it.
std::wstring QuoteArgument(const std::wstring& argument);

// Runs `program` with `arguments` from `workingDir` (empty: the program's folder) and waits at most
// `timeoutMs`; a process still running then is killed and reported as timed out.
ProcessResult RunProcess(const std::wstring& program, const std::vector<std::wstring>& arguments,
                         DWORD timeoutMs = 60000, const std::wstring& workingDir = L"");

// A process started in the background; killed on destruction if still running.
class BackgroundProcess {
public:
    BackgroundProcess(const std::wstring& program, const std::vector<std::wstring>& arguments);
    ~BackgroundProcess();
    BackgroundProcess(const BackgroundProcess&) = delete;
    BackgroundProcess& operator=(const BackgroundProcess&) = delete;
    bool Started() const { return m_info.hProcess != nullptr; }
    DWORD ProcessId() const { return m_info.dwProcessId; }
    HANDLE Handle() const { return m_info.hProcess; }
    // Waits for the end; false on time-out.
    bool Wait(DWORD timeoutMs, DWORD& exitCode);

private:
    PROCESS_INFORMATION m_info{};
};

// The visible top-level windows that belong to a process.
std::vector<HWND> VisibleTopLevelWindows(DWORD processId);

// Every top-level window of a process, hidden ones included.
std::vector<HWND> TopLevelWindows(DWORD processId);

}  // namespace testenv
