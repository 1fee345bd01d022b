#pragma once
// Reading what a run of the real program left in its logs: the log folder of the test prefix, an
// extraction log by name, its summary STATUS and the temp folders it names.
#include <string>
#include <vector>

namespace testenv {

// The folder of the master log and the extraction logs in the test prefix (Vista and later).
inline const std::wstring kLogFolder = L"C:\\ProgramData\\Norlund\\Automation\\Logfiles\\";

// The extraction log `name` (empty when there is none); before Vista the folder sits under
// "Application Data".
std::string ReadExtractionLog(const std::wstring& name);

// The STATUS of the log's last summary block ("Success" or "Fail"); empty without a summary.
std::string SummaryStatus(const std::string& log);

// Every temp settings folder the log names ("Temp directory :" lines).
std::vector<std::string> TempFoldersNamedIn(const std::string& log);

}  // namespace testenv
