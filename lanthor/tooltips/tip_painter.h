#pragma once
// The tooltip's pixels: measuring the two text blocks, the off-screen
// buffer, the window shape, the fill, outline, icon and text, and the blend
// against the screen behind the window. The figures come from layout.h; this
// is the GDI around them.
#include <windows.h>
#include <ole2.h>
#include <olectl.h>
#include <shellapi.h>

#include <cstdint>
#include <functional>
#include <string>

#include "common/com.h"
#include "lanthor/tooltips/layout.h"

namespace lanthor {

// What the composition reads of the object's properties. The gradient
// colours are written back resolved, as the object's properties.
struct TipLook {
    std::int32_t style = 0;  // 0 standard, 1 balloon
    std::int32_t backStyle = 1;
    std::int32_t backColor = 0;
    std::int32_t textColor = 0;
    std::int32_t* gradientStart = nullptr;
    std::int32_t* gradientEnd = nullptr;
    std::int32_t iconSize = 16;
    std::int32_t iconRef = 0;
    IFontDisp* font = nullptr;
    IPictureDisp* picture = nullptr;
};

struct TipGeometry {
    HWND window = nullptr;
    RECT screenRect{};  // where the window stands, for the capture behind it
    std::int32_t arrowX = 0, arrowY = 0;
    std::int32_t alpha = 100;
};

// Named points of one composition, for the benchmark's breakdown.
using PhaseMark = std::function<void(const char* phase)>;

// 0x00BBGGRR, a negative value naming a system colour.
COLORREF resolveColour(std::int32_t value);

// Top-down 32-bit pixels (a DIB section) selected into a memory DC, so that
// GDI draws into them and the blend reads and writes them in place. Kept
// from show to show: new memory costs more to touch than the drawing itself.
class Canvas {
public:
    Canvas() = default;
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;
    ~Canvas() { release(); }

    // At least w x h: the one there when it is large enough, else a new one;
    // false (and no canvas) when none could be made.
    bool make(std::int32_t w, std::int32_t h);
    void release();
    HDC dc() const { return dc_.get(); }
    std::uint32_t* pixels() const { return pixels_; }
    std::int32_t stride() const { return width_; }  // pixels to a row

private:
    frame::UniqueDc dc_;
    frame::UniqueBitmap bitmap_;
    HGDIOBJ previous_ = nullptr;
    std::uint32_t* pixels_ = nullptr;
    std::int32_t width_ = 0, height_ = 0;
};

class TipPainter {
public:
    TipPainter() = default;
    TipPainter(const TipPainter&) = delete;
    TipPainter& operator=(const TipPainter&) = delete;

    // Adds one block (ANSI text) to the sums; the title may become " ".
    void measure(std::string& text, bool isTitle, IFontDisp* font, std::int32_t iconRef,
                 std::int32_t iconSize, layout::Measure& sums);

    // Gives the window its shape and makes the finished w x h picture: the
    // DC that holds it at (0, 0), valid until the next compose; nullptr when
    // no buffer could be made.
    HDC compose(std::int32_t w, std::int32_t h, const TipLook& look, const TipGeometry& geometry,
                const std::string& title, const std::string& text, const PhaseMark& mark = {});

private:
    frame::UniqueRegion buildShape(std::int32_t w, std::int32_t h, const TipLook& look, const TipGeometry& geometry);
    void paint(const TipLook& look, const TipGeometry& geometry, std::int32_t w, HRGN outline,
               const std::string& title, const std::string& text, const PhaseMark& marked);
    HDC blendWithScreen(std::int32_t w, std::int32_t h, const TipGeometry& geometry, const PhaseMark& marked);
    HICON iconOf(std::int32_t iconRef, std::int32_t iconSize);

    Canvas buffer_;  // the painted tooltip
    Canvas behind_;  // the screen behind the window, then the blend
    layout::BlendTables tables_;
    frame::UniqueIcon stockIcon_;
    std::int32_t stockKey_ = 0;  // which stock icon, which size; 0 none
};

}  // namespace lanthor
