#include "settings/PendingCalls.h"

#include "util/ProcessContext.h"
#include "validation/ExtractorValidator.h"
#include "validation/OSValidator.h"

int CheckRequirementsForSilentRun(int language) { return Validator().CheckConditions(language); }

std::wstring ExtractPathForOS() { return OsValidator().GetExtractPathForOS(); }

int IdentifyOSForReport(const std::wstring& propertiesPath)
{
    OsValidator().SetPropertiesPath(propertiesPath);
    return OsValidator().IdentifyOS(true);
}
