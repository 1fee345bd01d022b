#include "log/LogCounters.h"

#include "util/ProcessContext.h"

namespace {
ProcessObject<LogCounters> g_counters;
} // namespace

LogCounters& Counters()
{
    return g_counters.Get();
}

void LogCounters::Create()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_exists = true;
}

bool LogCounters::Exists() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_exists;
}

void LogCounters::Increment(int kind)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_exists || kind < 0 || kind >= kLogKinds) {
        return;
    }
    // 16-bit counters stop at their top: a wrap would turn 65,536 errors into "Success".
    uint16_t& value = m_values[static_cast<size_t>(kind)];
    if (value != UINT16_MAX) {
        ++value;
    }
}

LogCounterValues LogCounters::Snapshot() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_values;
}

void LogCounters::Reset()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_exists = false;
    m_values = {};
}
