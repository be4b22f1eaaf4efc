#pragma once
// One owner per Windows handle: a move-only wrapper that closes its handle exactly once.
#ifdef _WIN32
#include <windows.h>
#include <utility>

template <typename T, typename CloseFn, CloseFn Close, T Invalid>
class UniqueHandle {
public:
    UniqueHandle() noexcept = default;
    explicit UniqueHandle(T h) noexcept : m_h(h) {}
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& other) noexcept : m_h(other.release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }
    ~UniqueHandle() { reset(); }

    T get() const noexcept { return m_h; }
    explicit operator bool() const noexcept { return m_h != Invalid; }
    T release() noexcept { return std::exchange(m_h, Invalid); }
    void reset(T h = Invalid) noexcept {
        T old = std::exchange(m_h, h);
        if (old != Invalid) Close(old);
    }

private:
    T m_h = Invalid;
};

namespace unique_handle_detail {
inline void CloseKernelHandle(HANDLE h) noexcept { ::CloseHandle(h); }
inline void DeleteFont(HFONT h) noexcept { ::DeleteObject(h); }
}  // namespace unique_handle_detail


// Files use INVALID_HANDLE_VALUE for "none", which is no constant expression: a type of its own.
class UniqueFile {
public:
    UniqueFile() noexcept = default;
    explicit UniqueFile(HANDLE h) noexcept : m_h(h) {}
    UniqueFile(const UniqueFile&) = delete;
    UniqueFile& operator=(const UniqueFile&) = delete;
    UniqueFile(UniqueFile&& other) noexcept : m_h(other.release()) {}
    UniqueFile& operator=(UniqueFile&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }
    ~UniqueFile() { reset(); }

    HANDLE get() const noexcept { return m_h; }
    explicit operator bool() const noexcept { return m_h != INVALID_HANDLE_VALUE && m_h != nullptr; }
    HANDLE release() noexcept { return std::exchange(m_h, INVALID_HANDLE_VALUE); }
    void reset(HANDLE h = INVALID_HANDLE_VALUE) noexcept {
        HANDLE old = std::exchange(m_h, h);
        if (old != INVALID_HANDLE_VALUE && old != nullptr) ::CloseHandle(old);
    }

private:
    HANDLE m_h = INVALID_HANDLE_VALUE;
};

using UniqueMutex = UniqueHandle<HANDLE, void (*)(HANDLE) noexcept, unique_handle_detail::CloseKernelHandle, nullptr>;
using UniqueFont = UniqueHandle<HFONT, void (*)(HFONT) noexcept, unique_handle_detail::DeleteFont, nullptr>;
#endif
