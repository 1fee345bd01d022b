#pragma once
// COrloInitalizer: the process-wide package settings. It creates the Orlo temp directory, unpacks
// the payload's settings files into it, reads Properties_Orlo.ini and decides how the package is shown.
// Reach the instance through Settings() (below); the checks Init runs are handed in (SetChecks).
#include "util/Platform.h"

#include <cstdint>
#include <list>
#include <string>

#include "log/ExtractLogRecord.h"
#include "settings/SettingsChecks.h"
#include "util/ProcessContext.h"

constexpr int kRunModeGui = 510;
constexpr int kRunModeUnattended = 520;
constexpr int kRunModeSilent = 530;
constexpr int kDisplayUnattendedWindow = 520;  // Init: silent/unattended go
constexpr int kDisplayStop = -1;               // Init: end the run
constexpr uint64_t kDefaultPackageSize = 4294967296ULL;
constexpr int kDefaultCopyBufferSize = 5242880;
constexpr int kPayloadChunkSize = 5242880;
constexpr wchar_t kPropertiesFileName[] = L"Properties_Orlo.ini";

// What start-up hands to Init (from the command line).
struct OrloInitRecord {
    int debug = 0;
    int noConditionCheck = 0;
    int noOSCheck = 0;
    std::wstring extractPath;
    std::wstring autolaunch;
    std::wstring setupLanguage;
    int runMode = kRunModeGui;
};

class COrloInitalizer {
public:
    virtual ~COrloInitalizer() = default;

    // ---- Start-up (temp folder and payload)
    // Returns an empty text on success, else the error text to show.
    std::wstring CretaeAndValidateOrloTempDir();
    int ExtractIntermediateFiles();
    uint64_t SetAppFileSize();                // size of the own executable (2^32 when unreadable)
    DWORD SetOrloTempDir(uint64_t spaceNeeded);  // 0 or the failure code (39: no drive with space)
    // Removes the temp settings folders at `roots` ("C:\", ...) that a killed run left behind: a
    // {GUID} folder created before `startedBefore` that holds nothing but settings files, none in use.
    static void RemoveLeftoverTempDirs(const std::list<std::wstring>& roots, const FILETIME& startedBefore);

    // ---- Initialisation (display decision: GUI 1/0, silent/unattended 520/-1)
    // The requirements, OS and path checks Init runs (not owned; start-up hands ValidatorChecks()).
    void SetChecks(ISettingsChecks* checks) { m_checks = checks; }
    int Init(const OrloInitRecord& record);
    void SetBufferSize();
    void InitAutolaunch();
    void SetWaitForAutoLaunchParam();
    void InitCommandLineForNoOSCheck(int commandLineNoOSCheck);
    void SetMultiPart();
    void ReadCabinetSetId(); // [Orlo] GUID2, decimal, low 16 bits
    int InitDisplay(const OrloInitRecord& record);
    // The two halves of InitDisplay for silent and unattended runs: the package requirements (true
    // when met or not to be checked), then the choice of the extraction path (520, or -1 when none
    // is usable).
    bool SilentRequirementsMet();
    int ChooseSilentExtractPath(const OrloInitRecord& record);
    int ValidateAndCheckExtractPath();
    uint64_t GetPackageSize() const;
    uint64_t GetRequiredSpace(const std::wstring& extractionPath, const std::wstring& tempDirectory,
                              int multiPartDownload) const;
    // [Images] key inside the temp directory; empty when the key is missing or empty.
    std::wstring GetImagePath(const std::wstring& key) const;

    // ---- Getters and setters
    const std::wstring& GetExtractionPath() const { return m_extractionPath; }
    void SetExtractionPath(const std::wstring& value) { m_extractionPath = value; }
    const std::wstring& GetOrloTempDir() const { return m_tempDirectory; }
    void SetOrloTempDirPath(const std::wstring& value) { m_tempDirectory = value; }  // tests, driver
    const std::wstring& GetPropertiesPath() const { return m_propertiesPath; }
    void SetPropertiesPath(const std::wstring& value) { m_propertiesPath = value; }
    const std::wstring& GetPackageName() const { return m_packageName; }
    const std::wstring& GetDisplayName() const { return m_displayName; }
    int GetRunMode() const { return m_runMode; }
    void SetRunMode(int value) { m_runMode = value; }
    int GetExtractionStatus() const { return m_extractionStatus; }
    void SetExtractionStatus(int value) { m_extractionStatus = value; }
    int GetFileCount() const { return m_fileCount; }
    int GetAllowChangeTarget() const { return m_allowChangeTarget; }
    int GetAutolaunch() const { return m_autolaunch; }
    void SetAutolaunch(int value) { m_autolaunch = value; }
    uint16_t GetCabinetSetId() const { return m_cabinetSetId; }
    uint64_t GetPackageSizeMember() const { return m_packageSize; }
    int GetCopyBufferSize() const { return m_copyBufferSize; }
    int GetLanguage() const { return m_language; }
    void SetLanguage(int value) { m_language = value; }
    int GetMultiPartDownload() const { return m_multiPartDownload; }
    const std::wstring& GetMultipartFileName() const { return m_multipartFileName; }
    int GetNoConditioncheck() const { return m_noConditionCheck; }
    int GetNoOSCheck() const { return m_noOSCheck; }
    int GetWaitForAutolaunchFinish() const { return m_waitForAutolaunchFinish; }
    void SetWaitForAutolaunchFinish(int value) { m_waitForAutolaunchFinish = value; }  // tests
    int GetOverwriteWithoutPrompting() const { return m_overwriteWithoutPrompting; }
    void SetOverwriteWithoutPrompting(int value) { m_overwriteWithoutPrompting = value; }
    // Kept with the run's flags, where the cabinet engine is handed it.
    int GetOverwriteForAll() const { return Flags().OverwriteForAll.load(); }
    void SetOverwriteForAll(int value) { Flags().OverwriteForAll = value; }
    const std::wstring& GetReportedFileName() const { return m_reportedFileName; }
    void SetReportedFileName(const std::wstring& value) { m_reportedFileName = value; }
    const std::wstring& GetFinishMessage() const { return m_finishMessage; }
    void SetFinishMessage(const std::wstring& value);  // "[NEWLINE]" -> LF, "[TAB]" -> tab
    int GetOSResult() const { return m_osResult; }
    void SetOSResult(int value) { m_osResult = value; }
    ExtractLogRecord& LogRequestRecord() { return m_logRequest; }

    // Read by Init from the properties file; set directly by callers that build settings themselves.
    void SetMultiPartDownload(int value) { m_multiPartDownload = value; }
    void SetCabinetSetId(uint16_t value) { m_cabinetSetId = value; }
    void SetFileCount(int value) { m_fileCount = value; }

protected:
    std::wstring m_extractionPath;
    std::wstring m_tempDirectory;
    std::wstring m_propertiesPath;
    std::wstring m_packageName;
    std::wstring m_displayName;
    int m_runMode = kRunModeGui;
    int m_extractionStatus = 0;
    int m_fileCount = 0;
    int m_allowChangeTarget = 0;
    int m_autolaunch = 0;
    uint16_t m_cabinetSetId = 0;
    uint64_t m_packageSize = kDefaultPackageSize;
    int m_copyBufferSize = kDefaultCopyBufferSize;
    int m_language = 1033;
    int m_multiPartDownload = 0;
    int m_noConditionCheck = 0;
    int m_noOSCheck = 0;
    int m_waitForAutolaunchFinish = 1;
    int m_overwriteWithoutPrompting = 0;
    int m_osResult = 300;
    std::wstring m_reportedFileName;
    std::wstring m_finishMessage;
    std::wstring m_multipartFileName;
    ExtractLogRecord m_logRequest;
    ISettingsChecks* m_checks = nullptr;
};

// The process's settings object (ResetProcessContext() gives a fresh one).
COrloInitalizer& Settings();
