#pragma once
// ADAPTER: calls into subsystems built beside the settings. Each one is a single line to switch to
// the real call once that subsystem is part of the build; until then it answers as noted.
#include <string>

// The requirements of a silent or unattended run: Validator().CheckConditions(language).
int CheckRequirementsForSilentRun(int language);
// OsValidator().GetExtractPathForOS(). Until the OS rules exist: empty (no per-OS path).
std::wstring ExtractPathForOS();
// OsValidator().IdentifyOS(true) after SetPropertiesPath. Until OS identification exists: 300.
int IdentifyOSForReport(const std::wstring& propertiesPath);
