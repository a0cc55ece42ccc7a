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

class TipPainter {
public:
    TipPainter() = default;
    TipPainter(const TipPainter&) = delete;
    TipPainter& operator=(const TipPainter&) = delete;
    ~TipPainter() { releaseBuffer(); }

    // Adds one block (ANSI text) to the sums; the title may become " ".
    void measure(std::string& text, bool isTitle, IFontDisp* font, std::int32_t iconRef,
                 std::int32_t iconSize, layout::Measure& sums);

    // The buffer DC, at least w x h; nullptr when none could be made.
    HDC obtainBuffer(std::int32_t w, std::int32_t h);
    void releaseBuffer();

    // Draws the finished tooltip into dc at (x, y, w, h) and gives the window its shape.
    void compose(HDC dc, std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h, const TipLook& look,
                 const TipGeometry& geometry, const std::string& title, const std::string& text,
                 const PhaseMark& mark = {});

private:
    frame::UniqueRegion buildShape(std::int32_t w, std::int32_t h, const TipLook& look, const TipGeometry& geometry);
    void paint(HDC dc, const TipLook& look, const TipGeometry& geometry, HRGN outline, const std::string& title,
               const std::string& text);
    void blendWithScreen(HDC dc, std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h,
                         const TipGeometry& geometry, const PhaseMark& mark);

    frame::UniqueDc bufferDc_;
    frame::UniqueBitmap bufferBitmap_;
    HGDIOBJ bufferPrevious_ = nullptr;
    std::int32_t bufferWidth_ = 0, bufferHeight_ = 0;
    layout::BlendTables tables_;
};

}  // namespace lanthor
