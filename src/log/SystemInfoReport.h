#pragma once
// The system information block written at the start of the extraction log: date, memory,
// processors, computer name, drives, the OS identification and the languages.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <list>
#include <string>
#include <vector>

// One line of the block: a raw banner, or a log line (function column and message) at kind 8.
struct ReportLine {
    bool raw = false;
    std::wstring function;
    std::wstring message;
};

struct ReportDrive {
    std::wstring root;        // "C:\"
    std::wstring fileSystem;  // empty when unknown
    std::wstring spaceText;   // CUtil::GetDriveSpaceText
};

// What the lines before the OS identification show.
struct SystemFacts {
    SYSTEMTIME now{};
    uint32_t totalPhysicalMemory = 0;
    std::vector<std::wstring> processorNames;  // registry index order
    std::wstring computerName;
    std::vector<ReportDrive> drives;
};

// What the lines after it show.
struct LanguageFacts {
    std::wstring systemLanguageName;  // English name of the system default locale's language
    unsigned systemLcid = 0;
    unsigned uiLcid = 0;
};

// "%A, %B %d, %Y" in English, e.g. "Tuesday, December 08, 2026".
std::wstring FormatReportDate(const SYSTEMTIME& date);
// Whole gigabytes rounded up: 3.5 GiB gives "4.00".
std::wstring FormatRamSize(uint32_t totalPhysicalBytes);
// (label, trimmed name) pairs, last registry index first; one name is labelled "Processor".
std::vector<std::pair<std::wstring, std::wstring>> ProcessorLines(const std::vector<std::wstring>& namesInIndexOrder);
std::wstring DriveLabel(const std::wstring& root, const std::wstring& fileSystem);

std::vector<ReportLine> SystemReportHead(const SystemFacts& facts);
std::vector<ReportLine> SystemReportTail(const LanguageFacts& facts);

SystemFacts QuerySystemFacts();
LanguageFacts QueryLanguageFacts();

// Writes the block into the process log. The OS identification in the middle is handed in by the
// caller (it writes its own lines; the settings object keeps its result).
void WriteSystemInformation(const std::function<void()>& identifyOS);
