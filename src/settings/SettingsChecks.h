#pragma once
// What the settings object asks of the checks above it (requirements, OS rules, extraction path
// and free space) while Init decides how the package is shown. The settings sit below those
// checks, so start-up hands them in through COrloInitalizer::SetChecks (validation/ValidatorChecks.h
// answers through the process's validators). Without checks nothing passes: no requirement is met,
// no path is usable.
#include <cstdint>
#include <string>

class ISettingsChecks {
public:
    virtual ~ISettingsChecks() = default;

    // Init has found the package properties file.
    virtual void SetPropertiesPath(const std::wstring& propertiesPath) = 0;
    // The log-only OS identification of the system information block; returns its result code.
    virtual int IdentifyOSForReport(const std::wstring& propertiesPath) = 0;
    // The requirements of a silent or unattended run: 1 when met.
    virtual int CheckRequirementsForSilentRun(int language) = 0;
    // The [OS] <family>ExtractPath value for the running system, or empty.
    virtual std::wstring ExtractPathForOS() = 0;
    virtual void ValidateSetupLangPassedFromCommandLine(const std::wstring& value) = 0;
    virtual void ValidateAndSetAutolaunchFromCommandLine(const std::wstring& value) = 0;
    // The first usable extraction folder (command line, per-OS path, package path, %TEMP%), or empty.
    virtual std::wstring GetFinalExtractPathParam(bool skipCommandLine, const std::wstring& commandLinePath,
                                                  const std::wstring& packageName, uint64_t requiredBytes) = 0;
    // 1 when the drive has at least `requiredBytes` free, else 0; `message` gets the text to show.
    virtual int CheckFreeSpace(const std::wstring& path, const std::wstring& drive, uint64_t requiredBytes,
                               std::wstring& message) = 0;
};
