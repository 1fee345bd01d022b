// CBuildLogFile: the master log, the switch to the extraction log, banners and the summary.
#include "log/BuildLogFile.h"

#include <shellapi.h>

#include "log/LogCounters.h"
#include "util/Handles.h"
#include "util/NameRules.h"
#include "util/ProcessContext.h"
#include "util/Profile.h"
#include "util/StringUtil.h"
#include "util/Util.h"
#include "util/WideFormat.h"

namespace {
ProcessObject<CBuildLogFile> g_log;

constexpr wchar_t kAllUsersProfile[] = L"%ALLUSERSPROFILE%";
constexpr wchar_t kCreateExtractionLog[] = L"CreateExtractionLogFile";

// A file that exists but that another process holds without write sharing.
bool IsFileInUse(const std::wstring& path)
{
    if (!CUtil::FileExists(path)) {
        return false;
    }
    UniqueFileHandle file(::CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                        nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    return !file;
}

bool GetModifiedLocalTime(const std::wstring& path, SYSTEMTIME& local)
{
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) {
        return false;
    }
    SYSTEMTIME utc{};
    return ::FileTimeToSystemTime(&data.ftLastWriteTime, &utc) &&
           ::SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local);
}

// Moves an older log out of the way under its date and time, with a counter when two runs ended in
// the same second. False when it stays where it is.
bool RotateOldLog(const std::wstring& path)
{
    constexpr int kMaxAttempts = 100;
    SYSTEMTIME modified{};
    if (!GetModifiedLocalTime(path, modified)) {
        return false;
    }
    for (int attempt = 1; attempt <= kMaxAttempts; ++attempt) {
        if (::MoveFileW(path.c_str(), FormatRotatedLogName(path, modified, attempt).c_str())) {
            return true;
        }
        const DWORD error = ::GetLastError();
        if (error != ERROR_ALREADY_EXISTS && error != ERROR_FILE_EXISTS) {
            return false;
        }
    }
    return false;
}
} // namespace

CBuildLogFile& Log()
{
    return g_log.Get();
}

std::wstring CBuildLogFile::LogFolderFormat(unsigned osMajorVersion)
{
    return osMajorVersion >= 6 ? L"%ls\\Norlund\\Automation\\Logfiles\\%ls"
                               : L"%ls\\Application Data\\Norlund\\Automation\\Logfiles\\%ls";
}

std::wstring CBuildLogFile::ExtractionLogFileName(const std::wstring& configured, const std::wstring& packageName)
{
    if (!configured.empty()) {
        return configured;
    }
    return packageName.empty() ? std::wstring(kDefaultExtractionLogName) : packageName + L".log";
}

void CBuildLogFile::WriteStartBanner()
{
    SYSTEMTIME now{};
    ::GetLocalTime(&now);
    m_startStamp = FormatStartStamp(now);
    WriteRawText(FormatStartBanner(m_startStamp));
}

std::wstring CBuildLogFile::WriteSummary(bool write)
{
    const bool counted = Counters().Exists();
    const LogCounterValues counters = Counters().Snapshot();
    if (write) {
        WriteRawText(FormatSummary(CurrentTime(), m_startStamp, counted, counters));
    }
    return FormatSummaryShort(counted, counters);
}

void CBuildLogFile::Finish(int mode, HWND owner)
{
    std::wstring text = L"End!!!\n " + WriteSummary(true);
    const LogCounterValues counters = Counters().Snapshot();
    const int errors = SummaryErrorCount(counters);
    const int warnings = SummaryWarningCount(counters);
    if (errors + warnings <= 0) {
        return;
    }
    const std::wstring path = GetPath();
    text += L"\nOpen " + path + L"?";
    if (mode == 530) {
        return; // silent runs never ask
    }
    const UINT icon = errors > 0 ? MB_ICONSTOP : MB_ICONEXCLAMATION;
    if (::MessageBoxW(owner, text.c_str(), L"", MB_YESNO | icon) == IDYES) {
        ::ShellExecuteW(owner, L"open", path.c_str(), nullptr, nullptr, SW_SHOWMAXIMIZED);
    }
}

void CBuildLogFile::InitMasterLog()
{
    std::wstring path = CUtil::ExpandPercentPath(
        FormatW(LogFolderFormat(CUtil::GetOSMajorVersion()).c_str(), kAllUsersProfile, kMasterLogName));
    CUtil::CreateParentFolders(path);
    Init(path, kLogLevelNormal);
    if (CUtil::FileExists(path) && Delete() != 0) {
        // Another user's run holds the common log: keep a log of our own beside it.
        path = Util().AddUserNameToFileName(path);
        CUtil::CreateParentFolders(path);
        Init(path, kLogLevelNormal);
        Delete();
    }
    m_masterLogPath = path;
    WriteStartBanner();
}

void CBuildLogFile::CreateExtractionLogFile(const std::wstring& packageName, int debug,
                                            const std::wstring& propertiesPath)
{
    WriteLine(kLogInfo, kCreateExtractionLog, L"Creating Extraction Log File");
    const std::wstring configured = ReadProfileString(propertiesPath, L"LogFiles", L"ExtractLogFileName");
    const std::wstring format = LogFolderFormat(CUtil::GetOSMajorVersion());
    // Without a configured name the log still needs a file name of its own in the log folder.
    std::wstring fileName = ExtractionLogFileName(configured, packageName);
    WriteLine(kLogInfo, kCreateExtractionLog, format.c_str(), kAllUsersProfile, fileName.c_str());
    std::wstring path = CUtil::ExpandPercentPath(FormatW(format.c_str(), kAllUsersProfile, fileName.c_str()));
    // The name comes from the package: anything but a file in the log folder could rename or
    // overwrite someone else's file.
    const std::wstring folder = CUtil::ExpandPercentPath(FormatW(format.c_str(), kAllUsersProfile, L""));
    if (!StartsWithNoCase(path, folder) || !IsPlainFileName(std::wstring_view(path).substr(folder.size()))) {
        WriteLine(kLogError, kCreateExtractionLog, L"ExtractLogFileName refused, the default name is used : %ls",
                  fileName.c_str());
        fileName = ExtractionLogFileName(std::wstring(), packageName);
        path = folder + fileName;
    }

    if (IsFileInUse(path)) {
        path = Util().AddUserNameToFileName(path);
    }
    WriteLine(kLogInfo, kCreateExtractionLog, L"Extraction Log File : %ls", path.c_str());
    WriteRawText(kLogEndBanner); // closes the master log

    // Keep the previous run's log under its own date and time; one that cannot be moved is
    // continued rather than lost.
    const bool keepOld = CUtil::FileExists(path) && !RotateOldLog(path);
    CUtil::CreateParentFolders(path);
    Init(path, debug ? kLogLevelDebug : kLogLevelNormal);
    if (!keepOld) {
        Delete();
    }
    WriteStartBanner();
    WriteLine(kLogInfo, kCreateExtractionLog, L"Master Log File : %ls", m_masterLogPath.c_str());
}
