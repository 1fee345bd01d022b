#include "launch/LaunchRules.h"

#include <algorithm>
#include <array>

#include "util/StringUtil.h"
#include "util/WideFormat.h"

std::wstring LaunchKeyName(int index)
{
    return index < 0 ? std::wstring(L"AutoLaunch") : FormatW(L"%ls%d", L"AutoLaunch", index + 1);
}

std::wstring ParamsKeyName(int index)
{
    return index < 0 ? std::wstring(L"LaunchEXEParams") : FormatW(L"%ls%d", L"LaunchEXEParams", index + 1);
}

bool IsMultilaunchValue(const std::wstring& value)
{
    return value == L"1";
}

LaunchValueParts SplitLaunchValue(const std::wstring& value)
{
    const size_t slash = value.rfind(L'\\');
    if (slash == std::wstring::npos) {
        return {L"", value};
    }
    return {value.substr(0, slash), value.substr(slash + 1)};
}

std::wstring JoinPath(const std::wstring& folder, const std::wstring& name)
{
    if (folder.empty()) {
        return name;
    }
    std::wstring rest = name;
    while (!rest.empty() && rest.front() == L'\\') {
        rest.erase(0, 1);
    }
    return folder.back() == L'\\' ? folder + rest : folder + L"\\" + rest;
}

bool IsFamilyLauncherName(const std::wstring& fileName)
{
    return EqualsNoCase(fileName, kFamilyLauncherName);
}

std::wstring LauncherProbePath(const std::wstring& extractionPath, const std::wstring& valueFolder)
{
    if (valueFolder.empty()) {
        return JoinPath(extractionPath, kLauncherProbe);
    }
    return JoinPath(JoinPath(extractionPath, valueFolder), kLauncherProbe);
}

std::wstring ListFilePath(const std::wstring& extractionPath)
{
    return JoinPath(extractionPath, kListFileName);
}

std::wstring DeleteOnFinishParameter(const std::wstring& extractionPath)
{
    return FormatW(L"/DeleteOnFinish=\"%ls\"", ListFilePath(extractionPath).c_str());
}

std::wstring AppendParameter(const std::wstring& parameters, const std::wstring& extra)
{
    return FormatW(L"%ls %ls", parameters.c_str(), extra.c_str());
}

std::wstring LaunchExtension(const std::wstring& path)
{
    const size_t dot = path.rfind(L'.');
    return dot == std::wstring::npos ? path : path.substr(dot);
}

std::wstring MsiArguments(const std::wstring& msiPath, const std::wstring& parameters)
{
    return FormatW(L"/i \"%ls\" %ls", msiPath.c_str(), parameters.c_str());
}

std::wstring ChooseShellVerb(DWORD osMajorVersion, const std::wstring& program, const std::wstring& msiexecPath,
                             const std::wstring& checkAdminText, const std::function<bool()>& isAdmin)
{
    const bool msiexec = !msiexecPath.empty() && EqualsNoCase(program, msiexecPath);
    if (!msiexec) {
        return {};
    }
    if (osMajorVersion >= 6) {
        return L"runas";
    }
    if (osMajorVersion == 5 && checkAdminText == L"0" && !isAdmin()) {
        return L"runas";
    }
    return {};
}

bool IsSupportedEnvPlaceholder(const std::wstring& token)
{
    static const std::array<const wchar_t*, 15> kSupported = {
        L"%temp%",       L"%tmp%",          L"%windir%",      L"%allusersprofile%",    L"%userprofile%",
        L"%systemroot%", L"%appdata%",      L"%systemdrive%", L"%commonprogramfiles%", L"%homedrive%",
        L"%homepath%",   L"%localappdata%", L"%programdata%", L"%programfiles%",       L"%public%"};
    return std::any_of(kSupported.begin(), kSupported.end(),
                       [&](const wchar_t* name) { return EqualsNoCase(token, name); });
}

std::wstring ExpandParameterPlaceholders(const std::wstring& parameters, int& searchPosition,
                                         const std::function<std::wstring(const std::wstring&)>& expand,
                                         const std::function<void(const std::wstring&)>& unsupported)
{
    std::wstring text = parameters;
    searchPosition = 0;
    int remaining = static_cast<int>(std::count(text.begin(), text.end(), L'%'));
    while (remaining >= 2) {
        const size_t open = text.find(L'%', static_cast<size_t>(searchPosition));
        if (open == std::wstring::npos) {
            break;
        }
        const size_t close = text.find(L'%', open + 1);
        if (close == std::wstring::npos || close + 1 >= text.size()) {
            break; // nothing follows the token: it stays as written
        }
        const wchar_t next = text[close + 1];
        if (next != L'\\' && next != L' ' && next != L'"') {
            break;
        }
        const std::wstring token = text.substr(open, close - open + 1);
        if (!IsSupportedEnvPlaceholder(token)) {
            unsupported(token);
        }
        searchPosition = static_cast<int>(close + 1);
        std::wstring name = token;
        name.erase(std::remove(name.begin(), name.end(), L'"'), name.end());
        const std::wstring value = expand(name);
        if (!value.empty()) {
            text = ReplaceAll(text, token, value);
            // Resume behind the expanded text: a value shorter than its token must not make the
            // search skip the next placeholder, and '%' inside the value is never expanded.
            searchPosition = static_cast<int>(open + value.size());
        }
        remaining -= 2;
    }
    return text;
}
