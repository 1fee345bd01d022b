#pragma once
// A real window on its own thread with a message loop, standing in for the progress window of the
// extraction: it records every worker message it receives (log records are copied at receipt), and
// answers the overwrite prompt from a script. Batches of worker reports are recorded as the
// UM_LOG_REQUEST and UM_PROGRESS messages they stand for.
#include <windows.h>

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "settings/WindowMessages.h"
#include "ui/WorkerReportReceiver.h"

namespace testenv {

struct WindowEvent {
    UINT message = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
    int logKind = -1;         // UM_LOG_REQUEST: the record's kind
    std::wstring logFunction; // UM_LOG_REQUEST: the record's function name
    std::wstring logText;     // UM_LOG_REQUEST: format filled with the argument
    std::wstring askedFile;   // UM_ASK_OVERWRITE: Flags().CurrentFileName at the time
    int answer = 0;           // UM_ASK_OVERWRITE: the answer given
};

class RecordingWindow {
public:
    RecordingWindow();
    ~RecordingWindow();
    RecordingWindow(const RecordingWindow&) = delete;
    RecordingWindow& operator=(const RecordingWindow&) = delete;

    HWND Handle() const { return m_window; }
    // Answers for the next overwrite prompts, in order; when they run out the prompt answers Cancel.
    void ScriptAnswers(const std::vector<int>& answers);
    // Called on the window's thread for every recorded message (for instance to cancel mid-way).
    void OnEvent(std::function<void(const WindowEvent&)> callback);
    // Waits until `message` has been received (at most `milliseconds`).
    bool WaitFor(UINT message, DWORD milliseconds = 60000) { return WaitForAny({message}, milliseconds); }
    bool WaitForAny(const std::vector<UINT>& messages, DWORD milliseconds = 60000);
    std::vector<WindowEvent> Events() const;
    std::vector<UINT> Messages() const;
    std::vector<std::wstring> LogTexts() const;
    // Destroys the window now (messages sent later are not delivered).
    void Destroy();

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
    void Run();

    std::thread m_thread;
    HWND m_window = nullptr;
    DWORD m_threadId = 0;
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<WindowEvent> m_events;
    std::deque<int> m_answers;
    std::function<void(const WindowEvent&)> m_onEvent;
    bool m_ready = false;
    CWorkerReportReceiver m_receiver{
        nullptr, [this](WPARAM step, LPARAM value) { Handle(UM_PROGRESS, step, value); },
        [this](const ExtractLogRecord& record) { Handle(UM_LOG_REQUEST, reinterpret_cast<WPARAM>(&record), 0); }};
};

} // namespace testenv
