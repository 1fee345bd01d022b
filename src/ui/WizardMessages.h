#pragma once
// Messages among the wizard's own windows (the worker messages are in settings/WindowMessages.h).
#include <windows.h>

constexpr UINT UM_BUTTON_CLICKED = WM_USER + 123;      // 1147 wParam: control id of the clicked COrloButton
constexpr UINT UM_LAUNCH_THREAD_DONE = WM_USER + 500;  // 1524 the launch step on the worker returned
constexpr UINT UM_LAUNCH_COMPLETE = WM_USER + 600;     // 1624 the launch page hands over to the finish page
