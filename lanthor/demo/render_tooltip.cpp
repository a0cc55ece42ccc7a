// Renders a balloon tooltip over a window and saves the screen around both
// as a PNG:  render_tooltip <Lanthor.dll> <out.png>
#include <windows.h>
#include <oleauto.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <vector>

#include "common/com.h"
#include "common/late.h"
#include "common/screen.h"
#include "lanthor/demo/png_writer.h"
#include "lanthor_h.h"

namespace {

LRESULT CALLBACK backdropProc(HWND h, UINT m, WPARAM w, LPARAM l) {
    if (m == WM_PAINT) {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(h, &ps);
        RECT r;
        GetClientRect(h, &r);
        frame::UniqueBrush back(CreateSolidBrush(RGB(236, 240, 244)));
        FillRect(dc, &r, back.get());
        RECT band{r.left, r.top, r.right, r.top + 28};
        frame::UniqueBrush title(CreateSolidBrush(RGB(52, 84, 130)));
        FillRect(dc, &band, title.get());
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, RGB(255, 255, 255));
        RECT caption{band.left + 10, band.top + 7, band.right, band.bottom};
        DrawTextA(dc, "Lanthor.ExpToolTip", -1, &caption, DT_NOCLIP);
        SetTextColor(dc, RGB(60, 60, 60));
        RECT body{r.left + 235, r.top + 150, r.right - 10, r.bottom};
        DrawTextA(dc, "Rest the pointer on a window:\r\nthe tooltip appears after DelayTime\r\nticks and goes after KillTime.",
                  -1, &body, DT_NOCLIP);
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


HWND visibleTip() {
    HWND tip = FindWindowA("#32770", "ZVQ-EXTOOLTIP");
    return tip && IsWindowVisible(tip) ? tip : nullptr;
}

bool savePng(const RECT& area, const wchar_t* path) {
    const std::vector<std::uint32_t> pixels = frame::captureScreen(area);
    if (pixels.empty()) return false;
    const auto png = lanthor::demo::encodePng(area.right - area.left, area.bottom - area.top, pixels.data());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(png.data()), static_cast<std::streamsize>(png.size()));
    return out.good();
}

int render(const wchar_t* dll, const wchar_t* output) {
    frame::ComPtr<_ExpToolTip> tip = frame::createFromDll<_ExpToolTip>(dll, __uuidof(ExpToolTip));
    if (!tip) {
        std::fprintf(stderr, "render_tooltip: cannot create Lanthor.ExpToolTip from %ls\n", dll);
        return 1;
    }
    WNDCLASSA wc{};
    wc.lpfnWndProc = backdropProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.lpszClassName = "LanthorDemoBackdrop";
    RegisterClassA(&wc);
    const RECT backdrop{40, 40, 500, 280};
    frame::UniqueWindow window(CreateWindowExA(0, wc.lpszClassName, "", WS_POPUP | WS_VISIBLE, backdrop.left,
                                               backdrop.top, backdrop.right - backdrop.left,
                                               backdrop.bottom - backdrop.top, nullptr, nullptr, wc.hInstance, nullptr));
    UpdateWindow(window.get());
    pump(200);

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
    const long handle = static_cast<long>(reinterpret_cast<LONG_PTR>(window.get()));
    const long icon = static_cast<long>(reinterpret_cast<LONG_PTR>(LoadIcon(nullptr, IDI_INFORMATION)));
    if (FAILED(tip->ShowToolTip(handle, title.get(), text.get(), icon, &alpha))) return 1;

    const POINT pointer{backdrop.left + 60, backdrop.top + 50};
    SetCursorPos(pointer.x, pointer.y);
    SendMessageA(window.get(), WM_MOUSEMOVE, 0, MAKELPARAM(pointer.x - backdrop.left, pointer.y - backdrop.top));
    for (int waited = 0; !visibleTip(); waited += 10) {
        if (waited > 10000) {
            std::fprintf(stderr, "render_tooltip: the tooltip did not appear\n");
            return 2;
        }
        pump(10);
    }
    pump(300);
    RECT tipRect{}, area{};
    GetWindowRect(visibleTip(), &tipRect);
    UnionRect(&area, &backdrop, &tipRect);
    InflateRect(&area, 12, 12);
    const RECT screen{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    IntersectRect(&area, &area, &screen);
    if (!savePng(area, output)) {
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
