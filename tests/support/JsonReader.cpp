#include "JsonReader.h"

#include <cstdlib>

namespace testenv {

namespace {
const JsonValue kNull;

class Parser {
public:
    explicit Parser(const std::string& text) : m_text(text) {}

    bool Document(JsonValue& value, std::string& error)
    {
        const bool ok = Value(value) && (Blanks(), m_at == m_text.size() || Fail("text after the document"));
        error = m_error;
        return ok;
    }

private:
    bool Fail(const std::string& why)
    {
        if (m_error.empty()) {
            m_error = why + " at byte " + std::to_string(m_at);
        }
        return false;
    }
    void Blanks()
    {
        while (m_at < m_text.size() &&
               (m_text[m_at] == ' ' || m_text[m_at] == '\t' || m_text[m_at] == '\n' || m_text[m_at] == '\r')) {
            ++m_at;
        }
    }
    bool Literal(const char* word)
    {
        const std::string w(word);
        if (m_text.compare(m_at, w.size(), w) != 0) {
            return Fail("unknown literal");
        }
        m_at += w.size();
        return true;
    }
    bool Value(JsonValue& value)
    {
        Blanks();
        if (m_at >= m_text.size()) {
            return Fail("missing value");
        }
        const char c = m_text[m_at];
        if (c == '{') {
            return Object(value);
        }
        if (c == '[') {
            return Array(value);
        }
        if (c == '"') {
            value.type = JsonValue::Type::String;
            return String(value.text);
        }
        if (c == 't' || c == 'f') {
            value.type = JsonValue::Type::Bool;
            value.boolean = c == 't';
            return Literal(c == 't' ? "true" : "false");
        }
        if (c == 'n') {
            value.type = JsonValue::Type::Null;
            return Literal("null");
        }
        const char* start = m_text.c_str() + m_at;
        char* end = nullptr;
        value.type = JsonValue::Type::Number;
        value.number = std::strtod(start, &end);
        if (end == start) {
            return Fail("bad value");
        }
        m_at += static_cast<size_t>(end - start);
        return true;
    }
    bool Object(JsonValue& value)
    {
        value.type = JsonValue::Type::Object;
        ++m_at;
        Blanks();
        if (m_at < m_text.size() && m_text[m_at] == '}') {
            ++m_at;
            return true;
        }
        for (;;) {
            Blanks();
            std::string key;
            if (m_at >= m_text.size() || m_text[m_at] != '"' || !String(key)) {
                return Fail("bad member name");
            }
            Blanks();
            if (m_at >= m_text.size() || m_text[m_at++] != ':') {
                return Fail("missing colon");
            }
            JsonValue member;
            if (!Value(member)) {
                return false;
            }
            value.members.emplace_back(key, member);
            Blanks();
            if (m_at < m_text.size() && m_text[m_at] == ',') {
                ++m_at;
                continue;
            }
            if (m_at < m_text.size() && m_text[m_at] == '}') {
                ++m_at;
                return true;
            }
            return Fail("unterminated object");
        }
    }
    bool Array(JsonValue& value)
    {
        value.type = JsonValue::Type::Array;
        ++m_at;
        Blanks();
        if (m_at < m_text.size() && m_text[m_at] == ']') {
            ++m_at;
            return true;
        }
        for (;;) {
            JsonValue item;
            if (!Value(item)) {
                return false;
            }
            value.items.push_back(item);
            Blanks();
            if (m_at < m_text.size() && m_text[m_at] == ',') {
                ++m_at;
                continue;
            }
            if (m_at < m_text.size() && m_text[m_at] == ']') {
                ++m_at;
                return true;
            }
            return Fail("unterminated array");
        }
    }
    static void AppendUtf8(std::string& out, unsigned long code)
    {
        if (code < 0x80) {
            out += static_cast<char>(code);
        } else if (code < 0x800) {
            out += static_cast<char>(0xC0 | (code >> 6));
            out += static_cast<char>(0x80 | (code & 0x3F));
        } else if (code < 0x10000) {
            out += static_cast<char>(0xE0 | (code >> 12));
            out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (code & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (code >> 18));
            out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (code & 0x3F));
        }
    }
    bool Hex4(unsigned long& code)
    {
        if (m_at + 4 > m_text.size()) {
            return Fail("short \\u escape");
        }
        char* end = nullptr;
        const std::string digits = m_text.substr(m_at, 4);
        code = std::strtoul(digits.c_str(), &end, 16);
        if (end != digits.c_str() + 4) {
            return Fail("bad \\u escape");
        }
        m_at += 4;
        return true;
    }
    // Length of the UTF-8 sequence at m_at, or 0 when it is not valid UTF-8.
    size_t Utf8Length() const
    {
        const auto byte = [&](size_t i) { return static_cast<unsigned char>(m_text[m_at + i]); };
        const unsigned char lead = byte(0);
        const size_t length = lead < 0xC2 ? 0 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : lead < 0xF5 ? 4 : 0;
        if (length == 0 || m_at + length > m_text.size()) {
            return 0;
        }
        for (size_t i = 1; i < length; ++i) {
            if ((byte(i) & 0xC0) != 0x80) {
                return 0;
            }
        }
        if (length == 3 && lead == 0xED && byte(1) >= 0xA0) {
            return 0; // an encoded surrogate
        }
        return length;
    }
    bool String(std::string& out)
    {
        ++m_at;
        while (m_at < m_text.size()) {
            const unsigned char c = static_cast<unsigned char>(m_text[m_at]);
            if (c == '"') {
                ++m_at;
                return true;
            }
            if (c < 0x20) {
                return Fail("raw control character in a string");
            }
            if (c >= 0x80) {
                const size_t length = Utf8Length();
                if (length == 0) {
                    return Fail("invalid UTF-8");
                }
                out.append(m_text, m_at, length);
                m_at += length;
                continue;
            }
            ++m_at;
            if (c != '\\') {
                out += static_cast<char>(c);
                continue;
            }
            if (m_at >= m_text.size()) {
                break;
            }
            const char e = m_text[m_at++];
            static const std::string kSimple = "\"\\/bfnrt";
            static const std::string kMeaning = "\"\\/\b\f\n\r\t";
            if (const size_t i = kSimple.find(e); i != std::string::npos) {
                out += kMeaning[i];
                continue;
            }
            if (e != 'u') {
                return Fail("bad escape");
            }
            unsigned long code = 0;
            if (!Hex4(code)) {
                return false;
            }
            if (code >= 0xD800 && code < 0xDC00 && m_text.compare(m_at, 2, "\\u") == 0) {
                m_at += 2;
                unsigned long low = 0;
                if (!Hex4(low) || low < 0xDC00 || low > 0xDFFF) {
                    return Fail("bad surrogate pair");
                }
                code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
            }
            AppendUtf8(out, code);
        }
        return Fail("unterminated string");
    }

    const std::string& m_text;
    size_t m_at = 0;
    std::string m_error;
};
} // namespace

bool JsonValue::Has(const std::string& key) const
{
    for (const auto& member : members) {
        if (member.first == key) {
            return true;
        }
    }
    return false;
}

const JsonValue& JsonValue::operator[](const std::string& key) const
{
    for (const auto& member : members) {
        if (member.first == key) {
            return member.second;
        }
    }
    return kNull;
}

const JsonValue& JsonValue::operator[](size_t index) const
{
    return index < items.size() ? items[index] : kNull;
}

bool ParseJson(const std::string& document, JsonValue& value, std::string& error)
{
    value = JsonValue{};
    return Parser(document).Document(value, error);
}

} // namespace testenv
