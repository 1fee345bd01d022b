// The pure rules of the launch step, table by table.
#include <gtest/gtest.h>

#include <map>
#include <vector>

#include "launch/FinishMessages.h"
#include "launch/LaunchRules.h"
#include "util/StringUtil.h"

namespace {

struct ExpansionCase {
    const wchar_t* parameters;
    const wchar_t* expected;
    std::vector<std::wstring> warned;
};

// A fixed environment: the expansion must not depend on the machine.
std::wstring FakeExpand(const std::wstring& token)
{
    static const std::map<std::wstring, std::wstring> values = {{L"%temp%", L"C:\\Temp"},
                                                                {L"%windir%", L"C:\\Windows"},
                                                                {L"%homedrive%", L"C:"},
                                                                {L"%custom%", L"X:\\Custom"},
                                                                {L"%percent%", L"50%done"}};
    const auto found = values.find(ToLowerW(token));
    return found == values.end() ? std::wstring() : found->second;
}

TEST(LaunchRules, ExpandsPlaceholdersFollowedByASeparator)
{
    const std::vector<ExpansionCase> cases = {
        {L"", L"", {}},
        {L"/q", L"/q", {}},
        {L"/log=%TEMP%\\setup.log", L"/log=C:\\Temp\\setup.log", {}},
        // Nothing follows the token: it stays as written.
        {L"/dir=%TEMP%", L"/dir=%TEMP%", {}},
        {L"%TEMP% /q", L"C:\\Temp /q", {}},
        {L"\"%TEMP%\"\\x", L"\"C:\\Temp\"\\x", {}},
        // Any other character after the token ends the expansion.
        {L"%TEMP%x %WINDIR%\\y", L"%TEMP%x %WINDIR%\\y", {}},
        {L"/a=%temp%\\1 /b=%WinDir%\\2", L"/a=C:\\Temp\\1 /b=C:\\Windows\\2", {}},
        // Every occurrence of an expanded token is replaced, also one at the very end.
        {L"%TEMP%\\a /end=%TEMP%", L"C:\\Temp\\a /end=C:\\Temp", {}},
        // Unknown names are warned about and still expanded.
        {L"%CUSTOM%\\x", L"X:\\Custom\\x", {L"%CUSTOM%"}},
        // An unknown name without a value stays.
        {L"%NOPE%\\x /q", L"%NOPE%\\x /q", {L"%NOPE%"}},
        // A value shorter than its token must not make the search skip the next placeholder.
        {L"%HOMEDRIVE%\\x %TEMP%\\y", L"C:\\x C:\\Temp\\y", {}},
        // A '%' inside an expanded value is not taken for the start of another token.
        {L"%PERCENT%\\a %TEMP%\\b", L"50%done\\a C:\\Temp\\b", {L"%PERCENT%"}},
        // A single '%' or an unpaired one does nothing.
        {L"100% sure", L"100% sure", {}},
        {L"100% sure %TEMP%\\x", L"100% sure %TEMP%\\x", {}},
    };
    for (const auto& c : cases) {
        std::vector<std::wstring> warned;
        int position = 77;
        const std::wstring result = ExpandParameterPlaceholders(
            c.parameters, position, FakeExpand, [&](const std::wstring& token) { warned.push_back(token); });
        EXPECT_EQ(result, c.expected) << WideToUtf8(c.parameters);
        EXPECT_EQ(warned, c.warned) << WideToUtf8(c.parameters);
    }
}

TEST(LaunchRules, ElevatesOnlyMsiexec)
{
    struct Case {
        DWORD major;
        const wchar_t* program;
        const wchar_t* checkAdmin;
        bool admin;
        const wchar_t* verb;
    };
    // Only the system's own msiexec is elevated, never one of that name elsewhere.
    const wchar_t* const msiexec = L"C:\\windows\\system32\\msiexec.exe";
    const Case cases[] = {
        {6, msiexec, L"", true, L"runas"},
        {10, L"C:\\WINDOWS\\System32\\MSIEXEC.EXE", L"1", false, L"runas"},
        {10, L"D:\\x\\Setup.exe", L"0", false, L""},
        {10, L"msiexec.exe", L"", true, L""},
        {10, L"D:\\x\\msiexec.exe", L"", true, L""},
        {5, msiexec, L"0", false, L"runas"},
        {5, msiexec, L"0", true, L""},
        {5, msiexec, L"1", false, L""},
        {5, msiexec, L"", false, L""},
        {5, L"D:\\x\\Setup.exe", L"0", false, L""},
        {4, msiexec, L"0", false, L""},
    };
    for (const auto& c : cases) {
        int asked = 0;
        const std::wstring verb = ChooseShellVerb(c.major, c.program, msiexec, c.checkAdmin, [&] {
            ++asked;
            return c.admin;
        });
        EXPECT_EQ(verb, c.verb) << c.major << " " << WideToUtf8(c.program) << " " << WideToUtf8(c.checkAdmin);
        // The administrator test is only needed on major version 5.
        if (c.major != 5) {
            EXPECT_EQ(asked, 0);
        }
    }
}

TEST(LaunchRules, ProbesBesideTheLaunchedProgram)
{
    struct Case {
        const wchar_t* value;
        const wchar_t* folder;
        const wchar_t* file;
        const wchar_t* probe;
    };
    const Case cases[] = {
        {L"Start.exe", L"", L"Start.exe", L"D:\\x\\InstData\\Resources\\Kam2.exe"},
        {L"Disk1\\Start.exe", L"Disk1", L"Start.exe", L"D:\\x\\Disk1\\InstData\\Resources\\Kam2.exe"},
        {L"a\\b\\setup.msi", L"a\\b", L"setup.msi", L"D:\\x\\a\\b\\InstData\\Resources\\Kam2.exe"},
    };
    for (const auto& c : cases) {
        const LaunchValueParts parts = SplitLaunchValue(c.value);
        EXPECT_EQ(parts.folder, c.folder);
        EXPECT_EQ(parts.fileName, c.file);
        EXPECT_EQ(LauncherProbePath(L"D:\\x\\", parts.folder), c.probe);
    }
    EXPECT_TRUE(IsFamilyLauncherName(L"start.EXE"));
    EXPECT_FALSE(IsFamilyLauncherName(L"Start.exe.bak"));
    EXPECT_FALSE(IsFamilyLauncherName(L"Setup.exe"));
}

TEST(FinishRules, ChoosesTheFinishMessage)
{
    using Map = std::map<std::wstring, std::wstring>;
    struct Case {
        Map messages;
        const wchar_t* expected;
        bool unconfigured;
    };
    const Case cases[] = {
        {{}, L"", false},
        {{{L"MessageOnFinish", L"M"}}, L"M", false},
        {{{L"SUCCESS", L"S"}, {L"MessageOnFinish", L"M"}}, L"S", false},
        {{{L"ERROR", L"E"}, {L"SUCCESS", L"S"}, {L"MessageOnFinish", L"M"}}, L"E", false},
        {{{L"ERROR", L""}, {L"MessageOnFinish", L"M"}}, L"", false},
        {{{L"NOTSET", L"Return code not Configured"}, {L"SUCCESS", L"S"}, {L"MessageOnFinish", L"M"}}, L"M", true},
        {{{L"NOTSET", L"Return code not Configured"}}, L"", true},
        {{{L"NOTSET", L"x"}, {L"ERROR", L"E"}}, L"E", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ChooseFinishMessage(c.messages), c.expected);
        EXPECT_EQ(HasUnconfiguredResultIn(c.messages), c.unconfigured);
    }
}

} // namespace
