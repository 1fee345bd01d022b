// The JSON writer (escaping byte for byte, structure read back by a strict reader) and the atomic
// file replacement the result file is written with.
#include <gtest/gtest.h>

#include "JsonReader.h"
#include "TestEnv.h"
#include "util/AtomicFile.h"
#include "util/JsonWriter.h"
#include "util/StringUtil.h"
#include "util/Util.h"

namespace {

TEST(JsonWriter, QuotesEveryReservedCharacterAndWritesTheRestAsUtf8)
{
    const struct {
        const char* name;
        std::wstring text;
        std::string json;
    } cases[] = {
        {"plain", L"plain", "\"plain\""},
        {"quotes", L"say \"hi\"", "\"say \\\"hi\\\"\""},
        {"backslashes", L"C:\\dir\\", "\"C:\\\\dir\\\\\""},
        {"named controls", L"a\nb\r\tc\b\f", "\"a\\nb\\r\\tc\\b\\f\""},
        {"other controls", std::wstring(L"\x01\x1f\x00z", 4), "\"\\u0001\\u001f\\u0000z\""},
        {"non-ASCII",
         L"\x00DC"
         L"bersicht \x20AC",
         "\"\xC3\x9C"
         "bersicht \xE2\x82\xAC\""},
        {"surrogate pair", L"\xD83D\xDE00", "\"\xF0\x9F\x98\x80\""},
        {"lone surrogate", L"\xD800x", "\"\xEF\xBF\xBDx\""},
        {"slash and DEL stay", L"a/b\x7F", "\"a/b\x7F\""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(JsonQuote(c.text), c.json);
    }
}

TEST(JsonWriter, NestedDocumentReadsBackAsWritten)
{
    const std::wstring nasty = std::wstring(L"\"q\" \\ \n\t\x01 \x00E9\x4E2D", 12);
    JsonWriter json;
    json.BeginObject();
    json.Key(L"n").Int(-42);
    json.Key(L"big").Int(5000000000LL);
    json.Key(L"empty").BeginArray().EndArray();
    json.Key(L"none").BeginObject().EndObject();
    json.Key(L"list").BeginArray();
    json.BeginObject().Key(nasty).String(nasty).Key(L"ok").Bool(true).EndObject();
    json.Null();
    json.Bool(false);
    json.EndArray();
    json.EndObject();

    testenv::JsonValue root;
    std::string error;
    ASSERT_TRUE(testenv::ParseJson(json.Text(), root, error)) << error << "\n" << json.Text();
    EXPECT_EQ(root["n"].Int(), -42);
    EXPECT_EQ(root["big"].number, 5000000000.0);
    EXPECT_EQ(root["empty"].type, testenv::JsonValue::Type::Array);
    EXPECT_TRUE(root["empty"].items.empty());
    EXPECT_TRUE(root["none"].members.empty());
    ASSERT_EQ(root["list"].items.size(), 3u);
    const std::string utf8 = WideToUtf8(nasty);
    EXPECT_EQ(root["list"][0][utf8].text, utf8);
    EXPECT_TRUE(root["list"][0]["ok"].boolean);
    EXPECT_TRUE(root["list"][1].IsNull());
    EXPECT_EQ(root["list"][2].type, testenv::JsonValue::Type::Bool);
}

size_t EntriesIn(const std::wstring& folder)
{
    size_t count = 0;
    WIN32_FIND_DATAW data{};
    HANDLE find = ::FindFirstFileW((folder + L"*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) {
        return 0;
    }
    do {
        count += (std::wstring(data.cFileName) != L"." && std::wstring(data.cFileName) != L"..") ? 1 : 0;
    } while (::FindNextFileW(find, &data));
    ::FindClose(find);
    return count;
}

TEST(AtomicFile, ReplacesTheWholeFileAndLeavesNoTemporaryFileBehind)
{
    testenv::ScratchDir dir{L"atomic"};
    const std::wstring path = dir / L"result.json";
    EXPECT_EQ(WriteFileAtomically(path, std::string(100000, 'a')), 0u);
    EXPECT_EQ(WriteFileAtomically(path, "short"), 0u);
    EXPECT_EQ(testenv::ReadFileText(path), "short");
    EXPECT_EQ(EntriesIn(dir.Path()), 1u);

    // A folder in the way and a folder that does not exist: an error, the old state, no leftovers.
    ASSERT_TRUE(::CreateDirectoryW((dir / L"taken").c_str(), nullptr));
    EXPECT_NE(WriteFileAtomically(dir / L"taken", "x"), 0u);
    EXPECT_TRUE(testenv::PathExists(dir / L"taken\\"));
    EXPECT_NE(WriteFileAtomically(dir / L"missing\\r.json", "x"), 0u);
    EXPECT_EQ(EntriesIn(dir.Path()), 2u);
}

} // namespace
