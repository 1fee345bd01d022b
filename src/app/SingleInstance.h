#pragma once
// The named mutex that keeps a second copy of the program from running.
#include <windows.h>

#include "util/Handles.h"

constexpr wchar_t kSingleInstanceMutexName[] = L"{AA16C87C-7BE6-4670-8526-4D402D18B369}";

class CSingleInstance {
public:
    explicit CSingleInstance(const wchar_t* name = kSingleInstanceMutexName);
    bool IsAlreadyRunning() const { return m_error == ERROR_ALREADY_EXISTS; }
    DWORD CreateError() const { return m_error; }
    void Close() { m_mutex.Reset(); }

private:
    UniqueKernelHandle m_mutex;
    DWORD m_error = 0;
};
