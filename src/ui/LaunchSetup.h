#pragma once
// The launch step after a successful extraction: honours the OS verdict, removes the temp settings
// folder and starts the extracted setup(s). `sheet` is the wizard window, or null without one.
#include <windows.h>

// -1 nothing launched, 10 launch done or refused (the caller may close), else the launcher's result.
int HandleLaunchSetup(HWND sheet);
