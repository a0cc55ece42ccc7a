#include "lanthor/tooltips/tip_painter.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "common/errors.h"
#include "common/frame.h"
#include "common/screen.h"

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

}  // namespace

// A stock icon is read from the system's comctl32 once and kept while the
// same one is asked for again: reading it is a good part of a show.
HICON TipPainter::iconOf(std::int32_t iconRef, std::int32_t iconSize) {
    if (iconRef < 1 || iconRef > 3) return reinterpret_cast<HICON>(static_cast<LONG_PTR>(iconRef));
    const std::int32_t key = iconRef * 2 + (iconSize < 25 ? 0 : 1);
    if (key != stockKey_) {
        char file[256 + sizeof("\\comctl32.dll")] = {};
        const UINT length = GetSystemDirectoryA(file, 255);
        lstrcpyA(file + (length < 256 ? length : 0), "\\comctl32.dll");
        HICON large = nullptr, small = nullptr;
        ExtractIconExA(file, iconRef, &large, &small, 1);
        frame::UniqueIcon largeIcon(large), smallIcon(small);
        stockIcon_ = iconSize < 25 ? std::move(smallIcon) : std::move(largeIcon);
        stockKey_ = key;
    }
    return stockIcon_.get();
}

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

bool Canvas::make(std::int32_t w, std::int32_t h) {
    if (pixels_ && width_ >= w && height_ >= h) return true;
    release();
    const BITMAPINFO info = frame::topDownPixels(w, h);
    void* bits = nullptr;
    frame::UniqueDc dc(CreateCompatibleDC(nullptr));
    frame::UniqueBitmap bitmap(CreateDIBSection(dc.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!dc || !bitmap || !bits) return false;
    previous_ = SelectObject(dc.get(), bitmap.get());
    dc_ = std::move(dc);
    bitmap_ = std::move(bitmap);
    pixels_ = static_cast<std::uint32_t*>(bits);
    width_ = w;
    height_ = h;
    return true;
}

void Canvas::release() {
    if (dc_ && previous_) SelectObject(dc_.get(), previous_);
    previous_ = nullptr;
    pixels_ = nullptr;
    width_ = height_ = 0;
    bitmap_.reset();
    dc_.reset();
}

HDC TipPainter::compose(std::int32_t w, std::int32_t h, const TipLook& look, const TipGeometry& geometry,
                        const std::string& title, const std::string& text, const PhaseMark& mark) {
    const PhaseMark marked = [&](const char* phase) { if (mark) mark(phase); };
    if (w <= 0 || h <= 0 || !buffer_.make(w, h)) return nullptr;
    frame::UniqueRegion outline = buildShape(w, h, look, geometry);
    marked("shape");
    paint(look, geometry, w, outline.get(), title, text, marked);
    return blendWithScreen(w, h, geometry, marked);
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
    // From here on the window owns its region. It is not shown yet: nothing to redraw.
    if (SetWindowRgn(geometry.window, window.get(), FALSE)) window.release();
    return outline;
}

void TipPainter::paint(const TipLook& look, const TipGeometry& geometry, std::int32_t w, HRGN outline,
                       const std::string& title, const std::string& text, const PhaseMark& marked) {
    HDC dc = buffer_.dc();
    RECT client{};
    GetClientRect(geometry.window, &client);
    switch (look.backStyle) {
        case 1: {
            frame::UniqueBrush brush(CreateSolidBrush(resolveColour(look.backColor)));
            FillRect(dc, &client, brush.get());
            break;
        }
        case 4: {
            // Unfilled, the buffer shows black, as a new one would.
            PatBlt(dc, 0, 0, client.right, client.bottom, BLACKNESS);
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
            const auto colours = layout::gradient(static_cast<std::uint32_t>(*look.gradientStart),
                                                  static_cast<std::uint32_t>(*look.gradientEnd),
                                                  horizontal ? client.right : client.bottom);
            // One-pixel lines from the client's corner, written straight into the pixels.
            GdiFlush();
            layout::fillGradient(buffer_.pixels(), buffer_.stride(), client.right, client.bottom, colours, horizontal);
            break;
        }
    }
    marked("fill");
    {
        frame::UniqueBrush brush(CreateSolidBrush(resolveColour(look.textColor)));
        FrameRgn(dc, outline, brush.get(), 1, 1);
    }
    marked("outline");
    SetBkMode(dc, TRANSPARENT);
    const std::int32_t above = arrowAbove(geometry.arrowY);
    if (look.iconRef != 0) {
        if (HICON icon = iconOf(look.iconRef, look.iconSize))
            DrawIconEx(dc, 12, 8 + above, icon, look.iconSize, look.iconSize, 0, nullptr, DI_NORMAL);
    }
    marked("icon");
    const bool hasTitle = !layout::titleIsBlank(title);
    auto drawBlock = [&](const std::string& block, bool isTitle) {
        WorkingFont working(dc, look.font, isTitle);
        // The text's rectangle takes the title's size measured in the text's
        // font; DT_NOCLIP draws the text whole either way.
        const SIZE size = blockSize(dc, title);
        const layout::TextPosition at = isTitle ? layout::titlePosition(look.iconRef, look.iconSize, above)
                                                : layout::textPosition(hasTitle, look.iconRef, look.iconSize,
                                                                       size.cy, above);
        RECT r{at.left, at.top, at.left + size.cx, at.top + size.cy};
        SetTextColor(dc, resolveColour(look.textColor));
        DrawTextA(dc, block.data(), static_cast<int>(block.size()), &r, DT_NOCLIP);
    };
    drawBlock(title, true);
    drawBlock(text, false);
    marked("text");
}

HDC TipPainter::blendWithScreen(std::int32_t w, std::int32_t h, const TipGeometry& geometry,
                                const PhaseMark& marked) {
    tables_.prepare(geometry.alpha);  // an opacity above 100 ends the show here
    // Fully opaque, the blend gives the painted tooltip: nothing behind is needed.
    if (geometry.alpha == 100) return buffer_.dc();
    if (!behind_.make(w, h)) return nullptr;
    {
        // In bands of at most 64 Ki pixels: under Wine a screen read much past
        // half a megabyte costs ten times what the same pixels cost in bands.
        frame::WindowDc screen(nullptr);
        const std::int32_t band = std::max<std::int32_t>(1, 65536 / w);
        for (std::int32_t y = 0; y < h; y += band)
            BitBlt(behind_.dc(), 0, y, w, std::min(band, h - y), screen.get(), geometry.screenRect.left,
                   geometry.screenRect.top + y, SRCCOPY);
    }
    GdiFlush();
    marked("capture");
    for (std::int32_t y = 0; y < h; ++y)
        layout::blend(tables_, behind_.pixels() + static_cast<std::ptrdiff_t>(y) * behind_.stride(),
                      buffer_.pixels() + static_cast<std::ptrdiff_t>(y) * buffer_.stride(), static_cast<std::size_t>(w),
                      geometry.alpha);
    marked("blend");
    return behind_.dc();
}

}  // namespace lanthor
