#include "RecordingWindow.h"

#include <algorithm>
#include <chrono>

#include "settings/OrloInitalizer.h"
#include "settings/WindowMessages.h"
#include "util/ProcessContext.h"
#include "util/WideFormat.h"

namespace testenv {
namespace {
constexpr wchar_t kClassName[] = L"TarvexTestRecordingWindow";
}

RecordingWindow::RecordingWindow()
{
    m_thread = std::thread([this] { Run(); });
    std::unique_lock<std::mutex> lock(m_mutex);
    m_changed.wait(lock, [this] { return m_ready; });
}

RecordingWindow::~RecordingWindow()
{
    Destroy();
    if (m_thread.joinable()) {
        m_thread.join();
    }
}

void RecordingWindow::Destroy()
{
    if (m_threadId != 0) {
        ::PostThreadMessageW(m_threadId, WM_QUIT, 0, 0);
    }
    if (m_thread.joinable()) {
        m_thread.join();
    }
    m_threadId = 0;
}

void RecordingWindow::Run()
{
    WNDCLASSW wc{};
    wc.lpfnWndProc = &RecordingWindow::WindowProc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = kClassName;
    ::RegisterClassW(&wc); // a second registration fails harmlessly
    m_window = ::CreateWindowExW(0, kClassName, L"recording", WS_OVERLAPPED, 0, 0, 10, 10, HWND_MESSAGE, nullptr,
                                 wc.hInstance, this);
    MSG msg;
    ::PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE); // the thread's queue exists before anyone posts
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_threadId = ::GetCurrentThreadId();
        m_ready = true;
    }
    m_changed.notify_all();
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    ::DestroyWindow(m_window);
}

LRESULT CALLBACK RecordingWindow::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<RecordingWindow*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self != nullptr && message >= WM_USER) {
        return self->Handle(message, wParam, lParam);
    }
    if (message == WM_NCDESTROY) {
        ::SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

LRESULT RecordingWindow::Handle(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == UM_WORKER_REPORTS) {
        // Recorded as the single messages the batch stands for, in order.
        m_receiver.SetWindow(m_window);
        return m_receiver.Handle(wParam);
    }
    WindowEvent event;
    event.message = message;
    event.wParam = wParam;
    event.lParam = lParam;
    if (message == UM_LOG_REQUEST) {
        const auto* record = reinterpret_cast<const ExtractLogRecord*>(wParam);
        event.logKind = record->kind;
        event.logFunction = record->function;
        event.logText = FormatW(record->format.c_str(), record->argument.c_str());
        event.wParam = 0; // the record belongs to the sender
    } else if (message == UM_ASK_OVERWRITE) {
        event.askedFile = Flags().CurrentFileName;
        std::lock_guard<std::mutex> lock(m_mutex);
        event.answer = m_answers.empty() ? kOverwriteCancel : m_answers.front();
        if (!m_answers.empty()) {
            m_answers.pop_front();
        }
        Flags().OverwriteAnswer = event.answer;
    }
    std::function<void(const WindowEvent&)> callback;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_events.push_back(event);
        callback = m_onEvent;
    }
    if (callback) {
        callback(event);
    }
    m_changed.notify_all();
    return 1;
}

void RecordingWindow::ScriptAnswers(const std::vector<int>& answers)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_answers.assign(answers.begin(), answers.end());
}

void RecordingWindow::OnEvent(std::function<void(const WindowEvent&)> callback)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_onEvent = std::move(callback);
}

bool RecordingWindow::WaitForAny(const std::vector<UINT>& messages, DWORD milliseconds)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    return m_changed.wait_for(lock, std::chrono::milliseconds(milliseconds), [&] {
        for (const auto& event : m_events) {
            if (std::find(messages.begin(), messages.end(), event.message) != messages.end()) {
                return true;
            }
        }
        return false;
    });
}

std::vector<WindowEvent> RecordingWindow::Events() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_events;
}

std::vector<UINT> RecordingWindow::Messages() const
{
    std::vector<UINT> messages;
    for (const auto& event : Events()) {
        messages.push_back(event.message);
    }
    return messages;
}

std::vector<std::wstring> RecordingWindow::LogTexts() const
{
    std::vector<std::wstring> texts;
    for (const auto& event : Events()) {
        if (event.message == UM_LOG_REQUEST) {
            texts.push_back(event.logText);
        }
    }
    return texts;
}

} // namespace testenv
