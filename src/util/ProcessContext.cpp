#include "util/ProcessContext.h"

#include <memory>

#include "log/BuildLogFile.h"
#include "launch/LaunchState.h"
#include "log/LogCounters.h"
#include "settings/OrloInitalizer.h"
#include "util/Util.h"
#include "validation/ExtractorValidator.h"
#include "validation/OSValidator.h"

namespace {
struct ProcessContext {
    CBuildLogFile log;
    LogCounters counters;
    CUtil util;
    COrloInitalizer settings;
    CExtractorValidator validator;
    COSValidator os;
    RunFlags flags;
    PathLists paths;
    LaunchState launch;
};

std::unique_ptr<ProcessContext>& Instance()
{
    static std::unique_ptr<ProcessContext> instance = std::make_unique<ProcessContext>();
    return instance;
}
}  // namespace

CBuildLogFile& Log() { return Instance()->log; }
LogCounters& Counters() { return Instance()->counters; }
CUtil& Util() { return Instance()->util; }
COrloInitalizer& Settings() { return Instance()->settings; }
CExtractorValidator& Validator() { return Instance()->validator; }
COSValidator& OsValidator() { return Instance()->os; }
RunFlags& Flags() { return Instance()->flags; }
PathLists& Paths() { return Instance()->paths; }
LaunchState& LaunchData() { return Instance()->launch; }

void ResetProcessContext() { Instance() = std::make_unique<ProcessContext>(); }
