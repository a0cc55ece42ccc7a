// Prints the time from the show decision to the pixels on the window for a
// balloon of about 300 x 120 and one of about 600 x 300, step by step, with
// the blend's share.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "common/frame.h"
#include "lanthor/tooltips/tooltip.h"

const frame::Library& frame::thisLibrary() {
    static const frame::Library library{u"Lanthor", nullptr, 0};
    return library;
}

namespace {

using Clock = std::chrono::steady_clock;

HRESULT STDMETHODCALLTYPE ignore(void*, VARIANT_BOOL, VARIANT_BOOL*, LONG*, LONG*, LONG*, LONG*, LONG*) { return S_OK; }
void* const kVtable[8] = {nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                          reinterpret_cast<void*>(&ignore)};
struct CallbackObject {
    void* const* vtable = kVtable;
};

std::u16string block(int lines, int columns) {
    std::u16string text;
    for (int i = 0; i < lines; ++i) {
        if (i) text += u"\r\n";
        text += std::u16string(static_cast<size_t>(columns), u'x');
    }
    return text;
}

struct Run {
    SIZE size{};
    std::map<std::string, double> us;  // per step, averaged
    std::vector<std::string> order;
    double total = 0, measure = 0;
};

// One show: ShowToolTip's measuring, then create, shape, paint, capture, blend, copy.
Run showOnce(HWND target, int lines, int columns, int rounds) {
    CallbackObject object;
    lanthor::Tooltip tip(&object);
    Run run;
    for (int round = 0; round < rounds; ++round) {
        tip.properties.toolTipStyle = 1;
        tip.properties.backStyle = 2;
        tip.properties.gradientColorStart = 0x00FFF0E0;
        tip.properties.gradientColorEnd = 0x00C08040;
        auto t0 = Clock::now();
        tip.showToolTip(target, u"Benchmark", block(lines, columns), 2, 70);
        auto last = Clock::now();
        run.measure += std::chrono::duration<double, std::micro>(last - t0).count();
        const auto start = last;
        tip.createAndShow([&](const char* phase) {
            const auto now = Clock::now();
            if (!run.us.count(phase)) run.order.push_back(phase);
            run.us[phase] += std::chrono::duration<double, std::micro>(now - last).count();
            last = now;
        });
        run.total += std::chrono::duration<double, std::micro>(last - start).count();
        RECT r{};
        GetWindowRect(tip.tipWindow(), &r);
        run.size = {r.right - r.left, r.bottom - r.top};
        tip.showToolTip(target, u"", u"", 0, 100);  // removes the window
    }
    for (auto& [phase, us] : run.us) us /= rounds;
    run.total /= rounds;
    run.measure /= rounds;
    return run;
}

// Lines and columns that come near the wanted size: a proportional guess,
// then one line or column at a time towards it.
Run sizedRun(HWND target, int wantW, int wantH, int rounds) {
    int lines = 4, columns = 20;
    const Run probe = showOnce(target, lines, columns, 1);
    columns = std::max<int>(1, columns * (wantW - 20) / std::max<int>(1, probe.size.cx - 20));
    lines = std::max<int>(1, lines * (wantH - 30) / std::max<int>(1, probe.size.cy - 30));
    for (int pass = 0; pass < 8; ++pass) {
        const SIZE got = showOnce(target, lines, columns, 1).size;
        const int dw = wantW - got.cx, dh = wantH - got.cy;
        if (std::abs(dw) <= 4 && std::abs(dh) <= 7) break;
        if (std::abs(dw) > 4) columns = std::max(1, columns + (dw > 0 ? 1 : -1));
        if (std::abs(dh) > 7) lines = std::max(1, lines + (dh > 0 ? 1 : -1));
    }
    return showOnce(target, lines, columns, rounds);
}

}  // namespace

int main() {
    frame::module::setInstance(GetModuleHandleA(nullptr));
    CoInitialize(nullptr);
    WNDCLASSA wc{};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    wc.lpszClassName = "LanthorShowBench";
    RegisterClassA(&wc);
    HWND target = CreateWindowExA(0, wc.lpszClassName, "", WS_POPUP | WS_VISIBLE, 0, 0, 800, 600, nullptr,
                                  nullptr, wc.hInstance, nullptr);
    const int rounds = 20;
    std::printf("%s build, %d shows each, microseconds per show\n", sizeof(void*) == 4 ? "32-bit" : "64-bit",
                rounds);
    for (auto [w, h] : {std::pair{300, 120}, std::pair{600, 300}}) {
        const Run run = sizedRun(target, w, h, rounds);
        std::printf("\nballoon %ld x %ld (asked %d x %d)\n", run.size.cx, run.size.cy, w, h);
        std::printf("  %-28s %8.0f\n", "ShowToolTip (measure)", run.measure);
        for (const auto& phase : run.order) std::printf("  %-28s %8.0f\n", phase.c_str(), run.us.at(phase));
        std::printf("  %-28s %8.0f\n", "show decision to pixels", run.total);
        std::printf("  blend share                  %7.1f %%\n", 100.0 * run.us.at("blend") / run.total);
    }
    DestroyWindow(target);
    CoUninitialize();
}
