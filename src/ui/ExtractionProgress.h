#pragma once
// CExtractionProgress: the progress bar of a window that runs the extraction worker (the unattended
// window, the wizard's progress page), fed by the worker's report batches. The worker's steps:
// 1 a file is done, 2 the parts are checked, 3 the number of files is known (value: the files still
// to come; the bar's range becomes the files done plus those). The bar moves once per batch.
#include <windows.h>

#include <functional>

#include "ui/WorkerReportReceiver.h"

class CExtractionProgress {
public:
    // `countKnown` runs when step 3 arrives: the window's status text changes then.
    explicit CExtractionProgress(std::function<void()> countKnown);

    // The window the worker reports to and its bar, which starts at 1 of 100.
    void Attach(HWND window, HWND bar);
    // One UM_WORKER_REPORTS message (its wParam): writes its lines, moves the bar; returns the answer.
    LRESULT Handle(WPARAM batch) { return m_receiver.Handle(batch); }

private:
    void Step(WPARAM step, LPARAM value);

    HWND m_bar = nullptr;
    int m_counter = 0;
    std::function<void()> m_countKnown;
    CWorkerReportReceiver m_receiver;
};
