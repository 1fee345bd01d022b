#pragma once
// A package after extraction, for the launch tests: a properties file in a scratch temp folder, an
// extraction folder, fake setups copied into it, and the run's log.
#include <gtest/gtest.h>
#include <windows.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "TestEnv.h"
#include "log/BuildLogFile.h"
#include "settings/OrloInitalizer.h"
#include "util/ProcessContext.h"
#include "util/StringUtil.h"
#include "util/WideFormat.h"

namespace launchtest {

// One run of a fake setup, as it recorded itself.
struct FakeRun {
    std::string commandLine;
    std::vector<std::string> args;
    std::vector<std::string> list; // lines of the /DeleteOnFinish= list file it was handed
    std::map<std::string, std::string> values;
    bool ended = false;
};

inline std::vector<FakeRun> ReadRuns(const std::wstring& programPath)
{
    std::vector<FakeRun> runs;
    for (const auto& line : testenv::ReadLines(programPath + L".record.txt")) {
        if (line == "[run]") {
            runs.emplace_back();
            continue;
        }
        if (runs.empty()) {
            continue;
        }
        FakeRun& run = runs.back();
        if (line == "[end]") {
            run.ended = true;
            continue;
        }
        const size_t equals = line.find('=');
        if (equals == std::string::npos) {
            continue;
        }
        const std::string name = line.substr(0, equals);
        const std::string value = line.substr(equals + 1);
        if (name == "arg") {
            run.args.push_back(value);
        } else if (name == "list") {
            run.list.push_back(value);
        } else if (name == "commandline") {
            run.commandLine = value;
        } else {
            run.values[name] = value;
        }
    }
    return runs;
}

// Waits until a program started without waiting has written its end mark.
inline bool WaitForEnd(const std::wstring& programPath, size_t runs = 1, DWORD limitMs = 30000)
{
    for (DWORD waited = 0; waited < limitMs; waited += 50) {
        const auto recorded = ReadRuns(programPath);
        size_t ended = 0;
        for (const auto& run : recorded) {
            ended += run.ended ? 1 : 0;
        }
        if (ended >= runs) {
            return true;
        }
        ::Sleep(50);
    }
    return false;
}

inline std::string Narrow(const std::wstring& text)
{
    return WideToUtf8(text);
}

class LaunchFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetProcessContext();
        m_scratch = std::make_unique<testenv::ScratchDir>(L"launch");
        extraction = m_scratch->Path() + L"Extract\\";
        temp = m_scratch->Path() + L"OrloTemp\\";
        ::CreateDirectoryW(extraction.c_str(), nullptr);
        ::CreateDirectoryW(temp.c_str(), nullptr);
        properties = temp + L"Properties_Orlo.ini";
        logPath = m_scratch->Path() + L"run.log";
        Log().Init(logPath, kLogLevelNormal);
        Settings().SetPropertiesPath(properties);
        Settings().SetExtractionPath(extraction);
        Settings().SetOrloTempDirPath(temp);
        Settings().SetLanguage(1033);
        Settings().SetRunMode(kRunModeGui);
        Settings().SetExtractionStatus(0);
        Settings().SetWaitForAutolaunchFinish(1);
    }
    void TearDown() override
    {
        ::SetEnvironmentVariableW(L"FAKESETUP_ORDER_FILE", nullptr);
        m_scratch.reset();
        ResetProcessContext();
    }

    std::wstring Scratch() const { return m_scratch->Path(); }
    void WriteProperties(const std::wstring& text) const { testenv::WriteUtf16File(properties, text); }

    // Copies a program of the build (FakeSetup.exe by default) to `relative` inside the extraction folder.
    std::wstring Place(const std::wstring& relative, const std::wstring& source = L"FakeSetup.exe") const
    {
        const std::wstring target = extraction + relative;
        MakeParents(target);
        EXPECT_TRUE(::CopyFileW((testenv::BinDir() + source).c_str(), target.c_str(), FALSE))
            << Narrow(source) << " -> " << Narrow(target);
        return target;
    }
    // Start.exe with InstData\Resources\Kam2.exe beside it, in `folder` of the extraction folder.
    std::wstring PlaceFamilyLauncher(const std::wstring& folder = L"") const
    {
        const std::wstring prefix = folder.empty() ? L"" : folder + L"\\";
        Place(prefix + L"InstData\\Resources\\Kam2.exe", L"startexe\\InstData\\Resources\\Kam2.exe");
        return Place(prefix + L"Start.exe", L"startexe\\Start.exe");
    }

    static void MakeParents(const std::wstring& path)
    {
        for (size_t slash = path.find(L'\\', 3); slash != std::wstring::npos; slash = path.find(L'\\', slash + 1)) {
            ::CreateDirectoryW(path.substr(0, slash).c_str(), nullptr);
        }
    }

    // Lines of the log as {function, message} (the function column without its padding).
    std::vector<std::pair<std::wstring, std::wstring>> LogEntries() const
    {
        std::vector<std::pair<std::wstring, std::wstring>> entries;
        for (const auto& raw : testenv::ReadLines(logPath)) {
            const std::wstring line = Utf8ToWide(raw);
            const size_t first = line.find(L'|');
            const size_t second = first == std::wstring::npos ? first : line.find(L'|', first + 1);
            const size_t third = second == std::wstring::npos ? second : line.find(L'|', second + 1);
            if (third == std::wstring::npos) {
                continue;
            }
            std::wstring function = line.substr(second + 1, third - second - 1);
            while (!function.empty() && function.back() == L' ') {
                function.pop_back();
            }
            entries.emplace_back(function, line.substr(third + 1));
        }
        return entries;
    }
    // The function column may be cut: compare the start of the expected name with what was written.
    int CountLog(const std::wstring& function, const std::wstring& message) const
    {
        int count = 0;
        for (const auto& [written, text] : LogEntries()) {
            std::wstring expected = function;
            while (!expected.empty() && expected.back() == L' ') {
                expected.pop_back();
            }
            const bool functionMatches = written.size() <= expected.size()
                                             ? expected.compare(0, written.size(), written) == 0 && !written.empty()
                                             : false;
            count += functionMatches && text == message ? 1 : 0;
        }
        return count;
    }
    bool LogHas(const std::wstring& function, const std::wstring& message) const
    {
        return CountLog(function, message) > 0;
    }
    bool LogContains(const std::wstring& fragment) const
    {
        for (const auto& entry : LogEntries()) {
            if (entry.second.find(fragment) != std::wstring::npos) {
                return true;
            }
        }
        return false;
    }

    std::wstring extraction;
    std::wstring temp;
    std::wstring properties;
    std::wstring logPath;

private:
    std::unique_ptr<testenv::ScratchDir> m_scratch;
};

} // namespace launchtest
