#pragma once
// Pure rules of the launch step: key names, the launcher probe, the /DeleteOnFinish= handshake text,
// the elevation verb and the expansion of environment placeholders in setup parameters. No Win32
// state here, so every rule can be tested with tables.
#include "util/Platform.h"

#include <functional>
#include <string>

constexpr wchar_t kListFileName[] = L"ExtractedFilesToDelete.txt";
constexpr wchar_t kLauncherProbe[] = L"InstData\\Resources\\Kam2.exe";
constexpr wchar_t kFamilyLauncherName[] = L"Start.exe";
constexpr wchar_t kMaxLaunchPathText[] = L"900"; // full paths of 900 characters or more are refused

// "AutoLaunch" for index -1 (single-program mode), else "AutoLaunch<index + 1>".
std::wstring LaunchKeyName(int index);
// "LaunchEXEParams" for index -1, else "LaunchEXEParams<index + 1>".
std::wstring ParamsKeyName(int index);
// Several programs only when [Runtime] Multilaunch is exactly "1".
bool IsMultilaunchValue(const std::wstring& value);

// A launch value split at its last backslash: folder without the backslash, and the file name.
struct LaunchValueParts {
    std::wstring folder;
    std::wstring fileName;
};
LaunchValueParts SplitLaunchValue(const std::wstring& value);

// `folder` and `name` joined by exactly one backslash.
std::wstring JoinPath(const std::wstring& folder, const std::wstring& name);
// A program of the product family that can take over the deletion ("Start.exe", any case).
bool IsFamilyLauncherName(const std::wstring& fileName);
// Where the launcher probe looks for InstData\Resources\Kam2.exe for a launch value's folder.
std::wstring LauncherProbePath(const std::wstring& extractionPath, const std::wstring& valueFolder);
// The list file in the extraction folder.
std::wstring ListFilePath(const std::wstring& extractionPath);
// /DeleteOnFinish="<extraction path>ExtractedFilesToDelete.txt"
std::wstring DeleteOnFinishParameter(const std::wstring& extractionPath);
// Format("%s %s"): one blank between, also when either side is empty.
std::wstring AppendParameter(const std::wstring& parameters, const std::wstring& extra);

// Extension of a launch path: from its last "." to the end, the whole path when it has no dot.
std::wstring LaunchExtension(const std::wstring& path);
// /i "<path>" <parameters>
std::wstring MsiArguments(const std::wstring& msiPath, const std::wstring& parameters);
// "runas" for the system's msiexec.exe (`program` equals `msiexecPath`) from Vista on, and on major
// version 5 for a non-administrator when CheckAdmin is "0"; otherwise empty (the default action).
// `isAdmin` is asked only when needed.
std::wstring ChooseShellVerb(DWORD osMajorVersion, const std::wstring& program, const std::wstring& msiexecPath,
                             const std::wstring& checkAdminText, const std::function<bool()>& isAdmin);

// True for the placeholders that are known to be expanded reliably (%TEMP%, %WINDIR%, ...).
bool IsSupportedEnvPlaceholder(const std::wstring& token);
// Replaces %NAME% tokens that are followed by a backslash, a blank or a double quote with
// `expand(token)` (every occurrence of the token; an empty expansion leaves it). A token at the very
// end of the text, or followed by another character, ends the expansion. `searchPosition` is where
// the search resumes (reset to 0 here); `unsupported` is told about tokens not in the known list,
// which are expanded all the same.
std::wstring ExpandParameterPlaceholders(const std::wstring& parameters, int& searchPosition,
                                         const std::function<std::wstring(const std::wstring&)>& expand,
                                         const std::function<void(const std::wstring&)>& unsupported);
