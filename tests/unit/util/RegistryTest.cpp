// Registry values under a unique test key of HKEY_CURRENT_USER, and INI sections read into maps.
#include <gtest/gtest.h>

#include <map>

#include "TestEnv.h"
#include "TestRegistry.h"
#include "util/Util.h"
#include "util/WideFormat.h"

namespace {
bool QueryDword(HKEY key, const wchar_t* name, DWORD& value)
{
    DWORD type = 0;
    DWORD size = sizeof(value);
    return ::RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) == ERROR_SUCCESS &&
           type == REG_DWORD;
}

void SetDword(HKEY key, const wchar_t* name, DWORD value)
{
    ASSERT_EQ(::RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value)),
              ERROR_SUCCESS);
}

void SetBytes(HKEY key, const wchar_t* name, DWORD type, const void* data, DWORD size)
{
    ASSERT_EQ(::RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(data), size), ERROR_SUCCESS);
}
}  // namespace

TEST(ReadRegistryDword, ReadsOrWritesTheDefault)
{
    testenv::TestRegKey key(L"dword");
    ASSERT_NE(key.Get(), nullptr);
    SetDword(key.Get(), L"Present", 7);
    DWORD value = 0;

    EXPECT_EQ(CUtil::ReadRegistryDword(key.Get(), L"Present", 1), 7u);
    ASSERT_TRUE(QueryDword(key.Get(), L"Present", value));
    EXPECT_EQ(value, 7u);

    // A missing value gets the default written.
    EXPECT_EQ(CUtil::ReadRegistryDword(key.Get(), L"Missing", 1), 1u);
    ASSERT_TRUE(QueryDword(key.Get(), L"Missing", value));
    EXPECT_EQ(value, 1u);

    // 0xDEF0 only reads.
    EXPECT_EQ(CUtil::ReadRegistryDword(key.Get(), L"NotWritten", 0xDEF0), 0xDEF0u);
    EXPECT_FALSE(QueryDword(key.Get(), L"NotWritten", value));
    EXPECT_EQ(::RegQueryValueExW(key.Get(), L"NotWritten", nullptr, nullptr, nullptr, nullptr),
              ERROR_FILE_NOT_FOUND);

    // A value that is no DWORD cannot be read as one.
    SetBytes(key.Get(), L"Text", REG_SZ, L"12", 6);
    EXPECT_EQ(CUtil::ReadRegistryDword(key.Get(), L"Text", 3), 3u);
    ASSERT_TRUE(QueryDword(key.Get(), L"Text", value));
    EXPECT_EQ(value, 3u);
}

TEST(ReadRegistryDword, TheTestKeyIsRemovedAfterwards)
{
    std::wstring subKey;
    {
        testenv::TestRegKey key(L"gone");
        subKey = key.SubKey();
        CUtil::ReadRegistryDword(key.Get(), L"Value", 5);
        HKEY probe = nullptr;
        ASSERT_EQ(::RegOpenKeyExW(HKEY_CURRENT_USER, subKey.c_str(), 0, KEY_READ, &probe), ERROR_SUCCESS);
        ::RegCloseKey(probe);
    }
    HKEY probe = nullptr;
    EXPECT_EQ(::RegOpenKeyExW(HKEY_CURRENT_USER, subKey.c_str(), 0, KEY_READ, &probe), ERROR_FILE_NOT_FOUND);
}

TEST(ReadRegistryString, StringsWithinTheSize)
{
    testenv::TestRegKey key(L"string");
    ASSERT_NE(key.Get(), nullptr);
    const wchar_t text[] = L"Intel(R) Core(TM)";
    SetBytes(key.Get(), L"Name", REG_SZ, text, sizeof(text));
    // Stored without its terminating zero: nothing behind the value may be read.
    SetBytes(key.Get(), L"Unterminated", REG_SZ, L"abcd", 8);
    SetBytes(key.Get(), L"Expand", REG_EXPAND_SZ, L"%TEMP%\\x", 18);
    SetDword(key.Get(), L"Number", 0x00410041);

    EXPECT_EQ(CUtil::ReadRegistryString(key.Get(), L"Name", 1024), text);
    EXPECT_EQ(CUtil::ReadRegistryString(key.Get(), L"Unterminated", 1024), L"abcd");
    // Filling the buffer exactly: Windows returns the four characters, Wine refuses the read.
    // Either way nothing behind the value is taken into the text.
    const std::wstring exact = CUtil::ReadRegistryString(key.Get(), L"Unterminated", 8);
    EXPECT_TRUE(exact == L"abcd" || exact.empty()) << exact;
    EXPECT_EQ(CUtil::ReadRegistryString(key.Get(), L"Expand", 1024), L"%TEMP%\\x");
    EXPECT_EQ(CUtil::ReadRegistryString(key.Get(), L"Missing", 1024), L"");
    EXPECT_EQ(CUtil::ReadRegistryString(key.Get(), L"Name", 8), L"");  // does not fit
    EXPECT_EQ(CUtil::ReadRegistryString(key.Get(), L"Number", 1024), L"");
}

TEST(ReadSection, LowerCasedNamesAndValuesAsWritten)
{
    testenv::ScratchDir dir(L"rs");
    const std::wstring file = dir / L"Properties_Orlo.ini";
    testenv::WriteUtf16File(file, L"[Runtime]\r\n"
                                  L"ExtractionPassword= Se=cret \r\n"
                                  L";AutoLaunch=Start.exe\r\n"
                                  L"// a comment line\r\n"
                                  L"\r\n"
                                  L"AutoLaunch=start.exe\r\n"
                                  L"EXTRACTIONPASSWORD=second\r\n"
                                  L"[Other]\r\n"
                                  L"Key=other\r\n");
    std::map<std::wstring, std::wstring> map{{L"autolaunch", L"old"}, {L"kept", L"x"}};
    CUtil::ReadSection(file, L"runtime", map);
    const std::map<std::wstring, std::wstring> expected{
        {L"extractionpassword", L"Se=cret"},  // split at the first "="; the first of two equal names wins
        {L"autolaunch", L"start.exe"},
        {L"kept", L"x"},
    };
    EXPECT_EQ(map, expected);

    std::map<std::wstring, std::wstring> none;
    CUtil::ReadSection(dir / L"missing.ini", L"Runtime", none);
    CUtil::ReadSection(file, L"NoSuchSection", none);
    EXPECT_TRUE(none.empty());
}

TEST(ReadSection, KeepsOnlyTheFirst2000Characters)
{
    testenv::ScratchDir dir(L"rs");
    const std::wstring file = dir / L"long.ini";
    // Each line "kNN=" + 42 characters is 47 characters with its terminating zero: lines 0 to 41
    // end at 1974, line 42 is cut by the 2000-character buffer, later lines are beyond it.
    std::wstring text = L"[OS]\r\n";
    for (int i = 0; i < 60; ++i) {
        text += FormatW(L"K%02d=%ls\r\n", i, std::wstring(42, static_cast<wchar_t>(L'a' + i % 26)).c_str());
    }
    testenv::WriteUtf16File(file, text);
    std::map<std::wstring, std::wstring> map;
    CUtil::ReadSection(file, L"OS", map);
    EXPECT_EQ(map.size(), 42u);
    for (int i = 0; i < 42; ++i) {
        const auto found = map.find(FormatW(L"k%02d", i));
        ASSERT_NE(found, map.end()) << i;
        EXPECT_EQ(found->second, std::wstring(42, static_cast<wchar_t>(L'a' + i % 26))) << i;
    }
    // The cut line is not read with a cut value.
    EXPECT_EQ(map.count(L"k42"), 0u);
    EXPECT_EQ(map.count(L"k43"), 0u);
}

TEST(ReadSection, AWholeLastLineAtTheBufferEndIsKept)
{
    testenv::ScratchDir dir(L"rs");
    const std::wstring file = dir / L"exact.ini";
    // Two lines of 9 and 10 characters fill a 22-character buffer exactly (with their zeros and the
    // final one), which the system reports as a full buffer.
    testenv::WriteUtf16File(file, L"[S]\r\nName1=abc\r\nName2=defg\r\nName3=x\r\n");
    std::map<std::wstring, std::wstring> map;
    CUtil::ReadSection(file, L"S", map, 22);
    EXPECT_EQ(map, (std::map<std::wstring, std::wstring>{{L"name1", L"abc"}, {L"name2", L"defg"}}));
}
