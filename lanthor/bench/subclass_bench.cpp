// Prints what the subclassing adds to one SendMessage: a message the tables
// do not select and one they do, against the bare window procedure.
#include <windows.h>

#include <chrono>
#include <cstdio>

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

double perMessageNs(HWND w, UINT msg, int count) {
    const auto s = std::chrono::steady_clock::now();
    for (int i = 0; i < count; ++i) SendMessageA(w, msg, i, 1);
    return std::chrono::duration<double, std::nano>(std::chrono::steady_clock::now() - s).count() / count;
}
}  // namespace

int main() {
    WNDCLASSA wc{};
    wc.lpfnWndProc = baseProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "LanthorBench";
    RegisterClassA(&wc);
    HWND w = CreateWindowExA(0, "LanthorBench", "", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr,
                             wc.hInstance, nullptr);
    const int n = 200000;
    perMessageNs(w, WM_APP, n / 10);
    const double bare = perMessageNs(w, WM_APP, n);
    Object object;
    lanthor::WindowSubclasser subclasser(&object);
    const auto h = reinterpret_cast<lanthor::Address>(w);
    subclasser.table().start(h);
    subclasser.table().addMsg(h, WM_MOUSEMOVE, lanthor::MSG_AFTER);
    subclasser.table().addMsg(h, WM_TIMER, lanthor::MSG_AFTER);
    subclasser.table().addMsg(h, WM_APP + 1, lanthor::MSG_AFTER);
    const double unselected = perMessageNs(w, WM_APP, n);
    const double selected = perMessageNs(w, WM_APP + 1, n);
    std::printf("%s build, %d SendMessage calls each\n", sizeof(void*) == 4 ? "32-bit" : "64-bit", n);
    std::printf("bare window procedure: %.0f ns\n", bare);
    std::printf("subclassed, unselected message: %.0f ns (+%.0f)\n", unselected, unselected - bare);
    std::printf("subclassed, selected message (after callback): %.0f ns (+%.0f)\n", selected,
                selected - bare);
    subclasser.table().stopAll();
    DestroyWindow(w);
}
