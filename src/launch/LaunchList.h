#pragma once
// The list of programs to start after extraction, with their parameters.
#include <list>
#include <string>

// Builds the launch list from [Runtime] AutoLaunch (or AutoLaunch1, AutoLaunch2, ... when Multilaunch
// is "1") of the properties file, for the language id `language` ("1033"). Both lists are filled at
// the head: each holds its entries newest first, so the tail is the first program to start.
// Application entries are "<launch key>:<full path>". On a missing program (status 2) or a path of
// 900 characters or more (status -1) the application list comes back empty. Also loads each
// program's return-code messages, decides which program gets /DeleteOnFinish= (only the last one
// started) and sets SelfDeleteOnExit.
void GetAutolaunchApps(const std::wstring& language, std::list<std::wstring>& applications,
                       std::list<std::wstring>& parameters);
