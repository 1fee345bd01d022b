// CUtil: system queries (version, user interface language, GUIDs, error texts).
#include <windows.h>
#include <objbase.h>

#include "util/Handles.h"
#include "util/Util.h"

int CUtil::GetUILanguage()
{
    HMODULE kernel = ::GetModuleHandleW(L"kernel32.dll");
    if (kernel == nullptr) {
        return -1;
    }
    using GetUiLanguageFn = LANGID(WINAPI*)();
    auto function = reinterpret_cast<GetUiLanguageFn>(
        reinterpret_cast<void*>(::GetProcAddress(kernel, "GetUserDefaultUILanguage")));
    if (function == nullptr) {
        return -1;
    }
    return function();
}

DWORD CUtil::GetOSMajorVersion()
{
    OSVERSIONINFOW info{};
    info.dwOSVersionInfoSize = sizeof(info);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    ::GetVersionExW(&info);
#pragma GCC diagnostic pop
    return info.dwMajorVersion;
}

std::wstring CUtil::NewGuidString()
{
    GUID guid{};
    if (FAILED(::CoCreateGuid(&guid))) {
        return {};
    }
    wchar_t text[64] = {};
    const int length = ::StringFromGUID2(guid, text, 64);
    return length > 0 ? std::wstring(text, static_cast<size_t>(length - 1)) : std::wstring();
}

std::wstring CUtil::FormatErrorText(DWORD code)
{
    wchar_t* buffer = nullptr;
    const DWORD length = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code,
        MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), reinterpret_cast<LPWSTR>(&buffer), 0, nullptr);
    const UniqueLocalMem owner(buffer);
    std::wstring text;
    if (length > 0 && buffer != nullptr) {
        text.assign(buffer, length);
    }
    // The system text ends with a line break, which would split a log line in two.
    while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n' || text.back() == L' ')) {
        text.pop_back();
    }
    return text;
}
