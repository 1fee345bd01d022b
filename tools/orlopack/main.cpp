// OrloPack.exe: the command line over the package builder library.
#include <windows.h>

#include <string>
#include <vector>

#include "CommandLineArgs.h"
#include "OrloPack.h"
#include "PackText.h"
#include "util/StringUtil.h"
#include "util/WideFormat.h"

using namespace orlopack;

namespace {

// Wide text to a console as such; to a pipe or file as UTF-8 with CR LF line ends.
void Write(DWORD which, const std::wstring& text)
{
    HANDLE out = ::GetStdHandle(which);
    if (out == nullptr || out == INVALID_HANDLE_VALUE) {
        return;
    }
    DWORD mode = 0;
    DWORD written = 0;
    if (::GetConsoleMode(out, &mode)) {
        ::WriteConsoleW(out, text.c_str(), static_cast<DWORD>(text.size()), &written, nullptr);
        return;
    }
    const std::string bytes = WideToUtf8(ReplaceAll(text, L"\n", L"\r\n"));
    ::WriteFile(out, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

void Out(const std::wstring& line)
{
    Write(STD_OUTPUT_HANDLE, line + L"\n");
}
void Err(const std::wstring& line)
{
    Write(STD_ERROR_HANDLE, line + L"\n");
}

int RunBuild(const ParsedArguments& args)
{
    BuildOptions options = args.build;
    // A percentage on an interactive console only: build logs stay free of it.
    DWORD mode = 0;
    int shown = -1;
    if (!args.quiet && ::GetConsoleMode(::GetStdHandle(STD_ERROR_HANDLE), &mode)) {
        options.progress = [&shown](uint64_t done, uint64_t total) {
            const int percent = total == 0 ? 100 : static_cast<int>(done * 100 / total);
            if (percent != shown) {
                shown = percent;
                Write(STD_ERROR_HANDLE, FormatW(L"\rcompressing %3d%%", percent));
            }
        };
    }
    BuildReport report;
    const int result = BuildPackage(options, report);
    if (shown >= 0) {
        Write(STD_ERROR_HANDLE, L"\r                \r");
    }
    if (!args.quiet) {
        for (const std::wstring& notice : report.notices) {
            Out(L"note: " + notice);
        }
    }
    for (const std::wstring& warning : report.warnings) {
        Err(L"warning: " + warning);
    }
    if (result != kOk) {
        Err(L"error: " + report.error);
        Err(L"no package was written");
        return kExitFailed;
    }
    if (!args.quiet) {
        Out(FormatW(L"package: %ls", report.packagePath.c_str()));
        for (size_t i = 0; i < report.partPaths.size(); ++i) {
            Out(FormatW(L"part:    %ls  md5 %ls", report.partPaths[i].c_str(), report.partHashes[i].c_str()));
        }
        Out(FormatW(L"%u files, %ls packed into %ls (%ls), set id %u", report.fileCount,
                    FormatBytes(report.sourceBytes).c_str(), FormatBytes(report.cabinetBytes).c_str(),
                    report.partPaths.empty() ? L"single file"
                    : report.partPaths.size() == 1
                        ? L"1 part"
                        : FormatW(L"%u parts", static_cast<unsigned>(report.partPaths.size())).c_str(),
                    report.setId));
    }
    return kExitOk;
}

int RunInspect(const ParsedArguments& args)
{
    std::vector<OutputLine> lines;
    const int result =
        args.command == Command::List ? ListPackage(args.package, lines) : VerifyPackage(args.package, lines);
    for (const OutputLine& line : lines) {
        if (args.command == Command::List) {
            (line.severity == 0 ? Err : Out)(line.severity == 0 ? L"problem: " + line.text : line.text);
        } else if (line.severity == 0) {
            Err(L"PROBLEM  " + line.text);
        } else if (line.severity == 1) {
            Err(L"warning  " + line.text);
        } else if (!args.quiet) {
            Out(L"ok       " + line.text);
        }
    }
    return result == kOk ? kExitOk : kExitFailed;
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    std::vector<std::wstring> args(argv + 1, argv + argc);
    ParsedArguments parsed;
    std::wstring error;
    if (!ParseArguments(args, parsed, error)) {
        Err(L"error: " + error);
        Err(L"");
        Err(UsageText());
        return kExitUsage;
    }
    switch (parsed.command) {
    case Command::Help:
        Out(UsageText());
        return kExitOk;
    case Command::Version:
        Write(STD_OUTPUT_HANDLE, VersionText());
        return kExitOk;
    case Command::Build:
        return RunBuild(parsed);
    case Command::List:
    case Command::Verify:
        return RunInspect(parsed);
    }
    return kExitUsage;
}
