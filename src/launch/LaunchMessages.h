#pragma once
// Window messages of the launch step (WM_USER based, shared with the extraction messages' numbering).
#include <windows.h>

// LaunchSetupThread (posted) -> launch page: the launch step returned.
constexpr UINT UM_LAUNCH_THREAD_DONE = WM_USER + 500;
// Launch page to itself (posted): activate the finish page.
constexpr UINT UM_LAUNCH_COMPLETE = WM_USER + 600;
