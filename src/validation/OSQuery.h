#pragma once
// The Win32 side of OS identification: gathers the version facts that IdentifyFromFacts maps to tokens.
#include "validation/OSFacts.h"

// GetVersionExW (extended structure), GetNativeSystemInfo (GetSystemInfo when kernel32 lacks it),
// GetSystemMetrics(SM_SERVERR2), GetProductInfo(major, minor, 0, 0) and IsWow64Process2 (both
// resolved at run time), and the display version from the registry's 64-bit view.
OSFacts QueryOSFacts();
