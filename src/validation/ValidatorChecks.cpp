#include "validation/ValidatorChecks.h"

#include "validation/ExtractorValidator.h"
#include "validation/OSValidator.h"

namespace {
// Holds nothing itself: every call goes to the validators of the moment, so a fresh process
// context (tests) is used as soon as it exists.
class CValidatorChecks : public ISettingsChecks {
public:
    void SetPropertiesPath(const std::wstring& propertiesPath) override
    {
        Validator().SetPropertiesPath(propertiesPath);
    }
    int IdentifyOSForReport(const std::wstring& propertiesPath) override
    {
        OsValidator().SetPropertiesPath(propertiesPath);
        return OsValidator().IdentifyOS(true);
    }
    int CheckRequirementsForSilentRun(int language) override { return Validator().CheckConditions(language); }
    std::wstring ExtractPathForOS() override { return OsValidator().GetExtractPathForOS(); }
    void ValidateSetupLangPassedFromCommandLine(const std::wstring& value) override
    {
        Validator().ValidateSetupLangPassedFromCommandLine(value);
    }
    void ValidateAndSetAutolaunchFromCommandLine(const std::wstring& value) override
    {
        Validator().ValidateAndSetAutolaunchFromCommandLine(value);
    }
    std::wstring GetFinalExtractPathParam(bool skipCommandLine, const std::wstring& commandLinePath,
                                          const std::wstring& packageName, uint64_t requiredBytes) override
    {
        return Validator().GetFinalExtractPathParam(skipCommandLine, commandLinePath, packageName, requiredBytes);
    }
    int CheckFreeSpace(const std::wstring& path, const std::wstring& drive, uint64_t requiredBytes,
                       std::wstring& message) override
    {
        return Validator().CheckFreeSpace(path, drive, requiredBytes, message);
    }
};
} // namespace

ISettingsChecks& ValidatorChecks()
{
    static CValidatorChecks checks;
    return checks;
}
