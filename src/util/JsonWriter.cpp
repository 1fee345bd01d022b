#include "util/JsonWriter.h"

#include "util/StringUtil.h"

std::string JsonQuote(std::wstring_view text)
{
    std::string out = "\"";
    // Plain runs are converted in one piece; only the characters JSON reserves are written by hand.
    size_t start = 0;
    auto flush = [&](size_t end) {
        if (end > start) {
            out += WideToUtf8(text.substr(start, end - start));
        }
    };
    for (size_t i = 0; i < text.size(); ++i) {
        const wchar_t c = text[i];
        const char* escape = nullptr;
        switch (c) {
        case L'"':
            escape = "\\\"";
            break;
        case L'\\':
            escape = "\\\\";
            break;
        case L'\n':
            escape = "\\n";
            break;
        case L'\r':
            escape = "\\r";
            break;
        case L'\t':
            escape = "\\t";
            break;
        case L'\b':
            escape = "\\b";
            break;
        case L'\f':
            escape = "\\f";
            break;
        default:
            break;
        }
        if (escape == nullptr && c >= 0x20) {
            continue;
        }
        flush(i);
        start = i + 1;
        if (escape != nullptr) {
            out += escape;
        } else {
            static const char kHex[] = "0123456789abcdef";
            out += "\\u00";
            out += kHex[(c >> 4) & 0xF];
            out += kHex[c & 0xF];
        }
    }
    flush(text.size());
    out += '"';
    return out;
}

void JsonWriter::NewLine()
{
    m_text += '\n';
    m_text.append(2 * m_empty.size(), ' ');
}

void JsonWriter::BeforeValue()
{
    if (m_afterKey) {
        m_afterKey = false;
        return;
    }
    if (!m_empty.empty()) {
        if (!m_empty.back()) {
            m_text += ',';
        }
        m_empty.back() = false;
        NewLine();
    }
}

JsonWriter& JsonWriter::Open(char bracket)
{
    BeforeValue();
    m_text += bracket;
    m_empty.push_back(true);
    return *this;
}

JsonWriter& JsonWriter::Close(char bracket)
{
    const bool empty = m_empty.empty() || m_empty.back();
    if (!m_empty.empty()) {
        m_empty.pop_back();
    }
    if (!empty) {
        NewLine();
    }
    m_text += bracket;
    if (m_empty.empty()) {
        m_text += '\n';
    }
    return *this;
}

JsonWriter& JsonWriter::BeginObject()
{
    return Open('{');
}
JsonWriter& JsonWriter::EndObject()
{
    return Close('}');
}
JsonWriter& JsonWriter::BeginArray()
{
    return Open('[');
}
JsonWriter& JsonWriter::EndArray()
{
    return Close(']');
}

JsonWriter& JsonWriter::Key(std::wstring_view name)
{
    BeforeValue();
    m_text += JsonQuote(name);
    m_text += ": ";
    m_afterKey = true;
    return *this;
}

JsonWriter& JsonWriter::String(std::wstring_view value)
{
    BeforeValue();
    m_text += JsonQuote(value);
    return *this;
}

JsonWriter& JsonWriter::Int(int64_t value)
{
    BeforeValue();
    m_text += std::to_string(value);
    return *this;
}

JsonWriter& JsonWriter::Bool(bool value)
{
    BeforeValue();
    m_text += value ? "true" : "false";
    return *this;
}

JsonWriter& JsonWriter::Null()
{
    BeforeValue();
    m_text += "null";
    return *this;
}
