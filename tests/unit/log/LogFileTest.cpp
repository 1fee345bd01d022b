// CLogFile against real files: line format on disk, level filter, counters, folder creation,
// dropped lines, many threads writing at once, others using the file meanwhile, a killed writer.
#include <gtest/gtest.h>

#include <regex>
#include <set>
#include <thread>
#include <vector>

#include "ProcessRunner.h"
#include "TestEnv.h"
#include "log/LogCounters.h"
#include "log/LogFile.h"
#include "util/Handles.h"
#include "util/ProcessContext.h"
#include "util/StringUtil.h"

namespace {
class LogFileTest : public testing::Test {
protected:
    void SetUp() override { ResetProcessContext(); }
    void TearDown() override { ResetProcessContext(); }

    testenv::ScratchDir m_dir{L"log"};
    std::wstring m_path = m_dir / L"test.log";
};

const std::string kTime = "[0-2][0-9]:[0-5][0-9]:[0-5][0-9]";
} // namespace

TEST_F(LogFileTest, LinesReachTheFileFormattedWithCrLfAndUtf8)
{
    CLogFile log;
    log.Init(m_path, kLogLevelNormal);
    log.WriteLine(kLogInfo, L"InitInstance", L"Value %ls = %d", L"x", 5);
    log.WriteLine(kLogError, L"CheckPassword", L"Text \x7B80\x4F53\x4E2D\x6587 caf\x00E9");
    log.WriteLine(kLogWarning, L"Quit", L"first\nsecond");
    log.WriteLineText(kLogInfo, L"ExtractFile", L"100% of %s stays as written");

    const std::string bytes = testenv::ReadFileText(m_path);
    // Every line end is CR LF; no bare LF anywhere.
    for (size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\n') {
            ASSERT_GT(i, 0u);
            EXPECT_EQ(bytes[i - 1], '\r') << "bare LF at " << i;
        }
    }
    const auto lines = testenv::ReadLines(m_path);
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_TRUE(std::regex_match(lines[0], std::regex(kTime + "\\|          \\|InitInstance {23} \\|Value x = 5")))
        << lines[0];
    EXPECT_TRUE(std::regex_match(lines[1], std::regex(kTime + "\\|ERROR     \\|CheckPassword {22} \\|Text .*")))
        << lines[1];
    EXPECT_EQ(lines[1].substr(lines[1].find("|Text ") + 6), WideToUtf8(L"\x7B80\x4F53\x4E2D\x6587 caf\x00E9"));
    EXPECT_TRUE(std::regex_match(lines[2], std::regex(kTime + "\\|WARNING   \\|Quit {31} \\|first"))) << lines[2];
    EXPECT_EQ(lines[3], "second");
    EXPECT_TRUE(std::regex_match(lines[4],
                                 std::regex(kTime + "\\|          \\|ExtractFile {24} \\|100% of %s stays as written")))
        << lines[4];
}

TEST_F(LogFileTest, LevelFilterAndCounters)
{
    for (int level : {kLogLevelNormal, kLogLevelDebug}) {
        SCOPED_TRACE(level);
        ResetProcessContext();
        const std::wstring path = m_dir / (L"level" + std::to_wstring(level) + L".log");
        CLogFile log;
        EXPECT_FALSE(Counters().Exists());
        log.Init(path, level);
        ASSERT_TRUE(Counters().Exists());
        for (int kind = 0; kind <= 11; ++kind) {
            log.WriteLine(kind, L"F", L"kind %d", kind);
        }
        std::set<std::string> written;
        for (const std::string& line : testenv::ReadLines(path)) {
            written.insert(line.substr(line.rfind('|') + 1));
        }
        const LogCounterValues counters = Counters().Snapshot();
        for (int kind = 0; kind <= 11; ++kind) {
            const bool expected = kind <= 6 || kind <= level;
            EXPECT_EQ(written.count("kind " + std::to_string(kind)), expected ? 1u : 0u) << kind;
            EXPECT_EQ(counters[kind], expected ? 1 : 0) << kind;
        }
    }
}

TEST_F(LogFileTest, CountersOnlyCountOnceTheyExist)
{
    CLogFile log;
    log.WriteLine(kLogError, L"F", L"before any Init"); // no path, no counters: dropped, not counted
    EXPECT_FALSE(Counters().Exists());
    EXPECT_EQ(Counters().Snapshot()[0], 0);
    log.Init(m_path, kLogLevelNormal);
    log.WriteLine(kLogError, L"F", L"after");
    CLogFile second;
    second.Init(m_dir / L"second.log", kLogLevelNormal); // a second Init does not reset them
    second.WriteLine(kLogError, L"F", L"second");
    EXPECT_EQ(Counters().Snapshot()[0], 2);
}

TEST_F(LogFileTest, CountersStopAtTheirTopInsteadOfWrapping)
{
    Counters().Create();
    for (int i = 0; i < 65536 + 3; ++i) {
        Counters().Increment(kLogError);
    }
    const LogCounterValues counters = Counters().Snapshot();
    EXPECT_EQ(counters[kLogError], 65535);
    EXPECT_EQ(FormatSummaryShort(true, counters).substr(0, 13), L"65535  ERRORS");
}

TEST_F(LogFileTest, NoFunctionLinesUseBarsAndCreateMissingFolders)
{
    const std::wstring deep = m_dir / L"a\\b\\c\\deep.log";
    CLogFile log;
    log.Init(deep, kLogLevelNormal);
    log.WriteLine(kLogInfo, L"F", L"lost: the folders are missing");
    EXPECT_FALSE(testenv::PathExists(deep));
    log.WriteLineNoFunction(kLogInfo, L"one, two,three %d", 4);
    const auto lines = testenv::ReadLines(deep);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_TRUE(
        std::regex_match(lines[0], std::regex(kTime + "\\|          \\|NonameFunction {21}\\|one\\| two\\|three 4")))
        << lines[0];
    // The dropped line still counts.
    EXPECT_EQ(Counters().Snapshot()[kLogInfo], 2);
}

TEST_F(LogFileTest, RawTextIsWrittenAsGivenAndCreatesOneMissingFolder)
{
    CLogFile log;
    log.Init(m_dir / L"one\\raw.log", kLogLevelNormal);
    log.WriteRaw(L"%ls-%d", L"banner", 7);
    log.WriteRaw(L"\n%ls\n", L"next");
    EXPECT_EQ(testenv::ReadFileText(m_dir / L"one\\raw.log"), "banner-7\r\nnext\r\n");

    // Only the log's own folder is created, not a chain.
    log.Init(m_dir / L"two\\levels\\raw.log", kLogLevelNormal);
    log.WriteRaw(L"dropped");
    EXPECT_FALSE(testenv::PathExists(m_dir / L"two"));
    EXPECT_EQ(Counters().Snapshot(), LogCounterValues{}); // raw text is never counted
}

TEST_F(LogFileTest, UnwritableLogDropsLinesWithoutFailing)
{
    // The path names a folder: nothing can be appended, yet every call returns normally.
    ::CreateDirectoryW(m_path.c_str(), nullptr);
    CLogFile log;
    log.Init(m_path, kLogLevelDebug);
    log.WriteLine(kLogError, L"F", L"dropped");
    log.WriteLineNoFunction(kLogWarning, L"dropped %ls", L"too");
    log.WriteRaw(L"dropped");
    EXPECT_EQ(Counters().Snapshot()[0], 1);
    EXPECT_EQ(Counters().Snapshot()[1], 1);
    EXPECT_EQ(log.Delete(), -1);
}

// 8 threads, 500 lines each, long enough to tear if two writes overlapped.
TEST_F(LogFileTest, ConcurrentWritersLoseAndMixNothing)
{
    constexpr int kThreads = 8;
    constexpr int kLines = 500;
    CLogFile log;
    log.Init(m_path, kLogLevelNormal);
    const std::wstring filler(200, L'x');
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            const int kind = t % 2 == 0 ? kLogInfo : kLogWarning;
            for (int i = 0; i < kLines; ++i) {
                if (t == 3) {
                    log.WriteLineNoFunction(kind, L"thread %d, line %d, %ls", t, i, filler.c_str());
                } else {
                    log.WriteLine(kind, L"Worker", L"thread %d line %d %ls", t, i, filler.c_str());
                }
            }
        });
    }
    for (auto& thread : threads) {
        thread.join();
    }

    const std::regex withFunction(kTime +
                                  "\\|(WARNING   |          )\\|Worker {29} \\|thread ([0-9]) line ([0-9]+) x{200}");
    const std::regex noFunction(kTime + "\\|WARNING   \\|NonameFunction {21}\\|thread 3\\| line ([0-9]+)\\| x{200}");
    std::vector<int> next(kThreads, 0);
    const auto lines = testenv::ReadLines(m_path);
    ASSERT_EQ(lines.size(), static_cast<size_t>(kThreads * kLines));
    for (const std::string& line : lines) {
        std::smatch m;
        int thread = 0;
        int number = 0;
        if (std::regex_match(line, m, withFunction)) {
            thread = std::stoi(m[2]);
            number = std::stoi(m[3]);
            EXPECT_EQ(m[1] == "WARNING   ", thread % 2 == 1) << line;
        } else if (std::regex_match(line, m, noFunction)) {
            thread = 3;
            number = std::stoi(m[1]);
        } else {
            ADD_FAILURE() << "torn or mixed line: " << line;
            continue;
        }
        // Each thread's lines arrive in the order it wrote them, none twice.
        EXPECT_EQ(number, next[thread]) << line;
        next[thread] = number + 1;
    }
    for (int t = 0; t < kThreads; ++t) {
        EXPECT_EQ(next[t], kLines) << "thread " << t;
    }
    const LogCounterValues counters = Counters().Snapshot();
    EXPECT_EQ(counters[kLogInfo], 4 * kLines);
    EXPECT_EQ(counters[kLogWarning], 4 * kLines);
}

// The file stays open between lines: what others do with it meanwhile must not cost a line.
TEST_F(LogFileTest, LinesStayWholeAndVisibleWhileOthersAppendAndRename)
{
    CLogFile log;
    log.Init(m_path, kLogLevelNormal);
    log.WriteLine(kLogInfo, L"F", L"one");
    EXPECT_NE(testenv::ReadFileText(m_path).find("|one\r\n"), std::string::npos); // readable at once

    // Someone else appends in between: our next line goes after it, not over it.
    UniqueFileHandle other(::CreateFileW(m_path.c_str(), FILE_APPEND_DATA,
                                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                         FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(other);
    DWORD written = 0;
    ASSERT_TRUE(::WriteFile(other.Get(), "foreign\r\n", 9, &written, nullptr));
    other.Reset();
    log.WriteLine(kLogInfo, L"F", L"two");

    // Support staff rotate the log mid-run: the lines go on in the file they took away.
    const std::wstring rotated = m_dir / L"rotated.log";
    ASSERT_TRUE(::MoveFileW(m_path.c_str(), rotated.c_str()));
    log.WriteLine(kLogInfo, L"F", L"three");

    std::vector<std::string> lines = testenv::ReadLines(rotated);
    if (testenv::PathExists(m_path)) {
        const auto more = testenv::ReadLines(m_path);
        lines.insert(lines.end(), more.begin(), more.end());
    }
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_TRUE(lines[0].size() > 4 && lines[0].substr(lines[0].size() - 4) == "|one") << lines[0];
    EXPECT_EQ(lines[1], "foreign");
    EXPECT_TRUE(lines[2].size() > 4 && lines[2].substr(lines[2].size() - 4) == "|two") << lines[2];
    EXPECT_TRUE(lines[3].size() > 6 && lines[3].substr(lines[3].size() - 6) == "|three") << lines[3];

    // A new path lets the old file go: it can be deleted at once.
    log.Init(m_dir / L"next.log", kLogLevelNormal);
    EXPECT_TRUE(::DeleteFileW(rotated.c_str()));
}

// A writer killed in the middle of its run leaves only whole lines, none missing before the last.
TEST_F(LogFileTest, KilledWriterLeavesOnlyWholeLines)
{
    testenv::BackgroundProcess writer(testenv::BinDir() + L"log_writer.exe", {m_path});
    ASSERT_TRUE(writer.Started());
    for (int wait = 0; wait < 600 && testenv::ReadLines(m_path).size() < 300; ++wait) {
        ::Sleep(50);
    }
    ASSERT_TRUE(::TerminateProcess(writer.Handle(), 9));
    DWORD exitCode = 0;
    ASSERT_TRUE(writer.Wait(10000, exitCode));

    const std::string text = testenv::ReadFileText(m_path);
    ASSERT_GE(text.size(), 2u);
    EXPECT_EQ(text.substr(text.size() - 2), "\r\n"); // the last line is there whole or not at all
    const std::regex whole(kTime + "\\|          \\|Writer {29} \\|line ([0-9]+) x{300}");
    const auto lines = testenv::ReadLines(m_path);
    ASSERT_GE(lines.size(), 300u);
    for (size_t i = 0; i < lines.size(); ++i) {
        std::smatch m;
        ASSERT_TRUE(std::regex_match(lines[i], m, whole)) << lines[i];
        EXPECT_EQ(std::stoul(m[1]), i);
    }
}
