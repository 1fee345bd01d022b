#pragma once
// CLogFile: one text log, appended line by line (open, seek to end, write, close for every line).
// Writes are serialised process-wide: one lock covers the counter update and the open-append-close
// cycle, so lines from several threads reach the file whole and in the order they were counted.
// A line that cannot be written is dropped; logging never fails the caller.
#include <windows.h>

#include <atomic>
#include <cstdarg>
#include <string>

#include "log/LogFormat.h"

class CLogFile {
public:
    CLogFile() = default;
    virtual ~CLogFile() = default;
    CLogFile(const CLogFile&) = delete;
    CLogFile& operator=(const CLogFile&) = delete;

    virtual int Delete();
    virtual void Init(const std::wstring& path, int level);
    virtual void WriteLine(int kind, const wchar_t* function, const wchar_t* format, ...);
    virtual void WriteLineNoFunction(int kind, const wchar_t* format, ...);
    virtual void WriteRaw(const wchar_t* format, ...);
    virtual std::wstring KindLabel(int kind) const { return LogKindLabel(kind); }

    // The same calls with the arguments already collected (workers' log records use these).
    void WriteLineV(int kind, const wchar_t* function, const wchar_t* format, va_list args);
    void WriteLineText(int kind, const std::wstring& function, const std::wstring& message);
    void WriteRawText(const std::wstring& text);

    std::wstring GetPath() const;
    int GetLevel() const;

protected:
    // Appends text (each "\n" written as CR LF, characters as UTF-8); false when the file cannot be opened.
    // Callers hold the log lock.
    bool AppendText(const std::wstring& path, const std::wstring& text) const;
    std::wstring CurrentTime() const; // "%H:%M:%S" local

private:
    // Formats, counts and appends one line under the log lock. A line without a function column
    // (WriteLineNoFunction) creates the log's missing folders when the file cannot be opened.
    void WriteCountedLine(int kind, const std::wstring& function, const std::wstring& message, bool noFunction);

    std::wstring m_path; // guarded by the log lock
    std::atomic<int> m_level{kLogLevelNormal};
};

// Bytes of a log text as they go to the file: UTF-8, every "\n" as CR LF.
std::string EncodeLogText(const std::wstring& text);
