#pragma once
// An INI file held as text lines, so that the builder can read a template, replace the keys it
// owns and write the result without losing the author's comments and order. Lookups follow the
// Windows profile functions: section and key names ignore case, the first section and the first
// key of a name win, blanks around names and values and one pair of quotes around a value go.
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace orlopack {

class IniDocument {
public:
    // UTF-8 (with or without BOM) or UTF-16 (LE or BE with BOM, LE without BOM) to text. False
    // with `error` set when the bytes are neither, or hold NUL characters (a binary file).
    static bool DecodeText(const std::vector<uint8_t>& bytes, std::wstring& text, std::wstring& error);
    // The text as UTF-16LE with a byte-order mark, the form the front end reads.
    static std::vector<uint8_t> EncodeUtf16(const std::wstring& text);

    // Strict parsing refuses lines that are neither blank, a comment (";", "#", "//"), a section
    // header nor "key=value", and keys before the first section; `error` names the line. Lenient
    // parsing keeps such lines as they are.
    bool Parse(const std::wstring& text, bool strict, std::wstring& error);

    bool HasSection(const std::wstring& section) const;
    bool Has(const std::wstring& section, const std::wstring& key) const;
    std::wstring Get(const std::wstring& section, const std::wstring& key, const std::wstring& fallback = L"") const;
    // Every key of every section of that name, in file order (name as written, value as read).
    std::vector<std::pair<std::wstring, std::wstring>> Keys(const std::wstring& section) const;
    size_t SectionCount() const { return m_sections.size(); }

    // Sets the key in the first section of that name (made at the end when missing) and drops
    // its other occurrences, which the profile functions would never read.
    void Set(const std::wstring& section, const std::wstring& key, const std::wstring& value);
    // Removes every key of every section of that name; returns how many there were.
    size_t RemoveKeys(const std::wstring& section);

    // The document as text with CR LF line ends.
    std::wstring ToText() const;

private:
    struct Line {
        bool isKey = false;
        std::wstring raw;   // the line as read or made
        std::wstring key;   // trimmed key (key lines)
        std::wstring value; // value as the profile functions return it (key lines)
    };
    struct Section {
        std::wstring header; // "[Name]" line as written
        std::wstring name;
        std::vector<Line> lines;
    };
    Section* FindSection(const std::wstring& name);
    const Section* FindSection(const std::wstring& name) const;

    std::vector<Line> m_preamble; // comments and blanks before the first section
    std::vector<Section> m_sections;
};

// The value that the profile functions return for the text after "=".
std::wstring ProfileValue(const std::wstring& rawValue);

} // namespace orlopack
