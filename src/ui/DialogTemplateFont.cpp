// Rewriting the font of an in-memory dialog template: the sheet gets "Arial" 8 for the user
// interface languages whose dialogs need it, before its window is created.
#include <cstring>
#include <optional>

#include "ui/OrloSheet.h"

namespace {
class TemplateReader {
public:
    TemplateReader(const BYTE* bytes, size_t size) : m_bytes(bytes), m_size(size) {}

    size_t Offset() const { return m_offset; }
    bool Skip(size_t count)
    {
        if (count > m_size - m_offset) {
            return false;
        }
        m_offset += count;
        return true;
    }
    std::optional<WORD> Word()
    {
        if (m_size - m_offset < 2) {
            return std::nullopt;
        }
        WORD value = 0;
        std::memcpy(&value, m_bytes + m_offset, 2);
        m_offset += 2;
        return value;
    }
    std::optional<DWORD> Dword()
    {
        const auto low = Word();
        const auto high = low ? Word() : std::nullopt;
        if (!high) {
            return std::nullopt;
        }
        return static_cast<DWORD>(*low) | (static_cast<DWORD>(*high) << 16);
    }
    bool String()  // zero-terminated UTF-16
    {
        for (;;) {
            const auto unit = Word();
            if (!unit) {
                return false;
            }
            if (*unit == 0) {
                return true;
            }
        }
    }
    bool StringOrOrdinal()
    {
        const auto first = Word();
        if (!first) {
            return false;
        }
        if (*first == 0) {
            return true;
        }
        if (*first == 0xFFFF) {
            return Skip(2);
        }
        m_offset -= 2;
        return String();
    }
    bool AlignTo(size_t alignment)
    {
        const size_t padding = (alignment - m_offset % alignment) % alignment;
        return Skip(padding);
    }

private:
    const BYTE* m_bytes;
    size_t m_size;
    size_t m_offset = 0;
};

struct TemplateLayout {
    size_t fontSize = 0;   // offset of the point size
    size_t faceStart = 0;  // offset of the typeface name
    size_t itemsStart = 0; // first item (DWORD aligned)
    size_t end = 0;        // end of the last item
};

std::optional<TemplateLayout> ParseTemplate(const BYTE* bytes, size_t size)
{
    TemplateReader reader(bytes, size);
    TemplateLayout layout;
    const auto version = reader.Word();
    const auto signature = reader.Word();
    if (!version || !signature) {
        return std::nullopt;
    }
    const bool extended = *version == 1 && *signature == 0xFFFF;
    DWORD style = 0;
    std::optional<WORD> items;
    if (extended) {
        const auto help = reader.Dword();
        const auto exStyle = help ? reader.Dword() : std::nullopt;
        const auto styleValue = exStyle ? reader.Dword() : std::nullopt;
        items = styleValue ? reader.Word() : std::nullopt;
        if (!items || !reader.Skip(8)) {
            return std::nullopt;
        }
        style = *styleValue;
    } else {
        reader = TemplateReader(bytes, size);
        const auto styleValue = reader.Dword();
        const auto exStyle = styleValue ? reader.Dword() : std::nullopt;
        items = exStyle ? reader.Word() : std::nullopt;
        if (!items || !reader.Skip(8)) {
            return std::nullopt;
        }
        style = *styleValue;
    }
    if ((style & DS_SETFONT) == 0 || !reader.StringOrOrdinal() || !reader.StringOrOrdinal() || !reader.String()) {
        return std::nullopt;
    }
    layout.fontSize = reader.Offset();
    if (!reader.Skip(extended ? 6 : 2)) {
        return std::nullopt;
    }
    layout.faceStart = reader.Offset();
    if (!reader.String() || !reader.AlignTo(4)) {
        return std::nullopt;
    }
    layout.itemsStart = reader.Offset();
    for (WORD item = 0; item < *items; ++item) {
        // Items start on DWORD boundaries; their creation data follows the extra-count word.
        if (!reader.AlignTo(4) || !reader.Skip(extended ? 24 : 18) || !reader.StringOrOrdinal() ||
            !reader.StringOrOrdinal()) {
            return std::nullopt;
        }
        const auto extra = reader.Word();
        if (!extra || !reader.Skip(*extra)) {
            return std::nullopt;
        }
    }
    layout.end = reader.Offset();
    return layout;
}
}  // namespace

bool ReplaceDialogTemplateFont(std::vector<BYTE>& templateBytes, const std::wstring& face, WORD pointSize,
                               size_t capacity)
{
    const auto layout = ParseTemplate(templateBytes.data(), templateBytes.size());
    if (!layout) {
        return false;
    }
    std::vector<BYTE> rewritten(templateBytes.begin(), templateBytes.begin() + layout->faceStart);
    std::memcpy(rewritten.data() + layout->fontSize, &pointSize, sizeof(pointSize));
    const auto* faceBytes = reinterpret_cast<const BYTE*>(face.c_str());
    rewritten.insert(rewritten.end(), faceBytes, faceBytes + (face.size() + 1) * sizeof(wchar_t));
    rewritten.resize((rewritten.size() + 3) & ~static_cast<size_t>(3), 0);
    rewritten.insert(rewritten.end(), templateBytes.begin() + layout->itemsStart, templateBytes.begin() + layout->end);
    if (rewritten.size() > capacity) {
        return false;
    }
    templateBytes = std::move(rewritten);
    return true;
}

bool ReplaceDialogTemplateFontInPlace(BYTE* templateBytes, const std::wstring& face, WORD pointSize)
{
    // A dialog template is far smaller than this; the parser stops at the template's own end.
    constexpr size_t kLimit = 0x10000;
    const auto layout = ParseTemplate(templateBytes, kLimit);
    if (!layout) {
        return false;
    }
    std::vector<BYTE> copy(templateBytes, templateBytes + layout->end);
    if (!ReplaceDialogTemplateFont(copy, face, pointSize, layout->end)) {
        return false;
    }
    std::memcpy(templateBytes, copy.data(), copy.size());
    return true;
}

bool UsesArialSheetFont(int userInterfaceLanguage)
{
    return userInterfaceLanguage == 1028 || userInterfaceLanguage == 2052 || userInterfaceLanguage == 1042 ||
           userInterfaceLanguage == 1041;
}
