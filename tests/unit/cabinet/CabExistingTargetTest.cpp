// Existing files the engine never opens for writing, deletes or replaces, whatever the overwrite
// setting and answers say: the running package and its parts, and links.
#include <windows.h>

#include <algorithm>

#include "CabFixture.h"
#include "FolderLink.h"
#include "RecordingWindow.h"
#include "settings/WindowMessages.h"
#include "util/Util.h"

namespace {

bool LoggedError(const testenv::RecordingWindow& window, const std::wstring& text)
{
    for (const auto& event : window.Events()) {
        if (event.message == UM_LOG_REQUEST && event.logKind == 0 && event.logText.find(text) != std::wstring::npos) {
            return true;
        }
    }
    return false;
}

bool Asked(const testenv::RecordingWindow& window)
{
    const auto messages = window.Messages();
    return std::find(messages.begin(), messages.end(), UM_ASK_OVERWRITE) != messages.end();
}

class CabExistingTarget : public CabFixture {
protected:
    // The set "good.txt", `storedName`, "after.txt" (ten bytes each) in the package folder.
    std::vector<std::wstring> WriteSetAround(const std::string& storedName, size_t perCabinet = 0)
    {
        return WriteParts({testcab::MakeFile("\\good.txt", 10, 1), testcab::MakeFile(storedName, 10, 2),
                           testcab::MakeFile("\\after.txt", 10, 3)},
                          perCabinet);
    }

    // Runs the set into `target`, replacing without asking (`overwrite` 1) or answering Yes to every
    // prompt, and checks that it stops at `storedName` for `reason`.
    void ExpectRefused(const std::vector<std::wstring>& parts, const std::string& storedName,
                       const std::wstring& target, int overwrite, const std::wstring& reason,
                       const std::vector<std::wstring>& protectedFiles = {})
    {
        testenv::RecordingWindow window;
        window.ScriptAnswers({kOverwriteYes, kOverwriteYes, kOverwriteYes});
        TestEngine engine(window.Handle(), overwrite, CabDecoder::Own, true, {}, protectedFiles);
        EXPECT_NE(engine.ExtractCabinet(parts[0], target), 0);
        EXPECT_EQ(engine.GetErrorText(), L"The cabinet holds a file name outside the extraction folder");
        EXPECT_EQ(engine.GetErrorCode(), 1012);
        EXPECT_TRUE(testenv::PathExists(target + L"good.txt"));
        EXPECT_FALSE(testenv::PathExists(target + L"after.txt"));
        EXPECT_FALSE(Asked(window)) << "nobody is asked about a file that is never replaced";
        EXPECT_TRUE(LoggedError(window, L"refused : " + Utf8ToWide(storedName) + L" (" + reason + L")"));
        ::DeleteFileW((target + L"good.txt").c_str());
    }
};

TEST_F(CabExistingTarget, ThePackageAndItsPartsAreNeverReplacedInTheirOwnFolder)
{
    // Extracting into the package's own folder, whose executable has a long name (and so an 8.3 alias).
    const std::wstring executable = m_package + L"Package-Setup.exe";
    std::vector<std::string> names = {"\\Pack.002", "\\pack.003", "\\Pack.001.", "\\Package-Setup.exe"};
    testenv::WriteFileText(executable, "MZ the running package");
    wchar_t shortPath[MAX_PATH] = {};
    if (::GetShortPathNameW(executable.c_str(), shortPath, MAX_PATH) != 0 &&
        !EqualsNoCase(CUtil::SplitPath(shortPath, 1), L"Package-Setup.exe")) {
        names.push_back(WideToUtf8(L"\\" + CUtil::SplitPath(shortPath, 1)));
    }
    for (const int overwrite : {0, 1}) {
        for (const std::string& name : names) {
            SCOPED_TRACE(name + (overwrite ? " overwriting" : " answering Yes"));
            ResetProcessContext();
            const auto parts = WriteSetAround(name, 10); // ten bytes per cabinet: three parts
            ASSERT_EQ(parts.size(), 3u);
            std::vector<std::wstring> packageFiles = {executable};
            packageFiles.insert(packageFiles.end(), parts.begin(), parts.end());
            std::vector<std::vector<uint8_t>> before;
            for (const auto& file : packageFiles) {
                before.push_back(testenv::ReadFileBytes(file));
            }

            ExpectRefused(parts, name, m_package, overwrite, L"the running package or one of its part files",
                          packageFiles);
            for (size_t i = 0; i < packageFiles.size(); ++i) {
                EXPECT_EQ(testenv::ReadFileBytes(packageFiles[i]), before[i]) << WideToUtf8(packageFiles[i]);
            }
        }
    }
}

TEST_F(CabExistingTarget, AnExistingLinkIsNeitherWrittenNorDeletedThrough)
{
    struct Case {
        const char* storedName;
        const wchar_t* link; // relative to the target folder
        bool dangling;       // the file it leads to is gone
    };
    const Case cases[] = {
        {"\\linked.txt", L"linked.txt", false},
        {"\\sub\\linked.txt", L"sub\\linked.txt", false},
        {"\\dangling.txt", L"dangling.txt", true},
    };
    const std::wstring outside = m_dir / L"outside\\";
    ::CreateDirectoryW(outside.c_str(), nullptr);
    ::CreateDirectoryW(Target(L"sub").c_str(), nullptr);
    for (const int overwrite : {0, 1}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.storedName) + (overwrite ? " overwriting" : " answering Yes"));
            ResetProcessContext();
            const std::wstring victim = outside + L"victim.txt";
            testenv::WriteFileText(victim, "someone else's");
            ASSERT_TRUE(testenv::MakeFileLink(Target(c.link), victim));
            struct Unlink {
                std::wstring link;
                ~Unlink() { testenv::RemoveFileLink(link); }
            } unlink{Target(c.link)};
            if (c.dangling) {
                ASSERT_TRUE(::DeleteFileW(victim.c_str()));
            }

            ExpectRefused(WriteSetAround(c.storedName), c.storedName, m_target, overwrite,
                          L"the file is a link or lies behind one");
            if (c.dangling) {
                EXPECT_FALSE(testenv::PathExists(victim)) << "a file was created through the link";
            } else {
                EXPECT_EQ(testenv::ReadFileText(victim), "someone else's");
            }
            EXPECT_EQ(CountNoCase(Paths().ExtractedFiles, Target(c.link)), 0u);
        }
    }
}

} // namespace
