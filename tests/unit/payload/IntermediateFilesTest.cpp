// ExtractIntermediateFiles as start-up runs it: a real process unpacks its own payload, located
// through the stamp in its own version resource.
#include <gtest/gtest.h>

#include "PayloadTestUtil.h"
#include "ProcessRunner.h"
#include "settings/Payload.h"

using namespace payloadtest;

namespace {
constexpr char kBanner[] =
    "------------------------------------------ Extraction ------------------------------------------";

// Runs the package with a destination and a log; returns its exit code.
DWORD RunProbe(const std::wstring& package, const std::wstring& destination, const std::wstring& log)
{
    // The folder goes without its trailing backslash: before a closing quote it would escape it.
    const auto result = testenv::RunProcess(package, {destination.substr(0, destination.size() - 1), log});
    EXPECT_TRUE(result.started) << result.startError;
    EXPECT_FALSE(result.timedOut);
    return result.exitCode;
}

bool HasLine(const std::vector<std::string>& lines, const std::string& label, const std::string& function,
             const std::string& message)
{
    std::string column = function;
    column.resize(35, ' ');
    for (const std::string& line : lines) {
        if (line.size() > 8 && line.substr(8) == "|" + label + "|" + column + " |" + message) {
            return true;
        }
    }
    return false;
}
} // namespace

TEST(IntermediateFiles, StampedPackageUnpacksItsSettingsFiles)
{
    testenv::ScratchDir dir(L"intermediate");
    const std::wstring pkg = dir / L"Package.exe";
    const std::wstring temp = dir / L"{TEMP}\\";
    const std::wstring log = dir / L"probe.log";
    ::CreateDirectoryW(temp.c_str(), nullptr);
    const auto properties = Pattern(2000, 1);
    MakePackage(pkg, {Entry(L"Properties_Orlo.ini", properties), Entry(L"Defaultx.ulf", Bytes("captions")),
                      Entry(L"WebCab1", Pattern(10000, 2), kPayloadPackageEntry)});

    EXPECT_EQ(RunProbe(pkg, temp, log), 0u);
    EXPECT_EQ(Tree(temp), (std::set<std::wstring>{L"Properties_Orlo.ini", L"Defaultx.ulf"}));
    EXPECT_EQ(testenv::ReadFileBytes(temp + L"Properties_Orlo.ini"), properties);
    const auto lines = testenv::ReadLines(log);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines[0], kBanner);
    EXPECT_TRUE(HasLine(lines, "          ", "ExtractFile", "Extracting file : " + Narrow(temp) + "Defaultx.ulf"));
    EXPECT_TRUE(HasLine(lines, "          ", "ExtractIntermediateFiles", "Extracted Setting files to " + Narrow(temp)));
}

TEST(IntermediateFiles, HostilePayloadFailsTheStart)
{
    testenv::ScratchDir dir(L"intermediate");
    const std::wstring pkg = dir / L"Package.exe";
    const std::wstring temp = dir / L"temp\\";
    const std::wstring log = dir / L"probe.log";
    ::CreateDirectoryW(temp.c_str(), nullptr);
    MakePackage(pkg, {Entry(L"Properties_Orlo.ini", Bytes("p"))});
    auto hostile = EncodePayloadEntryHeader(L"..\\evil.ini", 1, 200);
    hostile.push_back('e');
    AppendBytes(pkg, hostile);

    EXPECT_EQ(RunProbe(pkg, temp, log), static_cast<DWORD>(-1));
    EXPECT_EQ(Tree(dir.Path()),
              (std::set<std::wstring>{L"Package.exe", L"probe.log", L"temp\\", L"temp\\Properties_Orlo.ini"}));
    const auto lines = testenv::ReadLines(log);
    EXPECT_TRUE(HasLine(lines, "ERROR     ", "ExtractFile", "Invalid payload entry name : ..\\evil.ini"));
    EXPECT_TRUE(HasLine(lines, "ERROR     ", "ExtractIntermediateFiles",
                        "An error occured during extraction of Setting files"));
}

TEST(IntermediateFiles, UnstampedExecutableExtractsNothing)
{
    testenv::ScratchDir dir(L"intermediate");
    const std::wstring pkg = dir / L"Unstamped.exe";
    const std::wstring temp = dir / L"temp\\";
    const std::wstring log = dir / L"probe.log";
    ::CreateDirectoryW(temp.c_str(), nullptr);
    ASSERT_TRUE(::CopyFileW(Stub().c_str(), pkg.c_str(), FALSE));
    std::wstring error;
    ASSERT_EQ(CPayloadWriter::AppendEntries(pkg, {Entry(L"Properties_Orlo.ini", Bytes("p"))}, error), 0u);

    EXPECT_EQ(RunProbe(pkg, temp, log), 0u);
    EXPECT_TRUE(Tree(temp).empty());
    const auto lines = testenv::ReadLines(log);
    EXPECT_TRUE(HasLine(lines, "          ", "ExtractFile", "Attached files are extracted"));
    EXPECT_TRUE(HasLine(lines, "          ", "ExtractIntermediateFiles", "Extracted Setting files to " + Narrow(temp)));
}
