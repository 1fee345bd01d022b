// COSValidator and CheckOS over real UTF-16 properties files and the real log: the section reader's
// limits and key rules, the per-OS extraction path, the stored OS messages, and the live query.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "OsTestSystems.h"
#include "TestEnv.h"
#include "log/BuildLogFile.h"
#include "settings/OrloInitalizer.h"
#include "util/ProcessContext.h"
#include "util/StringUtil.h"
#include "validation/ExtractorValidator.h"
#include "validation/OSValidator.h"

using namespace ostest;

namespace {

class OSValidatorFile : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetProcessContext();
        m_log = m_dir / L"os.log";
        Log().Init(m_log, 9);
    }

    // Writes the properties file and points the OS validator at it.
    void Properties(const std::wstring& text)
    {
        const std::wstring path = m_dir / L"Properties_Orlo.ini";
        testenv::WriteUtf16File(path, text);
        OsValidator().SetPropertiesPath(path);
    }

    bool LogHas(const std::string& fragment) const
    {
        for (const auto& line : testenv::ReadLines(m_log)) {
            if (line.find(fragment) != std::string::npos) {
                return true;
            }
        }
        return false;
    }

    testenv::ScratchDir m_dir{L"osini"};
    std::wstring m_log;
};

const OSFacts kWin7x64Pro = Nt(6, 1, 1, kArchX64, 48, L"Service Pack 1", 1);
const OSFacts kWin7x64HomeBasic = Nt(6, 1, 1, kArchX64, 2);
const OSFacts kXpHome = WithSuite(Nt(5, 1, 1, kArchX86), kSuitePersonal);

} // namespace

TEST_F(OSValidatorFile, RulesFromTheFile)
{
    // Keys are matched without regard to case; a key disabled with ";" is none.
    Properties(L"[OS]\r\nOSAllowed=WindowsXP;Windows7;Windows764\r\nWINDOWS764EXCLUDE=SKU2;SKU3\r\n"
               L";Windows764Exclude=SKU48\r\n// a comment line\r\n");
    EXPECT_EQ(OsValidator().IdentifyOSFromFacts(kWin7x64HomeBasic, false), 302);
    EXPECT_FALSE(OsValidator().IsOSSupported());
    EXPECT_EQ(OsValidator().IdentifyOSFromFacts(kWin7x64Pro, false), 300);
    EXPECT_TRUE(OsValidator().IsOSSupported());
    EXPECT_TRUE(LogHas("|OSVersion                           |Operating System : Windows764"));
    EXPECT_TRUE(LogHas("|CheckOSVariant                      |windows764exclude  : SKU2;SKU3"));
    EXPECT_TRUE(LogHas("Supported OSes : WindowsXP;Windows7;Windows764"));

    // No [OS] section at all: every system is refused.
    Properties(L"[Package]\r\nName=x\r\n");
    EXPECT_EQ(OsValidator().IdentifyOSFromFacts(kWin7x64Pro, false), 302);
    EXPECT_TRUE(LogHas("No OSes are supported"));
}

TEST_F(OSValidatorFile, OnlyTheFirst2000CharactersOfTheSectionCount)
{
    const std::wstring filler = L"Filler=" + std::wstring(2100, L'x') + L"\r\n";
    // The exclusion lies beyond the limit: it does not exist for the evaluation.
    Properties(L"[OS]\r\nOSAllowed=Windows764\r\n" + filler + L"Windows764Exclude=SKU48\r\n");
    EXPECT_EQ(OsValidator().IdentifyOSFromFacts(kWin7x64Pro, false), 300);
    EXPECT_EQ(OsValidator().GetOSSection().count(L"windows764exclude"), 0u);
    // Before the filler it does.
    Properties(L"[OS]\r\nOSAllowed=Windows764\r\nWindows764Exclude=SKU48\r\n" + filler);
    EXPECT_EQ(OsValidator().IdentifyOSFromFacts(kWin7x64Pro, false), 302);
    // OSAllowed itself beyond the limit: no system is supported.
    Properties(L"[OS]\r\n" + filler + L"OSAllowed=Windows764\r\n");
    EXPECT_EQ(OsValidator().IdentifyOSFromFacts(kWin7x64Pro, false), 302);

    // A rule cut by the limit must not apply with its cut value: with 1947 filler characters the
    // 2000-character read ends in "Windows764Exclude=SKU4", which would exclude Enterprise (SKU4).
    Properties(L"[OS]\r\nOSAllowed=Windows764\r\nFiller=" + std::wstring(1947, L'y') +
               L"\r\nWindows764Exclude=SKU48;SKU3\r\n");
    EXPECT_EQ(OsValidator().IdentifyOSFromFacts(Nt(6, 1, 1, kArchX64, 4), false), 300); // SKU4 Enterprise
    EXPECT_EQ(OsValidator().GetOSSection().count(L"windows764exclude"), 0u);
}

TEST_F(OSValidatorFile, ExtractPathPrefersTheFamilyName)
{
    Properties(L"[OS]\r\nWindowsXPExtractPath=C:\\ByName\r\nWindows51ExtractPath=C:\\ByVersion\r\n");
    OsValidator().IdentifyOSFromFacts(kXpHome, false);
    EXPECT_EQ(OsValidator().GetExtractPathForOS(), L"C:\\ByName");
    EXPECT_TRUE(LogHas("|GetExtractPathForOS                 |WindowsXPExtractPath : C:\\ByName"));

    Properties(L"[OS]\r\nWindows51ExtractPath=C:\\ByVersion\r\n");
    EXPECT_EQ(OsValidator().GetExtractPathForOS(), L"C:\\ByVersion");

    // 64-bit Windows 7: the family tokens carry no "64".
    Properties(L"[OS]\r\nWindows764ExtractPath=C:\\Never\r\nWindows61ExtractPath=D:\\Seven\r\n");
    OsValidator().IdentifyOSFromFacts(kWin7x64Pro, false);
    EXPECT_EQ(OsValidator().GetExtractPathForOS(), L"D:\\Seven");
    Properties(L"[OS]\r\nWindows7ExtractPath=D:\\Name\r\nWindows61ExtractPath=D:\\Seven\r\n");
    EXPECT_EQ(OsValidator().GetExtractPathForOS(), L"D:\\Name");
    Properties(L"[OS]\r\nWindows764ExtractPath=C:\\Never\r\n");
    EXPECT_EQ(OsValidator().GetExtractPathForOS(), L"");
}

TEST_F(OSValidatorFile, CheckOSStoresTheMessage)
{
    Properties(L"[OS]\r\nOSAllowed=WindowsXP;Windows764\r\nWindowsXPExclude=0&&Home\r\nWindows764Warning=SKU48\r\n"
               L"[1033]\r\nMsgSupportedOS=Windows 7[NEWLINE]Windows 10\r\n"
               L"MsgOSError=[OSNAME] [OSEDITION] [OSSERVICEPACK] is not supported.[NEWLINE][TAB][MsgSupportedOS]\r\n"
               L"MsgOSWarning=[OSNAME] ([OSEDITION], [OSSERVICEPACK]) is not tested.\r\n");
    // XP Home without service pack: the "0" atom makes the number "0", read as message 422.
    ASSERT_EQ(OsValidator().IdentifyOSFromFacts(kXpHome, false), 302);
    EXPECT_EQ(Validator().CheckOS(302, 1033, 0, 1), 302);
    EXPECT_EQ(Settings().GetFinishMessage(),
              L"WindowsXP Home without any service pack is not supported.\n\tWindows 7\nWindows 10");
    EXPECT_TRUE(LogHas("|CheckOS                             |Message to be displayed : WindowsXP Home without any "
                       "service pack is not supported."));

    ASSERT_EQ(OsValidator().IdentifyOSFromFacts(kWin7x64Pro, false), 301);
    EXPECT_EQ(Validator().CheckOS(301, 1033, 0, 0), 301);
    EXPECT_EQ(Settings().GetFinishMessage(), L"Windows7 64 Bit (Professional, SP1) is not tested.");
    EXPECT_EQ(OsValidator().GetNotSupportedQuestion(),
              L"Windows7 64 Bit Professional SP1 is not supported. Do you want to continue?");

    // 300 clears an earlier message; a language without texts gives an empty one.
    EXPECT_EQ(Validator().CheckOS(300, 1033, 0, 0), 300);
    EXPECT_EQ(Settings().GetFinishMessage(), L"");
    Settings().SetFinishMessage(L"earlier");
    EXPECT_EQ(Validator().CheckOS(302, 1031, 0, 0), 302);
    EXPECT_EQ(Settings().GetFinishMessage(), L"");
}

TEST_F(OSValidatorFile, LiveQuery)
{
    // The test program has no supportedOS manifest, so Wine may cap the version at 6.2; either way
    // it is at least Windows 7 and no Windows XP.
    Properties(L"[OS]\r\nOSAllowed=Windows61+\r\n");
    EXPECT_EQ(OsValidator().IdentifyOS(true), 300);
    EXPECT_TRUE(LogHas("|OSVersion                           |OS Version : "));
    EXPECT_TRUE(LogHas("|OSVersion                           |Major Version : "));
    EXPECT_EQ(OsValidator().IdentifyOS(false), 300);
    EXPECT_FALSE(OsValidator().GetDisplayName().empty());
    EXPECT_EQ(OsValidator().GetNameToken(), ToLowerW(OsValidator().GetDisplayName()));
    EXPECT_TRUE(LogHas("|OSVersion                           |Operating System : " +
                       WideToUtf8(OsValidator().GetDisplayName())));

    Properties(L"[OS]\r\nOSAllowed=WindowsXP\r\n");
    EXPECT_EQ(OsValidator().IdentifyOS(false), 302);
    EXPECT_TRUE(LogHas("Show Error for OS"));
}

TEST_F(OSValidatorFile, FailedQueryCountsAsSupported)
{
    Properties(L"[OS]\r\nOSAllowed=WindowsXP\r\n");
    const OSFacts failed;
    EXPECT_EQ(OsValidator().IdentifyOSFromFacts(failed, false), 300);
    EXPECT_TRUE(LogHas("|ERROR     |IdentifyOS                          |GetVersionEx() failed"));
    EXPECT_EQ(OsValidator().GetEditionDisplayName(), L"Unknown Product");

    OSFacts noProductInfo = kWin7x64Pro;
    noProductInfo.productInfoAvailable = false;
    EXPECT_EQ(OsValidator().IdentifyOSFromFacts(noProductInfo, false), 300);
    EXPECT_TRUE(LogHas("|ERROR     |GetProcAddress                      |Failed to get the OS information"));
}
