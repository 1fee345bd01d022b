// CExtractor::ExtractFile on packages made by the writer: every entry layout the reader must handle,
// hostile entries, and the window side of package-data extraction.
#include <gtest/gtest.h>

#include <shlobj.h>

#include <algorithm>
#include <functional>
#include <regex>

#include "PayloadTestUtil.h"
#include "RecordingWindow.h"
#include "log/BuildLogFile.h"
#include "log/LogCounters.h"
#include "settings/Payload.h"
#include "util/ProcessContext.h"
#include "version/VersionInfoUpdater.h"

using namespace payloadtest;

namespace {
constexpr uint32_t kChunk = 5242880;

class PayloadReaderTest : public testing::Test {
protected:
    void SetUp() override
    {
        ResetProcessContext();
        Log().Init(m_log, kLogLevelDebug);
        ::CreateDirectoryW(m_dest.c_str(), nullptr);
    }
    void TearDown() override { ResetProcessContext(); }

    int Extract(int mode, uint32_t offset, uint32_t chunk = kChunk)
    {
        return CExtractor().ExtractFile(m_pkg, m_dest, mode, offset, chunk);
    }
    std::vector<std::string> LogLines() const { return testenv::ReadLines(m_log); }
    // A line of the reader with this label and message.
    bool Logged(const std::string& label, const std::wstring& message) const
    {
        const std::string tail = "|" + label + "|ExtractFile" + std::string(24, ' ') + " |" + Narrow(message);
        for (const std::string& line : LogLines()) {
            if (line.size() > 8 && line.substr(8) == tail) {
                return true;
            }
        }
        return false;
    }
    int LoggedErrors() const
    {
        int errors = 0;
        for (const std::string& line : LogLines()) {
            errors += line.find("|ERROR     |ExtractFile") != std::string::npos ? 1 : 0;
        }
        return errors;
    }

    testenv::ScratchDir m_dir{L"payload"};
    std::wstring m_pkg = m_dir / L"pkg.exe";
    std::wstring m_dest = m_dir / L"dest\\";
    std::wstring m_log = m_dir / L"extract.log";
};

const std::string kInfo = "          ";
const std::string kError = "ERROR     ";
} // namespace

TEST_F(PayloadReaderTest, WriterAndReaderRoundTrip)
{
    const std::wstring source = m_dir / L"Properties_Orlo.ini";
    testenv::WriteUtf16File(source, L"[Package]\r\nName=Round trip\r\n");
    PayloadEntry properties;
    properties.name = L"Properties_Orlo.ini";
    properties.sourcePath = source;
    const auto language = Pattern(5000, 1);
    const auto image = Pattern(300000, 2);
    const auto cabinet = Pattern(200000, 3);
    const uint32_t offset =
        MakePackage(m_pkg, {properties, Entry(L"Default1033.ulf", language), Entry(L"Empty.txt", {}),
                            Entry(L"top.png", image), Entry(L"WebCab1", cabinet, kPayloadPackageEntry)});
    // The writer stamps the stub's size; the reader finds it through the version resource.
    ASSERT_EQ(COrloVersionInfoUpdater().ReadStamp(m_pkg), offset);

    for (uint32_t chunk : {4096u, kChunk, 0u}) {
        SCOPED_TRACE(chunk);
        ResetProcessContext();
        Log().Init(m_log, kLogLevelDebug);
        const std::wstring settings = m_dir / (L"settings" + std::to_wstring(chunk) + L"\\");
        ::CreateDirectoryW(settings.c_str(), nullptr);
        ASSERT_EQ(CExtractor().ExtractFile(m_pkg, settings, kPayloadModeSettings, offset, chunk), 0);
        EXPECT_EQ(Tree(settings),
                  (std::set<std::wstring>{L"Properties_Orlo.ini", L"Default1033.ulf", L"Empty.txt", L"top.png"}));
        EXPECT_EQ(testenv::ReadFileBytes(settings + L"Properties_Orlo.ini"), testenv::ReadFileBytes(source));
        EXPECT_EQ(testenv::ReadFileBytes(settings + L"Default1033.ulf"), language);
        EXPECT_EQ(testenv::ReadFileBytes(settings + L"top.png"), image);
        EXPECT_EQ(FileSize(settings + L"Empty.txt"), 0u);
        EXPECT_EQ(Counters().Snapshot()[0], 0);
    }
    EXPECT_TRUE(Logged(kInfo, L"Extracting file : " + m_dir.Path() + L"settings0\\top.png"));
    EXPECT_TRUE(Logged(kInfo, L"Closing file : " + m_dir.Path() + L"settings0\\top.png"));
    EXPECT_TRUE(Logged(kInfo, L"Reading footer information"));
    EXPECT_FALSE(Logged(kInfo, L"Attached files are extracted")); // stopped at the package data

    ASSERT_EQ(Extract(kPayloadModePackage, offset), 0);
    EXPECT_EQ(Tree(m_dest), std::set<std::wstring>{L"WebCab1"});
    EXPECT_EQ(testenv::ReadFileBytes(m_dest + L"WebCab1"), cabinet);
}

TEST_F(PayloadReaderTest, ModesSkipWhatIsNotTheirs)
{
    // Settings mode stops at the first package-data entry, even when it comes first.
    const uint32_t offset = MakePackage(m_pkg, {});
    std::wstring error;
    ASSERT_EQ(
        CPayloadWriter::AppendEntries(
            m_pkg, {Entry(L"WebCab1", Bytes("cab"), kPayloadPackageEntry), Entry(L"Late.ini", Bytes("x"))}, error),
        0u);
    EXPECT_EQ(Extract(kPayloadModeSettings, offset), 0);
    EXPECT_TRUE(Tree(m_dest).empty());

    // Package mode over settings entries only writes nothing.
    const std::wstring settingsOnly = m_dir / L"settings.exe";
    MakePackage(settingsOnly, {Entry(L"a.ini", Pattern(70000, 4)), Entry(L"b.ulf", Bytes("b"))});
    EXPECT_EQ(CExtractor().ExtractFile(settingsOnly, m_dest, kPayloadModePackage, offset, kChunk), 0);
    EXPECT_TRUE(Tree(m_dest).empty());
}

TEST_F(PayloadReaderTest, WhereThePayloadEnds)
{
    const uint32_t offset = MakePackage(m_pkg, {Entry(L"a.txt", Bytes("abc"))});

    // The last entry ends exactly at the end of the file.
    ASSERT_EQ(Extract(kPayloadModeSettings, offset), 0);
    auto lines = LogLines();
    auto eof = std::find_if(lines.begin(), lines.end(),
                            [](const std::string& l) { return l.find("|Reached EOF : ") != std::string::npos; });
    ASSERT_NE(eof, lines.end());
    EXPECT_EQ(eof->substr(eof->find("|Reached EOF : ")), "|Reached EOF : " + Narrow(m_pkg) + " ");
    ASSERT_NE(eof + 1, lines.end());
    EXPECT_TRUE(std::regex_match(*(eof + 1), std::regex(" FileSize : 76, ActualRead : 0 Last Return code : -?[0-9]+")))
        << *(eof + 1);
    EXPECT_FALSE(Logged(kInfo, L"Attached files are extracted"));

    // A short tail is no entry either.
    AppendBytes(m_pkg, Bytes("0123456789"));
    ASSERT_EQ(Extract(kPayloadModeSettings, offset), 0);
    EXPECT_NE(testenv::ReadFileText(m_log).find("ActualRead : 10 "), std::string::npos);

    // Zero padding (before a signature) is not a marker: the walk ends there.
    const std::wstring behindPadding = m_dir / L"padded.exe";
    MakePackage(behindPadding, {Entry(L"a.txt", Bytes("abc"))});
    AppendBytes(behindPadding, std::vector<uint8_t>(88, 0));
    std::wstring error;
    ASSERT_EQ(CPayloadWriter::AppendEntries(behindPadding, {Entry(L"hidden.txt", Bytes("h"))}, error), 0u);
    EXPECT_EQ(CExtractor().ExtractFile(behindPadding, m_dest, kPayloadModeSettings, offset, kChunk), 0);
    EXPECT_TRUE(Logged(kInfo, L"Attached files are extracted"));
    EXPECT_EQ(Tree(m_dest), std::set<std::wstring>{L"a.txt"});
    EXPECT_EQ(Counters().Snapshot()[0], 0);
}

TEST_F(PayloadReaderTest, OffsetsThatMissThePayloadExtractNothing)
{
    MakePackage(m_pkg, {Entry(L"a.txt", Bytes("abc"))});
    // No stamp: the first bytes are the executable's own header.
    EXPECT_EQ(Extract(kPayloadModeSettings, 0), 0);
    EXPECT_TRUE(Logged(kInfo, L"Attached files are extracted"));
    // A stamp past the end of the file.
    EXPECT_EQ(Extract(kPayloadModeSettings, FileSize(m_pkg) + 1000), 0);
    EXPECT_TRUE(Tree(m_dest).empty());
    EXPECT_EQ(Counters().Snapshot()[0], 0);
}

TEST_F(PayloadReaderTest, ExistingFilesAreOverwrittenAndEmptyEntriesMakeEmptyFiles)
{
    testenv::WriteFileBytes(m_dest + L"a.txt", Pattern(10000, 5));
    testenv::WriteFileBytes(m_dest + L"empty.txt", Pattern(100, 6));
    const uint32_t offset = MakePackage(m_pkg, {Entry(L"a.txt", Bytes("new")), Entry(L"empty.txt", {})});
    ASSERT_EQ(Extract(kPayloadModeSettings, offset), 0);
    EXPECT_EQ(testenv::ReadFileText(m_dest + L"a.txt"), "new");
    EXPECT_TRUE(testenv::PathExists(m_dest + L"empty.txt"));
    EXPECT_EQ(FileSize(m_dest + L"empty.txt"), 0u);
}

TEST_F(PayloadReaderTest, OpenAndCreateFailuresAreLoggedOnce)
{
    const std::wstring missing = m_dir / L"missing.exe";
    EXPECT_EQ(CExtractor().ExtractFile(missing, m_dest, kPayloadModeSettings, 0, kChunk), -1);
    EXPECT_TRUE(Logged(kError, L"Error opening file : " + missing + L" Error code : 2 "));
    EXPECT_EQ(LoggedErrors(), 1);

    const uint32_t offset = MakePackage(m_pkg, {Entry(L"a.txt", Bytes("abc"))});
    const std::wstring noFolder = m_dir / L"no\\folder\\";
    EXPECT_EQ(CExtractor().ExtractFile(m_pkg, noFolder, kPayloadModeSettings, offset, kChunk), -1);
    EXPECT_TRUE(Logged(kError, L"Error creating file : " + noFolder + L"a.txt Error code : 3 "));
    EXPECT_EQ(LoggedErrors(), 2);

    EXPECT_EQ(CExtractor().ExtractFile(m_pkg, L"", kPayloadModeSettings, offset, kChunk), -1);
    EXPECT_TRUE(Logged(kError, L"No destination folder for the attached files"));
    EXPECT_FALSE(testenv::PathExists(testenv::BinDir() + L"a.txt"));
    EXPECT_EQ(Counters().Snapshot()[0], 3);
}

namespace {
std::vector<uint8_t> RawEntry(uint32_t lengthField, const std::vector<uint8_t>& name, const std::vector<uint8_t>& tail)
{
    std::vector<uint8_t> bytes = Marker();
    Put32(bytes, lengthField);
    bytes.insert(bytes.end(), name.begin(), name.end());
    bytes.insert(bytes.end(), tail.begin(), tail.end());
    return bytes;
}

std::vector<uint8_t> SizeTypeData(uint32_t size, uint16_t type, size_t dataBytes)
{
    std::vector<uint8_t> bytes;
    Put32(bytes, size);
    bytes.push_back(static_cast<uint8_t>(type));
    bytes.push_back(static_cast<uint8_t>(type >> 8));
    const auto data = Pattern(dataBytes, 9);
    bytes.insert(bytes.end(), data.begin(), data.end());
    return bytes;
}

std::vector<uint8_t> Named(const std::wstring& name, uint16_t type)
{
    return RawEntry(static_cast<uint32_t>(name.size() * 2), Utf16(name), SizeTypeData(3, type, 3));
}

struct HostileCase {
    const char* what;
    std::function<std::vector<uint8_t>(uint16_t type)> bytes;
    std::wstring message; // empty: the header is cut ("Truncated payload entry at offset : <entry start>")
};

std::vector<HostileCase> HostileCases()
{
    return {
        {"odd name length",
         [](uint16_t t) {
             auto name = Utf16(L"evil");
             name.resize(7);
             return RawEntry(7, name, SizeTypeData(3, t, 3));
         },
         L"Invalid payload entry name length : 7"},
        {"zero name length", [](uint16_t t) { return RawEntry(0, {}, SizeTypeData(3, t, 3)); },
         L"Invalid payload entry name length : 0"},
        {"name length over 1022",
         [](uint16_t t) { return RawEntry(1024, Utf16(std::wstring(512, L'e')), SizeTypeData(3, t, 3)); },
         L"Invalid payload entry name length : 1024"},
        {"huge name length", [](uint16_t t) { return RawEntry(0xFFFFFFF0u, {}, SizeTypeData(3, t, 3)); },
         L"Invalid payload entry name length : 4294967280"},
        {"parent folder", [](uint16_t t) { return Named(L"..\\evil.txt", t); },
         L"Invalid payload entry name : ..\\evil.txt"},
        {"dot dot", [](uint16_t t) { return Named(L"..", t); }, L"Invalid payload entry name : .."},
        {"folder part", [](uint16_t t) { return Named(L"sub\\evil.txt", t); },
         L"Invalid payload entry name : sub\\evil.txt"},
        {"slash", [](uint16_t t) { return Named(L"sub/evil.txt", t); }, L"Invalid payload entry name : sub/evil.txt"},
        {"drive", [](uint16_t t) { return Named(L"D:evil.txt", t); }, L"Invalid payload entry name : D:evil.txt"},
        {"rooted", [](uint16_t t) { return Named(L"\\tarvex-tests\\evil.txt", t); },
         L"Invalid payload entry name : \\tarvex-tests\\evil.txt"},
        {"stream", [](uint16_t t) { return Named(L"first.txt:evil", t); },
         L"Invalid payload entry name : first.txt:evil"},
        {"device", [](uint16_t t) { return Named(L"NUL", t); }, L"Invalid payload entry name : NUL"},
        {"truncated length field",
         [](uint16_t) {
             auto bytes = Marker();
             bytes.push_back(16);
             bytes.push_back(0);
             return bytes;
         },
         L""},
        {"truncated name",
         [](uint16_t) {
             auto name = Utf16(L"evil.txt");
             name.resize(6);
             return RawEntry(16, name, {});
         },
         L""},
        {"truncated before the data size",
         [](uint16_t) {
             return RawEntry(16, Utf16(L"evil.txt"), {1, 0});
         },
         L""},
        {"truncated before the type",
         [](uint16_t) {
             return RawEntry(16, Utf16(L"evil.txt"), {3, 0, 0, 0, 200});
         },
         L""},
        {"data ends before its size",
         [](uint16_t t) { return RawEntry(16, Utf16(L"evil.txt"), SizeTypeData(1000, t, 10)); },
         L"Truncated payload entry : evil.txt Data size : 1000, Available : 10"},
        {"data size of 4 GiB",
         [](uint16_t t) { return RawEntry(16, Utf16(L"evil.txt"), SizeTypeData(0xFFFFFFFFu, t, 10)); },
         L"Truncated payload entry : evil.txt Data size : 4294967295, Available : 10"},
    };
}
} // namespace

// Each hostile entry follows a good one. The good one is written, the hostile one is refused with
// one kind-0 line and -1, and nothing appears anywhere else in the case's folder. Settings mode logs
// to the file, package mode to the window.
TEST_F(PayloadReaderTest, HostileEntriesAreRefused)
{
    int index = 0;
    for (const int mode : {kPayloadModeSettings, kPayloadModePackage}) {
        const uint16_t type = static_cast<uint16_t>(mode);
        for (const HostileCase& c : HostileCases()) {
            SCOPED_TRACE(testing::Message() << c.what << ", mode " << mode);
            const std::wstring caseDir = m_dir / (L"case" + std::to_wstring(++index) + L"\\");
            const std::wstring deeper = caseDir + L"out\\deeper\\";
            ASSERT_EQ(::SHCreateDirectoryExW(nullptr, deeper.c_str(), nullptr), ERROR_SUCCESS);
            const std::wstring pkg = caseDir + L"pkg.exe";
            const uint32_t offset = MakePackage(pkg, {Entry(L"first.txt", Bytes("good"), type)});
            const uint32_t entryStart = FileSize(pkg);
            AppendBytes(pkg, c.bytes(type));
            const std::wstring expected =
                c.message.empty() ? L"Truncated payload entry at offset : " + std::to_wstring(entryStart) : c.message;

            ResetProcessContext();
            const std::wstring log = m_dir / (L"case" + std::to_wstring(index) + L".log");
            Log().Init(log, kLogLevelDebug);
            if (mode == kPayloadModeSettings) {
                EXPECT_EQ(CExtractor().ExtractFile(pkg, deeper, mode, offset, kChunk), -1);
                std::vector<std::string> errors;
                for (const std::string& line : testenv::ReadLines(log)) {
                    if (line.find("|ERROR     |ExtractFile") != std::string::npos) {
                        errors.push_back(line.substr(57)); // after time, label and function column
                    }
                }
                EXPECT_EQ(errors, std::vector<std::string>{Narrow(expected)});
                EXPECT_EQ(Counters().Snapshot()[0], 1);
            } else {
                RecordingWindow window;
                EXPECT_EQ(CExtractor(window.Handle(), 0).ExtractFile(pkg, deeper, mode, offset, kChunk), -1);
                ASSERT_EQ(window.ErrorCount(), 1);
                EXPECT_EQ(window.lines.back().kind, 0);
                EXPECT_EQ(window.lines.back().argument, expected);
            }
            EXPECT_EQ(Tree(caseDir),
                      (std::set<std::wstring>{L"pkg.exe", L"out\\", L"out\\deeper\\", L"out\\deeper\\first.txt"}));
            EXPECT_EQ(testenv::ReadFileText(deeper + L"first.txt"), "good");
        }
    }
    EXPECT_FALSE(testenv::PathExists(L"D:\\tarvex-tests\\evil.txt"));
    EXPECT_FALSE(testenv::PathExists(L"D:\\evil.txt"));
}

TEST_F(PayloadReaderTest, PackageModeReportsToTheWindow)
{
    const auto cabinet = Pattern(100000, 7);
    const uint32_t offset = MakePackage(
        m_pkg, {Entry(L"Properties_Orlo.ini", Pattern(3000, 8)), Entry(L"WebCab1", cabinet, kPayloadPackageEntry)});
    // One step per hundredth of the package data, whatever the chunk size.
    for (uint32_t chunk : {1000u, 4096u, 65536u, kChunk}) {
        SCOPED_TRACE(chunk);
        RecordingWindow window;
        CExtractor extractor(window.Handle(), static_cast<int32_t>(offset + cabinet.size()));
        ASSERT_EQ(extractor.ExtractFile(m_pkg, m_dest, kPayloadModePackage, offset, chunk), 0);
        EXPECT_EQ(window.Progress(), 100);
        EXPECT_EQ(testenv::ReadFileBytes(m_dest + L"WebCab1"), cabinet);
        EXPECT_EQ(Tree(m_dest), std::set<std::wstring>{L"WebCab1"});

        std::vector<std::wstring> texts;
        for (const ExtractLogRecord& line : window.lines) {
            EXPECT_EQ(line.function, L"ExtractFile");
            EXPECT_EQ(line.format, L"%ls");
            texts.push_back(line.argument);
        }
        ASSERT_EQ(texts.size(), 6u);
        EXPECT_EQ(texts[0], L"Reading footer information");
        EXPECT_EQ(window.lines[0].kind, kLogDetail);
        EXPECT_EQ(texts[1], L"Reading footer information"); // the settings entry is skipped silently
        EXPECT_EQ(texts[2], L"Extracting file : " + m_dest + L"WebCab1");
        EXPECT_EQ(window.lines[2].kind, kLogInfo);
        EXPECT_EQ(texts[3], L"Closing file : " + m_dest + L"WebCab1");
        EXPECT_EQ(texts[4], L"Reading footer information");
        EXPECT_EQ(texts[5].rfind(L"Reached EOF : " + m_pkg + L" \n FileSize : 76, ActualRead : 0", 0), 0u);
    }
    // Package mode never writes the log file itself: the window does.
    EXPECT_FALSE(testenv::PathExists(m_log));
    EXPECT_EQ(Counters().Snapshot(), LogCounterValues{});
}

TEST_F(PayloadReaderTest, CancelFromTheWindowStopsTheCopy)
{
    const uint32_t offset = MakePackage(m_pkg, {Entry(L"WebCab1", Pattern(50000, 1), kPayloadPackageEntry),
                                                Entry(L"WebCab2", Pattern(50000, 2), kPayloadPackageEntry)});
    RecordingWindow window;
    window.cancelOn = L"Extracting file";
    EXPECT_EQ(CExtractor(window.Handle(), 0).ExtractFile(m_pkg, m_dest, kPayloadModePackage, offset, 4096), -1);
    EXPECT_EQ(Flags().PayloadCancel.load(), 0); // the reader clears the flag it acted on
    EXPECT_FALSE(testenv::PathExists(m_dest + L"WebCab2"));
    for (const ExtractLogRecord& line : window.lines) {
        EXPECT_EQ(line.argument.find(L"Closing file"), std::wstring::npos);
    }
}

TEST_F(PayloadReaderTest, NothingIsLoggedOnceTheWindowIsGone)
{
    const uint32_t offset = MakePackage(m_pkg, {Entry(L"WebCab1", Pattern(5000, 1), kPayloadPackageEntry)});
    RecordingWindow window;
    const HWND gone = window.Handle();
    window.Destroy();
    EXPECT_EQ(CExtractor(gone, 100000).ExtractFile(m_pkg, m_dest, kPayloadModePackage, offset, kChunk), 0);
    EXPECT_EQ(testenv::ReadFileBytes(m_dest + L"WebCab1"), Pattern(5000, 1));
    EXPECT_TRUE(window.lines.empty());
    EXPECT_FALSE(testenv::PathExists(m_log));
}
