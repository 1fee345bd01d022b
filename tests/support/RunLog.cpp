#include "RunLog.h"

#include "TestEnv.h"

namespace testenv {

std::string ReadExtractionLog(const std::wstring& name)
{
    const std::wstring legacy = L"C:\\ProgramData\\Application Data\\Norlund\\Automation\\Logfiles\\";
    return PathExists(kLogFolder + name) ? ReadFileText(kLogFolder + name) : ReadFileText(legacy + name);
}

namespace {
// The message of the line at `at` that begins with `label`.
std::string MessageAfter(const std::string& log, size_t at, const std::string& label)
{
    const size_t start = at + label.size();
    return log.substr(start, log.find('\r', start) - start);
}
}  // namespace

std::string SummaryStatus(const std::string& log)
{
    const std::string label = "|RETURN    |STATUS                                |";
    const size_t at = log.rfind(label);
    return at == std::string::npos ? std::string() : MessageAfter(log, at, label);
}

std::vector<std::string> TempFoldersNamedIn(const std::string& log)
{
    const std::string label = "|Temp directory :                    |";
    std::vector<std::string> folders;
    for (size_t at = log.find(label); at != std::string::npos; at = log.find(label, at + 1)) {
        folders.push_back(MessageAfter(log, at, label));
    }
    return folders;
}

}  // namespace testenv
