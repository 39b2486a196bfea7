// Owners of Win32 handles, one per cleanup rule, move-only. Handles that a
// class only borrows stay raw, with a "// borrowed" note where they are kept.
#pragma once

#include <windows.h>

#include <cstdio>
#include <utility>

namespace fw {

template <class Traits>
class UniqueHandle {
  public:
    using Handle = typename Traits::Handle;

    UniqueHandle() = default;
    explicit UniqueHandle(Handle h) : m_h(h) {}
    ~UniqueHandle() { reset(); }
    UniqueHandle(UniqueHandle&& other) noexcept : m_h(other.release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;

    Handle get() const { return m_h; }
    explicit operator bool() const { return m_h != Handle(); }
    Handle release() { return std::exchange(m_h, Handle()); }
    void reset(Handle h = Handle()) {
        if (m_h != Handle()) Traits::Close(m_h);
        m_h = h;
    }
    // For out-parameters of creating calls: closes what is held first.
    Handle* receive() {
        reset();
        return &m_h;
    }

  private:
    Handle m_h = Handle();
};

struct RegKeyTraits {
    using Handle = HKEY;
    static void Close(HKEY h) { RegCloseKey(h); }
};
using UniqueRegKey = UniqueHandle<RegKeyTraits>;

struct StdioFileTraits {
    using Handle = FILE*;
    static void Close(FILE* f) { std::fclose(f); }
};
using UniqueFile = UniqueHandle<StdioFileTraits>;

// A window's (or, with a null window, the screen's) device context from
// GetDC, released with ReleaseDC.
class ScopedGetDC {
  public:
    explicit ScopedGetDC(HWND hwnd) : m_hwnd(hwnd), m_hdc(GetDC(hwnd)) {}
    ~ScopedGetDC() {
        if (m_hdc) ReleaseDC(m_hwnd, m_hdc);
    }
    ScopedGetDC(const ScopedGetDC&) = delete;
    ScopedGetDC& operator=(const ScopedGetDC&) = delete;
    HDC get() const { return m_hdc; }

  private:
    HWND m_hwnd;  // borrowed
    HDC m_hdc;
};

}  // namespace fw
