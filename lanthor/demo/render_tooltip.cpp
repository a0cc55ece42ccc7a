// Renders Lanthor's two tooltip classes over one window, each in a panel of
// its own, and saves the screen around them as a PNG:
//   render_tooltip <Lanthor.dll> <out.png>
// Both tooltips go as soon as the pointer leaves their window's spot, so
// they take turns: the left panel is read while ExpToolTip's balloon shows,
// the right one while CToolTip's does.
#include <windows.h>
#include <oleauto.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <vector>

#include "common/com.h"
#include "common/late.h"
#include "common/screen.h"
#include "common/window.h"
#include "lanthor/demo/png_writer.h"
#include "lanthor_h.h"

namespace {

constexpr int kPanelWidth = 460, kPanelHeight = 240;
constexpr RECT kBackdrop{40, 40, 40 + 2 * kPanelWidth, 40 + kPanelHeight};

struct Panel {
    const char* caption;
    const char* note;
};
constexpr Panel kPanels[] = {
    {"Lanthor.ExpToolTip",
     "Rest the pointer on a window:\r\nthe tooltip appears after DelayTime\r\nticks and goes after KillTime."},
    {"Lanthor.CToolTip",
     "Create attaches a common-controls\r\ntooltip to a window; the system\r\nshows it while the pointer rests."},
};

LRESULT CALLBACK backdropProc(HWND h, UINT m, WPARAM w, LPARAM l) {
    if (m == WM_PAINT) {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(h, &ps);
        RECT r;
        GetClientRect(h, &r);
        frame::UniqueBrush back(CreateSolidBrush(RGB(236, 240, 244)));
        FillRect(dc, &r, back.get());
        frame::UniqueBrush title(CreateSolidBrush(RGB(52, 84, 130)));
        SetBkMode(dc, TRANSPARENT);
        for (int i = 0; i < 2; ++i) {
            const int left = i * kPanelWidth;
            RECT band{left, r.top, left + kPanelWidth, r.top + 28};
            FillRect(dc, &band, title.get());
            SetTextColor(dc, RGB(255, 255, 255));
            RECT caption{band.left + 10, band.top + 7, band.right, band.bottom};
            DrawTextA(dc, kPanels[i].caption, -1, &caption, DT_NOCLIP);
            SetTextColor(dc, RGB(60, 60, 60));
            RECT body{left + 235, r.top + 150, left + kPanelWidth - 10, r.bottom};
            DrawTextA(dc, kPanels[i].note, -1, &body, DT_NOCLIP);
        }
        RECT divider{kPanelWidth - 1, r.top, kPanelWidth + 1, r.bottom};
        FillRect(dc, &divider, title.get());
        EndPaint(h, &ps);
        return 0;
    }
    return DefWindowProcA(h, m, w, l);
}

void pump(int milliseconds) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    do {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        Sleep(5);
    } while (std::chrono::steady_clock::now() < end);
}

BOOL CALLBACK findVisibleTooltip(HWND window, LPARAM found) {
    char name[32] = {};
    GetClassNameA(window, name, sizeof(name));
    if (!IsWindowVisible(window) || lstrcmpiA(name, "tooltips_class32") != 0) return TRUE;
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
}

// The shown tooltip of one class: the common controls' or ExpToolTip's own.
HWND visibleTip(bool commonControls) {
    HWND tip = nullptr;
    if (commonControls) {
        EnumThreadWindows(GetCurrentThreadId(), findVisibleTooltip, reinterpret_cast<LPARAM>(&tip));
    } else {
        tip = FindWindowA("#32770", "ZVQ-EXTOOLTIP");
    }
    return tip && IsWindowVisible(tip) ? tip : nullptr;
}

// Rests the pointer on the backdrop until the tooltip shows; false if it never does.
bool restPointer(HWND window, POINT at, bool commonControls) {
    SetCursorPos(at.x, at.y);
    SendMessageA(window, WM_MOUSEMOVE, 0, MAKELPARAM(at.x - kBackdrop.left, at.y - kBackdrop.top));
    for (int waited = 0; !visibleTip(commonControls); waited += 10) {
        if (waited > 10000) return false;
        pump(10);
    }
    pump(300);
    return true;
}

frame::ComPtr<_ExpToolTip> showExpToolTip(const wchar_t* dll, HWND window) {
    auto tip = frame::createFromDll<_ExpToolTip>(dll, __uuidof(ExpToolTip));
    if (!tip) return tip;
    tip->put_ToolTipStyle(TTBalloon);
    tip->put_BackStyle(TTGdtH);
    tip->put_GradientColorStart(0x00FFF4E8);
    tip->put_GradientColorEnd(0x00E0B080);
    tip->put_TextColor(0x00402010);
    tip->put_IconSize(TTIcon32);
    tip->put_DelayTime(3);
    tip->put_KillTime(100000);
    frame::Bstr title(u"Lanthor"), text(u"An owner-drawn balloon tooltip\r\nwith icon, title, text and a gradient.");
    long alpha = 100;
    const long icon = frame::longOf(reinterpret_cast<HWND>(LoadIcon(nullptr, IDI_INFORMATION)));
    if (FAILED(tip->ShowToolTip(frame::longOf(window), title.get(), text.get(), icon, &alpha))) tip.reset();
    return tip;
}

frame::ComPtr<_CToolTip> attachCToolTip(const wchar_t* dll, HWND window) {
    auto tip = frame::createFromDll<_CToolTip>(dll, __uuidof(CToolTip));
    if (!tip) return tip;
    tip->put_Style(TTBalloon);
    tip->put_Icon(TTIconInfo);
    tip->put_BackColor(0x00E1FFFF);
    tip->put_ForeColor(0x00402010);
    tip->put_DelayTime(10);
    tip->put_VisibleTime(30000);
    frame::Bstr title(u"Lanthor"), text(u"A common-controls balloon tooltip\r\nwith title, icon and colours.");
    tip->put_Title(title.get());
    tip->put_TipText(text.get());
    VARIANT_BOOL created = VARIANT_FALSE;
    tip->Create(frame::longOf(window), &created);
    return tip;
}

bool savePng(const RECT& area, const std::vector<std::uint32_t>& pixels, const wchar_t* path) {
    const auto png = lanthor::demo::encodePng(area.right - area.left, area.bottom - area.top, pixels.data());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(png.data()), static_cast<std::streamsize>(png.size()));
    return out.good();
}

int render(const wchar_t* dll, const wchar_t* output) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = backdropProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.lpszClassName = "LanthorDemoBackdrop";
    RegisterClassA(&wc);
    frame::UniqueWindow window(CreateWindowExA(0, wc.lpszClassName, "", WS_POPUP | WS_VISIBLE, kBackdrop.left,
                                               kBackdrop.top, kBackdrop.right - kBackdrop.left,
                                               kBackdrop.bottom - kBackdrop.top, nullptr, nullptr, wc.hInstance,
                                               nullptr));
    UpdateWindow(window.get());
    pump(200);
    RECT area = kBackdrop;
    InflateRect(&area, 12, 12);

    std::vector<std::uint32_t> scenes[2];
    {
        auto tip = showExpToolTip(dll, window.get());
        if (!tip) {
            std::fprintf(stderr, "render_tooltip: cannot show Lanthor.ExpToolTip from %ls\n", dll);
            return 1;
        }
        if (!restPointer(window.get(), {kBackdrop.left + 60, kBackdrop.top + 50}, false)) {
            std::fprintf(stderr, "render_tooltip: the ExpToolTip balloon did not appear\n");
            return 2;
        }
        scenes[0] = frame::captureScreen(area);
    }  // released: its balloon and its watching of the window go
    pump(100);
    {
        auto tip = attachCToolTip(dll, window.get());
        if (!tip) {
            std::fprintf(stderr, "render_tooltip: cannot create Lanthor.CToolTip from %ls\n", dll);
            return 1;
        }
        if (!restPointer(window.get(), {kBackdrop.left + kPanelWidth + 60, kBackdrop.top + 135}, true)) {
            std::fprintf(stderr, "render_tooltip: the CToolTip balloon did not appear\n");
            return 2;
        }
        scenes[1] = frame::captureScreen(area);
    }
    const auto width = static_cast<size_t>(area.right - area.left);
    const auto split = static_cast<size_t>(kBackdrop.left + kPanelWidth - area.left);
    const auto pixels = lanthor::demo::spliceColumns(scenes[0], scenes[1], width, split);
    if (scenes[0].empty() || scenes[1].empty() || !savePng(area, pixels, output)) {
        std::fprintf(stderr, "render_tooltip: cannot write %ls\n", output);
        return 3;
    }
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: render_tooltip <Lanthor.dll> <out.png>\n");
        return 1;
    }
    CoInitialize(nullptr);
    const int status = render(argv[1], argv[2]);
    CoUninitialize();
    return status;
}
