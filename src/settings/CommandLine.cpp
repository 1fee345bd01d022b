#include "settings/CommandLine.h"

#include <list>

#include "settings/OrloInitalizer.h"
#include "util/StringUtil.h"
#include "util/Util.h"

#ifdef _WIN32 // the native fuzz build parses given arguments only
#include <shellapi.h>

#include "util/Handles.h"
#endif

void CExtractorCommandOpt::ParseParam(const std::wstring& text, bool flag, bool /*last*/)
{
    if (!flag || text.empty()) {
        return;
    }
    std::list<std::wstring> pieces;
    CUtil::Split(text, L"=", pieces);  // last piece first
    const std::wstring key = pieces.empty() ? std::wstring() : pieces.back();
    // The value is the last piece of the split; empty when the argument has no "=".
    const std::wstring value = pieces.size() > 1 ? pieces.front() : std::wstring();

    if (EqualsNoCase(text, L"silent")) {
        silent = 1;
    } else if (EqualsNoCase(text, L"unattended")) {
        unattended = 1;
    }
    if (EqualsNoCase(key, L"extractpath")) {
        extractPath = value;
    } else if (EqualsNoCase(key, L"autolaunch")) {
        autolaunch = value;
    } else if (EqualsNoCase(key, L"setupLanguage")) {
        setupLanguage = value;
    } else if (EqualsNoCase(key, L"extractionpassword")) {
        extractionPassword = value;
    } else if (EqualsNoCase(key, L"result")) {
        // A path may itself contain "=": everything after the first one is the value.
        const size_t equals = text.find(L'=');
        resultFile = equals == std::wstring::npos ? std::wstring() : TrimW(text.substr(equals + 1));
    }
    if (EqualsNoCase(text, L"d") || EqualsNoCase(text, L"debug")) {
        debug = 1;
    }
    if (EqualsNoCase(text, L"NoConditioncheck")) {
        NoConditioncheck = 1;
    }
    if (EqualsNoCase(text, L"NoOSCheck")) {
        NoOSCheck = 1;
    }
    if (EqualsNoCase(text, L"check")) {
        check = 1;
    } else if (EqualsNoCase(text, L"strictexit")) {
        strictExit = 1;
    } else if (text == L"?" || EqualsNoCase(text, L"help")) {
        help = 1;
    }
}

void CExtractorCommandOpt::ParseArguments(const std::vector<std::wstring>& arguments)
{
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::wstring& argument = arguments[i];
        const bool flag = !argument.empty() && (argument[0] == L'/' || argument[0] == L'-');
        ParseParam(flag ? argument.substr(1) : argument, flag, i + 1 == arguments.size());
    }
}

#ifdef _WIN32
void CExtractorCommandOpt::ParseProcessCommandLine()
{
    int count = 0;
    UniqueLocalMem memory;
    LPWSTR* argv = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    memory.Reset(reinterpret_cast<HLOCAL>(argv));
    std::vector<std::wstring> arguments;
    for (int i = 1; argv != nullptr && i < count; ++i) {
        arguments.emplace_back(argv[i]);
    }
    ParseArguments(arguments);
}
#endif

int CExtractorCommandOpt::RunMode() const
{
    if (silent == 1) {
        return kRunModeSilent;
    }
    return unattended == 1 ? kRunModeUnattended : kRunModeGui;
}
