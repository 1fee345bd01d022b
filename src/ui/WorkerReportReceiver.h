#pragma once
// CWorkerReportReceiver: the window side of a worker's reports (CWorkerReports, UM_WORKER_REPORTS),
// for every window that runs the extraction worker (the unattended window, the wizard's progress
// page).
//
// Contract:
// - The window passes every UM_WORKER_REPORTS message to Handle() and answers it with 1 (a dialog
//   procedure through DWLP_MSGRESULT): 1 tells the worker that the batch was taken.
// - Handle() owns the batch; it writes each log line (Log().WriteLine unless another line handler
//   was given) and hands each progress step to the progress handler, exactly as UM_LOG_REQUEST and
//   UM_PROGRESS would have, in the order the worker made them.
// - A batch that was sent (the worker waits in Flush) may overtake batches still posted: Handle()
//   takes those out of the window's queue first. The worker's "done" or "failed" message is posted
//   after its last Flush, so it arrives after every line.
// - A handler may show a box or ask the user; while a sent batch is handled the worker waits.
// - A batch holds up to a few hundred progress steps: a window redraws once per batch (the
//   after-batch handler), not once per step; under Wine every redraw of a visible progress bar
//   costs an X round trip.
#include <windows.h>

#include <functional>

#include "log/ExtractLogRecord.h"

class CWorkerReportReceiver {
public:
    using LineHandler = std::function<void(const ExtractLogRecord& record)>;
    using ProgressHandler = std::function<void(WPARAM step, LPARAM value)>;
    using BatchHandler = std::function<void()>;

    // `window` is the window the worker reports to; `afterBatch` runs after each batch.
    CWorkerReportReceiver(HWND window, ProgressHandler progress, LineHandler line = {}, BatchHandler afterBatch = {});
    ~CWorkerReportReceiver(); // drops batches left in the queue
    CWorkerReportReceiver(const CWorkerReportReceiver&) = delete;
    CWorkerReportReceiver& operator=(const CWorkerReportReceiver&) = delete;

    void SetWindow(HWND window) { m_window = window; }
    // Handles one UM_WORKER_REPORTS message (its wParam); returns the answer, 1.
    LRESULT Handle(WPARAM batch);

private:
    void Deliver(WPARAM batch);

    HWND m_window = nullptr;
    ProgressHandler m_progress;
    LineHandler m_line;
    BatchHandler m_afterBatch;
};
