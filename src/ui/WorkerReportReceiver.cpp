#include "ui/WorkerReportReceiver.h"

#include <memory>
#include <utility>

#include "log/BuildLogFile.h"
#include "settings/WindowMessages.h"
#include "settings/WorkerReports.h"

CWorkerReportReceiver::CWorkerReportReceiver(HWND window, ProgressHandler progress, LineHandler line,
                                             BatchHandler afterBatch)
    : m_window(window), m_progress(std::move(progress)), m_line(std::move(line)), m_afterBatch(std::move(afterBatch))
{
}

CWorkerReportReceiver::~CWorkerReportReceiver()
{
    MSG message;
    while (m_window != nullptr &&
           ::PeekMessageW(&message, m_window, UM_WORKER_REPORTS, UM_WORKER_REPORTS, PM_REMOVE) != FALSE) {
        delete reinterpret_cast<WorkerReportBatch*>(message.wParam);
    }
}

LRESULT CWorkerReportReceiver::Handle(WPARAM batch)
{
    if (::InSendMessage() != FALSE) {
        // The worker waits for this batch; the ones it posted before are still queued.
        MSG message;
        while (::PeekMessageW(&message, m_window, UM_WORKER_REPORTS, UM_WORKER_REPORTS, PM_REMOVE) != FALSE) {
            Deliver(message.wParam);
        }
    }
    Deliver(batch);
    return 1;
}

void CWorkerReportReceiver::Deliver(WPARAM batch)
{
    const std::unique_ptr<WorkerReportBatch> reports(reinterpret_cast<WorkerReportBatch*>(batch));
    if (!reports) {
        return;
    }
    for (const WorkerReport& report : *reports) {
        if (report.message == UM_PROGRESS) {
            if (m_progress) {
                m_progress(report.step, report.value);
            }
        } else if (m_line) {
            m_line(report.record);
        } else {
            const ExtractLogRecord& record = report.record;
            Log().WriteLine(record.kind, record.function.c_str(), record.format.c_str(), record.argument.c_str());
        }
    }
    if (m_afterBatch) {
        m_afterBatch();
    }
}
