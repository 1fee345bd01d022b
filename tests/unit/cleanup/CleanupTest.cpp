// Removing what the run extracted: the list file for a launcher, the cleanup after a cancel, delete
// on exit, and the temporary settings folder.
#include <algorithm>
#include <vector>

#include "CleanupFixture.h"
#include "ProcessRunner.h"
#include "launch/Cleanup.h"
#include "launch/LaunchState.h"
#include "util/Handles.h"
#include "util/NameRules.h"

namespace {
using cleanuptest::CleanupFixture;
using launchtest::Narrow;
using testenv::PathExists;

class Cleanup : public CleanupFixture {
protected:
    std::wstring ListFile() const { return extraction + L"ExtractedFilesToDelete.txt"; }
};

TEST_F(Cleanup, ListFileNamesFilesThenOwnedFoldersThenTheCreatedRoot)
{
    const std::wstring setup = Extract(L"Setup.exe");
    const std::wstring a = Extract(L"Data\\Sub\\a.bin");
    const std::wstring b = Extract(L"Data\\Other\\b.bin");
    const std::wstring c = Extract(L"Docs\\c.txt");
    // Someone put a file of their own into Data\Other: that folder and Data may not be handed over.
    Foreign(extraction + L"Data\\Other\\notes.txt");

    ASSERT_EQ(WriteToDeletetxt(), 1);
    EXPECT_EQ(Paths().PackageFiles.front(), ListFile());
    EXPECT_EQ(testenv::ReadLines(ListFile()),
              (std::vector<std::string>{"[FilesToDelete]", Narrow(setup), Narrow(a), Narrow(b), Narrow(c),
                                        Narrow(ListFile()), Narrow(extraction + L"Data\\Sub"),
                                        Narrow(extraction + L"Docs"), Narrow(Scratch() + L"Root")}));
    // Lines end with CR LF.
    EXPECT_EQ(testenv::ReadFileText(ListFile()).substr(0, 17), "[FilesToDelete]\r\n");
    EXPECT_TRUE(LogHas(L"WriteToDeletetxt",
                       L"writing folder name to ExtractedFilesToDelete.txt: " + extraction + L"Data\\Other"));
    EXPECT_TRUE(LogHas(L"WriteToDeletetxt",
                       L"writing extraction folder name to ExtractedFilesToDelete.txt: " + Scratch() + L"Root"));

    // A second handshake lists the file once, still as the last file.
    ASSERT_EQ(WriteToDeletetxt(), 1);
    const auto lines = testenv::ReadLines(ListFile());
    EXPECT_EQ(std::count(lines.begin(), lines.end(), Narrow(ListFile())), 1);
    EXPECT_EQ(lines[5], Narrow(ListFile()));
}

TEST_F(Cleanup, ListFileNamesTheCreatedRootOnlyWhenItHoldsTheExtractionFolder)
{
    struct Case {
        std::wstring root;
        bool listed;
    };
    const std::vector<Case> cases = {
        {L"", false},          {L"Root", true}, {L"Root\\Pkg", true}, {L"root\\PKG\\", true},
        {L"Elsewhere", false}, {L"Roo", false}, // a text prefix of the path, not one of its folders
    };
    for (const auto& c : cases) {
        Paths().Clear();
        Util().CreatedExtractionRoot = c.root.empty() ? L"" : Scratch() + c.root;
        Extract(L"Setup.exe");
        ASSERT_EQ(WriteToDeletetxt(), 1);
        const auto lines = testenv::ReadLines(ListFile());
        EXPECT_EQ(lines.back() == Narrow(Util().CreatedExtractionRoot), c.listed) << Narrow(c.root);
        EXPECT_EQ(lines.size(), c.listed ? 4u : 3u) << Narrow(c.root);
    }
}

TEST_F(Cleanup, ListFileThatCannotBeCreatedReportsZero)
{
    Settings().SetExtractionPath(Scratch() + L"Missing\\");
    EXPECT_EQ(WriteToDeletetxt(), 0);
}

TEST_F(Cleanup, OwnershipTestRefusesAnyForeignEntry)
{
    Extract(L"A\\B\\x.bin");
    Extract(L"C\\y.bin");
    EXPECT_TRUE(IsFolderOwnedByPackage(extraction + L"A"));
    EXPECT_TRUE(IsFolderOwnedByPackage(extraction + L"A\\B\\"));
    Foreign(extraction + L"A\\B\\Deep\\z.txt");
    EXPECT_FALSE(IsFolderOwnedByPackage(extraction + L"A"));
    ::CreateDirectoryW((extraction + L"C\\Empty").c_str(), nullptr);
    EXPECT_FALSE(IsFolderOwnedByPackage(extraction + L"C"));
}

TEST_F(Cleanup, CancelRemovesExactlyWhatThisRunCreated)
{
    // The extraction folder existed; an earlier path check created Elsewhere, outside of it.
    UseExtractionFolder(Scratch() + L"Pkg\\", Scratch() + L"Elsewhere");
    ::CreateDirectoryW((Scratch() + L"Elsewhere").c_str(), nullptr);
    ::CreateDirectoryW((Scratch() + L"Elsewhere\\Deeper").c_str(), nullptr);
    const std::wstring kept = KeepExisting(L"Existing\\kept.txt");
    const std::wstring replaced = Extract(L"Existing\\replaced.txt");
    const std::wstring setup = Extract(L"Setup.exe");
    const std::wstring deep = Extract(L"New\\Sub\\a.bin");
    const std::wstring readOnly = Extract(L"New\\ro.bin");
    ::SetFileAttributesW(readOnly.c_str(), FILE_ATTRIBUTE_READONLY);
    const std::wstring other = Foreign(Scratch() + L"Pkg\\unrelated.txt");

    Flags().UserCancelled = 1;
    RemoveOrloTempDirectory();

    for (const auto& gone :
         {replaced, setup, deep, readOnly, extraction + L"New\\Sub", extraction + L"New", Scratch() + L"Elsewhere"}) {
        EXPECT_FALSE(PathExists(gone)) << Narrow(gone);
    }
    for (const auto& stays : {kept, other, extraction + L"Existing"}) {
        EXPECT_TRUE(PathExists(stays)) << Narrow(stays);
    }
    EXPECT_TRUE(LogHas(L"DeleteExtractedContents", L"Deleting file : " + setup));
    EXPECT_TRUE(LogHas(L"DeleteExtractedContents", L"Deleting folder : " + Scratch() + L"Elsewhere"));
    EXPECT_FALSE(LogContains(L"Could not delete"));
    EXPECT_TRUE(Paths().ExtractedFiles.empty());
    EXPECT_TRUE(Paths().CreatedFolders.empty());
}

TEST_F(Cleanup, PathsTheEngineWroteWithTheLongFormAreRemovedToo)
{
    // Folders past 247 and files past 259 characters exist only through the "\\?\" form on
    // Windows (Wine also takes the plain form, so there this shows that nothing is left either way).
    for (const bool cancel : {true, false}) {
        SCOPED_TRACE(cancel ? "cancel" : "delete on exit");
        Paths().Clear();
        Util().CreatedExtractionRoot.clear();
        const std::wstring outer = extraction + std::wstring(120, L'o');
        const std::wstring inner = outer + L"\\" + std::wstring(250 - outer.size() - 1, L'i');
        const std::wstring file = inner + L"\\f.bin";
        ASSERT_GE(inner.size(), 248u);
        ASSERT_LE(file.size(), 260u);
        ASSERT_TRUE(::CreateDirectoryW(LongPath(outer).c_str(), nullptr));
        ASSERT_TRUE(::CreateDirectoryW(LongPath(inner).c_str(), nullptr));
        UniqueFileHandle written(::CreateFileW(LongPath(file).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                               FILE_ATTRIBUTE_READONLY, nullptr));
        ASSERT_TRUE(written.Valid());
        written.Reset();
        Paths().ExtractedFiles = {file};
        Paths().PackageFiles = {file};
        Paths().FolderChain = {inner, outer};
        Paths().CreatedFolders = {inner, outer};

        if (cancel) {
            DeleteExtractedContents();
        } else {
            DeleteExtractedFilesAndFolders();
        }
        EXPECT_EQ(::GetFileAttributesW(LongPath(outer).c_str()), INVALID_FILE_ATTRIBUTES);
    }
    EXPECT_FALSE(LogContains(L"Could not delete"));
}

TEST_F(Cleanup, CancelLeavesForeignFilesAndTheirFolders)
{
    const std::wstring setup = Extract(L"Setup.exe");
    Extract(L"New\\a.bin");
    const std::wstring notes = Foreign(extraction + L"New\\notes.txt");

    Flags().UserCancelled = 1;
    RemoveOrloTempDirectory();

    EXPECT_FALSE(PathExists(setup));
    EXPECT_TRUE(PathExists(notes));
    EXPECT_TRUE(LogHas(L"DeleteExtractedContents", L"Could not delete folder : " + extraction + L"New"));
    EXPECT_TRUE(LogHas(L"DeleteExtractedContents", L"Could not delete folder : " + Scratch() + L"Root"));
}

TEST_F(Cleanup, DeleteOnExitRemovesThePackageButNotWhatTheSetupWrote)
{
    UseExtractionFolder(Scratch() + L"Pkg\\", L"");
    const std::wstring kept = KeepExisting(L"kept.txt");
    const std::wstring setup = Extract(L"Setup.exe");
    const std::wstring readOnly = Extract(L"Data\\Sub\\ro.bin");
    ::SetFileAttributesW(readOnly.c_str(), FILE_ATTRIBUTE_READONLY);
    Extract(L"Data\\b.bin");
    Extract(L"Logs\\readme.txt");
    ASSERT_EQ(WriteToDeletetxt(), 1);
    // The setup wrote its log next to a file of the package.
    const std::wstring setupLog = Foreign(extraction + L"Logs\\setup.log");

    Flags().DeleteOnExit = 1;
    Flags().SelfDeleteOnExit = 1;
    CleanupAtExit(true);

    for (const auto& gone : {setup, readOnly, ListFile(), extraction + L"Data\\Sub", extraction + L"Data"}) {
        EXPECT_FALSE(PathExists(gone)) << Narrow(gone);
    }
    // The user kept that file at the overwrite prompt: it was never the run's.
    EXPECT_TRUE(PathExists(kept));
    EXPECT_TRUE(PathExists(setupLog));
    EXPECT_TRUE(LogHas(L"DeleteExtractedFilesAndFolders", L"Could not delete folder : " + extraction + L"Logs"));
    EXPECT_TRUE(LogHas(L"DeleteExtractedFilesAndFolders", L"Kept file not deleted : " + kept));
    EXPECT_FALSE(LogHas(L"DeleteExtractedFilesAndFolders", L"Deleting file : " + kept));
    EXPECT_TRUE(LogHas(L"DeleteDirectory", L"Deleting folder : " + extraction + L"Data"));
    EXPECT_FALSE(LogHas(L"DeleteExtractedFilesAndFolders", L"Could not delete folder : " + extraction + L"Data"));
    EXPECT_TRUE(Paths().PackageFiles.empty());
    EXPECT_TRUE(Paths().FolderChain.empty());
}

TEST_F(Cleanup, KeptFilesAreNeitherHandedOverNorDeletedWithTheirFolder)
{
    UseExtractionFolder(Scratch() + L"Pkg\\", L"");
    const std::wstring kept = KeepExisting(L"Old\\kept.txt");
    const std::wstring written = Extract(L"Old\\new.txt");
    // Kept at one prompt and written after all (a later chain): the run's again.
    const std::wstring rewritten = KeepExisting(L"again.txt");
    Paths().ExtractedFiles.push_front(rewritten);

    ASSERT_EQ(WriteToDeletetxt(), 1);
    EXPECT_EQ(testenv::ReadLines(ListFile()), (std::vector<std::string>{"[FilesToDelete]", Narrow(written),
                                                                         Narrow(rewritten), Narrow(ListFile())}));
    EXPECT_TRUE(LogHas(L"WriteToDeletetxt", L"Kept file not listed : " + kept));
    EXPECT_FALSE(IsFolderOwnedByPackage(extraction + L"Old"));

    Flags().DeleteOnExit = 1;
    Flags().SelfDeleteOnExit = 1;
    CleanupAtExit(true);
    EXPECT_TRUE(PathExists(kept));
    EXPECT_FALSE(PathExists(written));
    EXPECT_FALSE(PathExists(rewritten));
    EXPECT_TRUE(LogHas(L"DeleteExtractedFilesAndFolders", L"Could not delete folder : " + extraction + L"Old"));
    EXPECT_TRUE(Paths().KeptFiles.empty());
}

TEST_F(Cleanup, DeleteOnExitRemovesTheCreatedRootWhenNothingElseIsLeft)
{
    Extract(L"Setup.exe");
    Extract(L"Data\\a.bin");
    Flags().DeleteOnExit = 1;
    Flags().SelfDeleteOnExit = 1;
    CleanupAtExit(true);
    EXPECT_FALSE(PathExists(Scratch() + L"Root"));

    // A file the setup left in the extraction folder keeps the folder and its parents.
    ResetProcessContext();
    SetUp();
    Extract(L"Setup.exe");
    const std::wstring setupLog = Foreign(extraction + L"setup.log");
    Flags().DeleteOnExit = 1;
    Flags().SelfDeleteOnExit = 1;
    CleanupAtExit(true);
    EXPECT_TRUE(PathExists(setupLog));
    EXPECT_TRUE(LogHas(L"DeleteExtractedFilesAndFolders", L"Could not delete folder : " + Scratch() + L"Root"));
}

TEST_F(Cleanup, ExitDeletesOnlyWhenAskedWaitedAndNotHandedOver)
{
    struct Case {
        bool normalExit;
        int deleteOnExit;
        int wait;
        int selfDelete;
        bool deleted;
    };
    const Case cases[] = {
        {true, 1, 1, 1, true},  {false, 1, 1, 1, false}, {true, 0, 1, 1, false},
        {true, 1, 0, 1, false}, {true, 1, 1, 0, false},
    };
    for (const auto& c : cases) {
        ResetProcessContext();
        SetUp();
        const std::wstring setup = Extract(L"Setup.exe");
        Flags().DeleteOnExit = c.deleteOnExit;
        Settings().SetWaitForAutolaunchFinish(c.wait);
        Flags().SelfDeleteOnExit = c.selfDelete;
        CleanupAtExit(c.normalExit);
        EXPECT_EQ(!PathExists(setup), c.deleted) << c.normalExit << c.deleteOnExit << c.wait << c.selfDelete;
        // The temporary settings folder goes in every case.
        EXPECT_FALSE(PathExists(temp));
    }
}

TEST_F(Cleanup, DeleteDirectoryKeepsFoldersNotRecorded)
{
    Extract(L"A\\B\\x.bin");
    Paths().PackageFiles.clear();
    ::DeleteFileW((extraction + L"A\\B\\x.bin").c_str());
    ::CreateDirectoryW((extraction + L"A\\Unknown").c_str(), nullptr);
    EXPECT_EQ(DeleteDirectory(extraction + L"A"), 0);
    EXPECT_TRUE(PathExists(extraction + L"A\\Unknown"));
    ::RemoveDirectoryW((extraction + L"A\\Unknown").c_str());
    EXPECT_NE(DeleteDirectory(extraction + L"A"), 0);
    EXPECT_FALSE(PathExists(extraction + L"A"));
    EXPECT_EQ(DeleteDirectory(extraction + L"A"), -1);
}

TEST_F(Cleanup, TempFolderIsRemovedOncePerRun)
{
    testenv::WriteFileText(temp + L"Properties_Orlo.ini", "x");
    testenv::WriteFileText(temp + L"Default1033.ulf", "x");
    ::SetFileAttributesW((temp + L"Default1033.ulf").c_str(), FILE_ATTRIBUTE_READONLY);
    int closed = 0;
    LaunchData().ClosePropertiesHandle = [&] { ++closed; };

    RemoveOrloTempDirectory();
    EXPECT_FALSE(PathExists(temp));
    EXPECT_TRUE(LogHas(L"Temp directory : ", temp));
    EXPECT_TRUE(LogHas(L"Deleting folder : ", temp));

    // A later call (the exit after the launch step) does nothing.
    ::CreateDirectoryW(temp.c_str(), nullptr);
    Flags().UserCancelled = 1;
    const std::wstring setup = Extract(L"Setup.exe");
    RemoveOrloTempDirectory();
    EXPECT_TRUE(PathExists(temp));
    EXPECT_TRUE(PathExists(setup));
    EXPECT_EQ(CountLog(L"Temp directory : ", temp), 1);
    EXPECT_EQ(closed, 2);
}

TEST_F(Cleanup, FilesHeldOpenInTheTempFolderAreReported)
{
    const std::wstring held = temp + L"Properties_Orlo.ini";
    testenv::WriteFileText(held, "x");
    testenv::WriteFileText(temp + L"other.txt", "x");
    // Another process keeps the file open without sharing.
    const std::wstring holder = Scratch() + L"Holder.exe";
    ASSERT_TRUE(::CopyFileW((testenv::BinDir() + L"FakeSetup.exe").c_str(), holder.c_str(), FALSE));
    testenv::BackgroundProcess process(holder, {L"/hold=" + held, L"/sleep=60000"});
    ASSERT_TRUE(process.Started());
    bool holding = false;
    for (int i = 0; i < 600 && !holding; ++i) {
        const auto runs = launchtest::ReadRuns(holder);
        holding = !runs.empty() && runs[0].values.count("holding") && runs[0].values.at("holding") == "1";
        if (!holding) {
            ::Sleep(50);
        }
    }
    ASSERT_TRUE(holding);

    RemoveOrloTempDirectory();
    ::TerminateProcess(process.Handle(), 0);
    DWORD exitCode = 0;
    process.Wait(10000, exitCode);

    EXPECT_TRUE(PathExists(held));
    EXPECT_FALSE(PathExists(temp + L"other.txt"));
    EXPECT_EQ(CountLog(L"File could not be deleted : ", held), 1);
}

} // namespace
