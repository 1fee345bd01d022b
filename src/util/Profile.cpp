#include "util/Profile.h"

#include <windows.h>

namespace {
// The section functions return count == size - 2 when the buffer was too small: grow until it fits.
template <typename Reader>
std::vector<std::wstring> ReadGrowingList(Reader reader)
{
    std::vector<wchar_t> buffer(4096);
    for (;;) {
        const DWORD count = reader(buffer.data(), static_cast<DWORD>(buffer.size()));
        if (count + 2 < buffer.size() || buffer.size() >= (1u << 24)) {
            return SplitZeroList(buffer.data(), count);
        }
        buffer.assign(buffer.size() * 2, L'\0');
    }
}
}  // namespace

std::vector<std::wstring> SplitZeroList(const wchar_t* buffer, size_t count)
{
    std::vector<std::wstring> items;
    size_t start = 0;
    for (size_t i = 0; i < count; ++i) {
        if (buffer[i] == L'\0') {
            if (i > start) {
                items.emplace_back(buffer + start, i - start);
            }
            start = i + 1;
        }
    }
    if (start < count) {
        items.emplace_back(buffer + start, count - start);
    }
    return items;
}

std::wstring ReadProfileString(const std::wstring& file, const std::wstring& section, const std::wstring& key,
                               const std::wstring& defaultValue)
{
    wchar_t buffer[kProfileValueChars] = {};
    const DWORD count = ::GetPrivateProfileStringW(section.c_str(), key.c_str(), defaultValue.c_str(), buffer,
                                                   kProfileValueChars, file.c_str());
    return std::wstring(buffer, count);
}

int ReadProfileInt(const std::wstring& file, const std::wstring& section, const std::wstring& key, int defaultValue)
{
    return static_cast<int>(::GetPrivateProfileIntW(section.c_str(), key.c_str(), defaultValue, file.c_str()));
}

std::vector<std::wstring> ReadProfileSectionLines(const std::wstring& file, const std::wstring& section)
{
    return ReadGrowingList([&](wchar_t* buffer, DWORD size) {
        return ::GetPrivateProfileSectionW(section.c_str(), buffer, size, file.c_str());
    });
}

std::vector<std::pair<std::wstring, std::wstring>> ReadProfileSectionPairs(const std::wstring& file,
                                                                           const std::wstring& section)
{
    std::vector<std::pair<std::wstring, std::wstring>> pairs;
    for (const auto& line : ReadProfileSectionLines(file, section)) {
        const size_t eq = line.find(L'=');
        if (eq != std::wstring::npos) {
            pairs.emplace_back(line.substr(0, eq), line.substr(eq + 1));
        }
    }
    return pairs;
}

std::vector<std::wstring> ReadProfileSectionNames(const std::wstring& file)
{
    return ReadGrowingList([&](wchar_t* buffer, DWORD size) {
        return ::GetPrivateProfileSectionNamesW(buffer, size, file.c_str());
    });
}

bool WriteProfileString(const std::wstring& file, const std::wstring& section, const std::wstring& key,
                        const std::wstring& value)
{
    return ::WritePrivateProfileStringW(section.c_str(), key.c_str(), value.c_str(), file.c_str()) != FALSE;
}

bool DeleteProfileKey(const std::wstring& file, const std::wstring& section, const std::wstring& key)
{
    return ::WritePrivateProfileStringW(section.c_str(), key.c_str(), nullptr, file.c_str()) != FALSE;
}
