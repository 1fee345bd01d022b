#pragma once
// The command line of OrloPack.exe, parsed into the library's options.
#include <string>
#include <vector>

#include "OrloPack.h"

namespace orlopack {

enum class Command { Help, Version, Build, List, Verify };

struct ParsedArguments {
    Command command = Command::Help;
    BuildOptions build;
    std::wstring package; // list, verify
    bool quiet = false;
};

// Exit codes of OrloPack.exe.
constexpr int kExitOk = 0;
constexpr int kExitFailed = 1; // build failed, or the package has problems
constexpr int kExitUsage = 2;  // the command line is wrong

// Parses the arguments after the program name. False with `error` set (and the usage to be shown).
bool ParseArguments(const std::vector<std::wstring>& args, ParsedArguments& parsed, std::wstring& error);

std::wstring UsageText();
std::wstring VersionText();

} // namespace orlopack
