// {File} conditions against real files: presence, environment tokens, registry properties in paths,
// versions of a file with and without a version resource.
#include <gtest/gtest.h>

#include "ConditionTestSupport.h"
#include "TestEnv.h"
#include "conditions/InstallFile.h"

using condtest::ConditionTest;
using condtest::RegistryTestKey;

class FileConditionTest : public ConditionTest {
protected:
    void SetUp() override
    {
        ConditionTest::SetUp();
        testenv::WriteFileText(m_dir / L"present.txt", "no version resource here");
        ASSERT_TRUE(testenv::PathExists(m_versioned)) << "the versioned fixture is built beside the tests";
    }

    std::wstring Folder() const { return m_dir.Path().substr(0, m_dir.Path().size() - 1); } // without "\"

    const std::wstring m_versioned = testenv::BinDir() + L"versioned.exe";
};

TEST_F(FileConditionTest, ReadsTheFixedFileVersion)
{
    std::wstring version = L"untouched";
    EXPECT_EQ(CInstallFile::GetFileVersion(m_versioned, version), 0u);
    EXPECT_EQ(version, L"5.4.3.2"); // the file version, not the product version 9.8.7.6

    version = L"untouched";
    EXPECT_NE(CInstallFile::GetFileVersion(m_dir / L"present.txt", version), 0u);
    EXPECT_EQ(version, L"untouched");
    EXPECT_NE(CInstallFile::GetFileVersion(m_dir / L"missing.dll", version), 0u);
    EXPECT_EQ(version, L"untouched");
}

TEST_F(FileConditionTest, TestsPresence)
{
    const std::wstring present = m_dir / L"present.txt";
    const std::wstring missing = m_dir / L"missing.txt";
    condtest::ExpectResults(m_dir, {
                                       {L"{File};{" + present + L"};{EXIST};{};{}", 1},
                                       {L"{File};{" + present + L"};{NOTEXIST};{};{}", 0},
                                       {L"{File};{" + present + L"};{};{};{}", 1},
                                       {L"{file};{" + present + L"};{exist};{};{}", 1},
                                       {L"{File};{ " + present + L" };{ E X I S T };{};{}", 1},
                                       {L"{File};{" + missing + L"};{EXIST};{};{}", 0},
                                       {L"{File};{" + missing + L"};{NOTEXIST};{};{}", 1},
                                       {L"{File};{" + missing + L"};{};{};{}", 0},
                                       // Folders count; this one ends with the "}" of its GUID.
                                       {L"{File};{" + Folder() + L"};{EXIST};{};{}", 1},
                                       {L"{File};{" + (m_dir / L"*.txt") + L"};{EXIST};{};{}", 1},
                                       {L"{File};{" + (m_dir / L"*.dll") + L"};{EXIST};{};{}", 0},
                                   });
}

TEST_F(FileConditionTest, ExpandsEnvironmentTokens)
{
    testenv::ScopedEnv folder(L"TARVEX_COND_FOLDER", Folder());
    testenv::ScopedEnv slashed(L"TARVEX_COND_SLASHED", m_dir.Path());
    ::SetEnvironmentVariableW(L"TARVEX_COND_UNSET", nullptr);
    condtest::ExpectResults(m_dir, {
                                       {L"{File};{[%TARVEX_COND_FOLDER%]present.txt};{EXIST};{};{}", 1},
                                       {L"{File};{[%TARVEX_COND_SLASHED%]present.txt};{EXIST};{};{}", 1},
                                       {L"{File};{[%TARVEX_COND_UNSET%]present.txt};{EXIST};{};{}", 0},
                                       {L"{File};{[%TARVEX_COND_UNSET%]present.txt};{NOTEXIST};{};{}", 1},
                                       {L"{File};{[%WINDIR%]notepad.exe};{EXIST};{};{}", 1},
                                       {L"{File};{[%WINDIR%]no-such-program.exe};{EXIST};{};{}", 0},
                                   });
}

TEST_F(FileConditionTest, ComparesVersions)
{
    const std::wstring text = m_dir / L"present.txt";
    const std::wstring missing = m_dir / L"missing.dll";
    condtest::ExpectResults(m_dir, {
                                       {L"{File};{" + m_versioned + L"};{=};{5.4.3.2};{}", 1},
                                       {L"{File};{" + m_versioned + L"};{>=};{5.4};{}", 1},
                                       {L"{File};{" + m_versioned + L"};{>};{5.4.3.2};{}", 0},
                                       {L"{File};{" + m_versioned + L"};{<};{5.4.3.10};{}", 1},
                                       {L"{File};{" + m_versioned + L"};{<=};{5.4.3.1};{}", 0},
                                       {L"{File};{" + m_versioned + L"};{!=};{9.8.7.6};{}", 1},
                                       {L"{File};{" + m_versioned + L"};{ = };{ 5.4.3.2 };{}", 1},
                                       // An empty expected version equals every version.
                                       {L"{File};{" + m_versioned + L"};{=};{};{}", 1},
                                       {L"{File};{" + m_versioned + L"};{>=};{};{}", 1},
                                       {L"{File};{" + m_versioned + L"};{<=};{};{}", 1},
                                       {L"{File};{" + m_versioned + L"};{!=};{};{}", 0},
                                       {L"{File};{" + m_versioned + L"};{>};{};{}", 0},
                                       {L"{File};{" + m_versioned + L"};{<};{};{}", 0},
                                       // Without a version resource only {=} against nothing holds.
                                       {L"{File};{" + text + L"};{=};{};{}", 1},
                                       {L"{File};{" + text + L"};{=};{1.0};{}", 0},
                                       {L"{File};{" + text + L"};{>=};{};{}", 0},
                                       {L"{File};{" + text + L"};{!=};{1.0};{}", 0},
                                       {L"{File};{" + text + L"};{<};{1.0};{}", 0},
                                       {L"{File};{" + missing + L"};{>=};{1.0};{}", 0},
                                   });
}

TEST_F(FileConditionTest, RefusesPathsOfTwoHundredFiftySixCharacters)
{
    // Two existing files whose full paths have 255 and 256 characters.
    const std::wstring stem = m_dir.Path() + L"long-";
    ASSERT_LT(stem.size() + 8, 255u);
    const std::wstring path255 = stem + std::wstring(255 - stem.size() - 4, L'a') + L".txt";
    const std::wstring path256 = stem + std::wstring(256 - stem.size() - 4, L'b') + L".txt";
    ASSERT_EQ(path255.size(), 255u);
    ASSERT_EQ(path256.size(), 256u);
    testenv::WriteFileText(path255, "x");
    testenv::WriteFileText(path256, "x");
    ASSERT_TRUE(testenv::PathExists(path256));

    condtest::ExpectResults(m_dir, {
                                       {L"{File};{" + path255 + L"};{EXIST};{};{}", 1},
                                       {L"{File};{" + path256 + L"};{EXIST};{};{}", 0},
                                       {L"{File};{" + path256 + L"};{NOTEXIST};{};{}", 1},
                                   });
}

TEST_F(FileConditionTest, PutsRegistryPropertiesIntoLocations)
{
    RegistryTestKey key32(HKEY_CURRENT_USER, L"CondFile", false);
    RegistryTestKey key64(HKEY_CURRENT_USER, L"CondFile", true);
    key32.SetString(L"Folder", Folder());
    key64.SetString(L"Slashed", m_dir.Path());

    const std::wstring path = condtest::WriteProperties(
        m_dir, {L"[Conditions]",
                L"Action1=Extract",
                L"Action1Condition=" + condtest::AndOfConditions(6),
                L"Condition1={Registry};{HKEY_CURRENT_USER\\[APPDIR]};{NOTEXIST};{};{}",
                L"Condition2={File};{[APPDIR]present.txt};{EXIST};{};{}",
                L"Condition3={File};{[APPDIR]present.txt};{EXIST};{};{}",
                L"Condition4={Registry};{HKEY_CURRENT_USER\\[APPDIR]};{NOTEXIST};{};{}",
                L"Condition5={File};{[SLASHED]present.txt};{EXIST};{};{}",
                L"Condition6={File};{[UNREAD]" + (m_dir / L"present.txt") + L"};{EXIST};{};{}",
                L"[ReadRegEntries]",
                L"Root1=1",
                L"Key1=" + key32.SubKey(),
                L"Entry1=Folder",
                L"Property1=APPDIR",
                L"Root2=1",
                L"Key2=" + key32.SubKey(),
                L"Entry2=NoSuchValue",
                L"Property2=UNREAD",
                L"[ReadRegEntries64]",
                L"Root1=1",
                L"Key1=" + key64.SubKey(),
                L"Entry1=Slashed",
                L"Property1=SLASHED"});
    const auto condition = condtest::EvaluateAll(path);
    const auto& conditions = condition->Conditions();
    ASSERT_EQ(conditions.size(), 6u);

    // The trailing backslash comes with the first {File} condition and stays for those after it.
    EXPECT_EQ(conditions[0].Location, L"{HKEY_CURRENT_USER\\" + Folder() + L"}");
    EXPECT_EQ(conditions[1].Location, L"{" + m_dir.Path() + L"present.txt}");
    EXPECT_EQ(conditions[2].Location, L"{" + m_dir.Path() + L"present.txt}");
    EXPECT_EQ(conditions[3].Location, L"{HKEY_CURRENT_USER\\" + m_dir.Path() + L"}");
    EXPECT_EQ(conditions[4].Location, L"{" + m_dir.Path() + L"present.txt}");  // no second backslash
    EXPECT_EQ(conditions[5].Location, L"{" + (m_dir / L"present.txt") + L"}"); // unread: token removed
    for (const CConditionParts& parts : conditions) {
        EXPECT_EQ(parts.Result, 1) << testing::PrintToString(parts.Location);
    }
    EXPECT_EQ(condition->Actions().at(0).Result, 1);
}
