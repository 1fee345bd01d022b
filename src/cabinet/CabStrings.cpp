#include "cabinet/CabStrings.h"

#include "util/Platform.h"

#include <cstdarg>
#include <cstdlib>
#include <cstring>
#include <cwchar>

const char kStrOutOfMemory[] = "Fatal error: Out of memory!";
const char kStrNoTerminatingNull[] = "The string has no terminating null character!";

namespace {
template <typename Char> size_t TextLength(const Char* text, size_t limit)
{
    size_t length = 0;
    while (length < limit && text[length] != Char(0)) {
        ++length;
    }
    return length;
}
} // namespace

template <typename Char> const Char* CStrBase<Char>::EmptyText()
{
    static const Char empty[1] = {Char(0)};
    return empty;
}

template <typename Char> void CStrBase<Char>::Allocate(size_t characters)
{
    if (characters < kMinimumCapacity) {
        characters = kMinimumCapacity;
    }
    if (m_buffer != nullptr && characters <= m_capacity) {
        return;
    }
    const size_t newCapacity = m_buffer == nullptr ? characters : characters * 2;
    if (newCapacity > (SIZE_MAX / sizeof(Char)) / 2) {
        throw CStrException(kStrOutOfMemory);
    }
    auto* grown = static_cast<Char*>(std::malloc(newCapacity * sizeof(Char)));
    if (grown == nullptr) {
        throw CStrException(kStrOutOfMemory);
    }
    if (m_buffer != nullptr) {
        const size_t keep = TextLength(m_buffer, m_capacity);
        std::memcpy(grown, m_buffer, keep * sizeof(Char));
        grown[keep] = Char(0);
        std::free(m_buffer);
    } else {
        grown[0] = Char(0);
    }
    m_buffer = grown;
    m_capacity = newCapacity;
}

template <typename Char> Char* CStrBase<Char>::EnsureBuffer()
{
    if (m_buffer == nullptr) {
        Allocate(kMinimumCapacity);
    }
    return m_buffer;
}

template <typename Char> void CStrBase<Char>::Validate() const
{
    if (m_buffer != nullptr && TextLength(m_buffer, m_capacity) >= m_capacity) {
        throw CStrException(kStrNoTerminatingNull);
    }
}

template <typename Char> size_t CStrBase<Char>::Length() const
{
    if (m_buffer == nullptr) {
        return 0;
    }
    const size_t length = TextLength(m_buffer, m_capacity);
    if (length >= m_capacity) {
        throw CStrException(kStrNoTerminatingNull);
    }
    return length;
}

template <typename Char> void CStrBase<Char>::Assign(std::basic_string_view<Char> text)
{
    // The view may point into this buffer: copy it before growing.
    if (m_buffer != nullptr && text.data() >= m_buffer && text.data() < m_buffer + m_capacity) {
        const std::basic_string<Char> copy(text);
        Assign(std::basic_string_view<Char>(copy));
        return;
    }
    Allocate(text.size() + 1);
    std::memcpy(m_buffer, text.data(), text.size() * sizeof(Char));
    m_buffer[text.size()] = Char(0);
}

template <typename Char> void CStrBase<Char>::Append(std::basic_string_view<Char> text)
{
    if (m_buffer != nullptr && text.data() >= m_buffer && text.data() < m_buffer + m_capacity) {
        const std::basic_string<Char> copy(text);
        Append(std::basic_string_view<Char>(copy));
        return;
    }
    const size_t length = Length();
    Allocate(length + text.size() + 1);
    std::memcpy(m_buffer + length, text.data(), text.size() * sizeof(Char));
    m_buffer[length + text.size()] = Char(0);
}

template <typename Char> void CStrBase<Char>::Truncate(size_t length)
{
    if (m_buffer != nullptr && length < Length()) {
        m_buffer[length] = Char(0);
    }
}

template <typename Char> void CStrBase<Char>::Free() noexcept
{
    std::free(m_buffer);
    m_buffer = nullptr;
    m_capacity = 0;
}

template class CStrBase<char>;
template class CStrBase<wchar_t>;

CStrW CStrW::FromUtf8(std::string_view utf8)
{
    CStrW result;
    if (utf8.empty()) {
        return result;
    }
    const int needed = ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    if (needed <= 0) {
        return result;
    }
    result.Allocate(static_cast<size_t>(needed) + 1);
    wchar_t* buffer = result.Buffer();
    ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), buffer, needed);
    buffer[needed] = L'\0';
    return result;
}

CStrW CStrW::FromBytes(std::string_view bytes)
{
    CStrW result;
    result.Allocate(bytes.size() + 1);
    wchar_t* buffer = result.Buffer();
    for (size_t i = 0; i < bytes.size(); ++i) {
        buffer[i] = static_cast<wchar_t>(static_cast<unsigned char>(bytes[i]));
    }
    buffer[bytes.size()] = L'\0';
    return result;
}

void CStrW::Format(const wchar_t* format, ...)
{
    size_t capacity = Capacity();
    for (;;) {
        Allocate(capacity);
        va_list args;
        va_start(args, format);
        const int written = _vsnwprintf(Buffer(), Capacity() - 1, format, args);
        va_end(args);
        if (written >= 0 && static_cast<size_t>(written) < Capacity() - 1) {
            Buffer()[written] = L'\0';
            return;
        }
        if (Capacity() >= (size_t{1} << 24)) { // an encoding error never fits: keep what was written
            Buffer()[Capacity() - 1] = L'\0';
            return;
        }
        capacity = Capacity() + 1; // asks for more than the buffer holds: it doubles
    }
}

CStrA CStrA::FromWide(std::wstring_view text)
{
    CStrA result;
    if (text.empty()) {
        return result;
    }
    const int needed =
        ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    if (needed <= 0) {
        return result;
    }
    result.Allocate(static_cast<size_t>(needed) + 1);
    char* buffer = result.Buffer();
    ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), buffer, needed, nullptr, nullptr);
    buffer[needed] = '\0';
    return result;
}
