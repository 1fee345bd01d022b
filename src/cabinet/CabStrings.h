#pragma once
// CStrA / CStrW: growable zero-terminated buffers (8-bit and UTF-16) for the cabinet engine. They
// are the only classes of the program that throw: CStrException on exhausted memory or on a buffer
// that lost its terminator.
#include <cstddef>
#include <cstdint>
#include <exception>
#include <string>
#include <string_view>

class CStrException : public std::exception {
public:
    explicit CStrException(const char* text) noexcept : m_text(text) {}
    const char* what() const noexcept override { return m_text; }

private:
    const char* m_text;
};

extern const char kStrOutOfMemory[];       // "Fatal error: Out of memory!"
extern const char kStrNoTerminatingNull[]; // "The string has no terminating null character!"

template <typename Char> class CStrBase {
public:
    static constexpr size_t kMinimumCapacity = 300;

    CStrBase() { Allocate(kMinimumCapacity); }
    CStrBase(const Char* text) : CStrBase() { Assign(text); } // NOLINT: implicit on purpose
    CStrBase(std::basic_string_view<Char> text) : CStrBase() { Assign(text); }
    CStrBase(const CStrBase& other) : CStrBase() { Assign(other.View()); }
    CStrBase& operator=(const CStrBase& other)
    {
        if (this != &other) {
            Assign(other.View());
        }
        return *this;
    }
    CStrBase(CStrBase&& other) noexcept : m_buffer(other.m_buffer), m_capacity(other.m_capacity)
    {
        other.m_buffer = nullptr;
        other.m_capacity = 0;
    }
    CStrBase& operator=(CStrBase&& other) noexcept
    {
        if (this != &other) {
            Free();
            m_buffer = other.m_buffer;
            m_capacity = other.m_capacity;
            other.m_buffer = nullptr;
            other.m_capacity = 0;
        }
        return *this;
    }
    ~CStrBase() { Free(); }

    // Makes room for `characters` characters (terminator included). Grows only when more is asked
    // than the buffer holds, and then to twice the request; the content is kept.
    void Allocate(size_t characters);
    // Writable access for code that fills the buffer itself; call Validate() afterwards.
    Char* Buffer() { return EnsureBuffer(); }
    // Throws when the buffer no longer holds a terminator within its capacity.
    void Validate() const;

    size_t Capacity() const { return m_capacity; }
    size_t Length() const;
    bool Empty() const { return Length() == 0; }
    const Char* c_str() const { return m_buffer != nullptr ? m_buffer : EmptyText(); }
    std::basic_string_view<Char> View() const { return std::basic_string_view<Char>(c_str(), Length()); }
    std::basic_string<Char> Str() const { return std::basic_string<Char>(View()); }

    void Assign(std::basic_string_view<Char> text);
    void Append(std::basic_string_view<Char> text);
    void Truncate(size_t length); // keeps the first `length` characters
    void Clear() { Truncate(0); }

    CStrBase& operator=(std::basic_string_view<Char> text)
    {
        Assign(text);
        return *this;
    }
    CStrBase& operator=(const Char* text)
    {
        Assign(text != nullptr ? std::basic_string_view<Char>(text) : std::basic_string_view<Char>());
        return *this;
    }
    CStrBase& operator+=(std::basic_string_view<Char> text)
    {
        Append(text);
        return *this;
    }

private:
    static const Char* EmptyText();
    Char* EnsureBuffer();
    void Free() noexcept;

    Char* m_buffer = nullptr;
    size_t m_capacity = 0;
};

class CStrA;

class CStrW : public CStrBase<wchar_t> {
public:
    using CStrBase<wchar_t>::CStrBase;
    using CStrBase<wchar_t>::operator=;

    // UTF-8 bytes to UTF-16.
    static CStrW FromUtf8(std::string_view utf8);
    // Each byte becomes the UTF-16 code unit of the same value (names without the UTF-8 mark).
    static CStrW FromBytes(std::string_view bytes);
    // printf-style with the Windows CRT conventions; retries with a doubled buffer until it fits.
    void Format(const wchar_t* format, ...);
};

class CStrA : public CStrBase<char> {
public:
    using CStrBase<char>::CStrBase;
    using CStrBase<char>::operator=;

    // UTF-16 to UTF-8.
    static CStrA FromWide(std::wstring_view text);
};
