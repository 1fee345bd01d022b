// Setup language, the command-line autolaunch switch and the license-file lookup.
#include <gtest/gtest.h>

#include <list>
#include <memory>
#include <string>
#include <vector>

#include "LogCapture.h"
#include "TestEnv.h"
#include "log/LogFormat.h"
#include "settings/Messages.h"
#include "settings/OrloInitalizer.h"
#include "util/ProcessContext.h"
#include "util/Util.h"
#include "validation/ExtractorValidator.h"

namespace {

class LanguageChecks : public ::testing::Test {
protected:
    void SetUp() override { Fresh(); }
    void TearDown() override
    {
        ResetProcessContext();
        ClearMessageTable();
    }
    void Fresh()
    {
        ResetProcessContext();
        ClearMessageTable();
        log = std::make_unique<testenv::LogCapture>(dir / (L"test-" + CUtil::NewGuidString() + L".log"));
        Settings().SetOrloTempDirPath(dir.Path());
        Validator().SetPropertiesPath(dir / kPropertiesFileName);
    }
    void WriteProperties(const std::wstring& body) const { testenv::WriteUtf16File(dir / kPropertiesFileName, body); }

    testenv::ScratchDir dir{L"langcheck"};
    std::unique_ptr<testenv::LogCapture> log;
};

TEST_F(LanguageChecks, CommandLineSetupLanguage)
{
    const std::wstring invalid = L"Invalid Command line parameter for SetupLanguage. English taken as default SetupLanguage";
    const std::wstring unsupported = L"Language not supported. Default English taken as Setup language";
    const std::wstring twelve = L"1033;1031;1036;1034;1040;1041;2052;1028;1042;1049;1045;1029";
    struct Row {
        const char* name;
        std::wstring languages;
        std::wstring value;
        int expected;
        bool logsInvalid;
        bool logsUnsupported;
    };
    const std::vector<Row> rows = {
        {"supported", L"1033;1031", L"1031", 1031, false, false},
        {"not in the list", L"1033;1031", L"1036", 1033, false, true},
        {"unparsable", L"1033;1031", L"abc", 1033, true, true},
        {"no value", L"1033;1031", L"", 1033, false, false},
        {"no value and English not listed", L"1031", L"", 1033, false, true},
        {"negative", L"1033;1031", L"-1031", 1033, false, true},
        {"out of range", L"1033;1031", L"99999999999", 1033, false, true},
        {"blanks in the list", L" 1033 ; ;1031 ", L"1031", 1031, false, false},
        {"twelfth entry of twelve", twelve, L"1029", 1029, false, false},
        {"empty list", L"", L"1031", 1033, false, true},
        {"leading digits count", L"1033;1031", L"1031x", 1031, false, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        Fresh();
        WriteProperties(L"[Languages]\r\nSetupLanguages=" + row.languages + L"\r\n");
        Validator().ValidateSetupLangPassedFromCommandLine(row.value);
        EXPECT_EQ(Settings().GetLanguage(), row.expected);
        EXPECT_EQ(log->Has(kLogInfo, L"Command Line Parameters", invalid), row.logsInvalid);
        EXPECT_EQ(log->Has(kLogWarning, L"SetLanguaeForProgressBar", unsupported), row.logsUnsupported);
        EXPECT_EQ(log->Has(kLogInfo, L"ValidateSetupLangPassedFromCommandLine",
                           L"Command line parameter for SetupLanguage : " + row.value),
                  !row.value.empty());
    }
}

TEST_F(LanguageChecks, LanguageUnknownToTheSystemFallsBackToEnglish)
{
    ASSERT_FALSE(::IsValidLocale(0x04D2, LCID_SUPPORTED));  // 1234 is no locale
    WriteProperties(L"[Languages]\r\nSetupLanguages=1033;1234\r\n");
    Settings().SetLanguage(1234);
    Validator().SetLanguaeForProgressBar();
    EXPECT_EQ(Settings().GetLanguage(), 1033);
    EXPECT_TRUE(log->Has(kLogWarning, L"SetLanguaeForProgressBar",
                         L"Language : 1234 not supported by OS. Default English taken as Setup language"));
}

TEST_F(LanguageChecks, ChosenLanguageLoadsItsTexts)
{
    testenv::WriteUtf16File(dir / L"Default1031.ulf", L"[FileInfo]\r\nID=1031\r\n201=Weiter\r\n");
    WriteProperties(L"[Languages]\r\nSetupLanguages=1033;1031\r\n");
    Settings().SetLanguage(1031);
    Validator().SetLanguaeForProgressBar();
    EXPECT_EQ(GetMessage(201), L"Weiter");

    Settings().SetLanguage(1033);
    Validator().SetLanguaeForProgressBar();
    EXPECT_EQ(GetMessage(201), L"Please click Next to continue.");
}

TEST_F(LanguageChecks, SupportedListAndDefaultLanguage)
{
    WriteProperties(L"[Languages]\r\nSetupLanguages=1033; 1031 ;;2052\r\n");
    std::list<std::wstring> list;
    Validator().SetupLanguages(list);
    EXPECT_EQ(list, (std::list<std::wstring>{L"2052", L"1031", L"1033"}));  // last entry at the head
    EXPECT_TRUE(Validator().IsLanguageSupported(1031));
    EXPECT_FALSE(Validator().IsLanguageSupported(1036));
    EXPECT_FALSE(Validator().IsLanguageSupported(0));

    const int ui = CUtil::GetUILanguage();
    ASSERT_GT(ui, 0);
    const int other = ui == 1031 ? 1036 : 1031;
    WriteProperties(L"[Languages]\r\nSetupLanguages=" + std::to_wstring(other) + L";" + std::to_wstring(ui) + L"\r\n");
    EXPECT_EQ(Validator().GetDefaultLanguage(), ui);
    WriteProperties(L"[Languages]\r\nSetupLanguages=" + std::to_wstring(other) + L"\r\n");
    EXPECT_EQ(Validator().GetDefaultLanguage(), 1033);

    WriteProperties(L"[Languages]\r\n;SetupLanguages=1031\r\n");
    list.clear();
    Validator().SetupLanguages(list);
    EXPECT_TRUE(list.empty());
    EXPECT_TRUE(log->Has(kLogInfo, L"SetupLanguages", L"SetupLanguages not found."));
}

TEST_F(LanguageChecks, CommandLineAutolaunch)
{
    struct Row {
        const char* name;
        std::wstring runtime;
        std::wstring value;
        int before;
        int after;
        std::wstring function;
        std::wstring line;
    };
    const std::wstring cl = L"Command Line Parameters";
    const std::wstring fn = L"ValidateAndSetAutolaunchFromCommandLine";
    const std::vector<Row> rows = {
        {"No switches off", L"AutoLaunch=setup.exe", L"No", 1, 0, fn, L"Autolaunch disabled"},
        {"yes switches on", L"AutoLaunch=setup.exe", L"YES", 0, 1, fn, L"Autolaunch enabled"},
        {"other value switches on", L"AutoLaunch=setup.exe", L"maybe", 0, 1, fn,
         L"Invalid value for Autolaunch. Autolaunch is enabled by default"},
        {"no program", L"", L"yes", 0, 0, cl, L"Autolaunch is not enabled for the Web Package"},
        {"Multilaunch with AutoLaunch1", L"Multilaunch=1\r\nAutoLaunch1=a.exe", L"no", 1, 0, fn, L"Autolaunch disabled"},
        {"Multilaunch without AutoLaunch1", L"Multilaunch=1\r\nAutoLaunch=a.exe", L"no", 1, 1, cl,
         L"Autolaunch is not enabled for the Web Package"},
        {"empty value does nothing", L"AutoLaunch=setup.exe", L"", 1, 1, L"", L""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        Fresh();
        WriteProperties(L"[Runtime]\r\n" + row.runtime + L"\r\n");
        Settings().SetAutolaunch(row.before);
        Validator().ValidateAndSetAutolaunchFromCommandLine(row.value);
        EXPECT_EQ(Settings().GetAutolaunch(), row.after);
        if (row.line.empty()) {
            EXPECT_TRUE(log->Lines().empty());
        } else {
            EXPECT_EQ(log->Find(kLogInfo, cl, L"Command line parameter for Autolaunch : " + row.value), 0);
            EXPECT_EQ(log->Find(kLogInfo, row.function, row.line), 1);
        }
    }
}

TEST_F(LanguageChecks, LicenseFiles)
{
    testenv::WriteFileText(dir / L"License1031.rtf", "{\\rtf1 Lizenz}");
    testenv::WriteFileText(dir / L"English.RTF", "{\\rtf1 License}");
    testenv::WriteFileText(dir / L"Security.txt", "Security");
    testenv::WriteFileText(dir / L"License.doc", "doc");
    struct Row {
        const char* name;
        std::wstring sections;
        int lcid;
        int kind;
        std::wstring expected;  // file name inside the folder, or empty
        int logKind;
        std::wstring logLine;
    };
    const std::wstring folder = dir.Path();
    const std::vector<Row> rows = {
        {"license for the language", L"[LicenseFiles]\r\n1031=License1031.rtf\r\n", 1031, 1, L"License1031.rtf", kLogInfo,
         L"License File for language 1031 : " + folder + L"License1031.rtf"},
        {"security file", L"[SecurityLicenseFiles]\r\n1031=Security.txt\r\n", 1031, 2, L"Security.txt", kLogInfo,
         L"Security License File for language 1031 : " + folder + L"Security.txt"},
        {"missing file, no fallback", L"[LicenseFiles]\r\n1031=Missing.rtf\r\n1033=English.RTF\r\n", 1031, 1, L"",
         kLogWarning, L"Invalid License File for language 1031 : " + folder + L"Missing.rtf"},
        {"wrong extension", L"[LicenseFiles]\r\n1031=License.doc\r\n", 1031, 1, L"", kLogWarning,
         L"Invalid License File for language 1031 : " + folder + L"License.doc"},
        {"English fallback", L"[LicenseFiles]\r\n1033=English.RTF\r\n", 1031, 1, L"English.RTF", kLogInfo,
         L"English file taken as default."},
        {"English fallback is not checked", L"[LicenseFiles]\r\n1033=Missing.rtf\r\n", 1031, 1, L"Missing.rtf", kLogInfo,
         L"English file taken as default."},
        {"English itself missing", L"[LicenseFiles]\r\n1033=Missing.rtf\r\n", 1033, 1, L"", kLogWarning,
         L"Invalid License File for language 1033 : " + folder + L"Missing.rtf"},
        {"nothing for English", L"[LicenseFiles]\r\n1031=License1031.rtf\r\n", 1033, 1, L"", kLogWarning,
         L"License File for language 1033 not found."},
        {"security section is separate", L"[LicenseFiles]\r\n1031=License1031.rtf\r\n", 1031, 2, L"", kLogWarning,
         L"Security License File for language 1031 not found."},
        {"empty section", L"[LicenseFiles]\r\n", 1031, 1, L"", kLogWarning, L"License File for language 1031 not found."},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        Fresh();
        WriteProperties(row.sections);
        const std::wstring result = Validator().CheckLicenseFiles(row.lcid, folder, row.kind);
        EXPECT_EQ(result, row.expected.empty() ? L"" : folder + row.expected);
        EXPECT_TRUE(log->Has(row.logKind, L"CheckLicenseFiles", row.logLine));
    }
    EXPECT_EQ(Validator().CheckLicenseFiles(1031, folder, 3), L"");
}

TEST_F(LanguageChecks, LicenseFileValidity)
{
    testenv::WriteFileText(dir / L"a.txt", "x");
    EXPECT_TRUE(CExtractorValidator::IsValidLicenseFile(dir / L"a.txt"));
    EXPECT_TRUE(CExtractorValidator::IsValidLicenseFile(dir / L"A.TXT"));
    EXPECT_FALSE(CExtractorValidator::IsValidLicenseFile(dir / L"b.txt"));
    const std::wstring longName = dir / (std::wstring(256 - dir.Path().size() - 4, L'l') + L".txt");
    ASSERT_EQ(longName.size(), 256u);
    testenv::WriteFileText(longName, "x");
    ASSERT_TRUE(testenv::PathExists(longName));
    EXPECT_FALSE(CExtractorValidator::IsValidLicenseFile(longName));  // too long to be looked up
}

}  // namespace
