// CLogFile: the appending behind every log line.
#include "log/LogFile.h"

#include <algorithm>
#include <mutex>

#include "log/LogCounters.h"
#include "log/RunResult.h"
#include "util/Handles.h"
#include "util/ProcessContext.h"
#include "util/StringUtil.h"
#include "util/Util.h"
#include "util/WideFormat.h"

namespace {
// One lock for every log object of the process: the master and the extraction log may both be
// written while the switch between them happens, and the counters belong to all of them.
std::mutex& LogLock()
{
    static std::mutex lock;
    return lock;
}

std::wstring ParentFolder(const std::wstring& path)
{
    const size_t slash = path.rfind(L'\\');
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}
} // namespace

std::string EncodeLogText(const std::wstring& text)
{
    std::wstring crlf;
    crlf.reserve(text.size() + 8);
    for (wchar_t c : text) {
        if (c == L'\n') {
            crlf += L'\r';
        }
        crlf += c;
    }
    // Lone surrogates become U+FFFD: a line is never refused for its characters.
    return WideToUtf8(crlf);
}

CLogFile::~CLogFile()
{
    std::lock_guard<std::mutex> lock(LogLock());
    CloseFile();
}

int CLogFile::Delete()
{
    std::lock_guard<std::mutex> lock(LogLock());
    CloseFile();
    return ::DeleteFileW(m_path.c_str()) ? 0 : -1;
}

void CLogFile::Init(const std::wstring& path, int level)
{
    {
        std::lock_guard<std::mutex> lock(LogLock());
        if (path != m_path) {
            CloseFile();
        }
        m_path = path;
    }
    m_level.store(level);
    Counters().Create();
}

std::wstring CLogFile::GetPath() const
{
    std::lock_guard<std::mutex> lock(LogLock());
    return m_path;
}

int CLogFile::GetLevel() const
{
    return m_level.load();
}

void CLogFile::WriteLine(int kind, const wchar_t* function, const wchar_t* format, ...)
{
    va_list args;
    va_start(args, format);
    WriteLineV(kind, function, format, args);
    va_end(args);
}

void CLogFile::WriteLineV(int kind, const wchar_t* function, const wchar_t* format, va_list args)
{
    if (!LogKindPasses(kind, GetLevel())) {
        return;
    }
    WriteCountedLine(kind, function ? function : L"", VFormatW(format, args), false);
}

void CLogFile::WriteLineText(int kind, const std::wstring& function, const std::wstring& message)
{
    if (!LogKindPasses(kind, GetLevel())) {
        return;
    }
    WriteCountedLine(kind, function, message, false);
}

void CLogFile::WriteLineNoFunction(int kind, const wchar_t* format, ...)
{
    if (!LogKindPasses(kind, GetLevel())) {
        return;
    }
    va_list args;
    va_start(args, format);
    const std::wstring message = VFormatW(format, args);
    va_end(args);
    WriteCountedLine(kind, std::wstring(), message, true);
}

void CLogFile::WriteCountedLine(int kind, const std::wstring& function, const std::wstring& message, bool noFunction)
{
    std::lock_guard<std::mutex> lock(LogLock());
    // The time is taken under the lock so that the times in the file never run backwards.
    const std::wstring time = CurrentTime();
    const std::wstring line =
        noFunction ? FormatLogLineNoFunction(time, kind, message) : FormatLogLine(time, kind, function, message);
    // Counted even when the file cannot take it: the summary reports what happened, not what was kept.
    Counters().Increment(kind);
    if (kind == kLogError) {
        RunReport().NoteErrorLine(line);
    }
    if (AppendText(m_path, line) || !noFunction) {
        return;
    }
    // The folder chain may be missing (a log path nobody prepared): create it and try once more.
    // The line is written formatted; its arguments are still at hand.
    CUtil::CreateParentFolders(m_path);
    AppendText(m_path, line);
}

void CLogFile::WriteRaw(const wchar_t* format, ...)
{
    va_list args;
    va_start(args, format);
    const std::wstring text = VFormatW(format, args);
    va_end(args);
    WriteRawText(text);
}

void CLogFile::WriteRawText(const std::wstring& text)
{
    std::lock_guard<std::mutex> lock(LogLock());
    if (AppendText(m_path, text)) {
        return;
    }
    const std::wstring folder = ParentFolder(m_path);
    if (folder.empty() || ::GetFileAttributesW(folder.c_str()) != INVALID_FILE_ATTRIBUTES) {
        return;
    }
    if (::CreateDirectoryW(folder.c_str(), nullptr)) {
        AppendText(m_path, text);
    }
}

bool CLogFile::AppendText(const std::wstring& path, const std::wstring& text)
{
    if (path.empty()) {
        return false;
    }
    const std::string bytes = EncodeLogText(text);
    for (int attempt = 0; attempt < 2; ++attempt) {
        const HANDLE file = OpenFile(path);
        if (file == INVALID_HANDLE_VALUE) {
            return false;
        }
        if (attempt == 0 && !StillNamed(file)) {
            CloseFile(); // deleted under us: the line goes to a new file of that name
            continue;
        }
        size_t done = 0;
        while (done < bytes.size()) {
            // A line is far below the limit: one write, which the append access puts at the end whole.
            const DWORD piece = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 20));
            DWORD written = 0;
            if (!::WriteFile(file, bytes.data() + done, piece, &written, nullptr) || written == 0) {
                CloseFile();
                return false;
            }
            done += written;
        }
        return true;
    }
    return false;
}

HANDLE CLogFile::OpenFile(const std::wstring& path)
{
    if (m_file && m_filePath == path) {
        return m_file.Get();
    }
    CloseFile();
    // Append access only: every write lands at the end of the file, whoever else writes to it.
    // Shared for reading, writing and deleting: support staff tail, copy and rotate the log while
    // the package runs.
    m_file.Reset(::CreateFileW(path.c_str(), FILE_APPEND_DATA | SYNCHRONIZE,
                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!m_file) {
        return INVALID_HANDLE_VALUE;
    }
    m_filePath = path;
    return m_file.Get();
}

bool CLogFile::StillNamed(HANDLE file) const
{
    FILE_STANDARD_INFO info{};
    if (!::GetFileInformationByHandleEx(file, FileStandardInfo, &info, sizeof(info))) {
        return true; // cannot tell: keep writing where we are
    }
    return info.DeletePending == FALSE && info.NumberOfLinks > 0;
}

void CLogFile::CloseFile()
{
    m_file.Reset();
    m_filePath.clear();
}

std::wstring CLogFile::CurrentTime() const
{
    SYSTEMTIME now{};
    ::GetLocalTime(&now);
    return FormatLogTime(now);
}
