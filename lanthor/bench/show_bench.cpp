// Prints the time a tooltip takes from the show decision to its pixels on the
// screen, at about 300 x 120 and about 600 x 300, for three windows in one run:
//   ExpToolTip's balloon (gradient, stock icon, title, text, 70 % opacity), step by step;
//   comctl32's own balloon tooltip with a title and an icon, created per show;
//   the floor: a plain popup window created, shown and filled.
// "On the screen" is the same check for all three: the row through the
// window's middle, read back from the screen, shows what the finished window
// shows (learnt from one show left to settle first). Messages are pumped
// while waiting, as a program's message loop would.
//   lanthor_show_bench [shows]   (median of that many shows, 20 by default)
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "common/frame.h"
#include "common/screen.h"
#include "common/testing/bench.h"
#include "common/text.h"
#include "lanthor/tooltips/tooltip.h"

const frame::Library& frame::thisLibrary() {
    static const frame::Library library{u"Lanthor", nullptr, 0};
    return library;
}

namespace {

using frame::testing::seconds;

constexpr COLORREF kBackdrop = RGB(255, 0, 255);  // drawn by none of the three
constexpr COLORREF kPopupFill = RGB(40, 90, 160);
constexpr POINT kAnchor{100, 40};  // ExpToolTip's pointer; the others go where its window went

HRESULT STDMETHODCALLTYPE ignore(void*, VARIANT_BOOL, VARIANT_BOOL*, LONG*, LONG*, LONG*, LONG*, LONG*) { return S_OK; }
void* const kVtable[8] = {nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                          reinterpret_cast<void*>(&ignore)};
struct CallbackObject {
    void* const* vtable = kVtable;
};

void pump() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

void pumpFor(double ms) {
    const double end = seconds() + ms / 1000;
    while (seconds() < end) {
        pump();
        Sleep(1);
    }
}

std::vector<std::uint32_t> middleRow(const RECT& r) {
    const LONG y = (r.top + r.bottom) / 2;
    return frame::captureScreen(RECT{r.left, y, r.right, y + 1});
}

// Pumps until the screen's middle row of r is `want`; false after two seconds.
bool waitForPixels(const RECT& r, const std::vector<std::uint32_t>& want) {
    const double end = seconds() + 2;
    for (;;) {
        pump();
        if (middleRow(r) == want) return true;
        if (seconds() > end) return false;
    }
}

// Pumps until the whole of r shows the backdrop again, so that a show
// captures the backdrop and not the last window's remains.
void waitForBackdrop(const RECT& r) {
    const std::uint32_t backdrop = (GetRValue(kBackdrop) << 16) | (GetGValue(kBackdrop) << 8) | GetBValue(kBackdrop);
    const double end = seconds() + 2;
    for (;;) {
        pump();
        const auto pixels = frame::captureScreen(r);
        if (std::all_of(pixels.begin(), pixels.end(), [&](std::uint32_t p) { return (p & 0xFFFFFF) == backdrop; }))
            return;
        if (seconds() > end) return;
    }
}

// Every third line full width, the others a quarter of it: comctl32 keeps
// 1 024 characters of a tool's text, and 600 x 300 of full lines is more.
std::string block(int lines, int columns) {
    std::string text;
    for (int i = 0; i < lines; ++i) {
        if (i) text += "\r\n";
        text += std::string(static_cast<size_t>(i % 3 ? std::max(1, columns / 4) : columns), 'x');
    }
    return text;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

// One kind of window: prepare(text) is what comes before the show decision
// (untimed); show(text) puts the window up and returns its rectangle, with
// step marks along the way; hide() takes it away.
struct Peer {
    std::function<void(const std::string& text)> prepare;
    std::function<RECT(const std::string& text, const std::function<void(const char*)>& mark)> show;
    std::function<void()> hide;
};

struct Result {
    RECT rect{};
    double total = 0;  // median, ms
    std::vector<std::string> order;
    std::map<std::string, double> steps;  // medians, ms
    bool settled = true;
};

SIZE sizeOf(const RECT& r) { return {r.right - r.left, r.bottom - r.top}; }

// Lines and columns of text that bring the window near w x h: a guess from
// one probe, then steps by the measured size of a line and a column.
std::string sizedText(Peer& peer, int w, int h) {
    auto probe = [&](int lines, int columns) {
        peer.prepare(block(lines, columns));
        const RECT r = peer.show(block(lines, columns), {});
        peer.hide();
        waitForBackdrop(r);
        return sizeOf(r);
    };
    const SIZE a = probe(2, 60), b = probe(6, 120);
    const double columnWidth = std::max(1.0, (b.cx - a.cx) / 60.0), lineHeight = std::max(1.0, (b.cy - a.cy) / 4.0);
    int columns = std::max(1, 120 + static_cast<int>((w - b.cx) / columnWidth));
    int lines = std::max(1, 6 + static_cast<int>((h - b.cy) / lineHeight));
    for (int pass = 0; pass < 8; ++pass) {
        const SIZE got = probe(lines, columns);
        const long moreColumns = std::lround((w - got.cx) / columnWidth), moreLines = std::lround((h - got.cy) / lineHeight);
        if (!moreColumns && !moreLines) break;
        columns = std::max(1, columns + static_cast<int>(moreColumns));
        lines = std::max(1, lines + static_cast<int>(moreLines));
    }
    return block(lines, columns);
}

Result measure(Peer& peer, const std::string& text, int shows) {
    Result result;
    // The finished picture, once the window has settled.
    peer.prepare(text);
    RECT r = peer.show(text, {});
    pumpFor(300);
    const std::vector<std::uint32_t> want = middleRow(r);
    peer.hide();
    waitForBackdrop(r);
    result.rect = r;
    std::vector<double> totals;
    std::map<std::string, std::vector<double>> steps;
    for (int i = 0; i < shows; ++i) {
        peer.prepare(text);
        double last = seconds();
        const double start = last;
        auto mark = [&](const char* step) {
            const double now = seconds();
            if (!steps.count(step)) result.order.push_back(step);
            steps[step].push_back((now - last) * 1000);
            last = now;
        };
        r = peer.show(text, mark);
        result.settled = waitForPixels(r, want) && result.settled;
        mark("until on the screen");
        totals.push_back((last - start) * 1000);
        peer.hide();
        waitForBackdrop(r);
    }
    result.total = median(totals);
    for (auto& [step, times] : steps) result.steps[step] = median(times);
    return result;
}

// ExpToolTip's show: its tooltip object over the backdrop, the pointer at
// kAnchor (a mouse move and a tick tell it where), then the show itself.
class ExpPeer {
public:
    explicit ExpPeer(HWND backdrop) : backdrop_(backdrop) {}
    Peer peer() {
        return {[this](const std::string& text) {
                    tip_.properties.toolTipStyle = 1;
                    tip_.properties.backStyle = 2;
                    tip_.properties.gradientColorStart = 0x00FFF0E0;
                    tip_.properties.gradientColorEnd = 0x00C08040;
                    tip_.showToolTip(backdrop_, u"Benchmark", frame::fromAnsi(text), 2, 70);
                    if (!placed_) {
                        SetCursorPos(kAnchor.x, kAnchor.y);
                        tip_.targetMessage(WM_MOUSEMOVE);
                        tip_.targetMessage(WM_TIMER);  // records the pointer; far from the delay
                        placed_ = true;
                    }
                },
                [this](const std::string&, const std::function<void(const char*)>& mark) {
                    tip_.createAndShow(mark ? lanthor::PhaseMark(mark) : lanthor::PhaseMark());
                    RECT r{};
                    GetWindowRect(tip_.tipWindow(), &r);
                    return r;
                },
                [this] { tip_.showToolTip(backdrop_, u"", u"", 0, 100); }};  // removes the window
    }

private:
    HWND backdrop_;
    CallbackObject object_;
    lanthor::Tooltip tip_{&object_};
    bool placed_ = false;
};

// comctl32's balloon: a tooltip window per show with a tracked tool, a title and an icon.
class BalloonPeer {
public:
    explicit BalloonPeer(HWND backdrop) : backdrop_(backdrop) {}
    Peer peer() {
        return {[](const std::string&) {},
                [this](const std::string& text, const std::function<void(const char*)>&) {
                    tip_ = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr,
                                           WS_POPUP | TTS_BALLOON | TTS_NOPREFIX | TTS_ALWAYSTIP | TTS_NOFADE |
                                               TTS_NOANIMATE,
                                           CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, backdrop_,
                                           nullptr, GetModuleHandleA(nullptr), nullptr);
                    std::string copy = text;
                    TOOLINFOA tool{};
                    tool.cbSize = sizeof(tool);
                    tool.uFlags = TTF_TRACK | TTF_ABSOLUTE;
                    tool.hwnd = backdrop_;
                    tool.uId = 1;
                    tool.lpszText = copy.data();
                    SendMessageA(tip_, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
                    SendMessageA(tip_, TTM_SETMAXTIPWIDTH, 0, 4000);
                    SendMessageA(tip_, TTM_SETTITLEA, TTI_INFO, reinterpret_cast<LPARAM>("Benchmark"));
                    SendMessageA(tip_, TTM_TRACKPOSITION, 0, MAKELPARAM(kAnchor.x, kAnchor.y + 20));
                    SendMessageA(tip_, TTM_TRACKACTIVATE, TRUE, reinterpret_cast<LPARAM>(&tool));
                    RECT r{};
                    GetWindowRect(tip_, &r);
                    return r;
                },
                [this] {
                    DestroyWindow(tip_);
                    tip_ = nullptr;
                }};
    }

private:
    HWND backdrop_;
    HWND tip_ = nullptr;
};

// The floor: a popup created, shown and filled through its DC.
class PopupPeer {
public:
    PopupPeer() {
        WNDCLASSA wc{};
        wc.lpfnWndProc = DefWindowProcA;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "LanthorBenchPopup";  // no background brush: nothing erases
        RegisterClassA(&wc);
    }
    void setRect(const RECT& r) { rect_ = r; }
    Peer peer() {
        return {[](const std::string&) {},
                [this](const std::string&, const std::function<void(const char*)>&) {
                    const SIZE s = sizeOf(rect_);
                    window_ = CreateWindowExA(WS_EX_TOOLWINDOW, "LanthorBenchPopup", "", WS_POPUP, rect_.left,
                                              rect_.top, s.cx, s.cy, nullptr, nullptr, GetModuleHandleA(nullptr),
                                              nullptr);
                    ShowWindow(window_, SW_SHOWNOACTIVATE);
                    HDC dc = GetDC(window_);
                    RECT client{0, 0, s.cx, s.cy};
                    frame::UniqueBrush brush(CreateSolidBrush(kPopupFill));
                    FillRect(dc, &client, brush.get());
                    ReleaseDC(window_, dc);
                    return rect_;
                },
                [this] {
                    DestroyWindow(window_);
                    window_ = nullptr;
                }};
    }

private:
    RECT rect_{};
    HWND window_ = nullptr;
};

}  // namespace

int main(int argc, char** argv) {
    frame::module::setInstance(GetModuleHandleA(nullptr));
    CoInitialize(nullptr);
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);
    const int shows = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20;

    WNDCLASSA wc{};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hbrBackground = CreateSolidBrush(kBackdrop);
    wc.lpszClassName = "LanthorShowBench";
    RegisterClassA(&wc);
    HWND backdrop = CreateWindowExA(0, wc.lpszClassName, "", WS_POPUP | WS_VISIBLE, 0, 0, 900, 700, nullptr, nullptr,
                                    wc.hInstance, nullptr);
    UpdateWindow(backdrop);
    pumpFor(200);

    std::printf("%s build, median of %d shows, ms from the show decision to the pixels on the screen\n",
                sizeof(void*) == 4 ? "32-bit" : "64-bit", shows);
    for (auto [w, h] : {std::pair{300, 120}, std::pair{600, 300}}) {
        ExpPeer exp(backdrop);
        BalloonPeer balloon(backdrop);
        PopupPeer popup;
        Peer expPeer = exp.peer(), balloonPeer = balloon.peer();
        const std::string expText = sizedText(expPeer, w, h);
        const std::string balloonText = sizedText(balloonPeer, w, h);
        const Result e = measure(expPeer, expText, shows);
        const Result b = measure(balloonPeer, balloonText, shows);
        popup.setRect(e.rect);  // the floor at the size and place of ExpToolTip's window
        Peer popupPeer = popup.peer();
        const Result p = measure(popupPeer, "", shows);

        std::printf("\nasked %d x %d\n", w, h);
        std::printf("  %-24s %-11s %11s\n", "window", "size", "median");
        for (const Result* r : {&e, &b, &p}) {
            const char* name = r == &e ? "ExpToolTip" : r == &b ? "comctl32 balloon" : "popup window (floor)";
            const SIZE size = sizeOf(r->rect);
            std::printf("  %-24s %4ld x %-4ld %8.2f ms  %5.2f x balloon%s\n", name, size.cx, size.cy,
                        r->total, r->total / b.total, r->settled ? "" : "  (some shows never matched)");
        }
        std::printf("  ExpToolTip's steps (medians, ms):\n");
        for (const auto& step : e.order) std::printf("    %-26s %8.2f\n", step.c_str(), e.steps.at(step));
    }
    DestroyWindow(backdrop);
    CoUninitialize();
}
