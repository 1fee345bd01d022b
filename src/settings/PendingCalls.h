#pragma once
// ADAPTER: calls into subsystems built beside the settings. Each one is a single line to switch to
// the real call once that subsystem is part of the build; until then it answers as noted.
#include <string>

// Validator().CheckConditions(language). Until the condition evaluation exists: 1 (fulfilled).
int CheckRequirementsForSilentRun(int language);
// OsValidator().GetExtractPathForOS(). Until the OS rules exist: empty (no per-OS path).
std::wstring ExtractPathForOS();
// OsValidator().IdentifyOS(true) after SetPropertiesPath. Until OS identification exists: 300.
int IdentifyOSForReport(const std::wstring& propertiesPath);
