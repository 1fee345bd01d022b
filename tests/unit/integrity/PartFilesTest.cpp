// Finding part 1 and checking every listed part: result codes, failing part and log lines.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <list>
#include <string>
#include <vector>

#include "TestCabinet.h"
#include "TestEnv.h"
#include "cabinet/CabDecompressor.h"
#include "log/BuildLogFile.h"
#include "settings/OrloInitalizer.h"
#include "util/ProcessContext.h"
#include "util/StringUtil.h"
#include "util/WideFormat.h"
#include "validation/ExtractorValidator.h"

namespace {

constexpr uint16_t kSetId = 321;

class PartFiles : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetProcessContext();
        Settings().SetCabinetSetId(kSetId);
        m_package = m_dir / L"pkg\\";
        ::CreateDirectoryW(m_package.c_str(), nullptr);
        Validator().SetPackageExecutable(m_package + L"Pack1.exe");
        Validator().SetPropertiesPath(m_dir / L"Properties_Orlo.ini");
        Log().Init(m_dir / L"extraction.log", kLogLevelDebug);
    }
    void TearDown() override { ResetProcessContext(); }

    // Four parts of a set and a properties file that lists them with their hashes.
    void MakePackage(const std::wstring& multipartName = L"Pack", int parts = 4)
    {
        testcab::SetOptions options;
        options.folder = m_package;
        options.setId = kSetId;
        options.dataPerCabinet = 40 * 1024;
        std::vector<testcab::File> files;
        for (int i = 0; i < parts; ++i) {
            files.push_back(testcab::MakeFile("\\f" + std::to_string(i) + ".bin", 40 * 1024, static_cast<uint32_t>(i)));
        }
        m_parts = testcab::WriteSet(options, files);
        ASSERT_EQ(m_parts.size(), static_cast<size_t>(parts));
        std::wstring ini = L"[Package]\r\nMultipartFileName=" + multipartName + L"\r\n[PartFileIno]\r\n";
        for (int i = 1; i <= parts; ++i) {
            ini += FormatW(L"%03d=Y2017:M12:D6:H21:M53:S42:MS%d\r\n", i, i);
        }
        ini += L"[HashCode]\r\n";
        for (int i = 1; i <= parts; ++i) {
            std::wstring hash;
            std::wstring error;
            CExtractorValidator::ComputeFileMd5(m_parts[static_cast<size_t>(i - 1)], hash, error);
            ini += FormatW(L"%03d=%ls\r\n", i, hash.c_str());
        }
        testenv::WriteUtf16File(Validator().GetPropertiesPath(), ini);
    }
    void SetKey(const wchar_t* section, const wchar_t* key, const std::wstring& value)
    {
        ::WritePrivateProfileStringW(section, key, value.empty() ? nullptr : value.c_str(),
                                     Validator().GetPropertiesPath().c_str());
    }
    int Validate()
    {
        m_failed.clear();
        m_lines.clear();
        return Validator().ValidateParts(m_failed, 0, m_lines);
    }
    // The log lines in the order in which they were produced.
    std::vector<std::wstring> Lines() const { return std::vector<std::wstring>(m_lines.rbegin(), m_lines.rend()); }
    std::string LogText() const { return testenv::ReadFileText(m_dir / L"extraction.log"); }

    testenv::ScratchDir m_dir{L"parts"};
    std::wstring m_package;
    std::vector<std::wstring> m_parts;
    std::wstring m_failed;
    std::list<std::wstring> m_lines;
};

std::wstring HashOf(const std::wstring& path)
{
    std::wstring hash;
    std::wstring error;
    CExtractorValidator::ComputeFileMd5(path, hash, error);
    return hash;
}

TEST_F(PartFiles, FourValidParts)
{
    MakePackage();
    EXPECT_EQ(Validate(), 0);
    EXPECT_TRUE(m_failed.empty());
    std::vector<std::wstring> expected;
    for (const auto& part : m_parts) {
        expected.push_back(L"Validating cabinet : " + part);
        expected.push_back(L"Hash code for : " + part + L" is :" + HashOf(part));
    }
    EXPECT_EQ(Lines(), expected);
    EXPECT_EQ(Validator().GetFirstPartName(), L"Pack.001");
    EXPECT_EQ(Validator().GetPartNamePattern(), L"Pack.%03d");
}

TEST_F(PartFiles, FallbackBaseFromTheExecutableName)
{
    MakePackage(L"NoSuchName");
    EXPECT_EQ(Validate(), 0);
    EXPECT_EQ(Validator().GetPartNamePattern(), L"Pack.%03d");
    EXPECT_EQ(Validator().GetFirstPartName(), L"Pack.001");
    EXPECT_EQ(Lines().size(), 8u);
}

TEST_F(PartFiles, FallbackNeedsANonZeroSetId)
{
    MakePackage(L"NoSuchName");
    Settings().SetCabinetSetId(0);
    EXPECT_EQ(Validate(), -2);
    EXPECT_EQ(m_failed, m_package + L"NoSuchName.001");
    EXPECT_EQ(Lines(), (std::vector<std::wstring>{L"Multi part File not found : " + m_package + L"NoSuchName.001"}));
    EXPECT_TRUE(Validator().GetFirstPartName().empty());
    EXPECT_TRUE(Validator().GetPartNamePattern().empty());
}

TEST_F(PartFiles, NamedPartOfAnotherSetFallsBackToTheExecutableName)
{
    MakePackage();
    Settings().SetCabinetSetId(kSetId + 1); // Pack.001 is not ours; the fallback does not read headers
    std::wstring failed;
    std::list<std::wstring> lines;
    EXPECT_EQ(Validator().GetValidPartName(failed, lines), m_package + L"Pack.001");
    EXPECT_EQ(Validate(), -3); // ...but every header check fails
}

TEST_F(PartFiles, LaterFailureWins)
{
    MakePackage();
    ASSERT_TRUE(::DeleteFileW(m_parts[1].c_str()));
    SetKey(L"HashCode", L"003", L"00000000000000000000000000000000");
    EXPECT_EQ(Validate(), -5);
    EXPECT_EQ(m_failed, m_parts[2]);
    const auto lines = Lines();
    EXPECT_NE(std::find(lines.begin(), lines.end(), L"Multi part File not found : " + m_parts[1]), lines.end());
    EXPECT_NE(std::find(lines.begin(), lines.end(), L"File is corrupt  : " + m_parts[2]), lines.end());
    // Every listed part is still checked.
    EXPECT_NE(std::find(lines.begin(), lines.end(), L"Validating cabinet : " + m_parts[3]), lines.end());

    MakePackage();
    SetKey(L"HashCode", L"002", L"00000000000000000000000000000000");
    ASSERT_TRUE(::DeleteFileW(m_parts[2].c_str()));
    EXPECT_EQ(Validate(), -2);
    EXPECT_EQ(m_failed, m_parts[2]);
}

TEST_F(PartFiles, UpperCaseHashIsAMismatch)
{
    MakePackage();
    SetKey(L"HashCode", L"002", ToUpperW(HashOf(m_parts[1])));
    EXPECT_EQ(Validate(), -5);
    EXPECT_EQ(m_failed, m_parts[1]);
}

TEST_F(PartFiles, ListEndsAtTheFirstMissingPartFileInfoKey)
{
    MakePackage();
    SetKey(L"PartFileIno", L"001", L"");
    ASSERT_TRUE(::DeleteFileW(m_parts[3].c_str())); // not listed any more, so not missed
    EXPECT_EQ(Validate(), 0);
    EXPECT_TRUE(Lines().empty());

    MakePackage();
    SetKey(L"PartFileIno", L"003", L"");
    SetKey(L"HashCode", L"004", L"bad");
    EXPECT_EQ(Validate(), 0); // 001 and 002 only: a gap ends the list
    EXPECT_EQ(Lines().size(), 4u);
}

TEST_F(PartFiles, EmptyPartHashesLikeNothingAndFailsTheHeaderCheck)
{
    MakePackage();
    testenv::WriteFileBytes(m_parts[1], {});
    SetKey(L"HashCode", L"002", L"d41d8cd98f00b204e9800998ecf8427e");
    EXPECT_EQ(Validate(), -3);
    EXPECT_EQ(m_failed, m_parts[1]);
    const auto lines = Lines();
    EXPECT_NE(std::find(lines.begin(), lines.end(),
                        L"Hash code for : " + m_parts[1] + L" is :d41d8cd98f00b204e9800998ecf8427e"),
              lines.end());
    EXPECT_NE(std::find(lines.begin(), lines.end(), L"Could not get the file status of the file : " + m_parts[1]),
              lines.end());
}

TEST_F(PartFiles, WrongSetIdOrCabinetIndexFailsTheHeaderCheck)
{
    MakePackage();
    testcab::SetOptions options;
    options.folder = m_dir.Path();
    options.baseName = L"Other";
    options.setId = kSetId + 7;
    const auto other = testcab::WriteSet(options, {testcab::MakeFile("\\x.bin", 10, 1)});
    ASSERT_TRUE(::CopyFileW(other[0].c_str(), m_parts[2].c_str(), FALSE));
    SetKey(L"HashCode", L"003", HashOf(m_parts[2]));
    EXPECT_EQ(Validate(), -3);
    EXPECT_EQ(m_failed, m_parts[2]);
    EXPECT_NE(LogText().find("Cabinet GUID not matching"), std::string::npos);

    // Part 3 on disk holds the header of part 2.
    MakePackage();
    ASSERT_TRUE(::CopyFileW(m_parts[1].c_str(), m_parts[2].c_str(), FALSE));
    SetKey(L"HashCode", L"003", HashOf(m_parts[2]));
    EXPECT_EQ(Validate(), -3);
    EXPECT_EQ(m_failed, m_parts[2]);
    const std::string log = LogText();
    EXPECT_NE(log.find("Cabinet number from Name : 003"), std::string::npos);
    EXPECT_NE(log.find("Cabinet number from Cabinet information : 1"), std::string::npos);
    EXPECT_NE(log.find("Cabinet ID not correct"), std::string::npos);
}

TEST_F(PartFiles, PartNumberMustBePositiveDigits)
{
    MakePackage();
    CabEngineOptions options;
    options.setId = Settings().GetCabinetSetId();
    for (const wchar_t* name : {L"Copy.000", L"Copy.abc", L"Copy.0a1"}) {
        ASSERT_TRUE(::CopyFileW(m_parts[0].c_str(), (m_package + name).c_str(), FALSE));
        CCabDecompressor header(options, Flags(), Paths(), Log());
        EXPECT_FALSE(header.ValidateCabinetFile(m_package + name)) << name;
    }
    CCabDecompressor header(options, Flags(), Paths(), Log());
    EXPECT_TRUE(header.ValidateCabinetFile(m_parts[2])); // part 3 with cabinet index 2
    EXPECT_NE(LogText().find("Could not get cab number for cabinet."), std::string::npos);
}

TEST_F(PartFiles, PathOf256CharactersCountsAsMissing)
{
    // The package folder is made so long that "...\Pack.001" has 256 characters.
    std::wstring folder = m_dir.Path();
    folder += std::wstring(256 - folder.size() - 9, L'p');
    const std::wstring part1 = folder + L"\\Pack.001";
    ASSERT_EQ(part1.size(), 256u);
    ASSERT_TRUE(::CreateDirectoryW((L"\\\\?\\" + folder).c_str(), nullptr));
    testcab::SetOptions options;
    options.folder = L"\\\\?\\" + folder + L"\\";
    options.setId = kSetId;
    testcab::WriteSet(options, {testcab::MakeFile("\\x.bin", 10, 1)});
    ASSERT_NE(::GetFileAttributesW((L"\\\\?\\" + part1).c_str()), INVALID_FILE_ATTRIBUTES);
    testenv::WriteUtf16File(Validator().GetPropertiesPath(),
                            L"[Package]\r\nMultipartFileName=Pack\r\n[PartFileIno]\r\n001=x\r\n");
    Validator().SetPackageExecutable(folder + L"\\Pack1.exe");
    EXPECT_EQ(Validate(), -2);
    EXPECT_EQ(m_failed, part1);
    ::DeleteFileW((L"\\\\?\\" + part1).c_str());
    ::RemoveDirectoryW((L"\\\\?\\" + folder).c_str());
}

TEST_F(PartFiles, PropertiesFileEditedAfterStartUpIsNoticed)
{
    testenv::WriteUtf16File(Validator().GetPropertiesPath(), L"[Package]\r\nDisplayName=One\r\n");
    std::wstring baseline;
    std::wstring error;
    ASSERT_EQ(CExtractorValidator::ComputeFileMd5(Validator().GetPropertiesPath(), baseline, error), 0u);
    Validator().SetParameterFileBaseline(baseline);
    EXPECT_TRUE(Validator().IsParameterFileNotCorrupt());
    EXPECT_EQ(LogText().find("Settings have been corrupted"), std::string::npos);
    EXPECT_NE(LogText().find("Generating hash code for  : " + WideToUtf8(Validator().GetPropertiesPath())),
              std::string::npos);

    SetKey(L"Package", L"DisplayName", L"Two");
    EXPECT_FALSE(Validator().IsParameterFileNotCorrupt());
    EXPECT_NE(LogText().find("Settings have been corrupted. Please start the package again."), std::string::npos);

    // No baseline taken at start-up: nothing to compare with.
    Validator().SetParameterFileBaseline(L"");
    EXPECT_TRUE(Validator().IsParameterFileNotCorrupt());
    Validator().SetParameterFileBaseline(baseline);

    // A file that cannot be hashed any more counts as unchanged.
    ASSERT_TRUE(::DeleteFileW(Validator().GetPropertiesPath().c_str()));
    EXPECT_TRUE(Validator().IsParameterFileNotCorrupt());
    EXPECT_NE(LogText().find(" : Return Code : 2"), std::string::npos);
}

} // namespace
