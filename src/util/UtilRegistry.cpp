// CUtil: registry values and INI sections read into maps.
#include <windows.h>

#include <cwchar>
#include <utility>
#include <vector>

#include "util/Profile.h"
#include "util/StringUtil.h"
#include "util/Util.h"

DWORD CUtil::ReadRegistryDword(HKEY key, const std::wstring& name, DWORD defaultValue)
{
    DWORD type = 0;
    DWORD value = 0;
    DWORD size = sizeof(value);
    const LSTATUS status =
        ::RegQueryValueExW(key, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&value), &size);
    if (status == ERROR_SUCCESS && type == REG_DWORD && size == sizeof(value)) {
        return value;
    }
    if (defaultValue != kRegistryNoDefaultWrite) {
        ::RegSetValueExW(key, name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&defaultValue),
                         sizeof(defaultValue));
    }
    return defaultValue;
}

std::wstring CUtil::ReadRegistryString(HKEY key, const std::wstring& name, DWORD sizeBytes)
{
    // Two spare zero characters: a stored value need not be terminated.
    std::vector<wchar_t> buffer(sizeBytes / sizeof(wchar_t) + 2, L'\0');
    DWORD type = 0;
    DWORD size = sizeBytes;
    const LSTATUS status =
        ::RegQueryValueExW(key, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &size);
    if (status != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ && type != REG_MULTI_SZ)) {
        return {};
    }
    return std::wstring(buffer.data(), std::wcslen(buffer.data()));
}

void CUtil::ReadSection(const std::wstring& file, const std::wstring& section,
                        std::map<std::wstring, std::wstring>& map, DWORD size)
{
    if (size < 2) {
        return;
    }
    std::vector<wchar_t> buffer(size, L'\0');
    const DWORD count = ::GetPrivateProfileSectionW(section.c_str(), buffer.data(), size, file.c_str());
    std::vector<std::wstring> lines = SplitZeroList(buffer.data(), count);
    if (count + 2 >= size && !lines.empty()) {
        // The buffer was full: its last line may be cut. A cut value would be read as a wrong
        // value, so the line is only kept when the whole section shows it unchanged.
        const std::vector<std::wstring> whole = ReadProfileSectionLines(file, section);
        const size_t last = lines.size() - 1;
        if (last >= whole.size() || whole[last] != lines[last]) {
            lines.pop_back();
        }
    }
    std::map<std::wstring, std::wstring> read;
    for (const auto& line : lines) {
        const size_t equals = line.find(L'=');
        // Lines without "=" and lines disabled with a leading ";" are no keys.
        if (equals == std::wstring::npos || line[0] == L';') {
            continue;
        }
        // The first of two equal names wins, as it does for the profile functions.
        read.emplace(ToLowerW(line.substr(0, equals)), line.substr(equals + 1));
    }
    for (auto& [name, value] : read) {
        map.insert_or_assign(name, std::move(value));
    }
}
