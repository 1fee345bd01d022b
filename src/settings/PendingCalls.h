#pragma once
// The settings object's calls into the requirements and OS subsystems, in one place.
#include <string>

// The requirements of a silent or unattended run: 1 when met.
int CheckRequirementsForSilentRun(int language);
// The [OS] <family>ExtractPath value for the running system, or empty.
std::wstring ExtractPathForOS();
// The log-only OS identification of the system information block; returns its result code.
int IdentifyOSForReport(const std::wstring& propertiesPath);
