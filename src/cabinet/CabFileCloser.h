#pragma once
// CCabFileCloser: finishes written files (stored times and attributes, then the close) on a thread
// of its own, in the order they were handed over, so that the extracting thread can create the next
// file meanwhile. Under Wine they cost a fraction of a millisecond per file.
//
// At most kCapacity handles wait; Hand() waits for room, so a set of many tiny files never holds
// thousands of handles. Without a second processor, or when the thread cannot be started, files are
// finished at once on the caller's thread.
#include <windows.h>

#include <array>
#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <thread>

class CCabFileCloser {
public:
    static constexpr size_t kCapacity = 64;

    explicit CCabFileCloser(bool threaded = HasSecondProcessor());
    ~CCabFileCloser(); // finishes what waits
    CCabFileCloser(const CCabFileCloser&) = delete;
    CCabFileCloser& operator=(const CCabFileCloser&) = delete;

    // Takes `file`; applies `info` to it (failures ignored: the data is there) and closes it. False
    // once a close has failed since the last Drain: the data may not have reached the disk.
    bool Hand(HANDLE file, const FILE_BASIC_INFO& info);
    // Returns when every file handed over is closed. False when a close failed since the last Drain.
    bool Drain();

    static bool HasSecondProcessor();

private:
    struct Item {
        HANDLE file = INVALID_HANDLE_VALUE;
        FILE_BASIC_INFO info{};
    };

    static bool Finish(const Item& item);
    void Run();

    std::mutex m_lock;
    std::condition_variable m_changed; // an item in or out, a file finished, or stop
    std::array<Item, kCapacity> m_items;
    size_t m_first = 0;
    size_t m_count = 0;
    bool m_busy = false; // the thread holds an item taken out of the ring
    bool m_stop = false;
    bool m_failed = false;
    bool m_threaded;
    std::thread m_thread; // started with the first file
};
