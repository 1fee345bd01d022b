// The real query under Wine's Windows versions: osprobe.exe (the program's query, identification and
// manifest) is started with the prefix's version set for it, and its tokens are checked; then whole
// packages are judged by their [OS] entries on Wine's Windows 10.
#include <gtest/gtest.h>
#include <windows.h>

#include <map>
#include <sstream>
#include <string>

#include "JsonReader.h"
#include "OrloPack.h"
#include "ProcessRunner.h"
#include "RunLog.h"
#include "TestEnv.h"
#include "util/Handles.h"
#include "util/StringUtil.h"
#include "util/Util.h"

namespace {

// Wine reads HKCU\Software\Wine[\AppDefaults\<exe>] "Version" when a process starts. The probe gets
// its own AppDefaults value: flipping the prefix-wide value would change the Windows version under
// every test that runs at the same time. The destructor puts the key back as it was.
class WineVersionFor {
public:
    WineVersionFor(const std::wstring& exeName, const std::wstring& version)
        : m_keyPath(L"Software\\Wine\\AppDefaults\\" + exeName)
    {
        DWORD disposition = 0;
        const LSTATUS created = ::RegCreateKeyExW(HKEY_CURRENT_USER, m_keyPath.c_str(), 0, nullptr, 0,
                                                  KEY_READ | KEY_WRITE, nullptr, m_key.Put(), &disposition);
        if (created != ERROR_SUCCESS) {
            ADD_FAILURE() << "cannot create the AppDefaults key: " << created;
            return;
        }
        m_createdKey = disposition == REG_CREATED_NEW_KEY;
        wchar_t old[64] = {};
        DWORD size = sizeof(old) - sizeof(wchar_t);
        DWORD type = 0;
        m_hadValue = ::RegQueryValueExW(m_key.Get(), L"Version", nullptr, &type, reinterpret_cast<BYTE*>(old), &size) ==
                         ERROR_SUCCESS &&
                     type == REG_SZ;
        m_oldValue = old;
        ::RegSetValueExW(m_key.Get(), L"Version", 0, REG_SZ, reinterpret_cast<const BYTE*>(version.c_str()),
                         static_cast<DWORD>((version.size() + 1) * sizeof(wchar_t)));
    }
    ~WineVersionFor()
    {
        if (!m_key) {
            return;
        }
        if (m_hadValue) {
            ::RegSetValueExW(m_key.Get(), L"Version", 0, REG_SZ, reinterpret_cast<const BYTE*>(m_oldValue.c_str()),
                             static_cast<DWORD>((m_oldValue.size() + 1) * sizeof(wchar_t)));
        } else {
            ::RegDeleteValueW(m_key.Get(), L"Version");
        }
        m_key.Reset();
        if (m_createdKey) {
            ::RegDeleteKeyW(HKEY_CURRENT_USER, m_keyPath.c_str());
        }
    }
    WineVersionFor(const WineVersionFor&) = delete;
    WineVersionFor& operator=(const WineVersionFor&) = delete;

private:
    std::wstring m_keyPath;
    UniqueRegKey m_key;
    bool m_createdKey = false;
    bool m_hadValue = false;
    std::wstring m_oldValue;
};

struct ProbeResult {
    std::map<std::string, std::string> values;
    std::vector<std::string> logLines;
    std::string operator[](const std::string& key) const
    {
        const auto found = values.find(key);
        return found == values.end() ? std::string("<missing>") : found->second;
    }
};

// Starts osprobe.exe and reads what it wrote; fails the test when it does not finish cleanly.
ProbeResult RunProbe()
{
    ProbeResult result;
    testenv::ScratchDir scratch(L"osprobe");
    const std::wstring output = scratch / L"probe.txt";
    const testenv::ProcessResult run = testenv::RunProcess(testenv::BinDir() + L"osprobe.exe", {output}, 60000);
    if (!run.started || run.timedOut) {
        ADD_FAILURE() << "osprobe.exe did not run to its end (start error " << run.startError << ")";
        return result;
    }
    EXPECT_EQ(run.exitCode, 0u);
    std::istringstream lines(testenv::ReadFileText(output));
    std::string line;
    while (std::getline(lines, line)) {
        const size_t eq = line.find('=');
        if (eq == std::string::npos) {
            continue;
        }
        if (line.compare(0, eq, "log") == 0) {
            result.logLines.push_back(line.substr(eq + 1));
        } else {
            result.values[line.substr(0, eq)] = line.substr(eq + 1);
        }
    }
    return result;
}

bool Logged(const ProbeResult& probe, const std::string& line)
{
    for (const auto& logged : probe.logLines) {
        if (logged == line) {
            return true;
        }
    }
    return false;
}

} // namespace

// The test prefix is 64-bit and so is the probe: Wine reports the x64 architecture for every version.
TEST(OSVersionUnderWine, Windows10)
{
    WineVersionFor version(L"osprobe.exe", L"win10");
    const ProbeResult probe = RunProbe();
    ASSERT_EQ(probe["stage"], "3");
    EXPECT_EQ(probe["major"], "10"); // the manifest's supportedOS entries lift the 6.2 cap
    EXPECT_EQ(probe["minor"], "0");
    EXPECT_EQ(probe["architecture"], "9");
    EXPECT_EQ(probe["productType"], "1");
    EXPECT_EQ(probe["displayName"], "Windows1064");
    EXPECT_EQ(probe["nameToken"], "windows1064");
    EXPECT_EQ(probe["versionToken"], "windows10064");
    EXPECT_EQ(probe["familyName"], "Windows10");
    EXPECT_EQ(probe["familyVersion"], "Windows100");
    EXPECT_EQ(probe["is64"], "1");
    EXPECT_EQ(probe["productTypeToken"], "prod1");
    EXPECT_EQ(probe["servicePackNumber"], "");
    // GetProductInfo decides the edition; Wine answers 28 (Ultimate N) for every workstation.
    EXPECT_EQ(probe["edition"], "SKU" + probe["productInfoType"]);
    EXPECT_TRUE(Logged(probe, "8|OSVersion|Operating System : Windows1064"));
    EXPECT_TRUE(Logged(probe, "8|OSVersion|Operating System Edition : " + probe["editionDisplay"]));
    // Wine's Windows 10 is build 18362, older than every newer entry; IsWow64Process2 sees an x64
    // program on an x64 machine.
    EXPECT_EQ(probe["build"], "18362");
    EXPECT_EQ(probe["release"], "");
    EXPECT_EQ(probe["machineArchitecture"], "9");
    EXPECT_EQ(probe["processArchitecture"], "9");
}

TEST(OSVersionUnderWine, Windows7)
{
    WineVersionFor version(L"osprobe.exe", L"win7");
    const ProbeResult probe = RunProbe();
    ASSERT_EQ(probe["stage"], "3");
    EXPECT_EQ(probe["major"], "6");
    EXPECT_EQ(probe["minor"], "1");
    EXPECT_EQ(probe["architecture"], "9");
    EXPECT_EQ(probe["versionToken"], "windows6164");
    EXPECT_EQ(probe["familyVersion"], "Windows61");
    EXPECT_EQ(probe["servicePackNumber"], "1");
    EXPECT_TRUE(Logged(probe, "8|OSVersion|Operating System ServicePack : Service Pack 1"));
    // Wine 8 reports "win7" as a server product (and "win2008r2" as a workstation): the name follows
    // the product type the system reports.
    if (probe["productType"] == "1") {
        EXPECT_EQ(probe["nameToken"], "windows764");
        EXPECT_EQ(probe["familyName"], "Windows7");
        EXPECT_TRUE(Logged(probe, "8|OSVersion|Operating System : Windows764"));
    } else {
        EXPECT_EQ(probe["nameToken"], "windows2008r264");
        EXPECT_EQ(probe["familyName"], "Windows2008R2");
        EXPECT_TRUE(Logged(probe, "8|OSVersion|Operating System : Windows2008R264"));
    }
    EXPECT_EQ(probe["edition"], "SKU" + probe["productInfoType"]);
}

TEST(OSVersionUnderWine, WindowsXP)
{
    WineVersionFor version(L"osprobe.exe", L"winxp");
    const ProbeResult probe = RunProbe();
    ASSERT_EQ(probe["stage"], "3");
    // Wine's "winxp" is 32-bit XP (5.1) even in a 64-bit prefix; real 64-bit XP reports 5.2.
    EXPECT_EQ(probe["major"], "5");
    EXPECT_EQ(probe["minor"], "1");
    EXPECT_EQ(probe["architecture"], "9");
    EXPECT_EQ(probe["displayName"], "WindowsXP64");
    EXPECT_EQ(probe["nameToken"], "windowsxp64");
    EXPECT_EQ(probe["versionToken"], "windows5164");
    EXPECT_EQ(probe["familyName"], "WindowsXP");
    EXPECT_EQ(probe["familyVersion"], "Windows51");
    EXPECT_EQ(probe["edition"], "Professional"); // no personal suite bit: not Home
    EXPECT_EQ(probe["servicePackNumber"], "3");
    EXPECT_TRUE(Logged(probe, "8|OSVersion|Operating System : WindowsXP64"));
    EXPECT_TRUE(Logged(probe, "8|OSVersion|Operating System Edition : Professional"));
    EXPECT_TRUE(Logged(probe, "8|OSVersion|Operating System ServicePack : Service Pack 3"));
}

TEST(OSVersionUnderWine, VersionIsRestoredAfterwards)
{
    {
        WineVersionFor version(L"osprobe.exe", L"winxp");
        EXPECT_EQ(RunProbe()["major"], "5");
    }
    // Back to the prefix's own version (win10 in the test harness).
    EXPECT_EQ(RunProbe()["major"], "10");
    HKEY key = nullptr;
    const LSTATUS opened =
        ::RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Wine\\AppDefaults\\osprobe.exe", 0, KEY_READ, &key);
    if (opened == ERROR_SUCCESS) {
        UniqueRegKey owned(key);
        EXPECT_NE(::RegQueryValueExW(owned.Get(), L"Version", nullptr, nullptr, nullptr, nullptr), ERROR_SUCCESS);
    }
}

// Wine's "win10" is Windows 10 build 18362 on x64. A package that allows only the Windows 11 entry
// refuses it with the package's own message and starts no setup; one that allows the Windows 10
// tokens runs its setup. Both result files describe the system.
TEST(OSEntriesUnderWine, Windows11OnlyRefusesWindows10)
{
    struct Case {
        const wchar_t* allowed;
        bool runs;
    };
    const Case cases[] = {{L"Windows11", false}, {L"Windows10;Windows1064", true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(WideToUtf8(c.allowed));
        testenv::ScratchDir dir(L"osentries");
        const std::wstring source = dir / L"src";
        const std::wstring target = dir / L"target";
        const std::wstring result = dir / L"result.json";
        const std::wstring logName = L"osentries-" + CUtil::NewGuidString().substr(1, 8) + L".log";
        ASSERT_TRUE(::CreateDirectoryW(source.c_str(), nullptr));
        ASSERT_TRUE(
            ::CopyFileW((testenv::BinDir() + L"FakeSetup.exe").c_str(), (source + L"\\setup.exe").c_str(), FALSE));

        orlopack::BuildOptions options;
        options.sourceFolder = source;
        options.templateText =
            L"[Package]\r\nName=OSEntries\r\nNameDispl=OS Entries\r\nVersionString=1\r\n"
            L"[Runtime]\r\nExtractPath=" +
            target + L"\r\nAutoLaunch=setup.exe\r\nWaitForAutolaunchFinish=1\r\n[OS]\r\nOSAllowed=" + c.allowed +
            L"\r\n[LogFiles]\r\nExtractLogFileName=" + logName +
            L"\r\n[1033]\r\nMsgOSError=[OSNAME] is not supported: this package needs Windows 11.\r\n";
        options.outputFolder = dir / L"out";
        options.baseName = L"OSEntries";
        orlopack::BuildReport report;
        ASSERT_EQ(orlopack::BuildPackage(options, report), orlopack::kOk) << WideToUtf8(report.error);

        WineVersionFor version(L"OSEntries.exe", L"win10");
        const testenv::ProcessResult run =
            testenv::RunProcess(report.packagePath, {L"/silent", L"/strictexit", L"/result=" + result}, 120000);
        ASSERT_TRUE(run.started);
        ASSERT_FALSE(run.timedOut) << "the run blocked";

        const std::string log = testenv::ReadExtractionLog(logName);
        const std::string setupRecord = testenv::ReadFileText(target + L"\\setup.exe.record.txt");
        testenv::JsonValue root;
        std::string error;
        ASSERT_TRUE(testenv::ParseJson(testenv::ReadFileText(result), root, error)) << error;
        if (c.runs) {
            EXPECT_EQ(run.exitCode, 0u);
            EXPECT_NE(setupRecord, "") << "the setup did not start";
            EXPECT_TRUE(root["failure"].IsNull());
        } else {
            EXPECT_EQ(run.exitCode, 1603u);
            EXPECT_EQ(setupRecord, "") << "the setup started on a refused system";
            EXPECT_NE(log.find("Message to be displayed : Windows10 64 Bit is not supported: this package needs "
                               "Windows 11."),
                      std::string::npos)
                << log;
            EXPECT_EQ(root["failure"].text, "os");
        }
        EXPECT_NE(log.find("|Build Number : 18362"), std::string::npos);
        EXPECT_NE(log.find("|Machine Architecture : x64"), std::string::npos);
        const testenv::JsonValue& system = root["system"];
        EXPECT_EQ(system["major"].Int(), 10);
        EXPECT_EQ(system["build"].Int(), 18362);
        EXPECT_EQ(system["machineArchitecture"].text, "x64");
        EXPECT_EQ(system["processArchitecture"].text, "x64");
        EXPECT_FALSE(system["emulated"].boolean);
    }
}
