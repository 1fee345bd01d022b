#pragma once
// ExtractPackage: the worker job that turns the package into files in the extraction path. It
// checks the part files, runs the cabinet engine on the first cabinet, records the outcome in the
// extraction status and reports to its window (WindowMessages.h): log lines and progress travel
// in batches (CWorkerReports), whole and in order; "done" or "failed" is posted after the last one.
#include <windows.h>

#include <functional>
#include <string>

#include "cabinet/CabDecompressor.h"

// What the job needs from the thread that runs it.
struct ExtractionTarget {
    HWND window = nullptr;               // receives the messages; may be null
    std::function<bool()> stopRequested; // the worker's stop event, tested once at the start
    // Shows a user message in full-GUI mode; empty: a stop box owned by the window.
    std::function<void(const std::wstring& text)> showMessage;
};

void ExtractPackage(const ExtractionTarget& target);

// The cabinet engine's options for the package in the run's settings (parts, part names, set id);
// the caller adds the window, reports and checkpoint of its own.
CabEngineOptions PackageEngineOptions(int overwriteWithoutPrompting);

// Thread procedure for the program's worker-thread wrapper (anything with Window() and ShouldStop()).
template <class Worker> unsigned __stdcall ExtractPackageThread(void* worker)
{
    auto* owner = static_cast<Worker*>(worker);
    ExtractionTarget target;
    target.window = owner->Window();
    target.stopRequested = [owner] { return owner->ShouldStop(); };
    ExtractPackage(target);
    return 0;
}

// The kind the part check's lines are logged with: its progress lines are information, the rest errors.
int PartCheckLineKind(const std::wstring& line);

// The user message (empty when there is none) and the log text for an extraction error code.
struct ExtractionErrorTexts {
    std::wstring message;
    std::wstring log;
};
// `name` is the part file or file concerned; `driveRoot` the root of the extraction path ("C:").
ExtractionErrorTexts MakeExtractionErrorTexts(int code, const std::wstring& name, const std::wstring& driveRoot);

// Returns the log text for `code`; in full-GUI mode also shows the user message through `show`
// (or, when `show` is empty, asks the window `owner` to show it: UM_SHOW_ERROR_BOX).
std::wstring GetExtractionErrorText(int code, const std::wstring& name,
                                    const std::function<void(const std::wstring&)>& show = {}, HWND owner = nullptr);
