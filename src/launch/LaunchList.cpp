#include "launch/LaunchList.h"

#include <windows.h>

#include <iterator>

#include "launch/Cleanup.h"
#include "launch/FinishMessages.h"
#include "launch/LaunchRules.h"
#include "log/BuildLogFile.h"
#include "settings/OrloInitalizer.h"
#include "util/ProcessContext.h"
#include "util/Profile.h"
#include "util/StringUtil.h"
#include "util/Util.h"

namespace {
constexpr wchar_t kFunction[] = L"GetAutolaunchApps";

bool PathExists(const std::wstring& path)
{
    return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void LogListFileOutcome(int written)
{
    Log().WriteLine(8, kFunction,
                    written == 1 ? L"Writing to ExtractedFilesToDelete.txt is success"
                                 : L"Creation of ExtractedFilesToDelete.txt Failed");
}

// Inside the loop the list file is written only when nobody waits for the setup; with waiting it is
// written after the loop, for the last program only.
void WriteListFileInLoop()
{
    if (Settings().GetWaitForAutolaunchFinish() == 0) {
        LogListFileOutcome(WriteToDeletetxt());
    } else {
        LogListFileOutcome(0);
    }
}
} // namespace

void GetAutolaunchApps(const std::wstring& language, std::list<std::wstring>& applications,
                       std::list<std::wstring>& parameters)
{
    const std::wstring& properties = Settings().GetPropertiesPath();
    const std::wstring extractionPath = Settings().GetExtractionPath();
    const std::wstring handshake = DeleteOnFinishParameter(extractionPath);
    const bool multi = IsMultilaunchValue(ReadProfileString(properties, L"Runtime", L"Multilaunch"));
    int index = multi ? 0 : -1;
    bool failed = false;

    for (;;) {
        const std::wstring key = LaunchKeyName(index);
        const std::wstring value = ReadProfileString(properties, L"Runtime", key);
        const LaunchValueParts parts = SplitLaunchValue(value);
        const bool launcherFound =
            IsFamilyLauncherName(parts.fileName) && PathExists(LauncherProbePath(extractionPath, parts.folder));
        if (value.empty()) {
            break;
        }
        Log().WriteLine(8, kFunction, L"%ls : %ls", key.c_str(), value.c_str());
        const std::wstring fullPath = JoinPath(extractionPath, value);
        if (CUtil::IsPathShorterThan(fullPath, kMaxLaunchPathText) != 1) {
            Settings().SetExtractionStatus(-1);
            Log().WriteLine(0, L"Folder depth is too large to run the setup.", L"%ls", fullPath.c_str());
            failed = true;
            break;
        }
        if (!PathExists(fullPath)) {
            Settings().SetExtractionStatus(2);
            Log().WriteLine(0, L"File for launching the setup not found : ", L"%ls", fullPath.c_str());
            failed = true;
            if (!multi) {
                break;
            }
            ++index;
            continue;
        }
        LoadReturnCodeMessages(key);

        const std::wstring paramsKey = ParamsKeyName(index);
        std::wstring params = ReadProfileString(properties, language, paramsKey);
        const std::wstring mode = ReadProfileString(properties, L"Runtime", L"Mode");
        Log().WriteLine(8, kFunction, L"Mode - %ls", mode.c_str());
        const bool handOverDeletion = Flags().DeleteOnExit == 1 && launcherFound;
        if (EqualsNoCase(mode, L"Orlo")) {
            Log().WriteLine(8, kFunction, L"Mode identified as Orlo");
            const std::wstring silent = ReadProfileString(properties, language, paramsKey + L"Silent");
            const std::wstring unattended = ReadProfileString(properties, language, paramsKey + L"Unattended");
            switch (Settings().GetRunMode()) {
            case kRunModeSilent:
                Log().WriteLine(8, kFunction, L"Silent Mode identified for web Package");
                params = AppendParameter(params, silent);
                break;
            case kRunModeUnattended:
                Log().WriteLine(8, kFunction, L"Unattended Mode identified for web Package");
                params = AppendParameter(params, unattended);
                break;
            case kRunModeGui:
                if (handOverDeletion) {
                    params = AppendParameter(params, handshake);
                    WriteListFileInLoop();
                }
                break;
            default:
                break;
            }
        } else if (handOverDeletion) {
            params = AppendParameter(params, handshake);
            WriteListFileInLoop();
        }
        applications.push_front(key + L":" + fullPath);
        parameters.push_front(params);
        if (!multi) {
            break;
        }
        ++index;
    }

    if (Settings().GetWaitForAutolaunchFinish() == 1 && Flags().DeleteOnExit == 1) {
        const std::wstring spaced = L" " + handshake;
        if (parameters.empty()) {
            // Nothing will start, so no launcher can take the deletion over: this program does it.
            Flags().SelfDeleteOnExit = 1;
        } else {
            if (parameters.front().find(spaced) != std::wstring::npos) {
                const int written = WriteToDeletetxt();
                LogListFileOutcome(written);
                // Without a whole list the launcher cannot delete everything: this program stays on it.
                Flags().SelfDeleteOnExit = written == 1 ? 0 : 1;
            } else {
                Flags().SelfDeleteOnExit = 1;
            }
            // Only the last program started may delete the extracted files.
            for (auto it = std::next(parameters.begin()); it != parameters.end(); ++it) {
                *it = ReplaceAll(*it, spaced, L"");
            }
        }
        if (failed) {
            // The list is emptied below and nothing starts: no launcher will delete the files.
            Flags().SelfDeleteOnExit = 1;
        }
    }

    auto application = applications.rbegin();
    for (auto param = parameters.rbegin(); param != parameters.rend() && application != applications.rend();
         ++param, ++application) {
        Log().WriteLine(8, kFunction, L"Parameters for Application %ls to be launched is - %ls", application->c_str(),
                        param->c_str());
    }
    if (failed && !applications.empty()) {
        applications.clear();
    }
}
