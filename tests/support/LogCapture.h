#pragma once
// Test helper: points the process log at a file and finds its lines by kind, function column and
// message (the time stamp is ignored).
#include <cstddef>
#include <string>
#include <vector>

#include "TestEnv.h"
#include "log/BuildLogFile.h"
#include "log/LogFormat.h"
#include "util/ProcessContext.h"
#include "util/StringUtil.h"

namespace testenv {

class LogCapture {
public:
    // Points the process log at `path`.
    explicit LogCapture(const std::wstring& path, int level = kLogLevelDebug) : m_path(path)
    {
        Log().Init(path, level);
    }
    // Reads a log that something else writes (the process log is left alone).
    static LogCapture Existing(const std::wstring& path) { return LogCapture(path, nullptr); }
    const std::wstring& Path() const { return m_path; }
    std::vector<std::string> Lines() const { return ReadLines(m_path); }

    // The line as the log writes it, from the first "|" on.
    static std::string Expected(int kind, const std::wstring& function, const std::wstring& message)
    {
        return Chomp(WideToUtf8(FormatLogLine(L"", kind, function, message)));
    }
    static std::string ExpectedNoFunction(int kind, const std::wstring& message)
    {
        return Chomp(WideToUtf8(FormatLogLineNoFunction(L"", kind, message)));
    }
    static std::string Chomp(std::string line)
    {
        while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) {
            line.pop_back();
        }
        return line;
    }
    // Index of the first matching line at or after `from`, or -1.
    int Find(int kind, const std::wstring& function, const std::wstring& message, int from = 0) const
    {
        return FindLine(Expected(kind, function, message), from);
    }
    bool Has(int kind, const std::wstring& function, const std::wstring& message) const
    {
        return Find(kind, function, message) >= 0;
    }
    // A line written with WriteLineNoFunction.
    bool HasNoFunction(int kind, const std::wstring& message) const
    {
        return FindLine(ExpectedNoFunction(kind, message), 0) >= 0;
    }
    int FindLine(const std::string& expected, int from) const
    {
        const auto lines = Lines();
        for (size_t i = static_cast<size_t>(from < 0 ? 0 : from); i < lines.size(); ++i) {
            const size_t bar = lines[i].find('|');
            if (bar != std::string::npos && lines[i].compare(bar, std::string::npos, expected) == 0) {
                return static_cast<int>(i);
            }
        }
        return -1;
    }
    // True when some line's message part contains `text`.
    bool Contains(const std::string& text) const
    {
        for (const auto& line : Lines()) {
            if (line.find(text) != std::string::npos) {
                return true;
            }
        }
        return false;
    }

private:
    LogCapture(const std::wstring& path, std::nullptr_t) : m_path(path) {}
    std::wstring m_path;
};

}  // namespace testenv
