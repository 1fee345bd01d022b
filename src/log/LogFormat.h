#pragma once
// Pure formatting of log lines, banners and the summary (no file access, no clock).
// Every text here ends with its own "\n" unless its comment says otherwise.
#include <windows.h>

#include <array>
#include <cstdint>
#include <string>

constexpr int kLogError = 0;
constexpr int kLogWarning = 1;
constexpr int kLogInfo = 8;
constexpr int kLogDetail = 11;
constexpr int kLogLevelNormal = 9;
constexpr int kLogLevelDebug = 11;
constexpr int kLogKinds = 12;

using LogCounterValues = std::array<uint16_t, kLogKinds>;

std::wstring LogKindLabel(int kind);
// True when a line of `kind` is written at `level` (kinds 0 to 6 always are).
bool LogKindPasses(int kind, int level);
// time|LABEL|function padded to 35, cut at 45 |message
std::wstring FormatLogLine(const std::wstring& time, int kind, const std::wstring& function,
                           const std::wstring& message);
// time|LABEL|NonameFunction...|message with "," turned into "|"
std::wstring FormatLogLineNoFunction(const std::wstring& time, int kind, const std::wstring& message);
// "%Y%m%d%H%M%S" of a local time (the start stamp of a log file).
std::wstring FormatStartStamp(const SYSTEMTIME& local);
// "%H:%M:%S" of a local time (the time column).
std::wstring FormatLogTime(const SYSTEMTIME& local);
std::wstring FormatStartBanner(const std::wstring& stamp);
extern const wchar_t* const kLogEndBanner; // the raw End banner, without a line end
// The summary block appended at shutdown; `counted` is false when no counters exist.
std::wstring FormatSummary(const std::wstring& time, const std::wstring& startStamp, bool counted,
                           const LogCounterValues& counters);
// "%d  ERRORS\n%d  WARNINGS" (first part empty without counters); no line end.
std::wstring FormatSummaryShort(bool counted, const LogCounterValues& counters);
int SummaryErrorCount(const LogCounterValues& counters);
int SummaryWarningCount(const LogCounterValues& counters); // kinds 1 to 6
// "name_08Dec2026_10-42-07.ext" rename target of an old extraction log (pure part); a later
// `attempt` (2, 3, ...) adds "_2", "_3", ... for when that name is taken already.
std::wstring FormatRotatedLogName(const std::wstring& path, const SYSTEMTIME& modifiedLocal, int attempt = 1);
