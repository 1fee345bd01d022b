#include "util/PauseGate.h"

PauseGate::PauseGate() : m_open(::CreateEventW(nullptr, TRUE, TRUE, nullptr)) {}

void PauseGate::Hold()
{
    m_held = true;
    ::ResetEvent(m_open.Get());
}

void PauseGate::Release()
{
    m_held = false;
    ::SetEvent(m_open.Get());
}

void PauseGate::Checkpoint() const
{
    if (m_held.load()) {
        ::WaitForSingleObject(m_open.Get(), INFINITE);
    }
}

PauseGate& WorkerPause()
{
    static PauseGate gate;
    return gate;
}
