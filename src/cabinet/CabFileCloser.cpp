#include "cabinet/CabFileCloser.h"

#include <system_error>

CCabFileCloser::CCabFileCloser(bool threaded) : m_threaded(threaded) {}

CCabFileCloser::~CCabFileCloser()
{
    Drain();
    if (m_thread.joinable()) {
        {
            const std::lock_guard<std::mutex> lock(m_lock);
            m_stop = true;
        }
        m_changed.notify_all();
        m_thread.join();
    }
}

bool CCabFileCloser::HasSecondProcessor()
{
    return std::thread::hardware_concurrency() > 1;
}

bool CCabFileCloser::Finish(const Item& item)
{
    FILE_BASIC_INFO info = item.info;
    ::SetFileInformationByHandle(item.file, FileBasicInfo, &info, sizeof(info));
    return ::CloseHandle(item.file) != FALSE;
}

bool CCabFileCloser::Hand(HANDLE file, const FILE_BASIC_INFO& info)
{
    std::unique_lock<std::mutex> lock(m_lock);
    if (m_threaded && !m_thread.joinable()) {
        try {
            m_thread = std::thread(&CCabFileCloser::Run, this);
        } catch (const std::system_error&) {
            m_threaded = false;
        }
    }
    if (!m_threaded) {
        if (!Finish(Item{file, info})) {
            m_failed = true;
        }
        return !m_failed;
    }
    m_changed.wait(lock, [this] { return m_count < kCapacity; });
    m_items[(m_first + m_count) % kCapacity] = Item{file, info};
    ++m_count;
    const bool failed = m_failed;
    lock.unlock();
    m_changed.notify_all();
    return !failed;
}

bool CCabFileCloser::Drain()
{
    std::unique_lock<std::mutex> lock(m_lock);
    m_changed.wait(lock, [this] { return m_count == 0 && !m_busy; });
    const bool failed = m_failed;
    m_failed = false;
    return !failed;
}

void CCabFileCloser::Run()
{
    std::unique_lock<std::mutex> lock(m_lock);
    for (;;) {
        m_changed.wait(lock, [this] { return m_count > 0 || m_stop; });
        if (m_count == 0) {
            return; // stopping, and nothing waits
        }
        const Item item = m_items[m_first];
        m_first = (m_first + 1) % kCapacity;
        --m_count;
        m_busy = true;
        lock.unlock();
        m_changed.notify_all(); // room for the next file
        const bool closed = Finish(item);
        lock.lock();
        m_busy = false;
        m_failed = m_failed || !closed;
        m_changed.notify_all(); // a drain may be waiting for this one
    }
}
