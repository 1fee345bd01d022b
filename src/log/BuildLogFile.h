#pragma once
// CBuildLogFile: the process-wide log. First the master log "Orlo.log", then (once the package
// settings are known) the package's extraction log; banners and the closing summary.
#include <string>

#include "log/LogFile.h"

constexpr wchar_t kMasterLogName[] = L"Orlo.log";
// Extraction log name when [LogFiles] ExtractLogFileName is empty and no package name is known.
constexpr wchar_t kDefaultExtractionLogName[] = L"Extraction.log";

class CBuildLogFile : public CLogFile {
public:
    void WriteStartBanner();
    // Builds the summary; appends it when `write`. Returns "%d  ERRORS\n%d  WARNINGS".
    std::wstring WriteSummary(bool write);
    // Appends the summary; asks to open the log only when mode is not 530 (never at shutdown).
    void Finish(int mode, HWND owner);

    // Master log at start-up: compute the path, create its folders, replace an old file, START banner.
    void InitMasterLog();
    // Switches to the extraction log named by [LogFiles] ExtractLogFileName of `propertiesPath`.
    void CreateExtractionLogFile(const std::wstring& packageName, int debug, const std::wstring& propertiesPath);

    std::wstring GetMasterLogPath() const { return m_masterLogPath; }
    std::wstring GetStartStamp() const { return m_startStamp; }

    // The format "%ls\Norlund\Automation\Logfiles\%ls" (or the pre-Vista "Application Data" form)
    // that takes "%ALLUSERSPROFILE%" and a file name; the result is still unexpanded.
    static std::wstring LogFolderFormat(unsigned osMajorVersion);
    // The extraction log's file name: the configured one, else the package name + ".log", else
    // kDefaultExtractionLogName.
    static std::wstring ExtractionLogFileName(const std::wstring& configured, const std::wstring& packageName);

private:
    std::wstring m_startStamp;
    std::wstring m_masterLogPath;
};

// The process log (ResetProcessContext() gives a fresh one).
CBuildLogFile& Log();
