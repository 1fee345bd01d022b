// Part files of a multi-part package: finding part 1, checking every listed part for presence, MD5
// and cabinet header, and the guard against a properties file changed during the run.
#include <memory>

#include "cabinet/CabDecompressor.h"
#include "log/BuildLogFile.h"
#include "settings/OrloInitalizer.h"
#include "util/ProcessContext.h"
#include "util/Profile.h"
#include "util/Util.h"
#include "util/WideFormat.h"
#include "validation/ExtractorValidator.h"

namespace {
// An engine for header queries: no window, the package's set id.
CabEngineOptions HeaderQuery(int overwriteWithoutPrompting, const std::wstring& pattern)
{
    CabEngineOptions options;
    options.overwriteWithoutPrompting = overwriteWithoutPrompting;
    options.partNamePattern = pattern;
    options.multiPart = Settings().GetMultiPartDownload() == 1;
    options.setId = Settings().GetCabinetSetId();
    return options;
}
// The key of part `number` in [PartFileIno] and [HashCode]: "001", "002", ...
std::wstring PartKey(size_t number)
{
    return FormatW(L"%03d", static_cast<int>(number));
}
} // namespace

std::wstring CExtractorValidator::GetPackageExecutable() const
{
    return m_packageExecutable.empty() ? CUtil::GetModulePath() : m_packageExecutable;
}

std::wstring CExtractorValidator::GetPackageFolder() const
{
    return CUtil::EnsureTrailingBackslash(CUtil::SplitPath(GetPackageExecutable(), 0));
}

std::vector<std::wstring> CExtractorValidator::GetPackageFiles() const
{
    std::vector<std::wstring> files{GetPackageExecutable()};
    if (m_partNamePattern.empty()) {
        return files;
    }
    constexpr int kMostParts = 9999;
    const std::wstring folder = GetPackageFolder();
    for (int number = 1; number <= kMostParts; ++number) {
        const std::wstring path = folder + CUtil::FormatNumberedName(m_partNamePattern, number);
        if (number > m_listedParts && !CUtil::FileExists(path)) {
            break;
        }
        files.push_back(path);
    }
    return files;
}

std::wstring CExtractorValidator::GetValidPartName(std::wstring& failedFile, std::list<std::wstring>& logLines)
{
    const std::wstring folder = GetPackageFolder();
    const uint16_t setId = Settings().GetCabinetSetId();

    const std::wstring baseName = ReadProfileString(m_propertiesPath, L"Package", L"MultipartFileName");
    std::wstring pattern = FormatW(L"%ls.%ls", baseName.c_str(), L"%03d");
    const std::wstring candidate1 = folder + CUtil::FormatNumberedName(pattern, 1);
    std::wstring accepted;
    if (CUtil::FileExists(candidate1)) {
        CCabDecompressor query(HeaderQuery(0, pattern), Flags(), Paths(), Log());
        if (query.GetCabinetSetId(candidate1) == setId) {
            accepted = candidate1;
        }
    }
    if (accepted.empty()) {
        // Fallback: the executable's own name less five characters ("Setup1.exe" gives "Setup").
        const std::wstring executable = CUtil::SplitPath(GetPackageExecutable(), 1);
        const std::wstring base = executable.size() > 5 ? executable.substr(0, executable.size() - 5) : std::wstring();
        const std::wstring fallbackPattern = FormatW(L"%ls.%ls", base.c_str(), L"%03d");
        const std::wstring candidate2 = folder + CUtil::FormatNumberedName(fallbackPattern, 1);
        if (!base.empty() && CUtil::FileExists(candidate2) && setId != 0) {
            accepted = candidate2;
            pattern = fallbackPattern;
        }
    }
    if (accepted.empty()) {
        failedFile = candidate1;
        m_partNamePattern.clear();
        m_firstPartName.clear();
        logLines.push_front(FormatW(L"Multi part File not found : %ls", candidate1.c_str()));
        return {};
    }
    m_partNamePattern = pattern;
    m_firstPartName = CUtil::FormatNumberedName(pattern, 1);
    return accepted;
}

int CExtractorValidator::ValidateParts(std::wstring& failedFile, int overwriteWithoutPrompting,
                                       std::list<std::wstring>& logLines)
{
    int result = 0;
    const std::wstring folder = GetPackageFolder();
    m_listedParts = 0;
    if (GetValidPartName(failedFile, logLines).empty()) {
        return -2;
    }
    std::vector<std::wstring> parts;
    while (!ReadProfileString(m_propertiesPath, L"PartFileIno", PartKey(parts.size() + 1)).empty()) {
        parts.push_back(folder + CUtil::FormatNumberedName(m_partNamePattern, static_cast<int>(parts.size()) + 1));
    }
    m_listedParts = static_cast<int>(parts.size());
    // Hashing is most of the check: the parts are hashed side by side (a missing one fails at once),
    // the verdicts and their lines still come part by part.
    const std::vector<FileMd5> hashes = ComputeFileMd5s(parts, PartHashThreads());

    for (size_t index = 0; index < parts.size(); ++index) {
        const std::wstring& path = parts[index];
        logLines.push_front(FormatW(L"Validating cabinet : %ls", path.c_str()));
        if (!CUtil::FileExists(path)) {
            failedFile = path;
            result = -2;
            logLines.push_front(FormatW(L"Multi part File not found : %ls", path.c_str()));
            continue;
        }
        const FileMd5& hash = hashes[index];
        if (hash.code != 0) {
            // A part that cannot be hashed is not called corrupt; the header check decides.
            logLines.push_front(FormatW(L"%ls : Return Code : %d", hash.error.c_str(), static_cast<int>(hash.code)));
        } else {
            const std::wstring recorded = ReadProfileString(m_propertiesPath, L"HashCode", PartKey(index + 1));
            logLines.push_front(FormatW(L"Hash code for : %ls is :%ls", path.c_str(), recorded.c_str()));
            if (hash.hash != recorded) {
                failedFile = path;
                result = -5;
                logLines.push_front(FormatW(L"File is corrupt  : %ls", path.c_str()));
                continue;
            }
        }
        auto header = std::make_unique<CCabDecompressor>(HeaderQuery(overwriteWithoutPrompting, m_partNamePattern),
                                                         Flags(), Paths(), Log());
        if (!header->ValidateCabinetFile(path)) {
            failedFile = path;
            result = -3;
            logLines.push_front(FormatW(L"Could not get the file status of the file : %ls", path.c_str()));
        }
    }
    return result;
}

bool CExtractorValidator::IsParameterFileNotCorrupt()
{
    constexpr wchar_t kFunction[] = L"IsParameterFileNotCorrupt";
    Log().WriteLine(kLogInfo, kFunction, L"Generating hash code for  : %ls", m_propertiesPath.c_str());
    std::wstring hash;
    std::wstring error;
    const DWORD code = ComputeFileMd5(m_propertiesPath, hash, error);
    if (code != 0) {
        Log().WriteLine(kLogWarning, kFunction, L"%ls : Return Code : %d", error.c_str(), static_cast<int>(code));
        return true;
    }
    // Without a baseline (start-up could not hash the file) there is nothing to compare with.
    if (!m_parameterFileBaseline.empty() && hash != m_parameterFileBaseline) {
        Log().WriteLine(kLogError, kFunction, L"Settings have been corrupted. Please start the package again.");
        return false;
    }
    return true;
}
