#pragma once
// The Win32 side of OS identification: gathers the version facts that IdentifyFromFacts maps to tokens.
#include "validation/OSFacts.h"

// GetVersionExW (extended structure), GetNativeSystemInfo (GetSystemInfo when kernel32 lacks it),
// GetSystemMetrics(SM_SERVERR2) and GetProductInfo(major, minor, 0, 0), the last two resolved at run time.
OSFacts QueryOSFacts();
