// A package made by the builder, from the launch to the exit: its properties file as the payload
// carries it, its files as the extraction records them, the setups it names, and the cleanup.
// Built only together with the builder library.
#if __has_include("OrloPack.h")
#include <windows.h>

#include <list>
#include <vector>

#include "CleanupFixture.h"
#include "OrloPack.h"
#include "PackageReader.h"
#include "launch/Cleanup.h"
#include "launch/FinishMessages.h"
#include "launch/LaunchList.h"
#include "launch/Launcher.h"

namespace {
using cleanuptest::CleanupFixture;
using launchtest::Narrow;
using launchtest::ReadRuns;
using testenv::PathExists;

class PackageRun : public CleanupFixture {
protected:
    // Builds a package from a source tree with the fake setups, unpacks its properties file into
    // the temp folder and lays its files out in the extraction folder as the engine records them.
    void BuildAndUnpack(const std::wstring& templateText)
    {
        const std::wstring source = Scratch() + L"Source\\";
        const std::vector<std::pair<std::wstring, std::wstring>> files = {
            {L"Setup.exe", L"FakeSetup.exe"},
            {L"Start.exe", L"startexe\\Start.exe"},
            {L"InstData\\Resources\\Kam2.exe", L"startexe\\InstData\\Resources\\Kam2.exe"},
        };
        for (const auto& [relative, program] : files) {
            MakeParents(source + relative);
            ASSERT_TRUE(::CopyFileW((testenv::BinDir() + program).c_str(), (source + relative).c_str(), FALSE));
        }
        MakeParents(source + L"Data\\readme.txt");
        testenv::WriteFileText(source + L"Data\\readme.txt", "read me");

        orlopack::BuildOptions options;
        options.sourceFolder = source;
        options.templateText = templateText;
        options.outputFolder = Scratch() + L"Out";
        options.baseName = L"Demo";
        options.partSize = 64 * 1024;
        orlopack::BuildReport report;
        ASSERT_EQ(orlopack::BuildPackage(options, report), orlopack::kOk) << Narrow(report.error);

        orlopack::PackageContents contents;
        std::wstring error;
        ASSERT_TRUE(orlopack::ReadPackage(report.packagePath, contents, error)) << Narrow(error);
        bool found = false;
        for (const auto& item : contents.items) {
            if (EqualsNoCase(item.name, L"Properties_Orlo.ini")) {
                std::vector<uint8_t> data;
                ASSERT_TRUE(orlopack::ReadPayloadData(report.packagePath, item, data, error)) << Narrow(error);
                testenv::WriteFileBytes(properties, data);
                found = true;
            }
        }
        ASSERT_TRUE(found);
        for (const auto& [relative, program] : files) {
            Extract(relative, testenv::ReadFileText(source + relative));
        }
        Extract(L"Data\\readme.txt", "read me");
    }

    int Launch()
    {
        std::list<std::wstring> applications;
        std::list<std::wstring> parameters;
        GetAutolaunchApps(L"1033", applications, parameters);
        if (applications.empty()) {
            ADD_FAILURE() << "nothing to launch";
            return -100;
        }
        return LaunchMultipleApplications(L"1033", applications, parameters, L"0");
    }

    static constexpr const wchar_t* kTemplate =
        L"[Package]\r\nName=Demo\r\nNameDispl=Demo\r\nVersionString=1.0\r\n"
        L"[Runtime]\r\nMultilaunch=1\r\nMode=Orlo\r\n%ls\r\n"
        L"[AutoLaunch1]\r\nReturnCode_3010=success:{Reboot}\r\n"
        L"[1033]\r\nLaunchEXEParams1=/exitcode=3010\r\nLaunchEXEParams2=/q\r\nReboot=Restart needed\r\n"
        L"MessageOnFinish=Done\r\n";
};

TEST_F(PackageRun, LauncherStartedLastTakesOverTheDeletion)
{
    BuildAndUnpack(FormatW(kTemplate, L"AutoLaunch1=Setup.exe\r\nAutoLaunch2=Start.exe"));
    Flags().DeleteOnExit = 1;
    EXPECT_EQ(Launch(), 0);
    // Start.exe ended with 0, which the package does not configure: the general finish message.
    EXPECT_TRUE(HasUnconfiguredResult());
    EXPECT_EQ(GetFinishMessage(), L"Done");

    const std::wstring list = extraction + L"ExtractedFilesToDelete.txt";
    const auto setupRuns = ReadRuns(extraction + L"Setup.exe");
    ASSERT_EQ(setupRuns.size(), 1u);
    EXPECT_EQ(setupRuns[0].args, std::vector<std::string>{"/exitcode=3010"});
    const auto startRuns = ReadRuns(extraction + L"Start.exe");
    ASSERT_EQ(startRuns.size(), 1u);
    EXPECT_EQ(startRuns[0].args, (std::vector<std::string>{"/q", "/DeleteOnFinish=" + Narrow(list)}));
    EXPECT_EQ(startRuns[0].list,
              (std::vector<std::string>{
                  "[FilesToDelete]", Narrow(extraction + L"Setup.exe"), Narrow(extraction + L"Start.exe"),
                  Narrow(extraction + L"InstData\\Resources\\Kam2.exe"), Narrow(extraction + L"Data\\readme.txt"),
                  Narrow(list), Narrow(extraction + L"InstData\\Resources"), Narrow(extraction + L"InstData"),
                  Narrow(extraction + L"Data"), Narrow(Scratch() + L"Root")}));

    // The launcher deletes; this program only removes its settings folder.
    EXPECT_EQ(Flags().SelfDeleteOnExit, 0);
    CleanupAtExit(true);
    EXPECT_TRUE(PathExists(extraction + L"Setup.exe"));
    EXPECT_FALSE(PathExists(temp));
}

TEST_F(PackageRun, WithoutALauncherThisProgramDeletesAtExit)
{
    BuildAndUnpack(FormatW(kTemplate, L"AutoLaunch1=Setup.exe"));
    Flags().DeleteOnExit = 1;
    EXPECT_EQ(Launch(), 0);
    EXPECT_EQ(GetFinishMessage(), L"Restart needed");
    EXPECT_EQ(Flags().SelfDeleteOnExit, 1);
    CleanupAtExit(true);

    for (const wchar_t* gone : {L"Setup.exe", L"Start.exe", L"InstData", L"Data"}) {
        EXPECT_FALSE(PathExists(extraction + gone)) << Narrow(gone);
    }
    // What the setup wrote beside itself stays, and with it the extraction folder.
    EXPECT_TRUE(PathExists(extraction + L"Setup.exe.record.txt"));
    EXPECT_TRUE(LogHas(L"DeleteExtractedFilesAndFolders", L"Could not delete folder : " + Scratch() + L"Root"));
    EXPECT_FALSE(PathExists(temp));
}

} // namespace

#endif
