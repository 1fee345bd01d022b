#include "util/PathIdentity.h"

#include <windows.h>

#include "util/Handles.h"
#include "util/NameRules.h"
#include "util/StringUtil.h"

namespace {
// Calls `query(buffer, size)` (a Win32 call that answers the length it needs when the buffer is too
// small) until the answer fits.
template <typename Query> std::wstring QueryText(Query query)
{
    std::wstring text(MAX_PATH, L'\0');
    DWORD length = query(text.data(), static_cast<DWORD>(text.size()));
    if (length >= text.size()) {
        text.assign(length + 1, L'\0');
        length = query(text.data(), static_cast<DWORD>(text.size()));
    }
    if (length == 0 || length >= text.size()) {
        return {};
    }
    text.resize(length);
    return text;
}

std::wstring UpperCase(const std::wstring& text)
{
    if (text.empty()) {
        return text;
    }
    // The file system's case rule covers more than ASCII.
    std::wstring upper(text.size(), L'\0');
    const int length =
        ::LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_UPPERCASE, text.c_str(), static_cast<int>(text.size()),
                        upper.data(), static_cast<int>(upper.size()), nullptr, nullptr, 0);
    if (length <= 0) {
        return ToUpperW(text);
    }
    upper.resize(static_cast<size_t>(length));
    return upper;
}

std::wstring LastComponent(const std::wstring& path)
{
    const size_t slash = path.rfind(L'\\');
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

// Without the "\\?\" prefix, full, without a final backslash (a drive root keeps its own).
std::wstring PlainFullPath(const std::wstring& path)
{
    const std::wstring plain = WithoutLongPathPrefix(path);
    std::wstring full = FullPathName(plain);
    if (full.empty()) {
        full = plain;
    }
    while (full.size() > 3 && full.back() == L'\\') {
        full.pop_back();
    }
    return full;
}
} // namespace

std::wstring FullPathName(const std::wstring& path)
{
    if (path.empty()) {
        return {};
    }
    return QueryText(
        [&](wchar_t* buffer, DWORD size) { return ::GetFullPathNameW(path.c_str(), size, buffer, nullptr); });
}

std::wstring FinalPathName(const std::wstring& path)
{
    const UniqueFileHandle handle(::CreateFileW(LongPath(path).c_str(), 0,
                                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!handle) {
        return {};
    }
    return WithoutLongPathPrefix(QueryText([&](wchar_t* buffer, DWORD size) {
        return ::GetFinalPathNameByHandleW(handle.Get(), buffer, size, FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    }));
}

std::wstring PathIdentity(const std::wstring& path)
{
    std::wstring identity = PlainFullPath(path);
    // Only a component with "~" can be an 8.3 alias; looking every path up would cost a disk visit.
    if (identity.find(L'~') != std::wstring::npos) {
        const std::wstring query = LongPath(identity);
        const std::wstring spelledOut =
            QueryText([&](wchar_t* buffer, DWORD size) { return ::GetLongPathNameW(query.c_str(), buffer, size); });
        if (!spelledOut.empty()) {
            identity = WithoutLongPathPrefix(spelledOut);
        }
    }
    return UpperCase(identity);
}

CPathSet::CPathSet(const std::vector<std::wstring>& paths)
{
    for (const auto& path : paths) {
        if (path.empty()) {
            continue;
        }
        const std::wstring identity = PathIdentity(path);
        m_identities.insert(identity);
        m_names.insert(LastComponent(identity));
        const std::wstring query = LongPath(identity);
        const std::wstring alias =
            QueryText([&](wchar_t* buffer, DWORD size) { return ::GetShortPathNameW(query.c_str(), buffer, size); });
        if (!alias.empty()) {
            m_names.insert(UpperCase(LastComponent(alias)));
        }
    }
}

bool CPathSet::Contains(const std::wstring& path) const
{
    // A path under another name is none of the set's: most are told apart without a disk visit.
    if (path.empty() || m_names.count(UpperCase(LastComponent(PlainFullPath(path)))) == 0) {
        return false;
    }
    return m_identities.count(PathIdentity(path)) != 0;
}
