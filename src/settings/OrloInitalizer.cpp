// COrloInitalizer: reading the package settings (Init and the steps it runs).
#include "settings/OrloInitalizer.h"

#include <cwchar>

#include "log/BuildLogFile.h"
#include "log/SystemInfoReport.h"
#include "settings/SettingsRules.h"
#include "util/NameRules.h"
#include "util/ProcessContext.h"
#include "util/Profile.h"
#include "util/Util.h"
#include "util/WideFormat.h"

namespace {
ProcessObject<COrloInitalizer> g_settings;
} // namespace

COrloInitalizer& Settings()
{
    return g_settings.Get();
}

int COrloInitalizer::Init(const OrloInitRecord& record)
{
    const wchar_t* function = L"COrloInitalizer::Init";
    m_runMode = record.runMode;
    m_propertiesPath = m_tempDirectory + kPropertiesFileName;
    Log().CreateExtractionLogFile(m_packageName, record.debug, m_propertiesPath);

    const std::wstring frameVersion = ReadProfileString(m_propertiesPath, L"Orlo", L"FrameVersion");
    Log().WriteLine(kLogInfo, L"Orlo Masterframe Version", L"%ls", frameVersion.c_str());
    Log().WriteLine(kLogInfo, L"GUI Mode", L"%ls", RunModeName(m_runMode));
    Log().WriteLine(kLogInfo, function, L"Initializing the package settings");

    m_noConditionCheck = record.noConditionCheck;
    if (m_noConditionCheck == 1) {
        Log().WriteLine(kLogInfo, L"Command Line Parameters",
                        L"Condition check will not be done as NoConditioncheck command line parameter has been passed");
    }
    m_packageName = ReadProfileString(m_propertiesPath, L"Package", L"Name");
    Log().WriteLine(kLogInfo, L"PackageName", L"%ls", m_packageName.c_str());
    if (m_checks != nullptr) {
        m_checks->SetPropertiesPath(m_propertiesPath);
    }

    WriteSystemInformation([this] {
        if (m_checks != nullptr) {
            m_osResult = m_checks->IdentifyOSForReport(m_propertiesPath);
        }
    });

    SetBufferSize();
    m_fileCount = ReadProfileInt(m_propertiesPath, L"FileCount", L"Count", 0);
    m_allowChangeTarget = AllowChangeTargetOf(ReadProfileString(m_propertiesPath, L"Runtime", L"AllowChangeTarget"));
    InitAutolaunch();
    if (m_autolaunch == 1) {
        InitCommandLineForNoOSCheck(record.noOSCheck);
    }
    SetMultiPart();
    ReadCabinetSetId();
    m_displayName = FormatW(L"%ls %ls", ReadProfileString(m_propertiesPath, L"Package", L"NameDispl").c_str(),
                            ReadProfileString(m_propertiesPath, L"Package", L"VersionString").c_str());
    return InitDisplay(record);
}

void COrloInitalizer::SetBufferSize()
{
    const int value = ReadProfileInt(m_propertiesPath, L"Size", L"128MB", kDefaultCopyBufferSize);
    Log().WriteLine(kLogDetail, L"SetBufferSize", L"BufferSize in ToolSettings : %u", static_cast<unsigned>(value));
    m_copyBufferSize = CopyBufferSizeOf(CUtil::GetTotalPhysicalMemory(), value);
    Log().WriteLine(kLogDetail, L"SetBufferSize", L"Calculated BufferSize : %u",
                    static_cast<unsigned>(m_copyBufferSize));
}

void COrloInitalizer::InitAutolaunch()
{
    const wchar_t* key = AutoLaunchKeyOf(ReadProfileString(m_propertiesPath, L"Runtime", L"Multilaunch"));
    if (ReadProfileString(m_propertiesPath, L"Runtime", key).empty()) {
        Log().WriteLine(kLogInfo, L"InitAutolaunch", L"AutoLaunch is not enabled");
        return;
    }
    m_autolaunch = 1;
    Log().WriteLine(kLogInfo, L"InitAutolaunch", L"AutoLaunch is enabled");
    SetWaitForAutoLaunchParam();
}

void COrloInitalizer::SetWaitForAutoLaunchParam()
{
    const wchar_t* function = L"SetWaitForAutoLaunchParam";
    const WaitRule rule =
        WaitForAutolaunchFinishOf(ReadProfileString(m_propertiesPath, L"Runtime", L"WaitForAutolaunchFinish"));
    m_waitForAutolaunchFinish = rule.wait;
    if (!rule.valid) {
        Log().WriteLine(kLogInfo, function,
                        L"Invalid value for WaitForAutolaunchFinish. WaitForAutolaunchFinish is enabled by default");
    } else if (rule.wait == 1) {
        Log().WriteLine(kLogInfo, function, L"WaitForAutolaunchFinish is enabled");
    } else {
        Log().WriteLine(kLogInfo, function, L"WaitForAutolaunchFinish is not enabled");
    }
}

void COrloInitalizer::InitCommandLineForNoOSCheck(int commandLineNoOSCheck)
{
    const wchar_t* function = L"InitCommandLineForNoOSCheck";
    if (ReadProfileString(m_propertiesPath, L"Package", L"CheckOs") == L"1") {
        Log().WriteLine(kLogInfo, function, L"CheckOs is set.OS check will be done before extraction in GUI mode");
        m_noOSCheck = 0;
        return;
    }
    if (commandLineNoOSCheck == 1) {
        m_noOSCheck = 1;
        Log().WriteLine(kLogInfo, L"Command Line Parameters", L"Setting NoOSCheck from commandline.");
    } else {
        m_noOSCheck = ReadProfileString(m_propertiesPath, L"OS", L"NoOSCheck") == L"1" ? 1 : 0;
        if (m_noOSCheck == 1) {
            Log().WriteLine(kLogInfo, function, L"Setting NoOSCheck from INI file.");
        }
    }
    if (m_noOSCheck == 1) {
        Log().WriteLine(kLogInfo, function, L"NoOSCheck has been set.OS check will not be done.");
    }
}

void COrloInitalizer::SetMultiPart()
{
    if (ReadProfileInt(m_propertiesPath, L"Package", L"MultiPartDownload", 0) == 1) {
        m_multiPartDownload = 1;
        m_multipartFileName = ReadProfileString(m_propertiesPath, L"Package", L"MultipartFileName");
    } else {
        m_multiPartDownload = 0;
    }
}

void COrloInitalizer::ReadCabinetSetId()
{
    m_cabinetSetId =
        static_cast<uint16_t>(std::wcstol(ReadProfileString(m_propertiesPath, L"Orlo", L"GUID2").c_str(), nullptr, 10));
}

uint64_t COrloInitalizer::GetPackageSize() const
{
    const uint64_t size = SizeValueOf(ReadProfileString(m_propertiesPath, L"Size", L"PackageSize"));
    Log().WriteLine(kLogDetail, L"PackageSize", L"%I64u", static_cast<unsigned long long>(size));
    return size;
}

uint64_t COrloInitalizer::GetRequiredSpace(const std::wstring& extractionPath, const std::wstring& tempDirectory,
                                           int multiPartDownload) const
{
    const uint64_t cabSize = SizeValueOf(ReadProfileString(m_propertiesPath, L"Size", L"CabSize"));
    return RequiredSpaceOf(GetPackageSize(), cabSize, extractionPath, tempDirectory, multiPartDownload);
}

std::wstring COrloInitalizer::GetImagePath(const std::wstring& key) const
{
    const std::wstring name = ReadProfileString(m_propertiesPath, L"Images", key);
    // Without a configured image there is no path (the temp folder itself is no image).
    if (name.empty()) {
        return {};
    }
    // The image is copied and later deleted under this name: it must stay inside the temp folder.
    const std::wstring problem = CheckPlainFileName(name);
    if (!problem.empty()) {
        Log().WriteLine(kLogError, L"GetImagePath", L"[Images] %ls refused (%ls) : %ls", key.c_str(), problem.c_str(),
                        name.c_str());
        return {};
    }
    return FormatW(L"%ls%ls", m_tempDirectory.c_str(), name.c_str());
}

void COrloInitalizer::SetFinishMessage(const std::wstring& value) { m_finishMessage = ExpandFinishMessage(value); }
