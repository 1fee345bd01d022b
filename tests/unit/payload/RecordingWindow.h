#pragma once
// A message-only window that stands in for the progress window of a package extraction: it keeps
// every log request (1067) it is sent and counts the progress steps (1066) posted to it.
#include <windows.h>

#include <string>
#include <vector>

#include "settings/OrloInitalizer.h"
#include "settings/Payload.h"
#include "util/ProcessContext.h"

namespace payloadtest {

class RecordingWindow {
public:
    RecordingWindow()
    {
        static const ATOM atom = [] {
            WNDCLASSW wc{};
            wc.lpfnWndProc = &RecordingWindow::Proc;
            wc.hInstance = ::GetModuleHandleW(nullptr);
            wc.lpszClassName = L"TarvexPayloadRecorder";
            return ::RegisterClassW(&wc);
        }();
        m_hwnd = ::CreateWindowExW(0, reinterpret_cast<LPCWSTR>(static_cast<ULONG_PTR>(atom)), L"", 0, 0, 0, 0, 0,
                                   HWND_MESSAGE, nullptr, ::GetModuleHandleW(nullptr), this);
    }
    ~RecordingWindow() { Destroy(); }
    RecordingWindow(const RecordingWindow&) = delete;
    RecordingWindow& operator=(const RecordingWindow&) = delete;

    HWND Handle() const { return m_hwnd; }
    void Destroy()
    {
        if (m_hwnd != nullptr) {
            ::DestroyWindow(m_hwnd);
            m_hwnd = nullptr;
        }
    }
    // Progress steps posted so far (taken from the queue).
    int Progress()
    {
        MSG msg;
        while (m_hwnd != nullptr && ::PeekMessageW(&msg, m_hwnd, kMsgPayloadProgress, kMsgPayloadProgress, PM_REMOVE)) {
            if (msg.wParam == 1 && msg.lParam == 0) {
                ++m_progress;
            }
        }
        return m_progress;
    }
    int ErrorCount() const
    {
        int errors = 0;
        for (const ExtractLogRecord& line : lines) {
            errors += line.kind == 0 ? 1 : 0;
        }
        return errors;
    }

    std::vector<ExtractLogRecord> lines;
    std::wstring cancelOn; // a line starting with this text sets the payload cancel flag

private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
    {
        if (message == WM_NCCREATE) {
            auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
            ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
        }
        auto* self = reinterpret_cast<RecordingWindow*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        if (message == kMsgPayloadLog && self != nullptr) {
            const auto* record = reinterpret_cast<const ExtractLogRecord*>(wParam);
            self->lines.push_back(*record);
            if (!self->cancelOn.empty() && record->argument.rfind(self->cancelOn, 0) == 0) {
                Flags().PayloadCancel = 1;
            }
            return 1;
        }
        return ::DefWindowProcW(hwnd, message, wParam, lParam);
    }

    HWND m_hwnd = nullptr;
    int m_progress = 0;
};

} // namespace payloadtest
