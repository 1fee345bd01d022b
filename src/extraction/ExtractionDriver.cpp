#include "extraction/ExtractionDriver.h"

#include <list>
#include <memory>

#include "cabinet/CabDecompressor.h"
#include "log/LogFormat.h"
#include "log/RunResult.h"
#include "settings/OrloInitalizer.h"
#include "settings/Payload.h"
#include "settings/WindowMessages.h"
#include "util/ProcessContext.h"
#include "util/Util.h"
#include "util/WideFormat.h"
#include "validation/ExtractorValidator.h"
#include "version/VersionInfoUpdater.h"

namespace {
constexpr wchar_t kFunction[] = L"ExtractPackage";

class DriverChannel {
public:
    explicit DriverChannel(const ExtractionTarget& target) : m_target(target) {}

    bool HasWindow() const { return m_target.window != nullptr && ::IsWindow(m_target.window); }

    // One record per line, handed over by a synchronous send: the window has written the line
    // before the next one is made.
    void Log(int kind, const wchar_t* format, const std::wstring& argument) const
    {
        if (!HasWindow()) {
            return;
        }
        ExtractLogRecord record;
        record.kind = kind;
        record.function = kFunction;
        record.format = format;
        record.argument = argument;
        ::SendMessageW(m_target.window, UM_LOG_REQUEST, reinterpret_cast<WPARAM>(&record), 0);
    }
    // Progress goes the same way as the engine's, so the window sees it in the order it happened.
    void Progress(WPARAM wParam, LPARAM lParam) const
    {
        if (HasWindow()) {
            ::SendMessageW(m_target.window, UM_PROGRESS, wParam, lParam);
        }
    }
    void Finish(UINT message) const
    {
        if (HasWindow()) {
            ::PostMessageW(m_target.window, message, 0, 0);
        }
    }
    std::wstring ErrorText(int code, const std::wstring& name) const
    {
        return GetExtractionErrorText(code, name, m_target.showMessage, m_target.window);
    }

private:
    const ExtractionTarget& m_target;
};
} // namespace

int PartCheckLineKind(const std::wstring& line)
{
    const bool information =
        line.find(L"Validating cabinet") != std::wstring::npos || line.find(L"Hash code for") != std::wstring::npos;
    return information ? kLogInfo : kLogError;
}

void ExtractPackage(const ExtractionTarget& target)
{
    const DriverChannel channel(target);
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
    auto engine = std::make_unique<CCabDecompressor>(target.window, settings.GetOverwriteWithoutPrompting(),
                                                     Validator().GetPartNamePattern());
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
