#pragma once
// CExtractorValidator: the process-wide validation object (extraction path, free space, setup
// language, license files, part files and integrity). Reach it through Validator() (below).
#include <windows.h>

#include <cstdint>
#include <list>
#include <string>
#include <vector>

// The MD5 of one file as ComputeFileMd5 gives it: 0 or a Win32 error in `code`.
struct FileMd5 {
    DWORD code = 0;
    std::wstring hash;
    std::wstring error;
};

class CExtractorValidator {
    // ---- Extraction path, free space, setup language, command-line autolaunch, license files
public:
    // The box routine for interactive path checks; start-up installs the program's own routine.
    using MessageBoxRoutine = int (*)(const std::wstring& text, UINT type, UINT helpId);
    void SetMessageBoxRoutine(MessageBoxRoutine routine) { m_messageBox = routine; }

    // First usable folder of: command line, per-OS path, [Runtime] ExtractPath, %TEMP%\<package>;
    // empty when none passes ValidatePathAndSpaceAvailable.
    std::wstring GetFinalExtractPathParam(bool skipCommandLine, const std::wstring& commandLinePath,
                                          const std::wstring& packageName, uint64_t requiredBytes);
    // 0 when the folder is usable (path trimmed, made full, given a trailing "\" and stored), else -1.
    int ValidatePathAndSpaceAvailable(std::wstring& path, int showMessages, uint64_t requiredBytes);
    // 1 when the drive has at least `requiredBytes` free, else 0; `message` gets the text to show.
    int CheckFreeSpace(const std::wstring& path, const std::wstring& drive, uint64_t requiredBytes,
                       std::wstring& message);
    // The comparison and messages of CheckFreeSpace for a known amount of free space.
    int EvaluateFreeSpace(const std::wstring& drive, uint64_t availableBytes, uint64_t requiredBytes,
                          std::wstring& message);
    // Builds, logs and (showMessages 1) shows the message for an IsValidPath code; returns the message.
    std::wstring ErrorMessagesForInvalidPath(int errorCode, const std::wstring& path, int showMessages);

    void ValidateSetupLangPassedFromCommandLine(const std::wstring& value);
    void SetLanguaeForProgressBar();
    // [Languages] SetupLanguages split at ";" (trimmed, empty entries dropped), last entry at the head.
    void SetupLanguages(std::list<std::wstring>& list);
    bool IsLanguageSupported(int lcid);
    int GetDefaultLanguage();
    void ValidateAndSetAutolaunchFromCommandLine(const std::wstring& value);

    // kind 1: [LicenseFiles], kind 2: [SecurityLicenseFiles]; the full path or empty.
    std::wstring CheckLicenseFiles(int lcid, const std::wstring& folder, int kind);
    static bool IsValidLicenseFile(const std::wstring& path);

    const std::wstring& GetExtractionPath() const { return m_extractionPath; }

protected:
    int ShowMessage(const std::wstring& text) const;

    std::wstring m_extractionPath; // last folder that passed ValidatePathAndSpaceAvailable, ends with "\"
    MessageBoxRoutine m_messageBox = nullptr;
    // ---- end of the path and language checks

public:
    virtual ~CExtractorValidator() = default;

    void SetPropertiesPath(const std::wstring& path) { m_propertiesPath = path; }
    const std::wstring& GetPropertiesPath() const { return m_propertiesPath; }

    // Composes the message for an OS verdict (300/301/302) in `language`, stores it as the settings
    // object's finish message (empty for 300) and returns the verdict. The third argument is not
    // read; a non-zero `logFlag` logs the message. Defined in validation/OSCheck.cpp.
    int CheckOS(int verdict, int language, int unused, int logFlag);

    // Package requirements ([Conditions]): 1 when extraction is allowed, else 0. Uses the properties
    // path above, or the settings' one when none was set (conditions/ConditionCheck.h runs the check).
    int CheckConditions(int language);
    // "{Action1Message};{Key};..." of the last check that had conditions (the requirements page).
    const std::wstring& GetConditionMessageKeys() const { return m_conditionMessageKeys; }

protected:
    std::wstring m_propertiesPath;
    std::wstring m_conditionMessageKeys;

    // ---- Part files and integrity (PartFiles.cpp, Md5.cpp)
public:
    // Full path of part 1, or empty (then `failedFile` holds the path tried first).
    std::wstring GetValidPartName(std::wstring& failedFile, std::list<std::wstring>& logLines);
    // 0 valid, -2 missing, -3 wrong cabinet, -5 MD5 mismatch; `failedFile` names the last failing
    // part. Log lines are inserted at the head of `logLines`.
    int ValidateParts(std::wstring& failedFile, int overwriteWithoutPrompting, std::list<std::wstring>& logLines);
    // MD5 of a file as 32 lower-case hex digits appended to `hashOut`; 0 or the Win32 error
    // (then `errorOut` says which step failed).
    static DWORD ComputeFileMd5(const std::wstring& path, std::wstring& hashOut, std::wstring& errorOut);
    // ComputeFileMd5 of each file, up to `threads` files at a time; results in the order of `paths`.
    static std::vector<FileMd5> ComputeFileMd5s(const std::vector<std::wstring>& paths, unsigned threads);
    // How many parts are hashed at a time on this machine.
    static unsigned PartHashThreads();
    // False when the properties file no longer has the hash taken at start-up.
    bool IsParameterFileNotCorrupt();
    void SetParameterFileBaseline(const std::wstring& hash) { m_parameterFileBaseline = hash; }
    const std::wstring& GetParameterFileBaseline() const { return m_parameterFileBaseline; }

    const std::wstring& GetFirstPartName() const { return m_firstPartName; }
    const std::wstring& GetPartNamePattern() const { return m_partNamePattern; }
    // The package executable; its part files lie beside it. The running module unless set.
    void SetPackageExecutable(const std::wstring& path) { m_packageExecutable = path; }
    std::wstring GetPackageExecutable() const;
    std::wstring GetPackageFolder() const; // ends with "\"
    // The package executable and its part files: the parts listed in the properties, and any further
    // numbered part beside them that a chain of cabinets could still reach. Full paths.
    std::vector<std::wstring> GetPackageFiles() const;

protected:
    std::wstring m_firstPartName;
    std::wstring m_partNamePattern;
    std::wstring m_parameterFileBaseline;
    std::wstring m_packageExecutable;
    int m_listedParts = 0; // parts with a [PartFileIno] entry, as ValidateParts counted them
};

// The process's validator (ResetProcessContext() gives a fresh one).
CExtractorValidator& Validator();
