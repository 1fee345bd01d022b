// Pure text rules of the package builder.
#include "PackText.h"

#include <cwchar>

#include "util/NameRules.h"
#include "util/StringUtil.h"
#include "util/WideFormat.h"

namespace orlopack {

bool ParseSize(const std::wstring& text, uint64_t& bytes, std::wstring& error)
{
    const std::wstring trimmed = TrimW(text);
    size_t i = 0;
    uint64_t value = 0;
    while (i < trimmed.size() && trimmed[i] >= L'0' && trimmed[i] <= L'9') {
        const uint64_t digit = static_cast<uint64_t>(trimmed[i] - L'0');
        if (value > (UINT64_MAX - digit) / 10) {
            error = FormatW(L"size \"%ls\" is too large", text.c_str());
            return false;
        }
        value = value * 10 + digit;
        ++i;
    }
    if (i == 0) {
        error = FormatW(L"\"%ls\" is not a size (examples: 65536, 512K, 64M, 2G)", text.c_str());
        return false;
    }
    const std::wstring unit = ToUpperW(TrimW(std::wstring_view(trimmed).substr(i)));
    unsigned shift = 0;
    if (unit.empty() || unit == L"B") {
        shift = 0;
    } else if (unit == L"K" || unit == L"KB" || unit == L"KIB") {
        shift = 10;
    } else if (unit == L"M" || unit == L"MB" || unit == L"MIB") {
        shift = 20;
    } else if (unit == L"G" || unit == L"GB" || unit == L"GIB") {
        shift = 30;
    } else {
        error = FormatW(L"\"%ls\" is not a size: unknown unit \"%ls\" (use K, M or G)", text.c_str(), unit.c_str());
        return false;
    }
    if (shift != 0 && value > (UINT64_MAX >> shift)) {
        error = FormatW(L"size \"%ls\" is too large", text.c_str());
        return false;
    }
    value <<= shift;
    if (value == 0) {
        error = FormatW(L"size \"%ls\" is zero", text.c_str());
        return false;
    }
    bytes = value;
    return true;
}

std::wstring FormatBytes(uint64_t bytes)
{
    static const wchar_t* const units[] = {L"KiB", L"MiB", L"GiB", L"TiB"};
    if (bytes < 1024) {
        return FormatW(bytes == 1 ? L"%I64u byte" : L"%I64u bytes", bytes);
    }
    double value = static_cast<double>(bytes) / 1024.0;
    size_t unit = 0;
    while (value >= 1024.0 && unit + 1 < sizeof(units) / sizeof(units[0])) {
        value /= 1024.0;
        ++unit;
    }
    if (value == static_cast<double>(static_cast<uint64_t>(value))) {
        return FormatW(L"%I64u %ls", static_cast<uint64_t>(value), units[unit]);
    }
    return FormatW(L"%.1f %ls", value, units[unit]);
}

std::wstring PartFileName(const std::wstring& baseName, int partNumber)
{
    return FormatW(L"%ls.%03d", baseName.c_str(), partNumber);
}

std::wstring CheckBaseName(const std::wstring& name)
{
    if (name.empty()) {
        return L"the base name is empty";
    }
    for (wchar_t c : name) {
        if (c < 32 || std::wcschr(L"\\/:*?\"<>|", c) != nullptr) {
            return FormatW(L"the base name \"%ls\" contains a character that file names cannot hold", name.c_str());
        }
    }
    if (name.back() == L'.' || name.back() == L' ' || name.front() == L' ') {
        return FormatW(L"the base name \"%ls\" may not begin with a blank or end with a dot or blank", name.c_str());
    }
    // The package is "<base>.exe" and its parts "<base>.001": both must fit a 255-character name.
    if (name.size() > 250) {
        return FormatW(L"the base name is %u characters long; at most 250 are possible",
                       static_cast<unsigned>(name.size()));
    }
    // "<base>.exe" and "<base>.001" name a device when the base does ("CON", "con.x", "LPT1 ").
    if (IsDeviceName(name)) {
        return FormatW(L"the base name \"%ls\" is a reserved device name", name.c_str());
    }
    return {};
}

int LanguageFileLcid(const std::wstring& fileName)
{
    const std::wstring lower = ToLowerW(fileName);
    if (lower == L"defaultx.ulf") {
        return 0;
    }
    const std::wstring prefix = L"default";
    const std::wstring suffix = L".ulf";
    if (lower.size() <= prefix.size() + suffix.size() || lower.compare(0, prefix.size(), prefix) != 0 ||
        lower.compare(lower.size() - suffix.size(), suffix.size(), suffix) != 0) {
        return -1;
    }
    const std::wstring digits = lower.substr(prefix.size(), lower.size() - prefix.size() - suffix.size());
    if (digits.size() > 5) {
        return -1;
    }
    int lcid = 0;
    for (wchar_t c : digits) {
        if (c < L'0' || c > L'9') {
            return -1;
        }
        lcid = lcid * 10 + (c - L'0');
    }
    return lcid > 0 ? lcid : -1;
}

bool IsPlainAscii(const std::wstring& text)
{
    for (wchar_t c : text) {
        if (c > 0x7F) {
            return false;
        }
    }
    return true;
}

bool DosDateTimeOf(int year, int month, int day, int hour, int minute, int second, uint16_t& date, uint16_t& time)
{
    if (year < 1980) {
        date = static_cast<uint16_t>((0 << 9) | (1 << 5) | 1);
        time = 0;
        return false;
    }
    if (year > 2107) {
        date = static_cast<uint16_t>((127 << 9) | (12 << 5) | 31);
        time = static_cast<uint16_t>((23 << 11) | (59 << 5) | 29);
        return false;
    }
    date = static_cast<uint16_t>(((year - 1980) << 9) | (month << 5) | day);
    time = static_cast<uint16_t>((hour << 11) | (minute << 5) | (second / 2));
    return true;
}

std::wstring DosDateTimeText(uint16_t date, uint16_t time)
{
    return FormatW(L"%04d-%02d-%02d %02d:%02d:%02d", 1980 + (date >> 9), (date >> 5) & 0x0F, date & 0x1F, time >> 11,
                   (time >> 5) & 0x3F, (time & 0x1F) * 2);
}

std::wstring CabAttributeText(uint16_t attributes)
{
    std::wstring text;
    text += (attributes & 0x01) ? L'R' : L'-';
    text += (attributes & 0x02) ? L'H' : L'-';
    text += (attributes & 0x04) ? L'S' : L'-';
    text += (attributes & 0x20) ? L'A' : L'-';
    if (attributes & kCabNameIsUtf8) {
        text += L" utf8";
    }
    if (attributes & kCabTimeIsUtc) {
        text += L" utc";
    }
    return text;
}

std::wstring PartStampText(int year, int month, int day, int hour, int minute, int second, int millisecond)
{
    return FormatW(L"Y%d:M%d:D%d:H%d:M%d:S%d:MS%d", year, month, day, hour, minute, second, millisecond);
}

bool IsMd5Text(const std::wstring& text)
{
    if (text.size() != 32) {
        return false;
    }
    for (wchar_t c : text) {
        if (!((c >= L'0' && c <= L'9') || (c >= L'a' && c <= L'f'))) {
            return false;
        }
    }
    return true;
}

} // namespace orlopack
