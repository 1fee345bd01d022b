// ADAPTER (see PendingCalls.h): switch each body to the real call when its subsystem lands.
#include "settings/PendingCalls.h"

#include "util/ProcessContext.h"
#include "validation/ExtractorValidator.h"
#include "validation/OSValidator.h"

int CheckRequirementsForSilentRun(int language) { return Validator().CheckConditions(language); }

std::wstring ExtractPathForOS() { return {}; }

int IdentifyOSForReport(const std::wstring& propertiesPath)
{
    OsValidator().SetPropertiesPath(propertiesPath);
    return 300;
}
