#pragma once
// CExtractorCommandOpt: the options of the command line.
#include <string>
#include <vector>

class CExtractorCommandOpt {
public:
    // Handles one argument; `flag` is true when it began with "/" or "-" (already removed).
    void ParseParam(const std::wstring& text, bool flag, bool last);
    // Walks the arguments after the program name as the application framework does.
    void ParseArguments(const std::vector<std::wstring>& arguments);
    // Parses the process's own command line.
    void ParseProcessCommandLine();

    int debug = 0;
    int NoOSCheck = 0;
    int NoConditioncheck = 0;
    int silent = 0;
    int unattended = 0;
    std::wstring extractPath;
    std::wstring autolaunch;
    std::wstring setupLanguage;
    std::wstring extractionPassword;
    // For deployment tools: the result file, the preflight run, truthful exit codes, the switch list.
    std::wstring resultFile;
    int check = 0;
    int strictExit = 0;
    int help = 0;

    // 530 silent, else 520 unattended, else 510.
    int RunMode() const;
};
