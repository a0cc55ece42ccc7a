#pragma once
// The argument lists the bad-input sweep and the dispatcher's differential
// test pass to every member: too few and too many arguments, and for each
// parameter in turn a battery of hostile values, by value and by reference.
#include <windows.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "tests/sweep/type_walk.h"

namespace sweep {

struct Call {
    std::string label;
    std::vector<frame::Variant> arguments;  // call order
    std::vector<bool> byReference;   // passed as VT_BYREF|VT_VARIANT to a variable of the call's own
    bool namedBeyondCount = false;   // one named argument and none given
    size_t windowIndex = SIZE_MAX;   // the argument that gets one of the call's windows
    bool destroyedWindow = false;
};

std::vector<Call> callsFor(const Member& member);

// Windows for window-handle parameters: one alive, one destroyed.
struct Windows {
    HWND alive = nullptr;
    HWND destroyed = nullptr;
    WNDPROC aliveProcedure = nullptr;
    Windows() {
        alive = CreateWindowExW(0, L"STATIC", L"sweep", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr, nullptr,
                                nullptr, nullptr);
        destroyed = CreateWindowExW(0, L"STATIC", L"gone", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr, nullptr,
                                    nullptr, nullptr);
        DestroyWindow(destroyed);
        aliveProcedure = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(alive, GWLP_WNDPROC));
    }
    ~Windows() { DestroyWindow(alive); }
    // Subclassed by something other than the common controls: this
    // platform's comctl32 keeps its own subclass procedure on a window after
    // its tooltip tool is deleted, until the window itself goes.
    bool subclassed() const {
        const auto procedure = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(alive, GWLP_WNDPROC));
        if (procedure == aliveProcedure) return false;
        HMODULE owner = nullptr;
        GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                           reinterpret_cast<LPCWSTR>(procedure), &owner);
        return !owner || owner != GetModuleHandleW(L"comctl32.dll");
    }
};


// Settings a let changes system-wide, read when made and put back when destroyed.
class SavedSettings {
public:
    SavedSettings(const Library& library, const Class& cls);
    ~SavedSettings();
    SavedSettings(const SavedSettings&) = delete;
    SavedSettings& operator=(const SavedSettings&) = delete;

private:
    const Library& library_;
    const Class& class_;
    std::vector<std::pair<const Member*, frame::Variant>> saved_;
};

// Ends the programs this process started (members that launch programs).
void endLaunchedPrograms();

// The call's arguments with its window in place.
std::vector<frame::Variant> argumentsWithWindow(const Call& call, const Windows& windows);

}  // namespace sweep
