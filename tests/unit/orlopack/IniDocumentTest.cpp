// Template decoding and parsing, the builder-owned keys, and the generated file as the profile
// functions read it.
#include <gtest/gtest.h>

#include "IniDocument.h"
#include "PackageProperties.h"
#include "TestEnv.h"
#include "util/Profile.h"
#include "util/StringUtil.h"

using namespace orlopack;

namespace {
std::vector<uint8_t> Bytes(const std::string& text)
{
    return std::vector<uint8_t>(text.begin(), text.end());
}
std::vector<uint8_t> Utf16(const std::wstring& text, bool bom, bool bigEndian)
{
    std::vector<uint8_t> bytes;
    if (bom) {
        bytes = bigEndian ? std::vector<uint8_t>{0xFE, 0xFF} : std::vector<uint8_t>{0xFF, 0xFE};
    }
    for (wchar_t c : text) {
        const uint8_t lo = static_cast<uint8_t>(c & 0xFF);
        const uint8_t hi = static_cast<uint8_t>(c >> 8);
        bytes.push_back(bigEndian ? hi : lo);
        bytes.push_back(bigEndian ? lo : hi);
    }
    return bytes;
}
} // namespace

TEST(IniDocument, DecodesTheTemplateEncodings)
{
    const std::wstring text = L"[Package]\r\nName=Gr\u00fc\u00dfe \u65e5\u672c\r\n";
    struct Row {
        const char* name;
        std::vector<uint8_t> bytes;
        bool ok;
    };
    const Row rows[] = {
        {"UTF-8", Bytes(WideToUtf8(text)), true},
        {"UTF-8 with BOM", Bytes("\xEF\xBB\xBF" + WideToUtf8(text)), true},
        {"UTF-16LE with BOM", Utf16(text, true, false), true},
        {"UTF-16BE with BOM", Utf16(text, true, true), true},
        {"UTF-16LE without BOM", Utf16(text, false, false), true},
        {"ANSI (not UTF-8)",
         Bytes("[Package]\r\nName=Gr\xFC\xDF"
               "e\r\n"),
         false},
        {"BOM-marked UTF-8 that is not", Bytes("\xEF\xBB\xBF[P]\r\nN=\xC3\x28\r\n"), false},
        {"overlong UTF-8", Bytes("[P]\r\nN=\xC0\xAF\r\n"), false},
        {"binary", Bytes(std::string("MZ\x90\0\x03\0\0\0", 8)), false},
    };
    for (const Row& row : rows) {
        std::wstring decoded;
        std::wstring error;
        EXPECT_EQ(IniDocument::DecodeText(row.bytes, decoded, error), row.ok) << row.name;
        if (row.ok) {
            EXPECT_EQ(decoded, text) << row.name;
        } else {
            EXPECT_FALSE(error.empty()) << row.name;
        }
    }
}

TEST(IniDocument, StrictParsingNamesTheBadLine)
{
    struct Row {
        const wchar_t* text;
        bool ok;
        const wchar_t* errorPart;
    };
    const Row rows[] = {
        {L"[A]\r\nk=v\r\n; comment\r\n# comment\r\n// comment\r\n\r\n[B]\r\n", true, L""},
        {L"; only a comment first\r\n[A]\r\nk=v", true, L""},
        {L"", false, L"no [section]"},
        {L"; nothing but comments\r\n", false, L"no [section]"},
        {L"k=v\r\n[A]\r\n", false, L"line 1"},
        {L"[A]\r\nk=v\r\njust words\r\n", false, L"line 3"},
        {L"[A\r\nk=v\r\n", false, L"line 1"},
        {L"[A]\r\n=value without key\r\n", false, L"line 2"},
    };
    for (const Row& row : rows) {
        IniDocument doc;
        std::wstring error;
        EXPECT_EQ(doc.Parse(row.text, true, error), row.ok) << WideToUtf8(row.text);
        if (!row.ok) {
            EXPECT_NE(error.find(row.errorPart), std::wstring::npos) << WideToUtf8(error);
        }
    }
}

TEST(IniDocument, LookupFollowsTheProfileFunctions)
{
    IniDocument doc;
    std::wstring error;
    ASSERT_TRUE(doc.Parse(L"[Package]\r\n  Name  =  Demo  \r\nQuoted=\"  spaced  \"\r\nname=second\r\n"
                          L"[package]\r\nName=other section\r\nExtra=1\r\n",
                          true, error));
    EXPECT_EQ(doc.Get(L"PACKAGE", L"name"), L"Demo");
    EXPECT_EQ(doc.Get(L"Package", L"Quoted"), L"  spaced  ");
    EXPECT_EQ(doc.Get(L"Package", L"Extra", L"default"), L"default") << "only the first section of a name counts";
    EXPECT_EQ(doc.Get(L"Missing", L"Name", L"fallback"), L"fallback");
    EXPECT_EQ(doc.Keys(L"package").size(), 5u);
}

TEST(IniDocument, LineEndsAreReadAsTheProfileFunctionsReadThem)
{
    struct Row {
        const char* name;
        std::wstring text;
    };
    const Row rows[] = {
        {"CR only", L"[Package]\rName=Demo\r[Orlo]\rGUID2=5\r"},
        {"a lone CR in a line", L"[Package]\r\nName=Demo\r[Orlo]\rGUID2=5\r\n"},
        {"LF only and mixed", L"[Package]\nName=Demo\r\n\r[Orlo]\n\rGUID2=5"},
    };
    testenv::ScratchDir dir(L"lineends");
    const std::wstring path = dir / L"Properties_Orlo.ini";
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        IniDocument doc;
        std::wstring error;
        ASSERT_TRUE(doc.Parse(row.text, true, error)) << WideToUtf8(error);
        testenv::WriteFileBytes(path, IniDocument::EncodeUtf16(row.text));
        for (const auto& [section, key] : {std::pair{L"Package", L"Name"}, std::pair{L"Orlo", L"GUID2"}}) {
            EXPECT_EQ(doc.Get(section, key), ReadProfileString(path, section, key)) << WideToUtf8(key);
        }
        // A key the builder owns cannot be smuggled past it behind a lone CR.
        doc.Set(L"Orlo", L"GUID2", L"4711");
        testenv::WriteFileBytes(path, IniDocument::EncodeUtf16(doc.ToText()));
        EXPECT_EQ(ReadProfileString(path, L"Orlo", L"GUID2"), L"4711");
        EXPECT_EQ(ReadProfileString(path, L"Package", L"Name"), L"Demo");
    }
}

TEST(IniDocument, SetKeepsCommentsAndDropsShadowedKeys)
{
    IniDocument doc;
    std::wstring error;
    ASSERT_TRUE(doc.Parse(L"; header comment\r\n[Orlo]\r\nGUID2=1\r\nFrameVersion=3\r\n; trailing\r\n\r\n"
                          L"[orlo]\r\nguid2=2\r\n",
                          true, error));
    doc.Set(L"Orlo", L"GUID2", L"4711");
    doc.Set(L"Orlo", L"KamBundle", L"x");
    doc.Set(L"Size", L"PackageSize", L"10");
    EXPECT_EQ(doc.ToText(), L"; header comment\r\n[Orlo]\r\nGUID2=4711\r\nFrameVersion=3\r\nKamBundle=x\r\n"
                            L"; trailing\r\n\r\n[orlo]\r\n\r\n[Size]\r\nPackageSize=10\r\n");
}

TEST(PackageProperties, BuilderKeysReplaceTheTemplateWithNotices)
{
    IniDocument doc;
    std::wstring error;
    ASSERT_TRUE(doc.Parse(L"[Package]\r\nName=Demo\r\nMultiPartDownload=0\r\nMultipartFileName=Demo\r\n"
                          L"[Orlo]\r\nGUID2=5\r\n[HashCode]\r\n001=abc\r\n002=def\r\n[Images]\r\nTopImage=old.png\r\n",
                          true, error));
    BuilderKeys keys;
    keys.baseName = L"Demo";
    keys.setId = 4711;
    keys.partStamps = {L"Y2020:M1:D2:H3:M4:S5:MS0"};
    keys.partHashes = {L"d41d8cd98f00b204e9800998ecf8427e"};
    keys.packageSize = 5000000000ull;
    keys.cabinetSize = 123;
    keys.fileCount = 7;
    keys.topImage = L"top.png";
    std::vector<std::wstring> notices;
    ApplyBuilderKeys(doc, keys, notices);

    // One notice per changed value; MultipartFileName was already right and needs none.
    ASSERT_EQ(notices.size(), 4u);
    EXPECT_NE(notices[0].find(L"MultiPartDownload=0"), std::wstring::npos);
    EXPECT_NE(notices[1].find(L"GUID2=5"), std::wstring::npos);
    EXPECT_NE(notices[2].find(L"[HashCode]"), std::wstring::npos);
    EXPECT_NE(notices[3].find(L"TopImage=old.png"), std::wstring::npos);

    // The real profile functions read the generated UTF-16 file.
    testenv::ScratchDir dir(L"props");
    const std::wstring path = dir / L"Properties_Orlo.ini";
    testenv::WriteFileBytes(path, IniDocument::EncodeUtf16(doc.ToText()));
    EXPECT_EQ(ReadProfileString(path, L"Package", L"Name"), L"Demo");
    EXPECT_EQ(ReadProfileString(path, L"Package", L"MultiPartDownload"), L"1");
    EXPECT_EQ(ReadProfileString(path, L"Orlo", L"GUID2"), L"4711");
    EXPECT_EQ(ReadProfileString(path, L"PartFileIno", L"001"), L"Y2020:M1:D2:H3:M4:S5:MS0");
    EXPECT_EQ(ReadProfileString(path, L"HashCode", L"001"), L"d41d8cd98f00b204e9800998ecf8427e");
    EXPECT_EQ(ReadProfileString(path, L"HashCode", L"002"), L"") << "stale template hashes are gone";
    EXPECT_EQ(ReadProfileString(path, L"Size", L"PackageSize"), L"5000000000");
    EXPECT_EQ(ReadProfileString(path, L"Size", L"CabSize"), L"123");
    EXPECT_EQ(ReadProfileString(path, L"FileCount", L"Count"), L"7");
    EXPECT_EQ(ReadProfileString(path, L"Images", L"TopImage"), L"top.png");
}
