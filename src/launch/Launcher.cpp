#include "launch/Launcher.h"

#include <commctrl.h>
#include <shellapi.h>

#include <vector>

#include "launch/FinishMessages.h"
#include "launch/LaunchRules.h"
#include "log/BuildLogFile.h"
#include "log/RunResult.h"
#include "settings/OrloInitalizer.h"
#include "util/Handles.h"
#include "util/PauseGate.h"
#include "util/SentMessageWait.h"
#include "util/ProcessContext.h"
#include "util/Profile.h"
#include "util/StringUtil.h"
#include "util/Util.h"
#include "util/WideFormat.h"

namespace {
constexpr wchar_t kFunction[] = L"LaunchMultipleApplications";
constexpr DWORD kPipeReadBlock = 4095;
constexpr DWORD kPipePause = 200; // ms
// A window that never validates itself keeps producing WM_PAINT: bound the pumping.
constexpr int kMaxPumpedMessages = 10000;

bool PathExists(const std::wstring& path)
{
    return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool PageExists(const LaunchPageLink& page)
{
    return page.page && ::IsWindow(page.page);
}

// Lets the window thread catch up before it blocks in the shell and the wait.
void DispatchPendingMessages()
{
    MSG message;
    for (int count = 0; count < kMaxPumpedMessages && ::PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE); ++count) {
        if (!::GetMessageW(&message, nullptr, 0, 0)) {
            ::PostQuitMessage(static_cast<int>(message.wParam)); // leave WM_QUIT to the owner of the loop
            return;
        }
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
}

// The system's own msiexec.exe: an unqualified name would be looked for in the current folder and
// along PATH first, and the elevated start would run whatever lies there.
std::wstring SystemMsiexecPath()
{
    wchar_t system[MAX_PATH] = {};
    const UINT length = ::GetSystemDirectoryW(system, MAX_PATH);
    return length > 0 && length < MAX_PATH ? std::wstring(system, length) + L"\\msiexec.exe" : std::wstring();
}

// ShellExecuteEx with the verb of the elevation rule; the exit code at the end of the wait.
int ShellStart(const std::wstring& program, const std::wstring& arguments, const std::wstring& path,
               std::wstring& errorText, int wait)
{
    const std::wstring verb = ChooseShellVerb(CUtil::GetOSMajorVersion(), program, SystemMsiexecPath(),
                                              Util().GetCheckAdminText(), [] { return Util().IsAdmin(0); });
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof(info);
    info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_NOASYNC;
    if (Settings().GetRunMode() != kRunModeGui) {
        // The shell reports a failed start with a message box, which nobody answers in a silent or
        // unattended run: it would block the deployment for good.
        info.fMask |= SEE_MASK_FLAG_NO_UI;
    }
    info.hwnd = nullptr;
    info.lpVerb = verb.empty() ? nullptr : verb.c_str();
    info.lpFile = program.c_str();
    info.lpParameters = arguments.c_str();
    info.lpDirectory = nullptr;
    info.nShow = SW_SHOW;
    if (!::ShellExecuteExW(&info)) {
        const DWORD error = ::GetLastError();
        Log().WriteLine(11, L"LaunchApplication", L"ShellExecuteEx %ls : error %lu", program.c_str(), error);
        errorText = FormatW(L"Launch File - %ls   :  failed : ", path.c_str());
        return -1;
    }
    UniqueKernelHandle process(info.hProcess);
    if (!process) {
        // The shell handed the file to a program that was already running: no code to read.
        Log().WriteLine(11, L"LaunchApplication", L"No process handle for %ls", program.c_str());
        return 0;
    }
    // A window thread that waits here still answers sent messages: a setup that broadcasts a
    // change with SendMessage would otherwise wait for us while we wait for it.
    if (wait == 1) {
        WaitAnsweringSentMessages(process.Get());
    } else if (wait != 0) {
        WaitAnsweringSentMessages(process.Get(), static_cast<DWORD>(wait));
    }
    DWORD exitCode = 0;
    if (!::GetExitCodeProcess(process.Get(), &exitCode)) {
        const DWORD error = ::GetLastError();
        Log().WriteLine(11, L"LaunchApplication", L"GetExitCodeProcess : error %lu", error);
    }
    return static_cast<int>(exitCode);
}

// The .msi and .exe start: an anonymous pipe around the shell start, drained after a failed run.
int PipeStart(const std::wstring& program, const std::wstring& arguments, const std::wstring& path,
              std::wstring& errorText, int wait)
{
    SECURITY_ATTRIBUTES security{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    UniqueKernelHandle readEnd;
    UniqueKernelHandle writeEnd;
    if (!::CreatePipe(readEnd.Put(), writeEnd.Put(), &security, 0)) {
        const DWORD error = ::GetLastError();
        Log().WriteLine(11, L"LaunchApplication", L"CreatePipe : error %lu", error);
        errorText = L"Error on CreatePipe(). Launch File failed";
        return 0;
    }
    const int exitCode = ShellStart(program, arguments, path, errorText, wait);
    if (errorText.empty() && wait != 0 && exitCode != 0) {
        writeEnd.Reset();
        std::vector<char> block(kPipeReadBlock);
        DWORD read = 0;
        while (::ReadFile(readEnd.Get(), block.data(), kPipeReadBlock, &read, nullptr)) {
            ::Sleep(kPipePause);
        }
    }
    ::Sleep(kPipePause);
    return exitCode;
}
} // namespace

bool IsEnvVarPresent(const std::wstring& token)
{
    if (IsSupportedEnvPlaceholder(token)) {
        return true;
    }
    Log().WriteLine(1, L"IsEnvVarPresent", L"Env variable not supported..");
    return false;
}

std::wstring ExpandEnvironmentPlaceholders(const std::wstring& parameters)
{
    return ExpandParameterPlaceholders(
        parameters, Util().PlaceholderSearchPosition,
        [](const std::wstring& token) { return CUtil::ExpandPercentPath(token); },
        [](const std::wstring& token) { IsEnvVarPresent(token); });
}

int LaunchApplication(const std::wstring& path, const std::wstring& parameters, std::wstring& errorText, int wait)
{
    errorText.clear();
    const std::wstring extension = LaunchExtension(path);
    const std::wstring expanded = ExpandEnvironmentPlaceholders(parameters);
    if (EqualsNoCase(extension, L".msi")) {
        return PipeStart(SystemMsiexecPath(), MsiArguments(path, expanded), path, errorText, wait);
    }
    if (EqualsNoCase(extension, L".exe")) {
        return PipeStart(path, expanded, path, errorText, wait);
    }
    return ShellStart(path, expanded, path, errorText, wait);
}

int LaunchMultipleApplications(const std::wstring& /*language*/, const std::list<std::wstring>& applications,
                               const std::list<std::wstring>& parameters, const std::wstring& installationDialog,
                               const LaunchPageLink& page)
{
    const bool dialog = installationDialog == L"1";
    if (dialog && PageExists(page)) {
        DispatchPendingMessages();
    }
    if (applications.empty()) {
        return 0;
    }
    const int step = 100 / static_cast<int>(applications.size());
    int position = step;
    int result = 0;
    const int wait = Settings().GetWaitForAutolaunchFinish();

    auto param = parameters.rbegin();
    for (auto entry = applications.rbegin(); entry != applications.rend(); ++entry) {
        const std::wstring parametersOfEntry = param != parameters.rend() ? *param++ : std::wstring();
        const size_t colon = entry->find(L':');
        const std::wstring launchKey = colon == std::wstring::npos ? std::wstring() : entry->substr(0, colon);
        const std::wstring path = colon == std::wstring::npos ? *entry : entry->substr(colon + 1);
        Log().WriteLine(8, kFunction, L"Launching - %ls", path.c_str());
        if (!PathExists(path)) {
            Settings().SetExtractionStatus(-4);
            Log().WriteLine(0, L"File for launching the setup not found : ", L"%ls", path.c_str());
            RunReport().AddSetup(LaunchedSetup{path, -1, false, kSetupNotStarted, L""});
            result = -1;
            continue;
        }

        std::wstring errorText;
        Flags().LaunchReturned = 0;
        int exitCode = LaunchApplication(path, parametersOfEntry, errorText, wait);
        Flags().LaunchReturned = 1;

        // While the user is asked whether to cancel, the next setup waits here.
        WorkerPause().Checkpoint();
        if (Flags().Continue == 0) {
            Log().WriteLine(0, kFunction, L"Launch process is stopped");
            if (page.onLaunchSetupFinish) {
                page.onLaunchSetupFinish();
            }
            break;
        }
        if (dialog && Settings().GetRunMode() == kRunModeGui && PageExists(page) && page.progressBar) {
            ::SendMessageW(page.progressBar, PBM_SETPOS, static_cast<WPARAM>(position), 0);
            position += step;
        }
        const std::wstring multilaunch = ReadProfileString(Settings().GetPropertiesPath(), L"Runtime", L"Multilaunch");
        if (!errorText.empty()) {
            // Never reported as finished: the program did not start.
            Settings().SetExtractionStatus(-4);
            Log().WriteLine(0, kFunction, L"%ls", errorText.c_str());
            exitCode = -1;
        } else if (wait == 1 || multilaunch == L"0") {
            Log().WriteLine(8, kFunction, L"Finished - %ls", path.c_str());
            Log().WriteLine(8, kFunction, L"Return code of - %ls is %d", path.c_str(), exitCode);
        }
        const ReturnCodeMapping mapped = SetFinishMessage(exitCode, launchKey);
        // Without a wait the code may be read while the setup still runs: it is no verdict then.
        const bool waited = wait == 1 || (wait != 0 && exitCode != static_cast<int>(STILL_ACTIVE));
        RunReport().AddSetup(errorText.empty() ? LaunchedSetup{path, exitCode, waited, mapped.mapping, mapped.message}
                                               : LaunchedSetup{path, exitCode, false, kSetupNotStarted, errorText});
    }
    return result;
}
