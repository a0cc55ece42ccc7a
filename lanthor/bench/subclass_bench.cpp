// Prints what subclassing adds to one SendMessage, in one run: the bare
// window procedure; a hand-written subclass (a procedure installed with
// SetWindowLongPtrA that passes every message on with CallWindowProcA); and
// Lanthor's subclasser with a message its tables do not select and one they
// do (after-callback). comctl32's SetWindowSubclass is left out: under Wine
// it makes three wineserver round trips per message.
//   lanthor_subclass_bench [calls] [rounds]   (median of the rounds)
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "lanthor/tooltips/window_subclasser.h"

namespace {
LRESULT CALLBACK baseProc(HWND h, UINT m, WPARAM w, LPARAM l) {
    if (m >= WM_APP) return static_cast<LRESULT>(w + l);
    return DefWindowProcA(h, m, w, l);
}
HRESULT STDMETHODCALLTYPE callback(void*, VARIANT_BOOL, VARIANT_BOOL*, LONG*, LONG*, LONG*, LONG*, LONG*) {
    return S_OK;
}
void* const kVtable[8] = {nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                          reinterpret_cast<void*>(&callback)};
struct Object {
    void* const* vtable = kVtable;
};

WNDPROC g_previous = nullptr;
LRESULT CALLBACK handWrittenProc(HWND h, UINT m, WPARAM w, LPARAM l) {
    return CallWindowProcA(g_previous, h, m, w, l);
}

double perMessageNs(HWND w, UINT msg, int count, int rounds) {
    std::vector<double> times;
    for (int r = 0; r < rounds; ++r) {
        const auto s = std::chrono::steady_clock::now();
        for (int i = 0; i < count; ++i) SendMessageA(w, msg, i, 1);
        times.push_back(std::chrono::duration<double, std::nano>(std::chrono::steady_clock::now() - s).count() /
                        count);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}
}  // namespace

int main(int argc, char** argv) {
    const int n = argc > 1 ? std::max(1, std::atoi(argv[1])) : 200000;
    const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
    WNDCLASSA wc{};
    wc.lpfnWndProc = baseProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "LanthorBench";
    RegisterClassA(&wc);
    auto window = [&] {
        return CreateWindowExA(0, "LanthorBench", "", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr, wc.hInstance,
                               nullptr);
    };
    HWND bareWindow = window(), handWindow = window(), lanthorWindow = window();
    g_previous = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(handWindow, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&handWrittenProc)));
    Object object;
    lanthor::WindowSubclasser subclasser(&object);
    const auto h = reinterpret_cast<lanthor::Address>(lanthorWindow);
    subclasser.table().start(h);
    subclasser.table().addMsg(h, WM_MOUSEMOVE, lanthor::MSG_AFTER);
    subclasser.table().addMsg(h, WM_TIMER, lanthor::MSG_AFTER);
    subclasser.table().addMsg(h, WM_APP + 1, lanthor::MSG_AFTER);

    perMessageNs(bareWindow, WM_APP, n / 10, 1);  // warm-up
    const double bare = perMessageNs(bareWindow, WM_APP, n, rounds);
    const double hand = perMessageNs(handWindow, WM_APP, n, rounds);
    const double unselected = perMessageNs(lanthorWindow, WM_APP, n, rounds);
    const double selected = perMessageNs(lanthorWindow, WM_APP + 1, n, rounds);
    std::printf("%s build, %d SendMessage calls, median of %d rounds, ns per message\n",
                sizeof(void*) == 4 ? "32-bit" : "64-bit", n, rounds);
    std::printf("  %-48s %6.0f\n", "bare window procedure", bare);
    std::printf("  %-48s %6.0f (+%.0f)\n", "hand-written subclass (CallWindowProcA)", hand, hand - bare);
    std::printf("  %-48s %6.0f (+%.0f, %.2f x the hand-written one's)\n", "Lanthor, message not in the tables",
                unselected, unselected - bare, (unselected - bare) / (hand - bare));
    std::printf("  %-48s %6.0f (+%.0f)\n", "Lanthor, selected message (after-callback)", selected, selected - bare);
    subclasser.table().stopAll();
    SetWindowLongPtrA(handWindow, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_previous));
    for (HWND w : {bareWindow, handWindow, lanthorWindow}) DestroyWindow(w);
}
