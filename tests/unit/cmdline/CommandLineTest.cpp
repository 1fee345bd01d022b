// The command-line options: which arguments set which option.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "settings/CommandLine.h"
#include "settings/OrloInitalizer.h"
#include "util/StringUtil.h"

namespace {

struct Expected {
    int debug = 0;
    int noOSCheck = 0;
    int noConditionCheck = 0;
    int runMode = kRunModeGui;
    std::wstring extractPath;
    std::wstring autolaunch;
    std::wstring setupLanguage;
    std::wstring password;
    std::wstring resultFile;
    int check = 0;
    int strictExit = 0;
    int help = 0;
};

struct Case {
    const char* name;
    std::vector<std::wstring> arguments;
    Expected expected;
};

Expected Silent() { Expected e; e.runMode = kRunModeSilent; return e; }
Expected Unattended() { Expected e; e.runMode = kRunModeUnattended; return e; }
Expected Path(const std::wstring& p) { Expected e; e.extractPath = p; return e; }
Expected Debug() { Expected e; e.debug = 1; return e; }
Expected Result(const std::wstring& f) { Expected e; e.resultFile = f; return e; }
Expected Help() { Expected e; e.help = 1; return e; }

const std::vector<Case>& Cases()
{
    static const std::vector<Case> cases = [] {
        std::vector<Case> c;
        c.push_back({"slash silent", {L"/silent"}, Silent()});
        c.push_back({"dash silent", {L"-silent"}, Silent()});
        c.push_back({"upper case silent", {L"/SILENT"}, Silent()});
        c.push_back({"mixed case dash silent", {L"-SiLeNt"}, Silent()});
        c.push_back({"silent without prefix ignored", {L"silent"}, {}});
        c.push_back({"silent with a value is no silent", {L"/silent=1"}, {}});
        c.push_back({"unattended", {L"/unattended"}, Unattended()});
        c.push_back({"silent and unattended", {L"/unattended", L"-silent"}, Silent()});
        c.push_back({"silent before unattended", {L"/silent", L"/UNATTENDED"}, Silent()});
        c.push_back({"extract path", {L"/extractpath=C:\\Temp\\Pack"}, Path(L"C:\\Temp\\Pack")});
        c.push_back({"key in other case", {L"-EXTRACTPATH=D:\\x"}, Path(L"D:\\x")});
        c.push_back({"blanks around the equals sign", {L"/extractpath = C:\\My Folder "}, Path(L"C:\\My Folder")});
        c.push_back({"no equals sign leaves it empty", {L"/extractpath"}, {}});
        c.push_back({"equals sign without value", {L"/extractpath="}, {}});
        c.push_back({"blank value", {L"/extractpath=   "}, {}});
        c.push_back({"value containing equals keeps the last piece", {L"/extractpath=a=b"}, Path(L"b")});
        c.push_back({"key value pair without prefix ignored", {L"extractpath=C:\\x"}, {}});
        c.push_back({"repeated key: the later wins", {L"/extractpath=C:\\A", L"/extractpath=D:\\B"}, Path(L"D:\\B")});
        c.push_back({"d", {L"/d"}, Debug()});
        c.push_back({"debug", {L"-Debug"}, Debug()});
        c.push_back({"debug with a value is no debug", {L"/debug=1"}, {}});
        c.push_back({"d with a value is no debug", {L"/d=1"}, {}});
        c.push_back({"unknown options ignored", {L"/verbose", L"/foo=bar", L"-", L"/", L"plain"}, {}});
        {
            Expected e;
            e.noOSCheck = 1;
            e.noConditionCheck = 1;
            c.push_back({"check switches", {L"/noOSCheck", L"-NOCONDITIONCHECK"}, e});
        }
        {
            Expected e;
            e.runMode = kRunModeUnattended;
            e.setupLanguage = L"1031";
            e.autolaunch = L"no";
            e.password = L"1";  // only the text after the last "=" counts
            e.extractPath = L"%TEMP%\\Pkg";
            c.push_back({"all key values together",
                         {L"/unattended", L"/SetupLanguage=1031", L"-AUTOLAUNCH=no", L"/extractionpassword=x=Secret=1",
                          L"/extractpath=%TEMP%\\Pkg"},
                         e});
        }
        c.push_back({"result file", {L"/result=D:\\logs\\run.json"}, Result(L"D:\\logs\\run.json")});
        c.push_back({"result path keeps its own equals signs", {L"-RESULT = D:\\a=b\\r.json "},
                     Result(L"D:\\a=b\\r.json")});
        c.push_back({"result without a value", {L"/result"}, {}});
        c.push_back({"question mark", {L"/?"}, Help()});
        c.push_back({"help word", {L"-HELP"}, Help()});
        c.push_back({"help with a value is no help", {L"/help=1"}, {}});
        {
            Expected e;
            e.check = 1;
            e.strictExit = 1;
            e.runMode = kRunModeSilent;
            c.push_back({"check and strict exit", {L"/Check", L"-STRICTEXIT", L"/silent"}, e});
        }
        {
            Expected e;
            e.password = L"";
            c.push_back({"password key without value", {L"/extractionpassword=secret", L"/extractionpassword"}, e});
        }
        return c;
    }();
    return cases;
}

TEST(CommandLine, TableOfArgumentLists)
{
    for (const auto& row : Cases()) {
        SCOPED_TRACE(row.name);
        CExtractorCommandOpt options;
        options.ParseArguments(row.arguments);
        EXPECT_EQ(options.debug, row.expected.debug);
        EXPECT_EQ(options.NoOSCheck, row.expected.noOSCheck);
        EXPECT_EQ(options.NoConditioncheck, row.expected.noConditionCheck);
        EXPECT_EQ(options.RunMode(), row.expected.runMode);
        EXPECT_EQ(options.extractPath, row.expected.extractPath);
        EXPECT_EQ(options.autolaunch, row.expected.autolaunch);
        EXPECT_EQ(options.setupLanguage, row.expected.setupLanguage);
        EXPECT_EQ(options.extractionPassword, row.expected.password);
        EXPECT_EQ(options.resultFile, row.expected.resultFile);
        EXPECT_EQ(options.check, row.expected.check);
        EXPECT_EQ(options.strictExit, row.expected.strictExit);
        EXPECT_EQ(options.help, row.expected.help);
    }
}

TEST(CommandLine, HandlerSeesTextWithoutPrefixAndIgnoresNonFlags)
{
    CExtractorCommandOpt options;
    options.ParseParam(L"silent", false, true);
    EXPECT_EQ(options.silent, 0);
    options.ParseParam(L"silent", true, true);
    EXPECT_EQ(options.silent, 1);
    options.ParseParam(L"", true, true);
    EXPECT_EQ(options.RunMode(), kRunModeSilent);
}

}  // namespace
