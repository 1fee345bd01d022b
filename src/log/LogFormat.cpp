// Log line, banner and summary texts. Support staff and scripts grep these: keep them byte for byte.
#include "log/LogFormat.h"

#include "util/WideFormat.h"

const wchar_t* const kLogEndBanner =
    L"############################## --------- End --------- ##############################";

namespace {
const wchar_t* const kSummaryRule = L"##############################";

std::wstring SummaryLine(const std::wstring& time, const wchar_t* name, const std::wstring& value)
{
    return time + L"|RETURN    |" + FormatW(L"%-37.45ls", name) + L" |" + value + L"\n";
}
} // namespace

std::wstring LogKindLabel(int kind)
{
    if (kind == kLogError) {
        return L"ERROR     ";
    }
    if (kind >= 1 && kind <= 6) {
        return L"WARNING   ";
    }
    return L"          ";
}

bool LogKindPasses(int kind, int level)
{
    return kind <= level || kind <= 6;
}

std::wstring FormatLogLine(const std::wstring& time, int kind, const std::wstring& function,
                           const std::wstring& message)
{
    return time + L"|" + LogKindLabel(kind) + L"|" + FormatW(L"%-35.45ls", function.c_str()) + L" |" + message + L"\n";
}

std::wstring FormatLogLineNoFunction(const std::wstring& time, int kind, const std::wstring& message)
{
    std::wstring barred = message;
    for (wchar_t& c : barred) {
        if (c == L',') {
            c = L'|';
        }
    }
    return time + L"|" + LogKindLabel(kind) + L"|" + FormatW(L"%-35.45ls", L"NonameFunction") + L"|" + barred + L"\n";
}

std::wstring FormatStartStamp(const SYSTEMTIME& local)
{
    return FormatW(L"%04u%02u%02u%02u%02u%02u", local.wYear, local.wMonth, local.wDay, local.wHour, local.wMinute,
                   local.wSecond);
}

std::wstring FormatLogTime(const SYSTEMTIME& local)
{
    return FormatW(L"%02u:%02u:%02u", local.wHour, local.wMinute, local.wSecond);
}

std::wstring FormatStartBanner(const std::wstring& stamp)
{
    return L"############################## --------- START" + stamp + L" --------- ##############################\n";
}

int SummaryErrorCount(const LogCounterValues& counters)
{
    return counters[0];
}

int SummaryWarningCount(const LogCounterValues& counters)
{
    int warnings = 0;
    for (int kind = 1; kind <= 6; ++kind) {
        warnings += counters[kind];
    }
    return warnings;
}

std::wstring FormatSummary(const std::wstring& time, const std::wstring& startStamp, bool counted,
                           const LogCounterValues& counters)
{
    const int errors = counted ? SummaryErrorCount(counters) : 0;
    const int warnings = counted ? SummaryWarningCount(counters) : 0;
    const int kindOneWarnings = counted ? counters[1] : 0;
    const bool success = counted && errors == 0;

    std::wstring text = L"\n";
    text += L"\n######## --------- " + FormatW(L"%-39.45ls", (L"START SUMMARY " + startStamp).c_str()) + kSummaryRule +
            L"\n";
    text += SummaryLine(time, L"STATUS", success ? L"Success" : L"Fail");
    text += SummaryLine(time, L"ERRORS", FormatW(L"%d", errors));
    text += SummaryLine(time, L"WARNINGS", FormatW(L"%d  ", warnings));
    text += FormatW(L"%d Errors found and %d Warnings found", errors, kindOneWarnings) + L"\n";
    text +=
        L"######## --------- " + FormatW(L"%-39.45ls", (L"END SUMMARY " + startStamp).c_str()) + kSummaryRule + L"\n\n";
    return text;
}

std::wstring FormatSummaryShort(bool counted, const LogCounterValues& counters)
{
    std::wstring text = counted ? FormatW(L"%d  ERRORS", SummaryErrorCount(counters)) : std::wstring();
    text += L"\n";
    text += FormatW(L"%d  WARNINGS", counted ? SummaryWarningCount(counters) : 0);
    return text;
}

std::wstring FormatRotatedLogName(const std::wstring& path, const SYSTEMTIME& modifiedLocal, int attempt)
{
    // Month names are fixed English abbreviations: the name must not depend on the user's locale.
    static const wchar_t* const kMonths[] = {L"Jan", L"Feb", L"Mar", L"Apr", L"May", L"Jun",
                                             L"Jul", L"Aug", L"Sep", L"Oct", L"Nov", L"Dec"};
    const size_t slash = path.rfind(L'\\');
    const std::wstring folder = slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
    const std::wstring file = slash == std::wstring::npos ? path : path.substr(slash + 1);
    const size_t dot = file.rfind(L'.');
    const std::wstring base = dot == std::wstring::npos ? file : file.substr(0, dot);
    const std::wstring extension = dot == std::wstring::npos ? std::wstring() : file.substr(dot + 1);

    const int month = modifiedLocal.wMonth >= 1 && modifiedLocal.wMonth <= 12 ? modifiedLocal.wMonth : 1;
    const std::wstring date = FormatW(L"%02u%ls%04u", modifiedLocal.wDay, kMonths[month - 1], modifiedLocal.wYear);
    const std::wstring time =
        FormatW(L"%02u-%02u-%02u", modifiedLocal.wHour, modifiedLocal.wMinute, modifiedLocal.wSecond);
    std::wstring rotated = folder + base + L"_" + date + L"_" + time;
    if (attempt > 1) {
        rotated += FormatW(L"_%d", attempt);
    }
    if (!extension.empty()) {
        rotated += L"." + extension;
    }
    return rotated;
}
