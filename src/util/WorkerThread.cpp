#include "util/WorkerThread.h"

#include <process.h>

WorkerThread::WorkerThread() : m_stopEvent(::CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}

WorkerThread::~WorkerThread() { Stop(); }

HRESULT WorkerThread::Start(HWND window, Procedure procedure)
{
    m_window = window;
    ::ResetEvent(m_stopEvent.Get());
    Stop();
    const uintptr_t thread = ::_beginthreadex(nullptr, 0, procedure, this, 0, nullptr);
    if (thread == 0) {
        const DWORD error = ::GetLastError();
        return static_cast<HRESULT>((error & 0xFFFF) | 0x80070000u);
    }
    m_thread = reinterpret_cast<HANDLE>(thread);
    return 0;
}

bool WorkerThread::Stop()
{
    bool timedOut = false;
    if (m_thread != nullptr && m_thread != INVALID_HANDLE_VALUE) {
        ::SetEvent(m_stopEvent.Get());
        // A suspended thread (cancel question open) must run to see the stop event.
        ::ResumeThread(m_thread);
        timedOut = ::WaitForSingleObject(m_thread, 1000) == WAIT_TIMEOUT;
        ::CloseHandle(m_thread);
        m_thread = INVALID_HANDLE_VALUE;
    }
    ::ResetEvent(m_stopEvent.Get());
    return timedOut;
}

void WorkerThread::Suspend()
{
    if (m_thread != nullptr && m_thread != INVALID_HANDLE_VALUE) {
        ::SuspendThread(m_thread);
    }
}

void WorkerThread::Resume()
{
    if (m_thread != nullptr && m_thread != INVALID_HANDLE_VALUE) {
        ::ResumeThread(m_thread);
    }
}

void WorkerThread::ClearAndStop()
{
    m_window = nullptr;
    Stop();
}

void WorkerThread::Notify(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (m_window == nullptr || !::IsWindow(m_window)) {
        return;
    }
    if (lParam == 1002) {
        ::SendMessageW(m_window, message, wParam, lParam);
    } else {
        ::PostMessageW(m_window, message, wParam, lParam);
    }
}

bool WorkerThread::ShouldStop() const { return ::WaitForSingleObject(m_stopEvent.Get(), 0) == WAIT_OBJECT_0; }

void WorkerThread::WaitAndClose(DWORD milliseconds)
{
    if (m_thread != nullptr && m_thread != INVALID_HANDLE_VALUE) {
        ::WaitForSingleObject(m_thread, milliseconds);
        ::CloseHandle(m_thread);
        m_thread = INVALID_HANDLE_VALUE;
    }
}
