#include "util/WideFormat.h"

#include <cwchar>
#include <vector>

#include "util/Platform.h"

std::wstring VFormatW(const wchar_t* format, va_list args)
{
    if (format == nullptr) {
        return {};
    }
    std::vector<wchar_t> buffer(512);
    // _vsnwprintf (Windows CRT semantics) returns -1 when the buffer is too small: grow and retry.
    for (;;) {
        va_list copy;
        va_copy(copy, args);
        const int written = _vsnwprintf(buffer.data(), buffer.size() - 1, format, copy);
        va_end(copy);
        if (written >= 0 && static_cast<size_t>(written) < buffer.size() - 1) {
            return std::wstring(buffer.data(), static_cast<size_t>(written));
        }
        if (buffer.size() >= (size_t{1} << 24)) {
            buffer.back() = L'\0';
            return std::wstring(buffer.data(), buffer.size() - 1);
        }
        buffer.resize(buffer.size() * 2);
    }
}

std::wstring FormatW(const wchar_t* format, ...)
{
    va_list args;
    va_start(args, format);
    std::wstring result = VFormatW(format, args);
    va_end(args);
    return result;
}
