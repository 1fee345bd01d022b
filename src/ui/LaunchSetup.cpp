#include "ui/LaunchSetup.h"

#include <list>
#include <string>

#include "launch/Cleanup.h"
#include "launch/LaunchList.h"
#include "launch/Launcher.h"
#include "log/BuildLogFile.h"
#include "log/RunResult.h"
#include "settings/OrloInitalizer.h"
#include "ui/MessageBox.h"
#include "util/ProcessContext.h"
#include "util/Profile.h"
#include "util/Util.h"
#include "util/WideFormat.h"
#include "validation/ExtractorValidator.h"
#include "validation/OSValidator.h"

namespace {
constexpr int kVerdictWarning = 301;
constexpr int kVerdictNotSupported = 302;
constexpr const wchar_t* kFunction = L"HandleLaunchSetup";
}  // namespace

int HandleLaunchSetup(HWND sheet, bool* launchBlocked, const LaunchPageLink& page)
{
    bool blockedLocal = false;
    bool& blocked = launchBlocked != nullptr ? *launchBlocked : blockedLocal;
    blocked = false;
    COrloInitalizer& settings = Settings();
    const std::wstring& properties = settings.GetPropertiesPath();
    Log().WriteLine(kLogInfo, kFunction, L"Preparing the launch of the extracted setup");
    const std::wstring installationDialog = ReadProfileString(properties, L"Runtime", L"AutoLaunchInstallationDialog");
    Util().SetCheckAdminText(ReadProfileString(properties, L"Runtime", L"CheckAdmin"));

    const std::wstring language = FormatW(L"%d", settings.GetLanguage());
    std::list<std::wstring> applications;
    std::list<std::wstring> parameters;
    GetAutolaunchApps(language, applications, parameters);
    if (applications.empty() || settings.GetExtractionStatus() != 0) {
        Log().WriteLine(kLogInfo, kFunction, L"Nothing to launch");
        return -1;
    }
    RunReport().EnterStage(RunStage::Launch);
    const bool gui = settings.GetRunMode() == kRunModeGui;
    const bool hasSheet = sheet != nullptr && ::IsWindow(sheet);
    if (hasSheet) {
        ::ShowWindow(sheet, installationDialog == L"1" ? SW_SHOW : SW_HIDE);
    }

    if (settings.GetNoOSCheck() != 1) {
        const int verdict = settings.GetOSResult();
        if (verdict == kVerdictNotSupported || verdict == kVerdictWarning) {
            // The package's own text for this system, logged in every mode.
            Validator().CheckOS(verdict, settings.GetLanguage(), 1, 1);
        }
        if (verdict == kVerdictNotSupported) {
            if (gui) {
                if (hasSheet) {
                    ::ShowWindow(sheet, SW_HIDE);
                }
                DoMessageBox(settings.GetFinishMessage(), MB_OK | MB_ICONHAND);
            }
            Log().WriteLine(kLogError, kFunction, L"Current operating system not supported: the setup is not launched");
            blocked = true;
            RunReport().NoteFailure(runcheck::kOs);
            return 10;
        }
        if (verdict == kVerdictWarning && gui) {
            if (hasSheet) {
                ::ShowWindow(sheet, SW_HIDE);
            }
            const int answer = DoMessageBox(settings.GetFinishMessage(), MB_YESNO | MB_ICONEXCLAMATION);
            if (answer == IDNO) {
                Log().WriteLine(kLogError, kFunction, L"Current operating system  not supported");
                settings.SetExtractionStatus(11);
                blocked = true;
                return 10;
            }
        }
        Log().WriteLine(kLogInfo, kFunction, L"Current OS is supported");
    }

    RemoveOrloTempDirectory();
    int result = LaunchMultipleApplications(language, applications, parameters, installationDialog, page);

    const bool keepsSheet = applications.size() > 1 ||
                            (settings.GetWaitForAutolaunchFinish() == 1 || installationDialog == L"1");
    if (keepsSheet) {
        if (hasSheet) {
            ::ShowWindow(sheet, SW_SHOW);
        }
    } else {
        result = 10;  // a single setup started without waiting: nothing more to do here
        blocked = true;
    }
    return result;
}
