#pragma once
// The per-kind line counters of the run (index = kind 0..11). They come into being with the first
// log initialisation and are never reset during a run; tests reset them with the process context.
#include "log/LogFormat.h"

#include <mutex>

class LogCounters {
public:
    void Create(); // first Init of any log object
    bool Exists() const;
    void Increment(int kind); // no-op before Create() or for kinds above 11
    LogCounterValues Snapshot() const;
    void Reset(); // tests only

private:
    mutable std::mutex m_mutex;
    bool m_exists = false;
    LogCounterValues m_values{};
};

// The counters of the process log.
LogCounters& Counters();
