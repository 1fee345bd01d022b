#pragma once
// One move-only owner for every Win32 handle kind. A traits type says what "empty" is and how the
// handle is released; Put() hands out the address for out-parameters after freeing the old value.
#include <windows.h>

#include <utility>

template <typename Traits>
class UniqueHandle {
public:
    using Type = typename Traits::Type;

    UniqueHandle() noexcept = default;
    explicit UniqueHandle(Type value) noexcept : m_value(value) {}
    ~UniqueHandle() { Reset(); }

    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& other) noexcept : m_value(other.Release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept
    {
        if (this != &other) {
            Reset(other.Release());
        }
        return *this;
    }

    Type Get() const noexcept { return m_value; }
    bool Valid() const noexcept { return m_value != Traits::Empty(); }
    explicit operator bool() const noexcept { return Valid(); }

    Type Release() noexcept { return std::exchange(m_value, Traits::Empty()); }
    void Reset(Type value = Traits::Empty()) noexcept
    {
        Type old = std::exchange(m_value, value);
        if (old != Traits::Empty()) {
            Traits::Close(old);
        }
    }
    Type* Put() noexcept
    {
        Reset();
        return &m_value;
    }

private:
    Type m_value = Traits::Empty();
};

struct KernelHandleTraits {  // events, processes, threads, mutexes: empty is NULL
    using Type = HANDLE;
    static Type Empty() noexcept { return nullptr; }
    static void Close(Type h) noexcept { ::CloseHandle(h); }
};
struct FileHandleTraits {  // CreateFile results: empty is INVALID_HANDLE_VALUE
    using Type = HANDLE;
    static Type Empty() noexcept { return INVALID_HANDLE_VALUE; }
    static void Close(Type h) noexcept { ::CloseHandle(h); }
};
struct FindHandleTraits {
    using Type = HANDLE;
    static Type Empty() noexcept { return INVALID_HANDLE_VALUE; }
    static void Close(Type h) noexcept { ::FindClose(h); }
};
struct RegKeyTraits {
    using Type = HKEY;
    static Type Empty() noexcept { return nullptr; }
    static void Close(Type h) noexcept { ::RegCloseKey(h); }
};
struct ModuleTraits {
    using Type = HMODULE;
    static Type Empty() noexcept { return nullptr; }
    static void Close(Type h) noexcept { ::FreeLibrary(h); }
};
struct HookTraits {
    using Type = HHOOK;
    static Type Empty() noexcept { return nullptr; }
    static void Close(Type h) noexcept { ::UnhookWindowsHookEx(h); }
};
struct GdiObjectTraits {
    using Type = HGDIOBJ;
    static Type Empty() noexcept { return nullptr; }
    static void Close(Type h) noexcept { ::DeleteObject(h); }
};
struct LocalMemTraits {
    using Type = HLOCAL;
    static Type Empty() noexcept { return nullptr; }
    static void Close(Type h) noexcept { ::LocalFree(h); }
};

using UniqueKernelHandle = UniqueHandle<KernelHandleTraits>;
using UniqueFileHandle = UniqueHandle<FileHandleTraits>;
using UniqueFindHandle = UniqueHandle<FindHandleTraits>;
using UniqueRegKey = UniqueHandle<RegKeyTraits>;
using UniqueModule = UniqueHandle<ModuleTraits>;
using UniqueHook = UniqueHandle<HookTraits>;
using UniqueGdiObject = UniqueHandle<GdiObjectTraits>;
using UniqueLocalMem = UniqueHandle<LocalMemTraits>;
