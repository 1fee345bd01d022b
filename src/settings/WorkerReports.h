#pragma once
// CWorkerReports: a worker's log lines and progress steps on their way to its window. They travel
// in batches (UM_WORKER_REPORTS) instead of one blocking round trip each: a batch is posted when it
// holds kBatchLines reports or when kBatchMilliseconds have passed since the last one went out, and
// Flush() hands over the rest synchronously. The window handles batches with
// CWorkerReportReceiver (ui/), which keeps every report whole and in the order it was made, also
// across a sent batch that overtakes batches still waiting in the window's queue.
//
// One thread reports through an object; the window must not go away while it reports.
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "log/ExtractLogRecord.h"

struct WorkerReport {
    UINT message = 0; // UM_LOG_REQUEST (record) or UM_PROGRESS (step, value)
    WPARAM step = 0;
    LPARAM value = 0;
    ExtractLogRecord record;
};
using WorkerReportBatch = std::vector<WorkerReport>;

class CWorkerReports {
public:
    static constexpr size_t kBatchLines = 256;
    static constexpr ULONGLONG kBatchMilliseconds = 20;

    explicit CWorkerReports(HWND window) : m_window(window) {}
    ~CWorkerReports() { Flush(); }
    CWorkerReports(const CWorkerReports&) = delete;
    CWorkerReports& operator=(const CWorkerReports&) = delete;

    HWND Window() const { return m_window; }
    // Reports go nowhere without a window, as the messages they replace.
    bool HasWindow() const { return m_window != nullptr && ::IsWindow(m_window); }

    void Log(int kind, const wchar_t* function, const wchar_t* format, const std::wstring& argument);
    void Progress(WPARAM step, LPARAM value);
    // Posts what waits when it has waited long enough; for a worker busy with one large piece of work.
    void PostIfDue();
    // Posts what waits now; before a long step without reports, so that its lines are not held back.
    void Post();
    // Returns once the window has handled every report made so far (at once when none waits here;
    // batches already posted reach the window before anything posted later).
    void Flush();
    // Hands over what waits and returns once the window has handled it and every batch before it,
    // also when nothing waits: before another message is sent to the window (which would overtake
    // posted batches), and where the window may keep the worker waiting while it asks the user.
    void Hold();

private:
    void Add(WorkerReport report);

    HWND m_window = nullptr;
    std::unique_ptr<WorkerReportBatch> m_batch;
    ULONGLONG m_lastPost = 0;
};
