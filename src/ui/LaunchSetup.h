#pragma once
// The launch step after a successful extraction: honours the OS verdict, removes the temp settings
// folder and starts the extracted setup(s). `sheet` is the wizard window, or null without one.
#include <windows.h>

#include "launch/Launcher.h"

// -1 nothing launched, 10 launch done or refused (the caller may close), else the launcher's result.
// `launchBlocked` (optional) tells whether the launch was refused or needs nothing more from the
// wizard; `page` links the launch page's progress and cancel to the launcher.
int HandleLaunchSetup(HWND sheet, bool* launchBlocked = nullptr, const LaunchPageLink& page = {});
