#pragma once
// Turning fuzz input into the program's text: UTF-16 code units in std::wstring (see
// util/Platform.h), never raw bytes copied into wchar_t storage.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "util/StringUtil.h"

namespace fuzz {

// Little-endian byte pairs as code units (a trailing odd byte is dropped).
inline std::wstring Utf16Units(const uint8_t* data, size_t size)
{
    std::wstring text(size / 2, L'\0');
    for (size_t i = 0; i < text.size(); ++i) {
        text[i] = static_cast<wchar_t>(data[2 * i] | (data[2 * i + 1] << 8));
    }
    return text;
}

// The input as UTF-8 text, decoded as the program decodes UTF-8.
inline std::wstring Utf8Text(const uint8_t* data, size_t size)
{
    return Utf8ToWide(std::string_view(reinterpret_cast<const char*>(data), size));
}

// The text cut at every `separator` (empty pieces kept).
inline std::vector<std::wstring> Pieces(const std::wstring& text, wchar_t separator)
{
    std::vector<std::wstring> pieces;
    size_t start = 0;
    for (;;) {
        const size_t found = text.find(separator, start);
        pieces.push_back(text.substr(start, found == std::wstring::npos ? std::wstring::npos : found - start));
        if (found == std::wstring::npos) {
            return pieces;
        }
        start = found + 1;
    }
}

// An invariant that does not hold is a finding: stop with a message the fuzzer keeps.
#define FUZZ_CHECK(condition)                                                                                          \
    do {                                                                                                               \
        if (!(condition)) {                                                                                            \
            std::fprintf(stderr, "invariant failed: %s (%s:%d)\n", #condition, __FILE__, __LINE__);                    \
            std::abort();                                                                                              \
        }                                                                                                              \
    } while (false)

} // namespace fuzz
