#pragma once
// Holding the worker while the user is asked whether to cancel. The window thread holds the gate
// for as long as its question is open; the worker passes the gate at its checkpoints (before each
// file, between setups) and waits there while it is held. A thread is never stopped at an arbitrary
// point, where it might hold the heap or the loader lock that the question box then needs.
#include <windows.h>

#include <atomic>

#include "util/Handles.h"

class PauseGate {
public:
    PauseGate();
    PauseGate(const PauseGate&) = delete;
    PauseGate& operator=(const PauseGate&) = delete;

    void Hold();
    void Release();
    bool Held() const { return m_held.load(); }
    // Returns at once while the gate is open; otherwise waits until it is released.
    void Checkpoint() const;

private:
    UniqueKernelHandle m_open;  // manual-reset event, signalled while the gate is open
    std::atomic<bool> m_held{false};
};

// Holds the gate for one scope (the question box), releasing it however the scope is left.
class PauseGateHold {
public:
    explicit PauseGateHold(PauseGate& gate) : m_gate(gate) { m_gate.Hold(); }
    ~PauseGateHold() { m_gate.Release(); }
    PauseGateHold(const PauseGateHold&) = delete;
    PauseGateHold& operator=(const PauseGateHold&) = delete;

private:
    PauseGate& m_gate;
};

// The run's one gate, shared by the windows and the workers.
PauseGate& WorkerPause();
