#pragma once
// Starting the extracted setup programs one after the other, waiting for them, and turning their
// exit codes into the finish message (launch/FinishMessages.h).
#include <windows.h>

#include <functional>
#include <list>
#include <string>

// The launch page, when it is shown while the setups run. The launcher drives its progress bar with
// PBM_SETPOS (sent, so the call blocks until the window thread took it) and, when the user confirmed
// cancelling, calls the page's UM_LAUNCH_THREAD_DONE handling directly.
struct LaunchPageLink {
    HWND page = nullptr;
    HWND progressBar = nullptr;
    std::function<void()> onLaunchSetupFinish;
};

// Starts the programs of GetAutolaunchApps's lists in launch order (from the tail). Returns 0, or -1
// when a listed program was missing (status -4). A program that could not be started sets status -4
// and counts with exit code -1. After each program the continue flag is checked: once the user
// confirmed cancelling, no further program starts. `installationDialog` is the
// [Runtime] AutoLaunchInstallationDialog text.
int LaunchMultipleApplications(const std::wstring& language, const std::list<std::wstring>& applications,
                               const std::list<std::wstring>& parameters, const std::wstring& installationDialog,
                               const LaunchPageLink& page = {});

// Starts one program (.msi through "msiexec.exe /i", .exe and anything else through the shell) and
// returns its exit code: waited for without limit when `wait` is 1, for `wait` ms otherwise (0: not
// at all, so a running program reports STILL_ACTIVE, 259). When it could not be started,
// `errorText` receives the reason and the result is -1 (0 when the pipe could not be created).
int LaunchApplication(const std::wstring& path, const std::wstring& parameters, std::wstring& errorText, int wait);

// Expands the environment placeholders of setup parameters from the process environment; tokens
// outside the known list are expanded after a warning.
std::wstring ExpandEnvironmentPlaceholders(const std::wstring& parameters);
// True for a known placeholder; logs "Env variable not supported.." for any other.
bool IsEnvVarPresent(const std::wstring& token);
