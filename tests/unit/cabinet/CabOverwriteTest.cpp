// The overwrite policy (silent replace, each prompt answer), cancelling mid-set, and stored times.
#include <windows.h>

#include "CabFixture.h"
#include "RecordingWindow.h"
#include "settings/WindowMessages.h"

namespace {

class CabOverwrite : public CabFixture {
protected:
    // Four files of which the first three exist already with other content.
    void Prepare()
    {
        m_files = {testcab::MakeFile("\\one.txt", 100, 1), testcab::MakeFile("\\two.txt", 100, 2),
                   testcab::MakeFile("\\three.txt", 100, 3), testcab::MakeFile("\\new.txt", 100, 4)};
        for (const wchar_t* name : {L"one.txt", L"two.txt", L"three.txt"}) {
            testenv::WriteFileBytes(Target(name), {9, 9, 9});
        }
        m_parts = WriteParts(m_files);
    }
    int Run(HWND window, int overwriteWithoutPrompting)
    {
        TestEngine engine(window, overwriteWithoutPrompting);
        engine.ExtractCabinet(m_parts[0], m_target);
        m_text = engine.GetErrorText();
        return engine.GetErrorCode();
    }
    bool Replaced(const wchar_t* name, size_t index) const
    {
        return testenv::ReadFileBytes(Target(name)) == m_files[index].data;
    }
    static std::vector<std::wstring> Asked(const testenv::RecordingWindow& window)
    {
        std::vector<std::wstring> asked;
        for (const auto& event : window.Events()) {
            if (event.message == UM_ASK_OVERWRITE) {
                asked.push_back(event.askedFile);
            }
        }
        return asked;
    }

    std::vector<testcab::File> m_files;
    std::vector<std::wstring> m_parts;
    std::wstring m_text;
};

TEST_F(CabOverwrite, WithoutPromptingExistingFilesAreReplacedSilently)
{
    Prepare();
    ::SetFileAttributesW(Target(L"two.txt").c_str(), FILE_ATTRIBUTE_READONLY); // deletion fails, open resets it
    testenv::RecordingWindow window;
    EXPECT_EQ(Run(window.Handle(), 1), 0);
    EXPECT_TRUE(Asked(window).empty());
    for (size_t i = 0; i < m_files.size(); ++i) {
        EXPECT_EQ(testenv::ReadFileBytes(Target(Utf8ToWide(m_files[i].storedName.substr(1)))), m_files[i].data);
    }
    EXPECT_EQ(::GetFileAttributesW(Target(L"two.txt").c_str()) & FILE_ATTRIBUTE_READONLY, 0u);
    const auto texts = window.LogTexts();
    EXPECT_NE(std::find(texts.begin(), texts.end(), L"Deleting file : " + Target(L"one.txt")), texts.end());
    EXPECT_NE(std::find(texts.begin(), texts.end(), L"Extracting file : " + Target(L"new.txt")), texts.end());
    EXPECT_EQ(Paths().ExtractedFiles.size(), 4u);
}

TEST_F(CabOverwrite, YesReplacesKeepsTheWriteTimeAndAsksAgain)
{
    Prepare();
    testenv::RecordingWindow window;
    window.ScriptAnswers({kOverwriteYes, kOverwriteNo, kOverwriteYes});
    EXPECT_EQ(Run(window.Handle(), 0), 0);
    EXPECT_EQ(Asked(window), (std::vector<std::wstring>{L"one.txt", L"two.txt", L"three.txt"}));
    EXPECT_TRUE(Replaced(L"one.txt", 0));
    EXPECT_EQ(testenv::ReadFileBytes(Target(L"two.txt")), (std::vector<uint8_t>{9, 9, 9}));
    EXPECT_TRUE(Replaced(L"three.txt", 2));
    // A replaced file keeps the time it was written; a new one gets its stored time.
    EXPECT_NE(Ticks(LastWrite(Target(L"one.txt"))), StoredAsUtc(m_files[0], false));
    EXPECT_EQ(Ticks(LastWrite(Target(L"new.txt"))), StoredAsUtc(m_files[3], false));
    EXPECT_EQ(ToVector(Paths().ExtractedFiles),
              (std::vector<std::wstring>{Target(L"new.txt"), Target(L"three.txt"), Target(L"one.txt")}));
    EXPECT_EQ(Flags().OverwriteForAll.load(), 0);
    const auto texts = window.LogTexts();
    EXPECT_NE(std::find(texts.begin(), texts.end(), L"Extracing file : " + Target(L"one.txt")), texts.end());
    EXPECT_NE(std::find(texts.begin(), texts.end(),
                        L"File already exists : " + Target(L"two.txt") + L". No action required."),
              texts.end());
}

TEST_F(CabOverwrite, YesToAllAsksOnceAndReplacesEveryFile)
{
    Prepare();
    ::SetFileAttributesW(Target(L"three.txt").c_str(), FILE_ATTRIBUTE_READONLY);
    testenv::RecordingWindow window;
    window.ScriptAnswers({kOverwriteYesToAll});
    EXPECT_EQ(Run(window.Handle(), 0), 0);
    EXPECT_EQ(Asked(window), (std::vector<std::wstring>{L"one.txt"}));
    EXPECT_TRUE(Replaced(L"one.txt", 0));
    EXPECT_TRUE(Replaced(L"two.txt", 1));
    EXPECT_TRUE(Replaced(L"three.txt", 2));
    EXPECT_EQ(Flags().OverwriteForAll.load(), 1);
}

TEST_F(CabOverwrite, NoToAllSkipsEveryExistingFileAndListsItAsPackageFileOnly)
{
    Prepare();
    testenv::RecordingWindow window;
    window.ScriptAnswers({kOverwriteNo, kOverwriteNoToAll});
    EXPECT_EQ(Run(window.Handle(), 0), 0);
    EXPECT_EQ(Asked(window), (std::vector<std::wstring>{L"one.txt", L"two.txt"}));
    for (const wchar_t* name : {L"one.txt", L"two.txt", L"three.txt"}) {
        EXPECT_EQ(testenv::ReadFileBytes(Target(name)), (std::vector<uint8_t>{9, 9, 9})) << name;
    }
    EXPECT_TRUE(Replaced(L"new.txt", 3));
    EXPECT_EQ(ToVector(Paths().ExtractedFiles), (std::vector<std::wstring>{Target(L"new.txt")}));
    EXPECT_EQ(ToVector(Paths().PackageFiles), (std::vector<std::wstring>{Target(L"new.txt"), Target(L"three.txt"),
                                                                         Target(L"two.txt"), Target(L"one.txt")}));
    // What the user kept is recorded apart, so that the cleanup leaves it alone.
    EXPECT_EQ(ToVector(Paths().KeptFiles),
              (std::vector<std::wstring>{Target(L"three.txt"), Target(L"two.txt"), Target(L"one.txt")}));
}

TEST_F(CabOverwrite, CancelStopsWithCode11)
{
    Prepare();
    testenv::RecordingWindow window;
    window.ScriptAnswers({kOverwriteYes, kOverwriteCancel});
    EXPECT_EQ(Run(window.Handle(), 0), 11);
    EXPECT_EQ(m_text, L"User aborted extraction");
    EXPECT_TRUE(Replaced(L"one.txt", 0));
    EXPECT_EQ(testenv::ReadFileBytes(Target(L"two.txt")), (std::vector<uint8_t>{9, 9, 9}));
    EXPECT_FALSE(testenv::PathExists(Target(L"new.txt")));
}

class StubbornAttributes : public TestEngine {
public:
    using TestEngine::TestEngine;

protected:
    DWORD ClearReadOnlyAttribute(const std::wstring&) override { return ERROR_ACCESS_DENIED; }
};

TEST_F(CabOverwrite, ReadOnlyAttributeThatCannotBeClearedFailsWith1011)
{
    Prepare();
    testenv::RecordingWindow window;
    window.ScriptAnswers({kOverwriteYes});
    StubbornAttributes engine(window.Handle(), 0);
    engine.ExtractCabinet(m_parts[0], m_target);
    EXPECT_EQ(engine.GetErrorText(), L"Could not remove attributes of the file");
    EXPECT_EQ(engine.GetErrorCode(), 1011);
    EXPECT_EQ(testenv::ReadFileBytes(Target(L"one.txt")), (std::vector<uint8_t>{9, 9, 9}));
    const auto texts = window.LogTexts();
    EXPECT_NE(std::find(texts.begin(), texts.end(), L"Error Code : 5"), texts.end());
}

TEST_F(CabOverwrite, FileInUseCannotBeReplacedAndReportsTheWin32Error)
{
    Prepare();
    // Held open without sharing: it can be neither deleted nor opened.
    UniqueFileHandle holder(
        ::CreateFileW(Target(L"two.txt").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(holder);
    testenv::RecordingWindow window;
    window.ScriptAnswers({kOverwriteYes, kOverwriteYes});
    TestEngine engine(window.Handle(), 0);
    engine.ExtractCabinet(m_parts[0], m_target);
    engine.GetErrorText();
    EXPECT_EQ(engine.GetErrorCode(), 11);
    EXPECT_EQ(engine.GetWin32Error(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    EXPECT_EQ(Flags().CurrentFileName, L"two.txt");
}

TEST_F(CabOverwrite, ClearedContinueFlagStopsBeforeTheNextFile)
{
    const auto files =
        std::vector<testcab::File>{testcab::MakeFile("\\1.bin", 100, 1), testcab::MakeFile("\\2.bin", 100, 2),
                                   testcab::MakeFile("\\3.bin", 100, 3), testcab::MakeFile("\\4.bin", 100, 4)};
    const auto parts = WriteParts(files);
    testenv::RecordingWindow window;
    int checkpoints = 0;
    // The user confirms cancelling while the worker waits at its point before the third file.
    TestEngine engine(window.Handle(), 1, CabDecoder::Own, true, [&] {
        if (++checkpoints == 3) {
            Flags().Continue = 0;
        }
    });
    engine.ExtractCabinet(parts[0], m_target);
    EXPECT_EQ(engine.GetErrorText(), L"User aborted extraction");
    EXPECT_EQ(engine.GetErrorCode(), 11);
    EXPECT_TRUE(testenv::PathExists(Target(L"2.bin")));
    EXPECT_FALSE(testenv::PathExists(Target(L"3.bin")));
    EXPECT_FALSE(testenv::PathExists(Target(L"4.bin")));
    EXPECT_EQ(Paths().ExtractedFiles.size(), 2u);
    EXPECT_EQ(checkpoints, 3);
}

// Also run under a zone that is not UTC (see CMakeLists.txt).
TEST_F(CabFixture, CabTimesStoredLocalOrUtc)
{
    auto local = testcab::MakeFile("\\local.txt", 10, 1);
    auto utc = testcab::MakeFile("\\utc.txt", 10, 2);
    utc.attributes = 0x100 | 0x20;
    const auto parts = WriteParts({local, utc});
    TestEngine engine(nullptr, 0);
    ASSERT_EQ(engine.ExtractCabinet(parts[0], m_target), 0);
    EXPECT_EQ(Ticks(LastWrite(Target(L"local.txt"))), StoredAsUtc(local, false));
    EXPECT_EQ(Ticks(LastWrite(Target(L"utc.txt"))), StoredAsUtc(utc, true));
    WIN32_FILE_ATTRIBUTE_DATA data{};
    ::GetFileAttributesExW(Target(L"utc.txt").c_str(), GetFileExInfoStandard, &data);
    EXPECT_EQ(Ticks(data.ftCreationTime), StoredAsUtc(utc, true));
    TIME_ZONE_INFORMATION zone{};
    if (::GetTimeZoneInformation(&zone) != TIME_ZONE_ID_INVALID && zone.Bias != 0) {
        EXPECT_NE(StoredAsUtc(local, false), StoredAsUtc(local, true)); // the zone run tells them apart
    }
}

} // namespace
