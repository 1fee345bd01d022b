// IniDocument: template reading, key replacement and UTF-16 output.
#include "IniDocument.h"

#include "util/StringUtil.h"
#include "util/WideFormat.h"

namespace orlopack {

namespace {

bool DecodeUtf8Strict(const uint8_t* data, size_t size, std::wstring& text)
{
    text.clear();
    text.reserve(size);
    size_t i = 0;
    while (i < size) {
        const uint8_t b = data[i];
        uint32_t cp = 0;
        size_t extra = 0;
        if (b < 0x80) {
            cp = b;
        } else if ((b & 0xE0) == 0xC0) {
            cp = b & 0x1F;
            extra = 1;
        } else if ((b & 0xF0) == 0xE0) {
            cp = b & 0x0F;
            extra = 2;
        } else if ((b & 0xF8) == 0xF0) {
            cp = b & 0x07;
            extra = 3;
        } else {
            return false;
        }
        if (extra != 0 && i + extra >= size) {
            return false;
        }
        for (size_t k = 1; k <= extra; ++k) {
            if ((data[i + k] & 0xC0) != 0x80) {
                return false;
            }
            cp = (cp << 6) | (data[i + k] & 0x3F);
        }
        // Overlong forms, surrogates and values beyond Unicode are not UTF-8.
        static const uint32_t minimum[] = {0, 0x80, 0x800, 0x10000};
        if (cp < minimum[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
            return false;
        }
        if (cp >= 0x10000) {
            cp -= 0x10000;
            text += static_cast<wchar_t>(0xD800 + (cp >> 10));
            text += static_cast<wchar_t>(0xDC00 + (cp & 0x3FF));
        } else {
            text += static_cast<wchar_t>(cp);
        }
        i += extra + 1;
    }
    return true;
}

std::wstring DecodeUtf16(const uint8_t* data, size_t size, bool bigEndian)
{
    std::wstring text;
    text.reserve(size / 2);
    for (size_t i = 0; i + 1 < size; i += 2) {
        const uint16_t unit = bigEndian ? static_cast<uint16_t>((data[i] << 8) | data[i + 1])
                                        : static_cast<uint16_t>(data[i] | (data[i + 1] << 8));
        text += static_cast<wchar_t>(unit);
    }
    return text;
}

// UTF-16LE without a byte-order mark: mostly ASCII text has a zero in every second byte.
bool LooksLikeUtf16Le(const uint8_t* data, size_t size)
{
    if (size < 4 || size % 2 != 0) {
        return false;
    }
    size_t oddZeros = 0;
    size_t evenZeros = 0;
    const size_t probe = size < 4096 ? size : 4096;
    for (size_t i = 0; i < probe; i += 2) {
        evenZeros += data[i] == 0 ? 1 : 0;
        oddZeros += data[i + 1] == 0 ? 1 : 0;
    }
    return oddZeros * 4 >= probe / 2 * 3 && evenZeros == 0;
}

bool IsCommentLine(const std::wstring& trimmed)
{
    return trimmed[0] == L';' || trimmed[0] == L'#' || trimmed.compare(0, 2, L"//") == 0;
}

} // namespace

std::wstring ProfileValue(const std::wstring& rawValue)
{
    std::wstring value = TrimW(rawValue);
    if (value.size() >= 2 && (value.front() == L'"' || value.front() == L'\'') && value.back() == value.front()) {
        value = value.substr(1, value.size() - 2);
    }
    return value;
}

bool IniDocument::DecodeText(const std::vector<uint8_t>& bytes, std::wstring& text, std::wstring& error)
{
    const uint8_t* data = bytes.data();
    const size_t size = bytes.size();
    if (size >= 2 && data[0] == 0xFF && data[1] == 0xFE) {
        text = DecodeUtf16(data + 2, size - 2, false);
    } else if (size >= 2 && data[0] == 0xFE && data[1] == 0xFF) {
        text = DecodeUtf16(data + 2, size - 2, true);
    } else if (size >= 3 && data[0] == 0xEF && data[1] == 0xBB && data[2] == 0xBF) {
        if (!DecodeUtf8Strict(data + 3, size - 3, text)) {
            error = L"the text is marked as UTF-8 but is not valid UTF-8";
            return false;
        }
    } else if (LooksLikeUtf16Le(data, size)) {
        text = DecodeUtf16(data, size, false);
    } else if (!DecodeUtf8Strict(data, size, text)) {
        error = L"the file is neither UTF-8 nor UTF-16 text";
        return false;
    }
    if (text.find(L'\0') != std::wstring::npos) {
        error = L"the file holds binary data, not text";
        return false;
    }
    return true;
}

std::vector<uint8_t> IniDocument::EncodeUtf16(const std::wstring& text)
{
    std::vector<uint8_t> bytes;
    bytes.reserve(2 + text.size() * 2);
    bytes.push_back(0xFF);
    bytes.push_back(0xFE);
    for (wchar_t c : text) {
        bytes.push_back(static_cast<uint8_t>(c & 0xFF));
        bytes.push_back(static_cast<uint8_t>((c >> 8) & 0xFF));
    }
    return bytes;
}

bool IniDocument::Parse(const std::wstring& text, bool strict, std::wstring& error)
{
    m_preamble.clear();
    m_sections.clear();
    size_t start = 0;
    int lineNumber = 0;
    while (start < text.size()) {
        // CR LF, LF and a lone CR each end a line, as they do for the profile functions that read
        // the package; otherwise a key could hide behind a CR inside a value.
        size_t end = text.find_first_of(L"\r\n", start);
        if (end == std::wstring::npos) {
            end = text.size();
        }
        std::wstring raw = text.substr(start, end - start);
        start = end + (text.compare(end, 2, L"\r\n") == 0 ? 2 : 1);
        ++lineNumber;
        const std::wstring trimmed = TrimW(raw);
        Line line;
        line.raw = raw;
        if (!trimmed.empty() && trimmed[0] == L'[') {
            const size_t close = trimmed.find(L']');
            if (close == std::wstring::npos) {
                if (strict) {
                    error = FormatW(L"line %d: section header without \"]\": %ls", lineNumber, trimmed.c_str());
                    return false;
                }
            } else {
                Section section;
                section.header = raw;
                section.name = TrimW(trimmed.substr(1, close - 1));
                m_sections.push_back(section);
                continue;
            }
        } else if (!trimmed.empty() && !IsCommentLine(trimmed)) {
            const size_t equals = trimmed.find(L'=');
            if (equals != std::wstring::npos && equals > 0) {
                line.isKey = true;
                line.key = TrimW(trimmed.substr(0, equals));
                line.value = ProfileValue(trimmed.substr(equals + 1));
            }
            if (strict && !line.isKey) {
                error = FormatW(L"line %d is not an INI line (section, key=value or comment): %ls", lineNumber,
                                trimmed.substr(0, 60).c_str());
                return false;
            }
            if (strict && m_sections.empty()) {
                error =
                    FormatW(L"line %d: key \"%ls\" stands before the first [section]", lineNumber, line.key.c_str());
                return false;
            }
        }
        (m_sections.empty() ? m_preamble : m_sections.back().lines).push_back(line);
    }
    if (strict && m_sections.empty()) {
        error = L"the file has no [section]";
        return false;
    }
    return true;
}

IniDocument::Section* IniDocument::FindSection(const std::wstring& name)
{
    for (Section& section : m_sections) {
        if (EqualsNoCase(section.name, name)) {
            return &section;
        }
    }
    return nullptr;
}

const IniDocument::Section* IniDocument::FindSection(const std::wstring& name) const
{
    return const_cast<IniDocument*>(this)->FindSection(name);
}

bool IniDocument::HasSection(const std::wstring& section) const
{
    return FindSection(section) != nullptr;
}

bool IniDocument::Has(const std::wstring& section, const std::wstring& key) const
{
    const Section* found = FindSection(section);
    if (found == nullptr) {
        return false;
    }
    for (const Line& line : found->lines) {
        if (line.isKey && EqualsNoCase(line.key, key)) {
            return true;
        }
    }
    return false;
}

std::wstring IniDocument::Get(const std::wstring& section, const std::wstring& key, const std::wstring& fallback) const
{
    const Section* found = FindSection(section);
    if (found != nullptr) {
        for (const Line& line : found->lines) {
            if (line.isKey && EqualsNoCase(line.key, key)) {
                return line.value;
            }
        }
    }
    return fallback;
}

std::vector<std::pair<std::wstring, std::wstring>> IniDocument::Keys(const std::wstring& section) const
{
    std::vector<std::pair<std::wstring, std::wstring>> keys;
    for (const Section& candidate : m_sections) {
        if (EqualsNoCase(candidate.name, section)) {
            for (const Line& line : candidate.lines) {
                if (line.isKey) {
                    keys.emplace_back(line.key, line.value);
                }
            }
        }
    }
    return keys;
}

void IniDocument::Set(const std::wstring& section, const std::wstring& key, const std::wstring& value)
{
    Section* target = FindSection(section);
    if (target == nullptr) {
        if (!m_sections.empty() &&
            (m_sections.back().lines.empty() || !TrimW(m_sections.back().lines.back().raw).empty())) {
            m_sections.back().lines.push_back(Line{});
        }
        Section made;
        made.header = L"[" + section + L"]";
        made.name = section;
        m_sections.push_back(made);
        target = &m_sections.back();
    }
    Line line;
    line.isKey = true;
    line.key = key;
    line.value = value;
    line.raw = key + L"=" + value;
    bool placed = false;
    for (Section& candidate : m_sections) {
        if (!EqualsNoCase(candidate.name, section)) {
            continue;
        }
        for (auto it = candidate.lines.begin(); it != candidate.lines.end();) {
            if (it->isKey && EqualsNoCase(it->key, key)) {
                if (!placed && &candidate == target) {
                    *it = line;
                    placed = true;
                    ++it;
                } else {
                    it = candidate.lines.erase(it);
                }
            } else {
                ++it;
            }
        }
    }
    if (!placed) {
        // After the section's last key, so that trailing comments and blanks stay at the end.
        size_t position = 0;
        for (size_t i = 0; i < target->lines.size(); ++i) {
            if (target->lines[i].isKey) {
                position = i + 1;
            }
        }
        target->lines.insert(target->lines.begin() + static_cast<std::ptrdiff_t>(position), line);
    }
}

size_t IniDocument::RemoveKeys(const std::wstring& section)
{
    size_t removed = 0;
    for (Section& candidate : m_sections) {
        if (!EqualsNoCase(candidate.name, section)) {
            continue;
        }
        for (auto it = candidate.lines.begin(); it != candidate.lines.end();) {
            if (it->isKey) {
                it = candidate.lines.erase(it);
                ++removed;
            } else {
                ++it;
            }
        }
    }
    return removed;
}

std::wstring IniDocument::ToText() const
{
    std::wstring text;
    for (const Line& line : m_preamble) {
        text += line.raw + L"\r\n";
    }
    for (const Section& section : m_sections) {
        text += section.header + L"\r\n";
        for (const Line& line : section.lines) {
            text += line.raw + L"\r\n";
        }
    }
    return text;
}

} // namespace orlopack
