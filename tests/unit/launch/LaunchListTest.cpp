// The launch list: which programs start, with which parameters, and who deletes the extracted files.
#include <list>
#include <vector>

#include "LaunchFixture.h"
#include "launch/LaunchList.h"
#include "util/Util.h"

namespace {
using launchtest::LaunchFixture;
using launchtest::Narrow;

class LaunchList : public LaunchFixture {
protected:
    // The lists in launch order (the builder fills them at the head).
    void Build()
    {
        applications.clear();
        parameters.clear();
        std::list<std::wstring> apps;
        std::list<std::wstring> params;
        GetAutolaunchApps(L"1033", apps, params);
        applications.assign(apps.rbegin(), apps.rend());
        parameters.assign(params.rbegin(), params.rend());
    }
    std::wstring Handshake() const { return L"/DeleteOnFinish=\"" + extraction + L"ExtractedFilesToDelete.txt\""; }
    std::wstring ListFile() const { return extraction + L"ExtractedFilesToDelete.txt"; }

    std::vector<std::wstring> applications;
    std::vector<std::wstring> parameters;
};

TEST_F(LaunchList, MultilaunchStartsNumberedProgramsInOrder)
{
    Place(L"Setup1.exe");
    Place(L"Disk2\\Setup2.exe");
    WriteProperties(L"[Runtime]\nMultilaunch=1\nAutoLaunch=Ignored.exe\nAutoLaunch1=Setup1.exe\n"
                    L"AutoLaunch2=Disk2\\Setup2.exe\n[1033]\nLaunchEXEParams=/ignored\nLaunchEXEParams1=/one\n"
                    L"LaunchEXEParams2=/two /x\n");
    Build();
    EXPECT_EQ(applications, (std::vector<std::wstring>{L"AutoLaunch1:" + extraction + L"Setup1.exe",
                                                       L"AutoLaunch2:" + extraction + L"Disk2\\Setup2.exe"}));
    EXPECT_EQ(parameters, (std::vector<std::wstring>{L"/one", L"/two /x"}));
    EXPECT_EQ(Settings().GetExtractionStatus(), 0);
    EXPECT_TRUE(LogHas(L"GetAutolaunchApps", L"AutoLaunch2 : Disk2\\Setup2.exe"));
    EXPECT_TRUE(LogHas(L"GetAutolaunchApps", L"Parameters for Application AutoLaunch1:" + extraction +
                                                 L"Setup1.exe to be launched is - /one"));
}

TEST_F(LaunchList, AnythingButExactlyOneIsSingleProgramMode)
{
    // A quoted value keeps its trailing blank through the profile functions.
    for (const wchar_t* multilaunch : {L"True", L"\"1 \"", L"0", L""}) {
        ResetProcessContext();
        SetUp();
        Place(L"Setup.exe");
        Place(L"Setup1.exe");
        WriteProperties(std::wstring(L"[Runtime]\nMultilaunch=") + multilaunch +
                        L"\nAutoLaunch=Setup.exe\nAutoLaunch1=Setup1.exe\n[1033]\nLaunchEXEParams=/single\n"
                        L"LaunchEXEParams1=/multi\n");
        Build();
        EXPECT_EQ(applications, std::vector<std::wstring>{L"AutoLaunch:" + extraction + L"Setup.exe"})
            << Narrow(multilaunch);
        EXPECT_EQ(parameters, std::vector<std::wstring>{L"/single"}) << Narrow(multilaunch);
    }
}

TEST_F(LaunchList, MissingProgramEmptiesTheList)
{
    WriteProperties(L"[Runtime]\nAutoLaunch=Missing.exe\n");
    Build();
    EXPECT_TRUE(applications.empty());
    EXPECT_EQ(Settings().GetExtractionStatus(), 2);
    EXPECT_TRUE(LogHas(L"File for launching the setup not found : ", extraction + L"Missing.exe"));
}

TEST_F(LaunchList, MissingProgramInMultiModeStillChecksTheOthers)
{
    Place(L"Setup1.exe");
    Place(L"Setup3.exe");
    WriteProperties(L"[Runtime]\nMultilaunch=1\nAutoLaunch1=Setup1.exe\nAutoLaunch2=Setup2.exe\n"
                    L"AutoLaunch3=Setup3.exe\n");
    Build();
    EXPECT_TRUE(applications.empty());
    EXPECT_EQ(Settings().GetExtractionStatus(), 2);
    EXPECT_TRUE(LogHas(L"File for launching the setup not found : ", extraction + L"Setup2.exe"));
    EXPECT_TRUE(LogHas(L"GetAutolaunchApps", L"AutoLaunch3 : Setup3.exe"));
}

TEST_F(LaunchList, RefusesFullPathsOf900Characters)
{
    // The check comes before the existence test: the folders need not exist.
    for (const auto& [length, status] : std::vector<std::pair<size_t, int>>{{900, -1}, {899, 2}, {1000, -1}}) {
        ResetProcessContext();
        SetUp();
        const size_t fill = length - extraction.size() - std::wstring(L"\\Setup.exe").size();
        std::wstring value;
        while (value.size() < fill) {
            value += value.empty() ? L"d" : L"\\d";
        }
        value = value.substr(0, fill);
        if (value.back() == L'\\') {
            value.back() = L'e';
        }
        value += L"\\Setup.exe";
        ASSERT_EQ(extraction.size() + value.size(), length);
        WriteProperties(L"[Runtime]\nAutoLaunch=" + value + L"\n");
        Build();
        EXPECT_TRUE(applications.empty()) << length;
        EXPECT_EQ(Settings().GetExtractionStatus(), status) << length;
        EXPECT_EQ(LogHas(L"Folder depth is too large to run the setup.", extraction + value), status == -1) << length;
    }
}

TEST_F(LaunchList, OrloModeAddsTheRunModeParameters)
{
    struct Case {
        int runMode;
        const wchar_t* mode;
        const wchar_t* silent;
        const wchar_t* expected;
    };
    const Case cases[] = {
        {kRunModeSilent, L"Orlo", L"/silent", L"/p /silent"},
        {kRunModeSilent, L"orlo", L"", L"/p "}, // a blank even when the silent value is empty
        {kRunModeUnattended, L"ORLO", L"/silent", L"/p /unattended"},
        {kRunModeGui, L"Orlo", L"/silent", L"/p"},
        {kRunModeSilent, L"Other", L"/silent", L"/p"},
        {kRunModeSilent, L"", L"/silent", L"/p"},
    };
    for (const auto& c : cases) {
        ResetProcessContext();
        SetUp();
        Place(L"Setup.exe");
        Settings().SetRunMode(c.runMode);
        WriteProperties(std::wstring(L"[Runtime]\nAutoLaunch=Setup.exe\nMode=") + c.mode +
                        L"\n[1033]\nLaunchEXEParams=/p\nLaunchEXEParamsSilent=" + c.silent +
                        L"\nLaunchEXEParamsUnattended=/unattended\n");
        Build();
        ASSERT_EQ(parameters.size(), 1u);
        EXPECT_EQ(parameters[0], c.expected) << c.runMode << " " << Narrow(c.mode);
        EXPECT_EQ(LogHas(L"GetAutolaunchApps", L"Mode identified as Orlo"), EqualsNoCase(c.mode, L"orlo"));
    }
}

TEST_F(LaunchList, FamilyLauncherTakesOverTheDeletion)
{
    PlaceFamilyLauncher();
    Paths().PackageFiles = {extraction + L"Start.exe", extraction + L"InstData\\Resources\\Kam2.exe"};
    Flags().DeleteOnExit = 1;
    WriteProperties(L"[Runtime]\nAutoLaunch=Start.exe\nMode=orlo\n[1033]\nLaunchEXEParams=/q\n");
    Build();
    ASSERT_EQ(parameters.size(), 1u);
    EXPECT_EQ(parameters[0], L"/q " + Handshake());
    EXPECT_EQ(Flags().SelfDeleteOnExit, 0);
    // With waiting the file is written after the loop, not inside it.
    EXPECT_TRUE(LogHas(L"GetAutolaunchApps", L"Creation of ExtractedFilesToDelete.txt Failed"));
    EXPECT_TRUE(LogHas(L"GetAutolaunchApps", L"Writing to ExtractedFilesToDelete.txt is success"));
    EXPECT_EQ(testenv::ReadLines(ListFile()),
              (std::vector<std::string>{"[FilesToDelete]", Narrow(extraction + L"InstData\\Resources\\Kam2.exe"),
                                        Narrow(extraction + L"Start.exe"), Narrow(ListFile())}));
}

TEST_F(LaunchList, OnlyAFamilyLauncherWithItsProbeGetsTheHandshake)
{
    struct Case {
        const wchar_t* value;
        bool withProbe;
        int deleteOnExit;
        int runMode;
        const wchar_t* mode;
        bool handshake;
    };
    const Case cases[] = {
        {L"Start.exe", true, 1, kRunModeGui, L"Orlo", true},
        {L"Start.exe", false, 1, kRunModeGui, L"Orlo", false},   // probe file missing
        {L"Setup.exe", true, 1, kRunModeGui, L"Orlo", false},    // not a family launcher
        {L"Start.exe", true, 0, kRunModeGui, L"Orlo", false},    // delete on exit not asked
        {L"Start.exe", true, 1, kRunModeSilent, L"Orlo", false}, // Orlo mode: only the wizard
        {L"Start.exe", true, 1, kRunModeSilent, L"", true},      // other modes: any run mode
        {L"Disk1\\Start.exe", true, 1, kRunModeUnattended, L"", true},
    };
    for (const auto& c : cases) {
        ResetProcessContext();
        SetUp();
        const std::wstring value = c.value;
        const std::wstring folder = value.find(L'\\') == std::wstring::npos ? L"" : value.substr(0, value.find(L'\\'));
        if (c.withProbe) {
            PlaceFamilyLauncher(folder);
        }
        Place(value, value.find(L"Start.exe") != std::wstring::npos ? L"startexe\\Start.exe" : L"FakeSetup.exe");
        Place(L"Setup.exe");
        Flags().DeleteOnExit = c.deleteOnExit;
        Settings().SetRunMode(c.runMode);
        WriteProperties(L"[Runtime]\nAutoLaunch=" + value + L"\nMode=" + c.mode + L"\n[1033]\nLaunchEXEParams=/q\n");
        Build();
        ASSERT_EQ(parameters.size(), 1u) << Narrow(value);
        // Orlo mode outside the wizard adds the (empty) run-mode value after a blank.
        const std::wstring base = EqualsNoCase(c.mode, L"Orlo") && c.runMode != kRunModeGui ? L"/q " : L"/q";
        EXPECT_EQ(parameters[0], c.handshake ? base + L" " + Handshake() : base) << Narrow(value) << " " << c.runMode;
        EXPECT_EQ(testenv::PathExists(ListFile()), c.handshake) << Narrow(value);
        if (c.deleteOnExit == 1) {
            EXPECT_EQ(Flags().SelfDeleteOnExit, c.handshake ? 0 : 1) << Narrow(value);
        }
    }
}

TEST_F(LaunchList, OnlyTheLastProgramStartedKeepsTheHandshake)
{
    PlaceFamilyLauncher(L"A");
    PlaceFamilyLauncher(L"B");
    Place(L"Setup.exe");
    Flags().DeleteOnExit = 1;
    WriteProperties(L"[Runtime]\nMultilaunch=1\nAutoLaunch1=A\\Start.exe\nAutoLaunch2=B\\Start.exe\n"
                    L"[1033]\nLaunchEXEParams1=/a\nLaunchEXEParams2=/b\n");
    Build();
    EXPECT_EQ(parameters, (std::vector<std::wstring>{L"/a", L"/b " + Handshake()}));
    EXPECT_EQ(Flags().SelfDeleteOnExit, 0);
    EXPECT_TRUE(testenv::PathExists(ListFile()));

    // The launcher first, another setup last: nobody gets it and this program deletes at exit.
    ResetProcessContext();
    SetUp();
    PlaceFamilyLauncher(L"A");
    Place(L"Setup.exe");
    Flags().DeleteOnExit = 1;
    WriteProperties(L"[Runtime]\nMultilaunch=1\nAutoLaunch1=A\\Start.exe\nAutoLaunch2=Setup.exe\n"
                    L"[1033]\nLaunchEXEParams1=/a\nLaunchEXEParams2=/b\n");
    Build();
    EXPECT_EQ(parameters, (std::vector<std::wstring>{L"/a", L"/b"}));
    EXPECT_EQ(Flags().SelfDeleteOnExit, 1);
    EXPECT_FALSE(testenv::PathExists(ListFile()));
}

TEST_F(LaunchList, WithoutWaitingTheListIsWrittenForTheLauncherAtOnce)
{
    PlaceFamilyLauncher();
    Settings().SetWaitForAutolaunchFinish(0);
    Flags().DeleteOnExit = 1;
    WriteProperties(L"[Runtime]\nAutoLaunch=Start.exe\n[1033]\nLaunchEXEParams=/q\n");
    Build();
    EXPECT_EQ(parameters, std::vector<std::wstring>{L"/q " + Handshake()});
    EXPECT_TRUE(LogHas(L"GetAutolaunchApps", L"Writing to ExtractedFilesToDelete.txt is success"));
    EXPECT_FALSE(LogHas(L"GetAutolaunchApps", L"Creation of ExtractedFilesToDelete.txt Failed"));
    EXPECT_TRUE(testenv::PathExists(ListFile()));
    // Without waiting nothing is deleted at exit by this program anyway.
    EXPECT_EQ(Flags().SelfDeleteOnExit, 0);
}

TEST_F(LaunchList, AListFileThatCannotBeWrittenWholeLeavesTheDeletionHere)
{
    if (!testenv::SmallDriveMounted()) {
        GTEST_SKIP() << "the 1 MiB drive E: is not mounted (TARVEX_SMALL_DRIVE is not \"yes\")";
    }
    const std::wstring folder = L"E:\\list-full-" + CUtil::NewGuidString().substr(1, 8);
    extraction = folder + L"\\";
    ASSERT_TRUE(::CreateDirectoryW(folder.c_str(), nullptr));
    Settings().SetExtractionPath(extraction);
    testenv::WriteFileText(extraction + L"Start.exe", "x");
    MakeParents(extraction + L"InstData\\Resources\\Kam2.exe");
    testenv::WriteFileText(extraction + L"InstData\\Resources\\Kam2.exe", "x");
    // Fill the drive, then list more than the little room left can hold.
    ULARGE_INTEGER room{};
    ASSERT_TRUE(::GetDiskFreeSpaceExW(L"E:\\", &room, nullptr, nullptr));
    testenv::WriteFileBytes(extraction + L"filler.bin", std::vector<uint8_t>(room.QuadPart - room.QuadPart % 4096));
    for (int i = 0; i < 400; ++i) {
        Paths().PackageFiles.push_front(extraction + std::wstring(150, L'a') + std::to_wstring(i));
    }
    Flags().DeleteOnExit = 1;
    WriteProperties(L"[Runtime]\nAutoLaunch=Start.exe\n");
    Build();

    EXPECT_EQ(applications.size(), 1u);
    EXPECT_FALSE(LogHas(L"GetAutolaunchApps", L"Writing to ExtractedFilesToDelete.txt is success"));
    EXPECT_EQ(Flags().SelfDeleteOnExit, 1);
    CUtil::RemoveTree(folder);
}

TEST_F(LaunchList, NothingToStartLeavesTheDeletionHere)
{
    PlaceFamilyLauncher();
    Flags().DeleteOnExit = 1;
    WriteProperties(L"[Runtime]\nMultilaunch=1\nAutoLaunch1=Start.exe\nAutoLaunch2=Missing.exe\n");
    Build();
    EXPECT_TRUE(applications.empty());
    EXPECT_EQ(Settings().GetExtractionStatus(), 2);
    EXPECT_EQ(Flags().SelfDeleteOnExit, 1);
}

} // namespace
