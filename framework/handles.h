// Owners for every kind of handle the program touches: each one is released exactly once,
// on every path out of the function that acquired it.
#pragma once

#include <windows.h>

#include <utility>

namespace framework {

// A move-only owner of one handle; Traits names the null value and the release call.
template <typename Traits>
class Owned {
public:
    using Handle = typename Traits::Handle;

    Owned() = default;
    explicit Owned(Handle h) : h_(h) {}
    ~Owned() { Reset(); }
    Owned(Owned&& other) noexcept : h_(other.Release()) {}
    Owned& operator=(Owned&& other) noexcept {
        if (this != &other) {
            Reset(other.Release());
        }
        return *this;
    }
    Owned(const Owned&) = delete;
    Owned& operator=(const Owned&) = delete;

    Handle Get() const { return h_; }
    explicit operator bool() const { return h_ != Traits::Null(); }
    Handle Release() { return std::exchange(h_, Traits::Null()); }
    // Taking over the handle already held keeps it open: it is still this owner's.
    void Reset(Handle h = Traits::Null()) {
        if (h_ != Traits::Null() && h_ != h) {
            Traits::Close(h_);
        }
        h_ = h;
    }

private:
    Handle h_ = Traits::Null();
};

struct FileTraits {
    using Handle = HANDLE;
    static Handle Null() { return INVALID_HANDLE_VALUE; }
    static void Close(Handle h) { ::CloseHandle(h); }
};
// Threads, processes and events: null, not INVALID_HANDLE_VALUE, when there is none.
struct KernelTraits {
    using Handle = HANDLE;
    static Handle Null() { return nullptr; }
    static void Close(Handle h) { ::CloseHandle(h); }
};
struct FindTraits {
    using Handle = HANDLE;
    static Handle Null() { return INVALID_HANDLE_VALUE; }
    static void Close(Handle h) { ::FindClose(h); }
};
template <typename T>
struct GdiTraits {
    using Handle = T;
    static Handle Null() { return nullptr; }
    static void Close(Handle h) { ::DeleteObject(h); }
};
struct MemoryDcTraits {
    using Handle = HDC;
    static Handle Null() { return nullptr; }
    static void Close(Handle h) { ::DeleteDC(h); }
};
struct GlobalTraits {
    using Handle = HGLOBAL;
    static Handle Null() { return nullptr; }
    static void Close(Handle h) { ::GlobalFree(h); }
};
struct LocalTraits {
    using Handle = HLOCAL;
    static Handle Null() { return nullptr; }
    static void Close(Handle h) { ::LocalFree(h); }
};
struct MenuTraits {
    using Handle = HMENU;
    static Handle Null() { return nullptr; }
    static void Close(Handle h) { ::DestroyMenu(h); }
};
struct RegistryKeyTraits {
    using Handle = HKEY;
    static Handle Null() { return nullptr; }
    static void Close(Handle h) { ::RegCloseKey(h); }
};

using File = Owned<FileTraits>;
using FindHandle = Owned<FindTraits>;
using KernelObject = Owned<KernelTraits>;
template <typename T>
using GdiObject = Owned<GdiTraits<T>>;
using MemoryDc = Owned<MemoryDcTraits>;
using GlobalBlock = Owned<GlobalTraits>;
using LocalBlock = Owned<LocalTraits>;
using Menu = Owned<MenuTraits>;
using RegistryKey = Owned<RegistryKeyTraits>;

// Holds a global block locked; a block that cannot be locked gives a null Data().
class GlobalLockGuard {
public:
    explicit GlobalLockGuard(HGLOBAL block)
        : block_(block), data_(block ? ::GlobalLock(block) : nullptr) {}
    ~GlobalLockGuard() {
        if (data_) {
            ::GlobalUnlock(block_);
        }
    }
    GlobalLockGuard(const GlobalLockGuard&) = delete;
    GlobalLockGuard& operator=(const GlobalLockGuard&) = delete;

    unsigned char* Data() const { return static_cast<unsigned char*>(data_); }

private:
    HGLOBAL block_;
    void* data_;
};

// BeginPaint / EndPaint.
class PaintDc {
public:
    explicit PaintDc(HWND hwnd) : hwnd_(hwnd), dc_(::BeginPaint(hwnd, &ps_)) {}
    ~PaintDc() { ::EndPaint(hwnd_, &ps_); }
    PaintDc(const PaintDc&) = delete;
    PaintDc& operator=(const PaintDc&) = delete;

    HDC Get() const { return dc_; }

private:
    HWND hwnd_;
    PAINTSTRUCT ps_{};
    HDC dc_;
};

// GetDC / ReleaseDC (of a window, or of the screen for a null window).
class WindowDc {
public:
    explicit WindowDc(HWND hwnd) : hwnd_(hwnd), dc_(::GetDC(hwnd)) {}
    ~WindowDc() {
        if (dc_) {
            ::ReleaseDC(hwnd_, dc_);
        }
    }
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;

    HDC Get() const { return dc_; }

private:
    HWND hwnd_;
    HDC dc_;
};

// SelectObject for the guard's lifetime; the previous object goes back in afterwards.
class SelectionGuard {
public:
    SelectionGuard(HDC dc, HGDIOBJ object) : dc_(dc), previous_(::SelectObject(dc, object)) {}
    ~SelectionGuard() {
        if (previous_ && previous_ != HGDI_ERROR) {
            ::SelectObject(dc_, previous_);
        }
    }
    SelectionGuard(const SelectionGuard&) = delete;
    SelectionGuard& operator=(const SelectionGuard&) = delete;

private:
    HDC dc_;
    HGDIOBJ previous_;
};

// SelectPalette (foreground) and RealizePalette for the guard's lifetime.
class PaletteSelection {
public:
    PaletteSelection(HDC dc, HPALETTE palette)
        : dc_(dc), previous_(palette ? ::SelectPalette(dc, palette, FALSE) : nullptr) {
        if (previous_) {
            ::RealizePalette(dc_);
        }
    }
    ~PaletteSelection() {
        if (previous_) {
            ::SelectPalette(dc_, previous_, FALSE);
        }
    }
    PaletteSelection(const PaletteSelection&) = delete;
    PaletteSelection& operator=(const PaletteSelection&) = delete;

private:
    HDC dc_;
    HPALETTE previous_;
};

// A lock for data two threads share; held by a Lock for one scope.
class CriticalSection {
public:
    CriticalSection() { ::InitializeCriticalSection(&section_); }
    ~CriticalSection() { ::DeleteCriticalSection(&section_); }
    CriticalSection(const CriticalSection&) = delete;
    CriticalSection& operator=(const CriticalSection&) = delete;

    class Lock {
    public:
        explicit Lock(CriticalSection& held) : held_(held) {
            ::EnterCriticalSection(&held_.section_);
        }
        ~Lock() { ::LeaveCriticalSection(&held_.section_); }
        Lock(const Lock&) = delete;
        Lock& operator=(const Lock&) = delete;

    private:
        CriticalSection& held_;
    };

private:
    CRITICAL_SECTION section_;
};

}  // namespace framework
