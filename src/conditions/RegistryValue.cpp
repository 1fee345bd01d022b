#include "conditions/RegistryValue.h"

#include <cstring>
#include <vector>

#include "conditions/ConditionRules.h"
#include "util/Handles.h"
#include "util/WideFormat.h"

namespace {
constexpr size_t kMaxTextChars = 1024;

// Text of REG_SZ-like data: up to the first NUL (the data need not be terminated), at most 1024 characters.
std::wstring DataAsText(const std::vector<BYTE>& data)
{
    const size_t chars = data.size() / sizeof(wchar_t);
    std::wstring text(chars, L'\0');
    if (chars > 0) {
        memcpy(text.data(), data.data(), chars * sizeof(wchar_t));
    }
    const size_t end = text.find(L'\0');
    if (end != std::wstring::npos) {
        text.resize(end);
    }
    if (text.size() > kMaxTextChars) {
        text.resize(kMaxTextChars);
    }
    return text;
}
} // namespace

HKEY HiveFromRoot(int root)
{
    switch (root) {
    case 0:
        return HKEY_CLASSES_ROOT;
    case 1:
        return HKEY_CURRENT_USER;
    case 2:
        return HKEY_LOCAL_MACHINE;
    case 3:
        return HKEY_USERS;
    default:
        return nullptr;
    }
}

HKEY HiveFromName(const std::wstring& name)
{
    if (name == L"HKEY_CLASSES_ROOT") {
        return HKEY_CLASSES_ROOT;
    }
    if (name == L"HKEY_CURRENT_USER") {
        return HKEY_CURRENT_USER;
    }
    if (name == L"HKEY_LOCAL_MACHINE") {
        return HKEY_LOCAL_MACHINE;
    }
    if (name == L"HKEY_USERS") {
        return HKEY_USERS;
    }
    return nullptr;
}

int ReadRegistryValue(HKEY hive, const std::wstring& keyPath, const std::wstring& valueName, std::wstring& value,
                      bool view64)
{
    value.clear();
    if (hive == nullptr) {
        return kRegistryMissing;
    }
    // The 32-bit view is asked for explicitly: a 64-bit build would otherwise read the 64-bit view.
    const REGSAM access = view64 ? (KEY_WOW64_64KEY | KEY_QUERY_VALUE) : (KEY_READ | KEY_WOW64_32KEY);
    UniqueRegKey key;
    if (::RegOpenKeyExW(hive, keyPath.c_str(), 0, access, key.Put()) != ERROR_SUCCESS) {
        return kRegistryMissing;
    }
    DWORD type = 0;
    DWORD size = 0;
    if (::RegQueryValueExW(key.Get(), valueName.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS) {
        return kRegistryMissing;
    }
    if (type == REG_BINARY) {
        return kRegistryRead;
    }
    // The value may grow between the two queries: retry with the size the system reports.
    std::vector<BYTE> data(size);
    LSTATUS status = ERROR_MORE_DATA;
    for (int attempt = 0; attempt < 4 && status == ERROR_MORE_DATA; ++attempt) {
        data.resize(size);
        status = ::RegQueryValueExW(key.Get(), valueName.c_str(), nullptr, &type, data.empty() ? nullptr : data.data(),
                                    &size);
    }
    if (status != ERROR_SUCCESS || size == 0) {
        return kRegistryRead; // read, but without data: the text stays empty
    }
    data.resize(size);

    switch (type) {
    case REG_DWORD:
        if (size >= sizeof(DWORD)) {
            DWORD number = 0;
            memcpy(&number, data.data(), sizeof(number));
            value = FormatW(L"%d", static_cast<int>(number));
        }
        break;
    case REG_QWORD:
        if (size >= sizeof(ULONGLONG)) {
            long long number = 0;
            memcpy(&number, data.data(), sizeof(number));
            value = FormatW(L"%I64d", number);
        }
        break;
    case REG_BINARY:
        break;
    default: // REG_SZ, REG_EXPAND_SZ (not expanded), REG_MULTI_SZ (its first string) and the rest
        value = DataAsText(data);
        break;
    }
    return kRegistryRead;
}

int ReadRegistryCondition(const std::wstring& location, std::wstring& value, bool view64)
{
    const RegistryLocation parts = SplitRegistryLocation(location);
    return ReadRegistryValue(HiveFromName(parts.Hive), parts.KeyPath, parts.ValueName, value, view64);
}
