#include "app/SingleInstance.h"

CSingleInstance::CSingleInstance(const wchar_t* name)
{
    m_mutex.Reset(::CreateMutexW(nullptr, FALSE, name));
    m_error = ::GetLastError();  // ERROR_ALREADY_EXISTS also comes with a valid handle
}
