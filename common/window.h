#pragma once
// Windows as classes meet them: a handle passed as a Long, and a window an
// object creates and keeps naming after it may be gone.
#include <windows.h>

#include <utility>

namespace frame {

// A Long from a client as the window handle it names: sign-extended, as
// 32-bit handle values are widened in a 64-bit process.
inline HWND windowOf(long value) { return reinterpret_cast<HWND>(static_cast<LONG_PTR>(value)); }
// A handle as a Long: the low 32 bits, which are all a window handle uses.
inline long longOf(HWND window) { return static_cast<long>(reinterpret_cast<LONG_PTR>(window)); }

// A window its object created. The handle stays stored after the window is
// destroyed (by the object or by anyone else), yet no message and no
// DestroyWindow ever reaches a window that reused the handle: every use
// first checks that the handle names a window of this thread carrying this
// owner's mark in its property list. The window is destroyed with its owner.
class OwnedWindow {
public:
    OwnedWindow() = default;
    OwnedWindow(const OwnedWindow&) = delete;
    OwnedWindow& operator=(const OwnedWindow&) = delete;
    ~OwnedWindow() { destroy(); }

    // Takes a newly created window (or none) as this owner's; the previous one is destroyed.
    void adopt(HWND window) {
        destroy();
        handle_ = window;
        if (window) SetPropA(window, kMark, this);
    }
    HWND handle() const { return handle_; }
    // The stored handle still names this owner's window.
    bool live() const {
        return handle_ && IsWindow(handle_) && GetWindowThreadProcessId(handle_, nullptr) == GetCurrentThreadId() &&
               GetPropA(handle_, kMark) == this;
    }
    // A message to the window while it is live; 0 otherwise.
    LRESULT send(UINT message, WPARAM wParam, LPARAM lParam) const {
        return live() ? SendMessageA(handle_, message, wParam, lParam) : 0;
    }
    // Destroys the window while it is live. The handle stays stored.
    void destroy() {
        if (!live()) return;
        RemovePropA(handle_, kMark);
        DestroyWindow(handle_);
    }

private:
    static constexpr const char* kMark = "frame.OwnedWindow";
    HWND handle_ = nullptr;
};

}  // namespace frame
