// Move-only holders that release a Win32 handle exactly once.
#pragma once

#include <windows.h>

template <class Traits>
class UniqueHandle {
public:
    using Type = typename Traits::Type;

    UniqueHandle() = default;
    explicit UniqueHandle(Type h) : m_h(h) {}
    ~UniqueHandle() { Reset(); }

    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& other) noexcept : m_h(other.Release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept
    {
        if (this != &other)
            Reset(other.Release());
        return *this;
    }

    bool IsValid() const { return m_h != Traits::Invalid(); }
    explicit operator bool() const { return IsValid(); }
    Type Get() const { return m_h; }

    Type Release()
    {
        Type h = m_h;
        m_h = Traits::Invalid();
        return h;
    }

    void Reset(Type h = Traits::Invalid())
    {
        if (IsValid())
            Traits::Close(m_h);
        m_h = h;
    }

private:
    Type m_h = Traits::Invalid();
};

struct FileHandleTraits {
    using Type = HANDLE;
    static Type Invalid() { return INVALID_HANDLE_VALUE; }
    static void Close(Type h) { ::CloseHandle(h); }
};

struct FindHandleTraits {
    using Type = HANDLE;
    static Type Invalid() { return INVALID_HANDLE_VALUE; }
    static void Close(Type h) { ::FindClose(h); }
};

struct IconHandleTraits {
    using Type = HICON;
    static Type Invalid() { return nullptr; }
    static void Close(Type h) { ::DestroyIcon(h); }
};

using FileHandle = UniqueHandle<FileHandleTraits>;
using FindHandle = UniqueHandle<FindHandleTraits>;
using IconHandle = UniqueHandle<IconHandleTraits>;
