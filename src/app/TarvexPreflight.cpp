// CTarvexApp::RunPreflight: the rest of a /check run once the package settings are read. Every
// check a real run makes gets its verdict, in the order a real run meets them, also after one has
// failed; nothing is extracted or launched.
#include "app/TarvexApp.h"
#include "extraction/PreflightChecks.h"
#include "log/BuildLogFile.h"
#include "log/RunResult.h"
#include "settings/CommandLine.h"
#include "settings/OrloInitalizer.h"
#include "util/WideFormat.h"

namespace {
constexpr int kOsNotSupported = 302;
}

void CTarvexApp::RunPreflight(int display, const OrloInitRecord& record)
{
    Log().WriteLine(kLogInfo, L"Preflight check", L"Checks only: nothing is extracted or launched");
    COrloInitalizer& settings = Settings();

    // Init stops at the first of its two checks; the path is still worth a verdict.
    const bool requirementsMet = RunReport().Failure() != runcheck::kRequirements;
    m_deployment.Verdict(runcheck::kRequirements, requirementsMet,
                         settings.GetNoConditioncheck() == 1 ? L"not checked (NoConditioncheck)"
                         : requirementsMet                   ? L"met"
                                                             : L"not met");
    const bool pathFound = requirementsMet ? display == kDisplayUnattendedWindow
                                           : settings.ChooseSilentExtractPath(record) == kDisplayUnattendedWindow;
    m_deployment.Verdict(runcheck::kExtractionPath, pathFound,
                         pathFound ? settings.GetExtractionPath() : L"no valid extraction path with enough space");

    const bool adminOk = CheckAdminRights();
    m_deployment.Verdict(runcheck::kAdminRights, adminOk, adminOk ? L"" : L"administrator rights are missing");
    const bool passwordOk = CheckPassword(m_options->extractionPassword);
    m_deployment.Verdict(runcheck::kPassword, passwordOk, passwordOk ? L"" : L"missing or wrong");

    ValidateOSBeforeExtraction();
    // A silent run extracts on an unsupported system but does not launch the setup there.
    const bool osApplies = settings.GetNoOSCheck() != 1 && settings.GetAutolaunch() == 1;
    const bool osOk = !osApplies || settings.GetOSResult() != kOsNotSupported;
    m_deployment.Verdict(runcheck::kOs, osOk,
                         !osApplies ? L"not checked"
                         : osOk     ? L"supported"
                                    : L"not supported: the setup would not start");

    RunReport().EnterStage(RunStage::Verification);
    std::wstring cabinet;
    const PreflightFinding parts = CheckPackageParts(cabinet);
    m_deployment.Verdict(runcheck::kParts, parts.passed, parts.detail);

    if (cabinet.empty() || !pathFound) {
        Log().WriteLine(kLogInfo, L"Preflight check", L"%ls : not measured without %ls", runcheck::kTargetPaths,
                        cabinet.empty() ? L"a cabinet" : L"an extraction path");
    } else {
        const PreflightFinding paths = CheckTargetPaths(cabinet, settings.GetExtractionPath());
        m_deployment.Verdict(runcheck::kTargetPaths, paths.passed, paths.detail);
    }
}
