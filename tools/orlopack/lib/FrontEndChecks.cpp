// The program's own checks for verify.
#include "FrontEndChecks.h"

#include <windows.h>

#include <list>

#include "cabinet/CabDecompressor.h"
#include "extraction/ExtractionDriver.h"
#include "log/BuildLogFile.h"
#include "settings/OrloInitalizer.h"
#include "settings/Payload.h"
#include "util/ProcessContext.h"
#include "util/Util.h"
#include "util/WideFormat.h"
#include "validation/ExtractorValidator.h"

namespace orlopack {

namespace {

// A folder of our own below TEMP, removed with everything in it when the checks are done.
class ScratchFolder {
public:
    ScratchFolder()
    {
        wchar_t temp[MAX_PATH + 1] = {};
        const DWORD length = ::GetTempPathW(MAX_PATH + 1, temp);
        if (length == 0 || length > MAX_PATH) {
            return;
        }
        const std::wstring folder = std::wstring(temp, length) + L"OrloPack-verify-" + CUtil::NewGuidString();
        if (::CreateDirectoryW(folder.c_str(), nullptr)) {
            m_path = folder + L"\\";
        }
    }
    ~ScratchFolder()
    {
        if (!m_path.empty()) {
            CUtil::RemoveTree(m_path.substr(0, m_path.size() - 1));
        }
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    const std::wstring& Path() const { return m_path; } // ends with "\", empty when not made

private:
    std::wstring m_path;
};

} // namespace

std::vector<OutputLine> RunFrontEndChecks(const std::wstring& packagePath, uint32_t payloadOffset,
                                          uint64_t unpackedBytes)
{
    std::vector<OutputLine> out;
    auto add = [&](int severity, const std::wstring& text) { out.push_back(OutputLine{severity, text}); };
    const ScratchFolder scratch;
    if (scratch.Path().empty()) {
        add(kWarning, L"no scratch folder below TEMP: the program's own checks were not run");
        return out;
    }
    const std::wstring settingsFolder = scratch.Path() + L"settings\\";
    const std::wstring target = scratch.Path() + L"files\\";
    ::CreateDirectoryW(settingsFolder.c_str(), nullptr);

    CExtractor reader;
    if (reader.ExtractFile(packagePath, settingsFolder, kPayloadModeSettings, payloadOffset,
                           static_cast<uint32_t>(kPayloadChunkSize)) != 0) {
        add(kProblem, L"the program cannot unpack the settings of the payload");
        return out;
    }
    COrloInitalizer& settings = Settings();
    settings.SetOrloTempDirPath(settingsFolder);
    settings.SetPropertiesPath(settingsFolder + kPropertiesFileName);
    settings.SetMultiPart();
    settings.ReadCabinetSetId();
    Paths().Clear();
    Flags().Continue = 1;

    std::wstring cabinetPath;
    if (settings.GetMultiPartDownload() == 1) {
        CExtractorValidator& validator = Validator();
        validator.SetPropertiesPath(settings.GetPropertiesPath());
        validator.SetPackageExecutable(packagePath);
        std::wstring failedFile;
        std::list<std::wstring> lines;
        if (validator.ValidateParts(failedFile, 1, lines) != 0) {
            // The validator inserts at the head: the tail holds the first line.
            for (auto line = lines.rbegin(); line != lines.rend(); ++line) {
                if (line->find(L"Validating cabinet") == std::wstring::npos &&
                    line->find(L"Hash code for") == std::wstring::npos) {
                    add(kProblem, L"the program refuses the parts: " + *line);
                }
            }
            return out;
        }
        add(kPassed, L"the program's own part checks pass (names, presence, MD5, cabinet headers)");
        cabinetPath = validator.GetPackageFolder() + validator.GetFirstPartName();
    } else {
        if (reader.ExtractFile(packagePath, settingsFolder, kPayloadModePackage, payloadOffset,
                               static_cast<uint32_t>(kPayloadChunkSize)) != 0) {
            add(kProblem, L"the program cannot copy the cabinet out of the payload");
            return out;
        }
        cabinetPath = settingsFolder + FormatW(L"WebCab%d", 1);
    }

    ULARGE_INTEGER room{};
    if (::GetDiskFreeSpaceExW(scratch.Path().c_str(), &room, nullptr, nullptr) && room.QuadPart < unpackedBytes) {
        add(kWarning, FormatW(L"no decompression test: %ls has %I64u bytes free, the files need %I64u",
                              scratch.Path().c_str(), room.QuadPart, unpackedBytes));
        return out;
    }
    CCabDecompressor engine(PackageEngineOptions(1), Flags(), Paths(), Log());
    engine.ExtractCabinet(cabinetPath, target);
    const std::wstring text = engine.GetErrorText();
    const int code = engine.GetErrorCode();
    const size_t files = Paths().ExtractedFiles.size();
    Paths().Clear();
    if (code == 0) {
        add(kPassed,
            FormatW(L"decompression test: the program's engine extracts all %u files", static_cast<unsigned>(files)));
    } else if (code == kCabErrorTargetFile || code == kCabErrorPathTooLong || engine.GetWin32Error() != 0) {
        // The scratch folder's fault (disk, path length), not necessarily the package's.
        add(kWarning, FormatW(L"decompression test stopped in %ls at %ls: %ls", scratch.Path().c_str(),
                              Flags().CurrentFileName.c_str(), text.c_str()));
    } else {
        add(kProblem, FormatW(L"the program's engine fails to extract the files (at %ls): %ls (code %d)",
                              Flags().CurrentFileName.c_str(), text.c_str(), code));
    }
    return out;
}

} // namespace orlopack
