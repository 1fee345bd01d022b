#pragma once
// CLogFile: one text log, appended line by line. The file stays open between lines, for appending
// only and shared for reading, writing, renaming and deleting: each line goes to the end of the file
// with one write and is there for any reader at once, and nothing waits in our process to be lost
// in a crash. A file deleted under us is let go and the next line starts a new one, as opening the
// file for every line would. Writes are serialised process-wide: one lock covers the counter update
// and the write, so lines from several threads reach the file whole and in the order they were
// counted. A line that cannot be written is dropped; logging never fails the caller.
#include <windows.h>

#include <atomic>
#include <cstdarg>
#include <string>

#include "log/LogFormat.h"
#include "util/Handles.h"

class CLogFile {
public:
    CLogFile() = default;
    virtual ~CLogFile();
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
    bool AppendText(const std::wstring& path, const std::wstring& text);
    // Lets the open file go (its path changes, or it is deleted). Callers hold the log lock.
    void CloseFile();
    std::wstring CurrentTime() const; // "%H:%M:%S" local

private:
    // Formats, counts and appends one line under the log lock. A line without a function column
    // (WriteLineNoFunction) creates the log's missing folders when the file cannot be opened.
    void WriteCountedLine(int kind, const std::wstring& function, const std::wstring& message, bool noFunction);

    // The file of m_path, open for appending (empty until the first line); whether it still has its name.
    HANDLE OpenFile(const std::wstring& path);
    bool StillNamed(HANDLE file) const;

    std::wstring m_path; // guarded by the log lock
    UniqueFileHandle m_file;
    std::wstring m_filePath; // the path m_file was opened under
    std::atomic<int> m_level{kLogLevelNormal};
};

// Bytes of a log text as they go to the file: UTF-8, every "\n" as CR LF.
std::string EncodeLogText(const std::wstring& text);
