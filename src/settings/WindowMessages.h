#pragma once
// Messages between a worker thread and its window. Workers never touch controls: they post or
// send these, and the window acts on its own thread. The payload reader (settings/) is the lowest
// sender; the cabinet engine, the extraction driver and the windows use them too.
#include <windows.h>

#include "log/ExtractLogRecord.h"

constexpr UINT UM_PROGRESS = WM_USER + 42;           // 1066 wParam 1: one file; 2,100: start; 3,n: n files to expect
constexpr UINT UM_LOG_REQUEST = WM_USER + 43;        // 1067 wParam: const ExtractLogRecord*; the window writes it
constexpr UINT UM_WORKER_REPORTS = WM_USER + 44;    // 1068 wParam: WorkerReportBatch* (owned by the receiver, may be null)
constexpr UINT UM_ASK_OVERWRITE = WM_USER + 100;     // 1124 show the overwrite prompt, store Flags().OverwriteAnswer
// wParam: const std::wstring* text; the wizard shows it in a stop box on its own thread (sent).
constexpr UINT UM_SHOW_ERROR_BOX = WM_USER + 45;     // 1069
constexpr UINT UM_EXTRACTION_DONE = WM_USER + 200;   // 1224
constexpr UINT UM_EXTRACTION_FAILED = WM_USER + 300; // 1324
