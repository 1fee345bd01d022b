#include "extraction/ExtractionDriver.h"

#include <list>
#include <memory>

#include "cabinet/CabDecompressor.h"
#include "log/BuildLogFile.h"
#include "log/LogFormat.h"
#include "log/RunResult.h"
#include "settings/OrloInitalizer.h"
#include "settings/Payload.h"
#include "settings/WindowMessages.h"
#include "settings/WorkerReports.h"
#include "util/PauseGate.h"
#include "util/ProcessContext.h"
#include "util/Util.h"
#include "util/WideFormat.h"
#include "validation/ExtractorValidator.h"
#include "version/VersionInfoUpdater.h"

namespace {
constexpr wchar_t kFunction[] = L"ExtractPackage";

class DriverChannel {
public:
    explicit DriverChannel(const ExtractionTarget& target) : m_target(target), m_reports(target.window) {}

    bool HasWindow() const { return m_reports.HasWindow(); }

    // The job's lines and the engine's go through one queue, so the window sees them in the order
    // they were made.
    void Log(int kind, const wchar_t* format, const std::wstring& argument)
    {
        m_reports.Log(kind, kFunction, format, argument);
    }
    void Progress(WPARAM wParam, LPARAM lParam) { m_reports.Progress(wParam, lParam); }
    // Before anyone else sends the window lines of their own (the payload reader).
    void Hold() { m_reports.Hold(); }
    // Before a long step without lines (hashing the parts): what was said before it shows now.
    void Post() { m_reports.Post(); }
    // Posted after every report has been handled.
    void Finish(UINT message)
    {
        m_reports.Flush();
        if (HasWindow()) {
            ::PostMessageW(m_target.window, message, 0, 0);
        }
    }
    // The error box's window writes lines of its own: ours must be in the log before them.
    std::wstring ErrorText(int code, const std::wstring& name)
    {
        m_reports.Hold();
        return GetExtractionErrorText(code, name, m_target.showMessage, m_target.window);
    }
    // The engine's point before each file: while a window asks the user whether to cancel, the
    // worker hands over what it has said so far and waits here until the answer is in the run's
    // continue flag.
    void Checkpoint()
    {
        if (WorkerPause().Held()) {
            m_reports.Flush();
        }
        WorkerPause().Checkpoint();
    }
    CWorkerReports& Reports() { return m_reports; }

private:
    const ExtractionTarget& m_target;
    CWorkerReports m_reports;
};
} // namespace

CabEngineOptions PackageEngineOptions(int overwriteWithoutPrompting)
{
    CabEngineOptions options;
    options.overwriteWithoutPrompting = overwriteWithoutPrompting;
    options.multiPart = Settings().GetMultiPartDownload() == 1;
    options.partNamePattern = Validator().GetPartNamePattern();
    options.setId = Settings().GetCabinetSetId();
    options.protectedFiles = Validator().GetPackageFiles();
    return options;
}

int PartCheckLineKind(const std::wstring& line)
{
    const bool information =
        line.find(L"Validating cabinet") != std::wstring::npos || line.find(L"Hash code for") != std::wstring::npos;
    return information ? kLogInfo : kLogError;
}

void ExtractPackage(const ExtractionTarget& target)
{
    DriverChannel channel(target);
    RunReport().EnterStage(RunStage::Verification);
    COrloInitalizer& settings = Settings();
    const std::wstring extractionPath = settings.GetExtractionPath();

    std::wstring folderMessage;
    CUtil::CreateFolderReport(extractionPath, folderMessage);
    if (target.stopRequested && target.stopRequested()) {
        return;
    }
    const std::wstring executable = Validator().GetPackageExecutable();
    const uint32_t payloadOffset = COrloVersionInfoUpdater().ReadStamp(executable);
    channel.Log(kLogInfo, L"Extracting the Setup to : %ls", extractionPath);

    const std::wstring tempFolder = CUtil::EnsureTrailingBackslash(settings.GetOrloTempDir());
    if (settings.GetMultiPartDownload() != 1) {
        channel.Hold(); // the reader sends its own lines
        CExtractor reader(target.window, static_cast<int32_t>(settings.GetPackageSizeMember() & 0xFFFFFFFFu));
        const int copied = reader.ExtractFile(executable, tempFolder, kPayloadPackageEntry, payloadOffset,
                                              static_cast<uint32_t>(kPayloadChunkSize));
        if (copied != 0) {
            settings.SetExtractionStatus(copied);
            channel.Finish(UM_EXTRACTION_FAILED);
            return;
        }
    }
    channel.Progress(2, 100);
    channel.Progress(3, settings.GetFileCount());

    std::wstring cabinetName = FormatW(L"WebCab%d", 1);
    std::wstring cabinetFolder = tempFolder;
    channel.Log(kLogInfo, L"%ls", L"Checking for parts");

    if (settings.GetMultiPartDownload() == 1) {
        channel.Post();
        std::wstring failedFile;
        std::list<std::wstring> lines;
        const int validation = Validator().ValidateParts(failedFile, settings.GetOverwriteWithoutPrompting(), lines);
        // The validator inserts at the head: the tail holds the first line.
        for (auto line = lines.rbegin(); line != lines.rend(); ++line) {
            if (line->empty()) {
                continue;
            }
            channel.Log(PartCheckLineKind(*line), L"%ls", *line);
        }
        if (validation != 0) {
            settings.SetExtractionStatus(validation);
            settings.SetReportedFileName(CUtil::SplitPath(failedFile, 1));  // named on the finish page
            channel.ErrorText(validation, failedFile);
            channel.Finish(UM_EXTRACTION_FAILED);
            return;
        }
        cabinetName = Validator().GetFirstPartName();
        cabinetFolder = Validator().GetPackageFolder();
    }

    const std::wstring cabinetPath = FormatW(L"%ls%ls", cabinetFolder.c_str(), cabinetName.c_str());
    if (!CUtil::FileExists(cabinetPath)) {
        const std::wstring text = channel.ErrorText(1, cabinetPath);
        settings.SetExtractionStatus(-2);
        channel.Log(kLogError, L"%ls", text);
        channel.Finish(UM_EXTRACTION_DONE);
        return;
    }

    RunReport().EnterStage(RunStage::Extraction);
    channel.Log(kLogInfo, L"Extracting files from cabinet :%ls", cabinetPath);
    CabEngineOptions options = PackageEngineOptions(settings.GetOverwriteWithoutPrompting());
    options.window = target.window;
    options.reports = &channel.Reports();
    options.checkpoint = [&channel] { channel.Checkpoint(); };
    auto engine = std::make_unique<CCabDecompressor>(options, Flags(), Paths(), Log());
    engine->ExtractCabinet(cabinetPath, extractionPath);
    const std::wstring engineText = engine->GetErrorText();
    const int code = engine->GetErrorCode();
    channel.Log(kLogInfo, L"Return Code for cab extraction : %ls", std::to_wstring(code));
    settings.SetExtractionStatus(code);
    settings.SetReportedFileName(engine->GetNextCabinetName());

    if (code == 0) {
        channel.Log(kLogInfo, L"%ls", engineText);
        engine.reset();
        channel.Finish(UM_EXTRACTION_DONE);
        return;
    }
    if (code == 1) {
        const std::wstring missing = engine->GetNextCabinetName();
        settings.SetReportedFileName(missing);
        channel.Log(kLogError, L"%ls", channel.ErrorText(1, cabinetFolder + missing));
    } else if (engine->GetWin32Error() != 0) {
        settings.SetExtractionStatus(-1);
        channel.Log(kLogError, L"%ls",
                    channel.ErrorText(static_cast<int>(engine->GetWin32Error()), Flags().CurrentFileName));
    } else if (code == 8 || code == 39) {
        channel.Log(kLogError, L"%ls", channel.ErrorText(code, std::wstring()));
    } else {
        channel.Log(kLogError, L"%ls", engineText);
    }
    channel.Finish(UM_EXTRACTION_FAILED);
}
