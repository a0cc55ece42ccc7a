#include "lanthor/tooltips/tip_painter.h"

#include <optional>
#include <vector>

#include "common/errors.h"
#include "common/frame.h"

namespace lanthor {

namespace {

frame::UniqueDc displayDc() { return frame::UniqueDc(CreateDCA("DISPLAY", nullptr, nullptr, nullptr)); }

frame::ComPtr<IFont> fontOf(IFontDisp* font) {
    if (!font) frame::raise(frame::errObjectNotSet);
    frame::ComPtr<IFont> f;
    frame::check(font->QueryInterface(IID_IFont, f.putVoid()));
    return f;
}

// The working font of one block: bold for the title, selected while alive.
class WorkingFont {
public:
    WorkingFont(HDC dc, IFontDisp* font, bool bold) : font_(fontOf(font)) {
        font_->put_Bold(bold ? TRUE : FALSE);
        HFONT handle = nullptr;
        font_->get_hFont(&handle);
        if (handle) selected_.emplace(dc, handle);
    }

private:
    frame::ComPtr<IFont> font_;
    std::optional<frame::SelectedObject> selected_;
};

// Width and height of a block as DrawText lays it out.
SIZE blockSize(HDC dc, const std::string& text) {
    RECT r{0, 0, 0, 0};
    DrawTextA(dc, text.data(), static_cast<int>(text.size()), &r, DT_CALCRECT);
    return {r.right, r.bottom};
}

frame::UniqueRegion rectRegion(const layout::Rect& r) {
    return frame::UniqueRegion(CreateRectRgn(r.left, r.top, r.right, r.bottom));
}

std::int32_t arrowAbove(std::int32_t arrowY) { return arrowY > 0 ? arrowY : 0; }

// A stock icon of the system's comctl32, or the client's own icon handle.
class TipIcon {
public:
    TipIcon(std::int32_t iconRef, std::int32_t iconSize) {
        if (iconRef >= 1 && iconRef <= 3) {
            char folder[256] = {};
            const UINT length = GetSystemDirectoryA(folder, 255);
            const std::string file = std::string(folder, length < 256 ? length : 0) + "\\comctl32.dll";
            HICON large = nullptr, small = nullptr;
            ExtractIconExA(file.c_str(), iconRef, &large, &small, 1);
            frame::UniqueIcon largeIcon(large), smallIcon(small);
            owned_ = iconSize < 25 ? std::move(smallIcon) : std::move(largeIcon);
            icon_ = owned_.get();
        } else {
            icon_ = reinterpret_cast<HICON>(static_cast<LONG_PTR>(iconRef));
        }
    }
    HICON get() const { return icon_; }

private:
    frame::UniqueIcon owned_;
    HICON icon_ = nullptr;
};

// 32-bit bottom-up lines of w pixels, h of them.
BITMAPINFO dibInfo(std::int32_t w, std::int32_t h) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = h;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    return info;
}

// A w x h picture of a source DC, read as bottom-up 32-bit pixels.
std::vector<std::uint32_t> readPixels(HDC like, HDC source, std::int32_t w, std::int32_t h) {
    frame::UniqueDc dc(CreateCompatibleDC(like));
    frame::UniqueBitmap bitmap(CreateCompatibleBitmap(like, w, h));
    {
        frame::SelectedObject selected(dc.get(), bitmap.get());
        BitBlt(dc.get(), 0, 0, w, h, source, 0, 0, SRCCOPY);
    }
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(w) * h);
    BITMAPINFO info = dibInfo(w, h);
    GetDIBits(dc.get(), bitmap.get(), 0, h, pixels.data(), &info, DIB_RGB_COLORS);
    return pixels;
}

}  // namespace

COLORREF resolveColour(std::int32_t value) {
    return layout::resolveColour(value, [](std::int32_t index) { return GetSysColor(index); });
}

void TipPainter::measure(std::string& text, bool isTitle, IFontDisp* font, std::int32_t iconRef,
                         std::int32_t iconSize, layout::Measure& sums) {
    frame::UniqueDc dc = displayDc();
    if (isTitle && text.empty()) text = " ";
    {
        WorkingFont working(dc.get(), font, isTitle);
        const SIZE size = blockSize(dc.get(), text);
        sums.addBlock(size.cx, size.cy);
    }
    if (isTitle && iconRef != 0) sums.addIcon(iconSize);
}

HDC TipPainter::obtainBuffer(std::int32_t w, std::int32_t h) {
    const bool tooSmall = bufferDc_ && (bufferWidth_ < w || bufferHeight_ < h);
    const bool wanted = !bufferDc_ && w > 0 && h > 0;
    if (!tooSmall && !wanted) return bufferDc_.get();
    releaseBuffer();
    frame::UniqueDc display = displayDc();
    if (!display) return nullptr;
    frame::UniqueDc dc(CreateCompatibleDC(display.get()));
    frame::UniqueBitmap bitmap(CreateCompatibleBitmap(display.get(), w, h));
    if (!dc || !bitmap) return nullptr;
    bufferPrevious_ = SelectObject(dc.get(), bitmap.get());
    bufferDc_ = std::move(dc);
    bufferBitmap_ = std::move(bitmap);
    bufferWidth_ = w;
    bufferHeight_ = h;
    return bufferDc_.get();
}

void TipPainter::releaseBuffer() {
    if (bufferDc_ && bufferPrevious_) SelectObject(bufferDc_.get(), bufferPrevious_);
    bufferPrevious_ = nullptr;
    bufferBitmap_.reset();
    bufferDc_.reset();
    bufferWidth_ = bufferHeight_ = 0;
}

void TipPainter::compose(HDC dc, std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h,
                         const TipLook& look, const TipGeometry& geometry, const std::string& title,
                         const std::string& text, const PhaseMark& mark) {
    auto marked = [&](const char* phase) { if (mark) mark(phase); };
    tables_.fill();
    marked("tables");
    frame::UniqueRegion outline = buildShape(w, h, look, geometry);
    marked("shape");
    paint(dc, look, geometry, outline.get(), title, text);
    marked("paint");
    blendWithScreen(dc, x, y, w, h, geometry, mark);
}

frame::UniqueRegion TipPainter::buildShape(std::int32_t w, std::int32_t h, const TipLook& look,
                                           const TipGeometry& geometry) {
    const layout::Rect whole{0, 0, w, h};
    if (look.style != 1) return rectRegion(whole);
    frame::UniqueRegion window = rectRegion(whole);
    frame::UniqueRegion outline = rectRegion({});
    for (const layout::RegionStep& step : layout::balloonSteps(w, h, geometry.arrowX, geometry.arrowY)) {
        frame::UniqueRegion scratch = rectRegion(step.rect);
        if (step.mark == layout::Mark::O)
            CombineRgn(outline.get(), window.get(), scratch.get(), RGN_DIFF);
        else
            CombineRgn(window.get(), outline.get(), scratch.get(), RGN_DIFF);
    }
    // From here on the window owns its region.
    if (SetWindowRgn(geometry.window, window.get(), TRUE)) window.release();
    return outline;
}

void TipPainter::paint(HDC dc, const TipLook& look, const TipGeometry& geometry, HRGN outline,
                       const std::string& title, const std::string& text) {
    RECT client{};
    GetClientRect(geometry.window, &client);
    switch (look.backStyle) {
        case 1: {
            frame::UniqueBrush brush(CreateSolidBrush(resolveColour(look.backColor)));
            FillRect(dc, &client, brush.get());
            break;
        }
        case 4: {
            if (!look.picture) break;
            frame::ComPtr<IPicture> picture;
            if (FAILED(look.picture->QueryInterface(IID_IPicture, picture.putVoid()))) break;
            OLE_HANDLE handle = 0;
            picture->get_Handle(&handle);
            if (!handle) break;
            frame::UniqueBrush brush(CreatePatternBrush(reinterpret_cast<HBITMAP>(static_cast<UINT_PTR>(handle))));
            if (!brush) break;
            frame::SelectedObject selected(dc, brush.get());
            PatBlt(dc, 0, 0, client.right - client.left, client.bottom - client.top, PATCOPY);
            break;
        }
        default: {
            *look.gradientStart = static_cast<std::int32_t>(resolveColour(*look.gradientStart));
            *look.gradientEnd = static_cast<std::int32_t>(resolveColour(*look.gradientEnd));
            const bool horizontal = look.backStyle == 2;
            const std::int32_t n = horizontal ? client.right : client.bottom;
            const auto colours = layout::gradient(static_cast<std::uint32_t>(*look.gradientStart),
                                                  static_cast<std::uint32_t>(*look.gradientEnd), n);
            for (std::int32_t i = 0; i <= n; ++i) {
                frame::UniquePen pen(CreatePen(PS_SOLID, 1, colours[i]));
                frame::SelectedObject selected(dc, pen.get());
                if (horizontal) {
                    MoveToEx(dc, client.left + i, client.top, nullptr);
                    LineTo(dc, client.left + i, client.bottom);
                } else {
                    MoveToEx(dc, client.left, client.top + i, nullptr);
                    LineTo(dc, client.right, client.top + i);
                }
            }
            break;
        }
    }
    {
        frame::UniqueBrush brush(CreateSolidBrush(resolveColour(look.textColor)));
        FrameRgn(dc, outline, brush.get(), 1, 1);
    }
    SetBkMode(dc, TRANSPARENT);
    const std::int32_t above = arrowAbove(geometry.arrowY);
    if (look.iconRef != 0) {
        TipIcon icon(look.iconRef, look.iconSize);
        if (icon.get())
            DrawIconEx(dc, 12, 8 + above, icon.get(), look.iconSize, look.iconSize, 0, nullptr, DI_NORMAL);
    }
    const bool hasTitle = !layout::titleIsBlank(title);
    auto drawBlock = [&](const std::string& block, bool isTitle) {
        WorkingFont working(dc, look.font, isTitle);
        SIZE size = blockSize(dc, block);
        layout::TextPosition at;
        if (isTitle) {
            at = layout::titlePosition(look.iconRef, look.iconSize, above);
        } else {
            size = blockSize(dc, title);
            at = layout::textPosition(hasTitle, look.iconRef, look.iconSize, size.cy, above);
        }
        RECT r{at.left, at.top, at.left + size.cx, at.top + size.cy};
        SetTextColor(dc, resolveColour(look.textColor));
        DrawTextA(dc, block.data(), static_cast<int>(block.size()), &r, DT_NOCLIP);
    };
    drawBlock(title, true);
    drawBlock(text, false);
}

void TipPainter::blendWithScreen(HDC dc, std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h,
                                 const TipGeometry& geometry, const PhaseMark& mark) {
    auto marked = [&](const char* phase) { if (mark) mark(phase); };
    frame::UniqueBitmap captured;
    {
        frame::WindowDc screen(nullptr);
        frame::UniqueDc copy(CreateCompatibleDC(screen.get()));
        captured.reset(CreateCompatibleBitmap(screen.get(), w, h));
        frame::SelectedObject selected(copy.get(), captured.get());
        BitBlt(copy.get(), 0, 0, w, h, screen.get(), geometry.screenRect.left, geometry.screenRect.top, SRCCOPY);
    }
    frame::UniqueDc captureDc(CreateCompatibleDC(nullptr));
    frame::SelectedObject capturedSelected(captureDc.get(), captured.get());
    marked("capture");
    const std::vector<std::uint32_t> tooltip = readPixels(dc, dc, w, h);
    std::vector<std::uint32_t> background = readPixels(dc, captureDc.get(), w, h);
    marked("read");
    layout::blend(tables_, background.data(), tooltip.data(), background.size(), geometry.alpha);
    marked("blend");
    BITMAPINFO info = dibInfo(w, h);
    SetDIBitsToDevice(dc, x, y, w, h, 0, 0, 0, h, background.data(), &info, DIB_RGB_COLORS);
    marked("write");
}

}  // namespace lanthor
