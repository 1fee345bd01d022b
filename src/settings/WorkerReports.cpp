#include "settings/WorkerReports.h"

#include "settings/WindowMessages.h"

void CWorkerReports::Log(int kind, const wchar_t* function, const wchar_t* format, const std::wstring& argument)
{
    WorkerReport report;
    report.message = UM_LOG_REQUEST;
    report.record.kind = kind;
    report.record.function = function;
    report.record.format = format;
    report.record.argument = argument;
    Add(std::move(report));
}

void CWorkerReports::Progress(WPARAM step, LPARAM value)
{
    WorkerReport report;
    report.message = UM_PROGRESS;
    report.step = step;
    report.value = value;
    Add(std::move(report));
}

void CWorkerReports::Add(WorkerReport report)
{
    if (!HasWindow()) {
        return;
    }
    if (!m_batch) {
        m_batch = std::make_unique<WorkerReportBatch>();
        m_batch->reserve(kBatchLines);
    }
    m_batch->push_back(std::move(report));
    if (m_batch->size() >= kBatchLines) {
        Post();
        return;
    }
    PostIfDue();
}

void CWorkerReports::PostIfDue()
{
    // A quiet worker's first report goes out at once; a busy one's wait for the next batch.
    if (m_batch && ::GetTickCount64() - m_lastPost >= kBatchMilliseconds) {
        Post();
    }
}

void CWorkerReports::Post()
{
    if (!m_batch) {
        return;
    }
    m_lastPost = ::GetTickCount64();
    WorkerReportBatch* batch = m_batch.release();
    if (batch != nullptr && !::PostMessageW(m_window, UM_WORKER_REPORTS, reinterpret_cast<WPARAM>(batch), 0)) {
        delete batch; // the window is gone
    }
}

void CWorkerReports::Flush()
{
    if (m_batch) {
        Hold();
    }
}

void CWorkerReports::Hold()
{
    if (!HasWindow()) {
        m_batch.reset();
        return;
    }
    // The receiver handles the batches still posted before this one; 1 means it took the batch.
    WorkerReportBatch* batch = m_batch.release();
    if (::SendMessageW(m_window, UM_WORKER_REPORTS, reinterpret_cast<WPARAM>(batch), 0) != 1) {
        delete batch;
    }
    m_lastPost = ::GetTickCount64();
}
