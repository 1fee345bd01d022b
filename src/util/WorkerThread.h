#pragma once
// The one background-thread slot of the program. The procedure receives the WorkerThread, polls
// ShouldStop() and talks to its window only through Notify (posted, or sent when lParam is 1002).
#include <windows.h>

#include "util/Handles.h"

class WorkerThread {
public:
    using Procedure = unsigned(__stdcall*)(void* workerThread);

    WorkerThread();
    ~WorkerThread();
    WorkerThread(const WorkerThread&) = delete;
    WorkerThread& operator=(const WorkerThread&) = delete;

    // 0, or the Win32 error of _beginthreadex as an HRESULT.
    HRESULT Start(HWND window, Procedure procedure);
    // True when the wait (at most 1000 ms) timed out.
    bool Stop();
    void Suspend();
    void Resume();
    void ClearAndStop();
    // Sends (lParam 1002) or posts the message while the window exists.
    void Notify(UINT message, WPARAM wParam, LPARAM lParam);

    bool ShouldStop() const;  // zero-timeout wait on the stop event
    HWND Window() const { return m_window; }
    HANDLE ThreadHandle() const { return m_thread; }
    // Shutdown: wait for the thread at most `milliseconds`, then close its handle.
    void WaitAndClose(DWORD milliseconds);

private:
    HWND m_window = nullptr;
    HANDLE m_thread = nullptr;  // 0 or INVALID_HANDLE_VALUE when none
    UniqueKernelHandle m_stopEvent;
};
