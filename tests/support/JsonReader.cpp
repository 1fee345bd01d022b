#include "JsonReader.h"

#include <cstdlib>
#include <cstring>
#include <tuple>

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
        while (m_at < m_text.size() && std::strchr(" \t\r\n", m_text[m_at]) != nullptr && m_text[m_at] != '\0') {
            ++m_at;
        }
    }
    bool Next(char c)
    {
        Blanks();
        if (m_at < m_text.size() && m_text[m_at] == c) {
            ++m_at;
            return true;
        }
        return false;
    }
    bool Value(JsonValue& value)
    {
        Blanks();
        for (const auto& [word, type, flag] :
             {std::tuple{"true", JsonValue::Type::Bool, true}, std::tuple{"false", JsonValue::Type::Bool, false},
              std::tuple{"null", JsonValue::Type::Null, false}}) {
            if (m_text.compare(m_at, std::strlen(word), word) == 0) {
                value.type = type;
                value.boolean = flag;
                m_at += std::strlen(word);
                return true;
            }
        }
        if (Next('"')) {
            value.type = JsonValue::Type::String;
            return String(value.text);
        }
        if (Next('[')) {
            value.type = JsonValue::Type::Array;
            return List(']', [&] {
                value.items.emplace_back();
                return Value(value.items.back());
            });
        }
        if (Next('{')) {
            value.type = JsonValue::Type::Object;
            return List('}', [&] {
                value.members.emplace_back();
                return (Next('"') || Fail("bad member name")) && String(value.members.back().first) &&
                       (Next(':') || Fail("missing colon")) && Value(value.members.back().second);
            });
        }
        const char* start = m_text.c_str() + m_at;
        char* end = nullptr;
        value.type = JsonValue::Type::Number;
        value.number = std::strtod(start, &end);
        m_at += static_cast<size_t>(end - start);
        return end != start || Fail("bad value");
    }
    template <class Item> bool List(char close, Item item)
    {
        if (Next(close)) {
            return true;
        }
        do {
            if (!item()) {
                return false;
            }
        } while (Next(','));
        return Next(close) || Fail("unterminated list");
    }
    static void AppendUtf8(std::string& out, unsigned long code)
    {
        const int extra = code < 0x80 ? 0 : code < 0x800 ? 1 : code < 0x10000 ? 2 : 3;
        static const unsigned char kLead[] = {0x00, 0xC0, 0xE0, 0xF0};
        out += static_cast<char>(kLead[extra] | (code >> (6 * extra)));
        for (int i = extra - 1; i >= 0; --i) {
            out += static_cast<char>(0x80 | ((code >> (6 * i)) & 0x3F));
        }
    }
    bool Hex4(unsigned long& code)
    {
        const std::string digits = m_text.substr(m_at, 4);
        char* end = nullptr;
        code = std::strtoul(digits.c_str(), &end, 16);
        m_at += digits.size();
        return (digits.size() == 4 && end == digits.c_str() + 4) || Fail("bad \\u escape");
    }
    // Length of the UTF-8 sequence at m_at, or 0 when it is not valid UTF-8 (surrogates included).
    size_t Utf8Length() const
    {
        const auto byte = [&](size_t i) { return static_cast<unsigned char>(m_text[m_at + i]); };
        const unsigned char lead = byte(0);
        const size_t length = lead < 0xC2 ? 0 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : lead < 0xF5 ? 4 : 0;
        if (length == 0 || m_at + length > m_text.size() || (length == 3 && lead == 0xED && byte(1) >= 0xA0)) {
            return 0;
        }
        for (size_t i = 1; i < length; ++i) {
            if ((byte(i) & 0xC0) != 0x80) {
                return 0;
            }
        }
        return length;
    }
    bool String(std::string& out)
    {
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
                out.append(m_text, m_at, length);
                m_at += length;
                if (length == 0) {
                    return Fail("invalid UTF-8");
                }
                continue;
            }
            ++m_at;
            if (c != '\\') {
                out += static_cast<char>(c);
                continue;
            }
            const char e = m_at < m_text.size() ? m_text[m_at++] : '\0';
            static const std::string kSimple = "\"\\/bfnrt";
            static const std::string kMeaning = "\"\\/\b\f\n\r\t";
            if (const size_t i = kSimple.find(e); e != '\0' && i != std::string::npos) {
                out += kMeaning[i];
                continue;
            }
            unsigned long code = 0;
            if (e != 'u' || !Hex4(code)) {
                return Fail("bad escape");
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
