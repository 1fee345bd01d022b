// Extraction of cabinet sets by the engine, against the real cabinet library.
#include <windows.h>

#include "CabFixture.h"
#include "RecordingWindow.h"
#include "settings/WindowMessages.h"
#include "util/Util.h"

#include <cstdlib>

namespace {

std::vector<testcab::File> SpanningFiles()
{
    // 64 KiB of file data per part: b spans parts 1-2, c spans 2-3, d spans 3-5.
    return {testcab::MakeFile("\\a.bin", 10 * 1024, 1),  testcab::MakeFile("\\b.bin", 100 * 1024, 2),
            testcab::MakeFile("\\c.txt", 20 * 1024, 3),  testcab::MakeFile("\\sub\\d.bin", 150 * 1024, 4),
            testcab::MakeFile("\\sub\\empty.dat", 0, 5), testcab::MakeFile("\\sub\\deep\\f.bin", 5 * 1024, 6)};
}

std::wstring Relative(const std::string& stored)
{
    return Utf8ToWide(stored.substr(1));
}

TEST_F(CabFixture, MultiPartSetWithSpanningFilesIsExtractedOnceByteForByte)
{
    const auto files = SpanningFiles();
    const auto parts = WriteParts(files, 64 * 1024);
    ASSERT_EQ(parts.size(), 5u);
    testenv::RecordingWindow window;

    TestEngine engine(window.Handle(), 0);
    EXPECT_EQ(engine.ExtractCabinet(parts[0], m_target), 0);
    EXPECT_EQ(engine.GetErrorText(), L"Success");
    EXPECT_EQ(engine.GetErrorCode(), 0);

    for (const auto& file : files) {
        const std::wstring path = Target(Relative(file.storedName));
        EXPECT_EQ(testenv::ReadFileBytes(path), file.data) << path;
        EXPECT_EQ(CountNoCase(Paths().ExtractedFiles, path), 1u) << path;
        EXPECT_EQ(CountNoCase(Paths().PackageFiles, path), 1u) << path;
    }
    size_t progress = 0;
    for (const auto& event : window.Events()) {
        progress += event.message == UM_PROGRESS && event.wParam == 1 ? 1 : 0;
    }
    EXPECT_EQ(progress, files.size());
}

TEST_F(CabFixture, FileOfferedAgainLaterInTheChainIsNotAskedAboutOrRewritten)
{
    // The same name in parts 1 and 3: the second offer comes after this run wrote the file.
    auto first = testcab::MakeFile("\\same.txt", 30 * 1024, 1);
    auto again = testcab::MakeFile("\\same.txt", 30 * 1024, 2);
    const auto parts = WriteParts({first, testcab::MakeFile("\\middle.bin", 100 * 1024, 3), again}, 64 * 1024);
    ASSERT_EQ(parts.size(), 3u);
    testenv::RecordingWindow window;
    window.ScriptAnswers({kOverwriteYes});
    TestEngine engine(window.Handle(), 0);
    EXPECT_EQ(engine.ExtractCabinet(parts[0], m_target), 0);
    for (const auto& event : window.Events()) {
        EXPECT_NE(event.message, UM_ASK_OVERWRITE);
    }
    EXPECT_EQ(testenv::ReadFileBytes(Target(L"same.txt")), first.data);
    EXPECT_EQ(CountNoCase(Paths().ExtractedFiles, Target(L"same.txt")), 1u);
    EXPECT_EQ(CountNoCase(Paths().PackageFiles, Target(L"same.txt")), 1u);
}

TEST_F(CabFixture, PartsUnderAnotherBaseNameThanRecordedStillChain)
{
    // Shorter and longer recorded names than "Pack": the library is pointed at Pack.00n either way.
    for (const char* recorded : {"X", "AMuchLongerRecordedBaseName"}) {
        SCOPED_TRACE(recorded);
        ResetProcessContext();
        SetUp();
        testcab::SetOptions options;
        options.recordedBase = recorded;
        const auto files = SpanningFiles();
        const auto parts = WriteParts(files, 64 * 1024, options);

        TestEngine engine(nullptr, 0);
        EXPECT_EQ(engine.ExtractCabinet(parts[0], m_target), 0);
        EXPECT_EQ(engine.GetErrorText(), L"Success");
        for (const auto& file : files) {
            EXPECT_EQ(testenv::ReadFileBytes(Target(Relative(file.storedName))), file.data) << file.storedName;
        }
    }
}

TEST_F(CabFixture, SingleCabinetWithoutRenaming)
{
    testcab::SetOptions options;
    options.folder = m_dir.Path();
    options.singleName = L"WebCab1";
    const auto files = SpanningFiles();
    const auto parts = testcab::WriteSet(options, files);
    TestEngine engine(nullptr, 0, CabDecoder::Own, false);
    EXPECT_EQ(engine.ExtractCabinet(parts[0], m_target), 0);
    EXPECT_EQ(engine.GetErrorText(), L"Success");
    for (const auto& file : files) {
        EXPECT_EQ(testenv::ReadFileBytes(Target(Relative(file.storedName))), file.data);
    }
}

TEST_F(CabFixture, CabinetMagicInsteadOfProductMagicIsRefused)
{
    testcab::SetOptions plain;
    plain.productMagic = false;
    const auto parts = WriteParts({testcab::MakeFile("\\a.bin", 100, 1)}, 0, plain);
    TestEngine engine(nullptr, 0);
    EXPECT_NE(engine.ExtractCabinet(parts[0], m_target), 0);
    EXPECT_EQ(engine.GetErrorText(), L"The file is not a cabinet");
    EXPECT_EQ(engine.GetErrorCode(), 2);
    EXPECT_FALSE(testenv::PathExists(Target(L"a.bin")));

    FDICABINETINFO info{};
    EXPECT_FALSE(engine.IsCabinet(parts[0], info));
    EXPECT_EQ(engine.GetCabinetSetId(parts[0]), 0xFFFF);
}

// Reads through the engine's own file operations.
class ReadProbe : public TestEngine {
public:
    ReadProbe() : TestEngine(nullptr, 0) {}
    using CCabDecompressor::Close;
    using CCabDecompressor::Read;
    using CCabDecompressor::Seek;
    using CCabDecompressor::TrackedOpen;
};

TEST_F(CabFixture, MagicIsCheckedOnReadsAtPositionZeroOnly)
{
    const auto parts = WriteParts({testcab::MakeFile("\\a.bin", 100, 1)});
    ReadProbe probe;
    const INT_PTR handle = probe.TrackedOpen(parts[0], 0x8000, 0x100);
    ASSERT_NE(handle, -1);
    char bytes[8] = {};
    // A read of fewer than four bytes at the start passes unchecked and unchanged...
    EXPECT_EQ(probe.Read(handle, bytes, 2), 2u);
    EXPECT_EQ(std::string(bytes, 2), "OR");
    // ...and so does the rest, which no longer starts at position 0.
    EXPECT_EQ(probe.Read(handle, bytes, 4), 4u);
    EXPECT_EQ(std::string(bytes, 2), "LO");
    // A full read at the start is checked and the magic turned into the cabinet magic.
    EXPECT_EQ(probe.Seek(handle, 0, SEEK_SET), 0);
    EXPECT_EQ(probe.Read(handle, bytes, 8), 8u);
    EXPECT_EQ(std::string(bytes, 4), "MSCF");
    EXPECT_EQ(probe.GetErrorText(), L"Success");
    probe.Close(handle);

    testcab::SetOptions plain;
    plain.productMagic = false;
    plain.baseName = L"Plain";
    const auto cabinet = testcab::WriteSet(
        [&] {
            plain.folder = m_package;
            return plain;
        }(),
        {testcab::MakeFile("\\a.bin", 100, 1)});
    const INT_PTR other = probe.TrackedOpen(cabinet[0], 0x8000, 0x100);
    EXPECT_EQ(probe.Read(other, bytes, 2), 2u); // short: unchecked
    EXPECT_EQ(probe.Seek(other, 0, SEEK_SET), 0);
    EXPECT_EQ(probe.Read(other, bytes, 4), static_cast<UINT>(-1));
    probe.Close(other);
    EXPECT_EQ(probe.GetErrorText(), L"The file is not a cabinet");
}

TEST_F(CabFixture, TargetPathOf260CharactersIsWrittenAnd261Fails)
{
    const size_t room = 260 - m_target.size(); // characters after the target folder
    for (const size_t length : {room, room + 1}) {
        SCOPED_TRACE(length);
        ResetProcessContext();
        SetUp();
        // A 100-character folder and a file name filling the rest.
        const std::string folder(100, 'd');
        const std::string file(length - folder.size() - 1, 'f');
        const auto parts = WriteParts({testcab::MakeFile("\\" + folder + "\\" + file, 1000, 7)});
        const std::wstring target = Target(Utf8ToWide(folder + "\\" + file));
        ASSERT_EQ(target.size(), m_target.size() + length);

        TestEngine engine(nullptr, 0);
        engine.ExtractCabinet(parts[0], m_target);
        if (target.size() == 260) {
            EXPECT_EQ(engine.GetErrorText(), L"Success");
            EXPECT_EQ(testenv::ReadFileBytes(L"\\\\?\\" + target).size(), 1000u);
        } else {
            EXPECT_EQ(engine.GetErrorText(), L"The path is too long. (Max 260 characters are allowed).");
            EXPECT_EQ(engine.GetErrorCode(), 1005);
            EXPECT_EQ(::GetFileAttributesW((L"\\\\?\\" + target).c_str()), INVALID_FILE_ATTRIBUTES);
        }
    }
}

TEST_F(CabFixture, StoredNamesOutsideTheTargetFolderAreRefused)
{
    const char* hostile[] = {"\\..\\evil.txt",    "..\\evil.txt", "\\sub\\..\\..\\evil.txt",
                             "\\C:\\evil.txt",    "C:\\evil.txt", "\\\\server\\share\\evil.txt",
                             "\\evil.txt:stream", "/../evil.txt", "\\sub/../../evil.txt",
                             "\\... \\evil.txt"};
    for (const char* name : hostile) {
        SCOPED_TRACE(name);
        ResetProcessContext();
        SetUp();
        const auto parts = WriteParts({testcab::MakeFile("\\good.txt", 10, 1), testcab::MakeFile(name, 10, 2),
                                       testcab::MakeFile("\\after.txt", 10, 3)});
        testenv::RecordingWindow window;
        TestEngine engine(window.Handle(), 1);
        EXPECT_NE(engine.ExtractCabinet(parts[0], m_target), 0);
        EXPECT_EQ(engine.GetErrorText(), L"The cabinet holds a file name outside the extraction folder");
        EXPECT_EQ(engine.GetErrorCode(), 1012);

        // Nothing beside or above the target folder, nothing after the refused entry.
        EXPECT_FALSE(testenv::PathExists(m_dir / L"evil.txt"));
        EXPECT_FALSE(testenv::PathExists(m_dir / L"package\\evil.txt"));
        EXPECT_FALSE(testenv::PathExists(L"D:\\tarvex-tests\\evil.txt"));
        EXPECT_FALSE(testenv::PathExists(L"D:\\evil.txt"));
        EXPECT_FALSE(testenv::PathExists(L"C:\\evil.txt"));
        EXPECT_TRUE(testenv::PathExists(Target(L"good.txt")));
        EXPECT_FALSE(testenv::PathExists(Target(L"after.txt")));

        bool logged = false;
        for (const auto& event : window.Events()) {
            logged |= event.message == UM_LOG_REQUEST && event.logKind == 0 &&
                      event.logText.find(L"outside the extraction folder refused") != std::wstring::npos;
        }
        EXPECT_TRUE(logged);
    }
}

TEST_F(CabFixture, NameWithoutLeadingBackslashLandsInsideTheTargetFolder)
{
    const auto parts = WriteParts({testcab::MakeFile("plain.txt", 10, 1), testcab::MakeFile("sub/x.txt", 10, 2)});
    TestEngine engine(nullptr, 0);
    EXPECT_EQ(engine.ExtractCabinet(parts[0], m_target), 0);
    EXPECT_TRUE(testenv::PathExists(Target(L"plain.txt")));
    EXPECT_TRUE(testenv::PathExists(Target(L"sub\\x.txt")));
    std::wstring beside = m_target;
    beside.pop_back();
    EXPECT_FALSE(testenv::PathExists(beside + L"plain.txt"));
}

TEST_F(CabFixture, StoredAttributesAreApplied)
{
    const struct {
        const char* name;
        uint16_t attributes;
    } cases[] = {{"\\ro.txt", 0x01},  {"\\hidden.txt", 0x02}, {"\\system.txt", 0x04},     {"\\archive.txt", 0x20},
                 {"\\all.txt", 0x27}, {"\\none.txt", 0x00},   {"\\exec.txt", 0x40 | 0x20}};
    std::vector<testcab::File> files;
    for (const auto& c : cases) {
        auto file = testcab::MakeFile(c.name, 64, 1);
        file.attributes = c.attributes;
        files.push_back(file);
    }
    const auto parts = WriteParts(files);
    TestEngine engine(nullptr, 0);
    ASSERT_EQ(engine.ExtractCabinet(parts[0], m_target), 0);
    for (const auto& c : cases) {
        const DWORD attributes = ::GetFileAttributesW(Target(Utf8ToWide(c.name + 1)).c_str());
        ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES) << c.name;
        EXPECT_EQ(attributes & 0x07, c.attributes & 0x07u) << c.name;
        // Wine reports the archive bit on every file; Windows keeps exactly the stored one.
        if ((c.attributes & 0x20) != 0) {
            EXPECT_NE(attributes & 0x20, 0u) << c.name;
        }
    }
}

TEST_F(CabFixture, Utf8AndByteWiseNamesAreDecoded)
{
    auto utf8 = testcab::MakeFile("\\\xC3\x9C"
                                  "bung\\\xE2\x82\xAC \xE6\x97\xA5\xE6\x9C\xAC.txt",
                                  10, 1);
    utf8.attributes = 0x80 | 0x20;
    auto bytes = testcab::MakeFile("\\caf\xE9.txt", 10, 2);
    auto lookalike = testcab::MakeFile("\\\xC3\xA9.txt", 10, 3); // UTF-8 bytes without the mark
    const auto parts = WriteParts({utf8, bytes, lookalike});
    TestEngine engine(nullptr, 0);
    ASSERT_EQ(engine.ExtractCabinet(parts[0], m_target), 0);
    EXPECT_EQ(testenv::ReadFileBytes(Target(L"\x00DC"
                                            L"bung\\\x20AC \x65E5\x672C.txt")),
              utf8.data);
    EXPECT_EQ(testenv::ReadFileBytes(Target(L"caf\x00E9.txt")), bytes.data);
    EXPECT_EQ(testenv::ReadFileBytes(Target(L"\x00C3\x00A9.txt")), lookalike.data);
}

TEST_F(CabFixture, NextPartMissingMidFileFailsWithCode1AndRemovesTheHalfFile)
{
    const auto files = SpanningFiles();
    const auto parts = WriteParts(files, 64 * 1024);
    ASSERT_TRUE(::DeleteFileW(parts[1].c_str()));
    TestEngine engine(nullptr, 0);
    EXPECT_NE(engine.ExtractCabinet(parts[0], m_target), 0);
    EXPECT_EQ(engine.GetErrorText(), L"Cabinet file (or part of splitted CAB) not found");
    EXPECT_EQ(engine.GetErrorCode(), 1);
    EXPECT_TRUE(EqualsNoCase(engine.GetNextCabinetName(), L"Pack.002"));
    EXPECT_EQ(testenv::ReadFileBytes(Target(L"a.bin")), files[0].data);
    EXPECT_FALSE(testenv::PathExists(Target(L"b.bin"))); // the file that ran into the missing part
}

TEST_F(CabFixture, FullDiskStopsWithCode8AndRemovesTheHalfFile)
{
    if (!testenv::SmallDriveMounted()) {
        GTEST_SKIP() << "the small tmpfs drive E: is not mounted (TARVEX_SMALL_DRIVE is not \"yes\")";
    }
    const std::wstring target = L"E:\\cab-full-" + CUtil::NewGuidString() + L"\\";
    const auto parts =
        WriteParts({testcab::MakeFile("\\small.bin", 1000, 1), testcab::MakeFile("\\big.bin", 2 * 1024 * 1024, 2),
                    testcab::MakeFile("\\later.bin", 1000, 3)});
    TestEngine engine(nullptr, 1);
    EXPECT_NE(engine.ExtractCabinet(parts[0], target), 0);
    EXPECT_EQ(engine.GetErrorText(), L"Failure writing to target file");
    EXPECT_EQ(engine.GetErrorCode(), 8);
    EXPECT_EQ(engine.GetWin32Error(), 0u);
    EXPECT_TRUE(testenv::PathExists(target + L"small.bin"));
    EXPECT_FALSE(testenv::PathExists(target + L"big.bin"));
    EXPECT_FALSE(testenv::PathExists(target + L"later.bin"));
    CUtil::RemoveTree(target.substr(0, target.size() - 1));
}

TEST_F(CabFixture, PathListsHoldWhatWasTouchedNewestFirst)
{
    // An existing file the user keeps, and folders of which one existed before.
    ::CreateDirectoryW(Target(L"old").c_str(), nullptr);
    testenv::WriteFileBytes(Target(L"old\\kept.txt"), {1, 2, 3});
    const auto parts =
        WriteParts({testcab::MakeFile("\\top.txt", 10, 1), testcab::MakeFile("\\old\\kept.txt", 10, 2),
                    testcab::MakeFile("\\a\\b\\c\\deep.txt", 10, 3), testcab::MakeFile("\\a\\side.txt", 10, 4)});
    testenv::RecordingWindow window;
    window.ScriptAnswers({kOverwriteNo});
    TestEngine engine(window.Handle(), 0);
    ASSERT_EQ(engine.ExtractCabinet(parts[0], m_target), 0);

    EXPECT_EQ(ToVector(Paths().ExtractedFiles),
              (std::vector<std::wstring>{Target(L"a\\side.txt"), Target(L"a\\b\\c\\deep.txt"), Target(L"top.txt")}));
    EXPECT_EQ(ToVector(Paths().PackageFiles),
              (std::vector<std::wstring>{Target(L"a\\side.txt"), Target(L"a\\b\\c\\deep.txt"), Target(L"old\\kept.txt"),
                                         Target(L"top.txt")}));
    std::wstring root = m_target;
    root.pop_back();
    EXPECT_EQ(ToVector(Paths().FolderChain),
              (std::vector<std::wstring>{root + L"\\a", root + L"\\a\\b", root + L"\\a\\b\\c", root + L"\\old"}));
    EXPECT_EQ(ToVector(Paths().CreatedFolders),
              (std::vector<std::wstring>{root + L"\\a\\b\\c", root + L"\\a\\b", root + L"\\a"}));
    EXPECT_EQ(testenv::ReadFileBytes(Target(L"old\\kept.txt")), (std::vector<uint8_t>{1, 2, 3}));
}

TEST_F(CabFixture, WithoutAWindowNothingIsSentAndExtractionWorks)
{
    const auto files = SpanningFiles();
    const auto parts = WriteParts(files, 64 * 1024);
    testenv::RecordingWindow window;
    window.Destroy(); // a handle that no longer names a window
    TestEngine engine(window.Handle(), 0);
    EXPECT_EQ(engine.ExtractCabinet(parts[0], m_target), 0);
    EXPECT_TRUE(window.Events().empty());
    EXPECT_EQ(Paths().ExtractedFiles.size(), files.size());
}

} // namespace
