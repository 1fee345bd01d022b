#include "log/SystemInfoReport.h"

#include <cmath>

#include "log/BuildLogFile.h"
#include "util/ProcessContext.h"
#include "util/StringUtil.h"
#include "util/Util.h"
#include "util/WideFormat.h"

namespace {
const wchar_t* const kWeekdays[] = {L"Sunday",   L"Monday", L"Tuesday", L"Wednesday",
                                    L"Thursday", L"Friday", L"Saturday"};
const wchar_t* const kMonths[] = {L"January", L"February", L"March",     L"April",   L"May",      L"June",
                                  L"July",    L"August",   L"September", L"October", L"November", L"December"};
const wchar_t kInfoBanner[] =
    L"-------------------------------------- System Information --------------------------------------\n";
const wchar_t kEndBanner[] =
    L"-----------------------------------------------------------------------------------------------\n";

ReportLine Line(const std::wstring& function, const std::wstring& message) { return {false, function, message}; }
}  // namespace

std::wstring FormatReportDate(const SYSTEMTIME& date)
{
    const wchar_t* weekday = date.wDayOfWeek < 7 ? kWeekdays[date.wDayOfWeek] : L"";
    const wchar_t* month = (date.wMonth >= 1 && date.wMonth <= 12) ? kMonths[date.wMonth - 1] : L"";
    return FormatW(L"%ls, %ls %02u, %u", weekday, month, static_cast<unsigned>(date.wDay),
                   static_cast<unsigned>(date.wYear));
}

std::wstring FormatRamSize(uint32_t totalPhysicalBytes)
{
    const double gigabytes = static_cast<double>(totalPhysicalBytes >> 10) / 1024.0 / 1024.0;
    return FormatW(L"%.02lf", std::ceil(gigabytes));
}

std::vector<std::pair<std::wstring, std::wstring>> ProcessorLines(const std::vector<std::wstring>& namesInIndexOrder)
{
    std::vector<std::pair<std::wstring, std::wstring>> lines;
    int counter = 1;
    for (auto name = namesInIndexOrder.rbegin(); name != namesInIndexOrder.rend(); ++name) {
        const std::wstring label =
            namesInIndexOrder.size() == 1 ? std::wstring(L"Processor") : FormatW(L"Processor %d", counter++);
        lines.emplace_back(label, TrimW(*name));
    }
    return lines;
}

std::wstring DriveLabel(const std::wstring& root, const std::wstring& fileSystem)
{
    return fileSystem.empty() ? FormatW(L"Space Info on Drive: %ls", root.c_str())
                              : FormatW(L"Space Info on Drive: %ls (%ls)", root.c_str(), fileSystem.c_str());
}

std::vector<ReportLine> SystemReportHead(const SystemFacts& facts)
{
    std::vector<ReportLine> lines;
    lines.push_back(Line(L"Date", FormatReportDate(facts.now)));
    lines.push_back({true, L"", kInfoBanner});
    lines.push_back(Line(L"RAM Size", FormatW(L"%ls GB", FormatRamSize(facts.totalPhysicalMemory).c_str())));
    for (const auto& [label, name] : ProcessorLines(facts.processorNames)) {
        lines.push_back(Line(label, name));
    }
    lines.push_back(Line(L"Computer name", facts.computerName));
    for (const auto& drive : facts.drives) {
        lines.push_back(Line(DriveLabel(drive.root, drive.fileSystem), drive.spaceText));
    }
    return lines;
}

std::vector<ReportLine> SystemReportTail(const LanguageFacts& facts)
{
    std::vector<ReportLine> lines;
    lines.push_back(Line(L"System Language",
                         FormatW(L"%ls (%u)", facts.systemLanguageName.c_str(), facts.systemLcid)));
    lines.push_back(Line(L"UI Language", FormatW(L"%ls (%u)", CUtil::GetLanguageNameOf(facts.uiLcid).c_str(),
                                                 facts.uiLcid)));
    lines.push_back({true, L"", kEndBanner});
    return lines;
}

SystemFacts QuerySystemFacts()
{
    SystemFacts facts;
    ::GetLocalTime(&facts.now);
    facts.totalPhysicalMemory = CUtil::GetTotalPhysicalMemory();
    std::list<std::wstring> names;
    CUtil::GetProcessorNames(names);  // highest registry index at the head
    facts.processorNames.assign(names.rbegin(), names.rend());
    facts.computerName = CUtil::GetComputerName();
    std::list<std::wstring> roots;
    CUtil::FindDrives(roots, DRIVE_FIXED);
    for (const auto& root : roots) {
        facts.drives.push_back({root, CUtil::GetFileSystemName(root), CUtil::GetDriveSpaceText(root)});
    }
    return facts;
}

LanguageFacts QueryLanguageFacts()
{
    LanguageFacts facts;
    facts.systemLcid = ::GetSystemDefaultLCID();
    wchar_t name[85] = {};
    if (::GetLocaleInfoW(facts.systemLcid, LOCALE_SENGLANGUAGE, name, 85) > 0) {
        facts.systemLanguageName = name;
    }
    facts.uiLcid = static_cast<unsigned>(CUtil::GetUILanguage());
    return facts;
}

namespace {
void WriteReportLines(const std::vector<ReportLine>& lines)
{
    for (const auto& line : lines) {
        if (line.raw) {
            Log().WriteRaw(L"%ls", line.message.c_str());
        } else {
            Log().WriteLine(kLogInfo, line.function.c_str(), L"%ls", line.message.c_str());
        }
    }
}
}  // namespace

void WriteSystemInformation(const std::function<void()>& identifyOS)
{
    WriteReportLines(SystemReportHead(QuerySystemFacts()));
    if (identifyOS) {
        identifyOS();
    }
    WriteReportLines(SystemReportTail(QueryLanguageFacts()));
}
