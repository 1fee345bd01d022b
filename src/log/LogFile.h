#pragma once
// CLogFile: one text log, appended line by line (open, seek to end, write, close for every line).
// Writes are serialised process-wide: lines from several threads reach the file whole and in order.
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

    std::wstring GetPath() const;
    int GetLevel() const;

protected:
    // Appends text (each "\n" written as CR LF, characters as UTF-8); false when the file cannot be opened.
    bool AppendText(const std::wstring& path, const std::wstring& text) const;
    std::wstring CurrentTime() const;  // "%H:%M:%S" local

private:
    std::wstring m_path;
    int m_level = kLogLevelNormal;
};
