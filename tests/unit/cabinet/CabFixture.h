#pragma once
// Shared set-up of the engine tests: a fresh process context, a package folder for parts named
// "Pack.00n", a target folder, and engines made the way the extraction job makes them.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "TestCabinet.h"
#include "TestEnv.h"
#include "cabinet/CabDecompressor.h"
#include "log/BuildLogFile.h"
#include "settings/WorkerReports.h"
#include "util/ProcessContext.h"
#include "util/StringUtil.h"

// The reports go first: the engine reports into them.
struct EngineReports {
    explicit EngineReports(HWND window) : reports(window) {}
    CWorkerReports reports;
};

// An engine for parts named "Pack.00n" of set 4711, reporting to `window`, with the run's flags and lists.
class TestEngine : private EngineReports, public CCabDecompressor {
public:
    TestEngine(HWND window, int overwriteWithoutPrompting, CabDecoder decoder = CabDecoder::Own, bool multiPart = true,
               std::function<void()> checkpoint = {}, std::vector<std::wstring> protectedFiles = {})
        : EngineReports(window), CCabDecompressor(Options(window, overwriteWithoutPrompting, decoder, multiPart,
                                                          std::move(checkpoint), std::move(protectedFiles)),
                                                  Flags(), Paths(), Log())
    {
    }

    static constexpr uint16_t kSetId = 4711;

private:
    CabEngineOptions Options(HWND window, int overwriteWithoutPrompting, CabDecoder decoder, bool multiPart,
                             std::function<void()> checkpoint, std::vector<std::wstring> protectedFiles)
    {
        CabEngineOptions options;
        options.protectedFiles = std::move(protectedFiles);
        options.window = window;
        options.reports = &reports;
        options.overwriteWithoutPrompting = overwriteWithoutPrompting;
        options.multiPart = multiPart;
        options.partNamePattern = L"Pack.%03d";
        options.setId = kSetId;
        options.checkpoint = std::move(checkpoint);
        options.decoder = decoder;
        return options;
    }
};

class CabFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetProcessContext();
        m_package = m_dir / L"package\\";
        m_target = m_dir / L"target\\";
        ::CreateDirectoryW(m_package.c_str(), nullptr);
        ::CreateDirectoryW(m_target.c_str(), nullptr);
    }
    void TearDown() override { ResetProcessContext(); }

    // Writes the set into the package folder. Returns the part paths.
    std::vector<std::wstring> WriteParts(const std::vector<testcab::File>& files, size_t perCabinet = 0,
                                         testcab::SetOptions options = {})
    {
        options.folder = m_package;
        options.dataPerCabinet = perCabinet;
        if (options.setId == testcab::SetOptions{}.setId) {
            options.setId = kSetId;
        }
        return testcab::WriteSet(options, files);
    }

    std::wstring Target(const std::wstring& relative) const { return m_target + relative; }

    static constexpr uint16_t kSetId = TestEngine::kSetId;
    testenv::ScratchDir m_dir{L"cab"};
    std::wstring m_package;
    std::wstring m_target;
};

inline std::vector<std::wstring> ToVector(const std::list<std::wstring>& list)
{
    return std::vector<std::wstring>(list.begin(), list.end());
}

inline size_t CountNoCase(const std::list<std::wstring>& list, const std::wstring& item)
{
    return static_cast<size_t>(
        std::count_if(list.begin(), list.end(), [&](const std::wstring& x) { return EqualsNoCase(x, item); }));
}

inline FILETIME LastWrite(const std::wstring& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data{};
    ::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data);
    return data.ftLastWriteTime;
}

inline uint64_t Ticks(const FILETIME& time)
{
    return (static_cast<uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

// The stored time of testcab::File as the file system should show it.
inline uint64_t StoredAsUtc(const testcab::File& file, bool utc)
{
    FILETIME stored{};
    FILETIME converted{};
    ::DosDateTimeToFileTime(file.date, file.time, &stored);
    if (utc) {
        return Ticks(stored);
    }
    ::LocalFileTimeToFileTime(&stored, &converted);
    return Ticks(converted);
}
