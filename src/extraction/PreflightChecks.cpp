#include "extraction/PreflightChecks.h"

#include <list>

#include "cabinet/CabDecompressor.h"
#include "cabinet/CabNames.h"
#include "extraction/ExtractionDriver.h"
#include "log/BuildLogFile.h"
#include "settings/OrloInitalizer.h"
#include "settings/Payload.h"
#include "util/ProcessContext.h"
#include "util/Util.h"
#include "util/WideFormat.h"
#include "validation/ExtractorValidator.h"
#include "version/VersionInfoUpdater.h"

namespace {
constexpr wchar_t kFunction[] = L"Preflight check";

// Sees every file of the set and lets the library skip it: nothing is written.
class TargetPathProbe : public CCabDecompressor {
public:
    explicit TargetPathProbe(const std::wstring& partNamePattern)
        : CCabDecompressor(Options(partNamePattern), Flags(), Paths(), Log())
    {
    }

    size_t files = 0;
    std::wstring longest;

protected:
    int BeforeCopy(const CabCopyInfo& info) override
    {
        ++files;
        if (info.targetPath.size() > longest.size()) {
            longest = info.targetPath;
        }
        return 0;
    }

private:
    static CabEngineOptions Options(const std::wstring& partNamePattern)
    {
        CabEngineOptions options;
        options.overwriteWithoutPrompting = 1;
        options.multiPart = Settings().GetMultiPartDownload() == 1;
        options.partNamePattern = partNamePattern;
        options.setId = Settings().GetCabinetSetId();
        options.protectedFiles = Validator().GetPackageFiles();
        return options;
    }
};
} // namespace

PreflightFinding CheckPackageParts(std::wstring& cabinetPath)
{
    COrloInitalizer& settings = Settings();
    cabinetPath.clear();
    if (settings.GetMultiPartDownload() != 1) {
        const std::wstring executable = Validator().GetPackageExecutable();
        const std::wstring tempFolder = CUtil::EnsureTrailingBackslash(settings.GetOrloTempDir());
        CExtractor reader;
        const int copied = reader.ExtractFile(executable, tempFolder, kPayloadPackageEntry,
                                              COrloVersionInfoUpdater().ReadStamp(executable),
                                              static_cast<uint32_t>(kPayloadChunkSize));
        const std::wstring cabinet = tempFolder + FormatW(L"WebCab%d", 1);
        if (copied != 0 || !CUtil::FileExists(cabinet)) {
            return {false, L"the package carries no readable cabinet"};
        }
        cabinetPath = cabinet;
        return {true, L"the cabinet is in the package"};
    }

    std::wstring failedFile;
    std::list<std::wstring> lines;
    const int validation = Validator().ValidateParts(failedFile, settings.GetOverwriteWithoutPrompting(), lines);
    for (auto line = lines.rbegin(); line != lines.rend(); ++line) {
        if (line->empty()) {
            continue;
        }
        Log().WriteLine(PartCheckLineKind(*line), kFunction, L"%ls", line->c_str());
    }
    if (validation != 0) {
        return {false, MakeExtractionErrorTexts(validation, failedFile, L"").log};
    }
    cabinetPath = Validator().GetPackageFolder() + Validator().GetFirstPartName();
    return {true, L"every part is present, unchanged and of this package"};
}

PreflightFinding CheckTargetPaths(const std::wstring& cabinetPath, const std::wstring& extractionPath)
{
    TargetPathProbe probe(Validator().GetPartNamePattern());
    probe.ExtractCabinet(cabinetPath, extractionPath);
    const std::wstring error = probe.GetErrorText();
    if (probe.GetErrorCode() != 0) {
        return {false, error};
    }
    const std::wstring measured =
        FormatW(L"%u files, longest target path %u characters (limit %d)", static_cast<unsigned>(probe.files),
                static_cast<unsigned>(probe.longest.size()), kMaxTargetPath);
    if (probe.longest.size() > static_cast<size_t>(kMaxTargetPath)) {
        return {false, measured + L": " + probe.longest};
    }
    return {true, measured};
}
