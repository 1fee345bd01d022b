#pragma once
// A small writer of JSON documents in UTF-8, indented by two blanks per level. It only writes: the
// program hands out reports (the result file) and never reads JSON.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// `text` as a JSON string literal: quotes, backslashes and control characters escaped, everything
// else as UTF-8 (a lone UTF-16 surrogate becomes U+FFFD, so the output is always valid UTF-8).
std::string JsonQuote(std::wstring_view text);

class JsonWriter {
public:
    JsonWriter& BeginObject();
    JsonWriter& EndObject();
    JsonWriter& BeginArray();
    JsonWriter& EndArray();
    // The member name of the value that follows (inside an object only).
    JsonWriter& Key(std::wstring_view name);
    JsonWriter& String(std::wstring_view value);
    JsonWriter& Int(int64_t value);
    JsonWriter& Bool(bool value);
    JsonWriter& Null();

    // The document; complete once every object and array is closed.
    const std::string& Text() const { return m_text; }

private:
    void BeforeValue();
    JsonWriter& Open(char bracket);
    JsonWriter& Close(char bracket);
    void NewLine();

    std::string m_text;
    std::vector<bool> m_empty; // per open container: nothing written into it yet
    bool m_afterKey = false;
};
