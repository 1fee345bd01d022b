// COrloInitalizer: unpacking the payload's settings files at start-up.
#include "log/BuildLogFile.h"
#include "settings/OrloInitalizer.h"
#include "settings/Payload.h"
#include "util/ProcessContext.h"
#include "util/Util.h"
#include "version/VersionInfoUpdater.h"

int COrloInitalizer::ExtractIntermediateFiles()
{
    Log().WriteRawText(
        L"------------------------------------------ Extraction ------------------------------------------\n");
    const std::wstring executable = CUtil::GetModulePath();
    // The package builder stamped the payload's start into our own version resource.
    const uint32_t offset = COrloVersionInfoUpdater().ReadStamp(executable);
    CExtractor extractor;
    const int result =
        extractor.ExtractFile(executable, m_tempDirectory, kPayloadModeSettings, offset, kPayloadChunkSize);
    if (result == 0) {
        Log().WriteLine(kLogInfo, L"ExtractIntermediateFiles", L"Extracted Setting files to %ls",
                        m_tempDirectory.c_str());
    } else {
        Log().WriteLine(kLogError, L"ExtractIntermediateFiles", L"An error occured during extraction of Setting files");
    }
    return result;
}
