#pragma once
// What the screen shows: an area read as 32-bit device-independent pixels,
// for tests that check drawing and for pictures of it.
#include <windows.h>

#include <cstdint>
#include <vector>

#include "common/com.h"

namespace frame {

// The header of a w x h picture of top-down lines of 32-bit pixels.
inline BITMAPINFO topDownPixels(int w, int h) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = -h;  // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    return info;
}

// Top-down lines of 0x00RRGGBB values; empty if the area cannot be read.
inline std::vector<std::uint32_t> captureScreen(const RECT& area) {
    const int w = area.right - area.left, h = area.bottom - area.top;
    if (w <= 0 || h <= 0) return {};
    WindowDc screen(nullptr);
    const BITMAPINFO info = topDownPixels(w, h);
    void* bits = nullptr;
    UniqueBitmap bitmap(CreateDIBSection(screen.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    UniqueDc dc(CreateCompatibleDC(screen.get()));
    if (!bitmap || !dc) return {};
    SelectedObject selected(dc.get(), bitmap.get());
    if (!BitBlt(dc.get(), 0, 0, w, h, screen.get(), area.left, area.top, SRCCOPY)) return {};
    GdiFlush();
    const auto* pixels = static_cast<const std::uint32_t*>(bits);
    return std::vector<std::uint32_t>(pixels, pixels + static_cast<size_t>(w) * h);
}

}  // namespace frame
