#pragma once
// The tooltip's arithmetic: content size, placement against the screen
// edges, the balloon's region steps, gradient colours, the blend tables and
// the text positions. No window system here, so every figure is tested exactly.
#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

namespace lanthor::layout {

struct Point {
    std::int32_t x = 0, y = 0;
    bool operator==(const Point&) const = default;
};
struct Rect {
    std::int32_t left = 0, top = 0, right = 0, bottom = 0;
    bool operator==(const Rect&) const = default;
};

inline constexpr std::int32_t kArrow = 17;  // the balloon arrow's band and offset

// Title trimmed of spaces (only spaces, as the host language trims) is empty.
bool titleIsBlank(std::string_view title);

// Sums of the measured blocks. A sum beyond a Long (an icon size near the
// Long's limits) raises the overflow error (6), as the host language would.
struct Measure {
    std::int32_t textWidth = 0, textHeight = 0;
    void addBlock(std::int32_t width, std::int32_t height);
    void addIcon(std::int32_t iconSize);  // beside the title
    std::int32_t tipWidth() const;
    std::int32_t tipHeight(bool titleBlank) const;
};

struct Placement {
    std::int32_t tipLeft = 0, tipTop = 0, arrowX = 0, arrowY = 0;
    Rect window;  // screen rectangle handed to SetWindowPos
};
// Raises the overflow error (6) for a coordinate beyond a Long.
Placement place(Point cursor, std::int32_t tipWidth, std::int32_t tipHeight, double screenWidth,
                double screenHeight, bool balloon);

// One subtraction of the balloon shape. O: outline := window - rect;
// R: window := outline - rect.
enum class Mark { O, R };
struct RegionStep {
    Rect rect;  // [left, right) x [top, bottom)
    Mark mark;
};
// w is the window width, hw its height (tipHeight + |arrowY|), both 0 or
// more; arrowX and arrowY are place()'s.
std::vector<RegionStep> balloonSteps(std::int32_t w, std::int32_t hw, std::int32_t arrowX,
                                     std::int32_t arrowY);

// The steps applied to pixel masks, as the region calls would: 1 = inside.
// w and hw are 0 or more; rowRuns takes a row y of the masks.
struct Masks {
    std::int32_t width = 0, height = 0;
    std::vector<std::uint8_t> window, outline;  // row-major, row 0 at the top
    bool inWindow(std::int32_t x, std::int32_t y) const { return window[y * width + x] != 0; }
    bool inOutline(std::int32_t x, std::int32_t y) const { return outline[y * width + x] != 0; }
};
Masks applySteps(std::int32_t w, std::int32_t hw, const std::vector<RegionStep>& steps);
// Columns [first, last) that one row of a mask keeps, when they are one run.
struct Span {
    std::int32_t first = 0, last = 0;
    bool operator==(const Span&) const = default;
};
std::vector<Span> rowRuns(const Masks& masks, std::int32_t y, bool window = true);

// 0x00BBGGRR; a negative value is a system colour resolved by the caller.
template <typename SysColour>
std::uint32_t resolveColour(std::int32_t value, SysColour&& sysColour) {
    if (value < 0) return sysColour(value & 0x7FFFFFFF);
    return static_cast<std::uint32_t>(value);
}

// Colours of lines 0..n of a gradient from start to end: the per-channel step
// is held in single precision, each line is step * i + start rounded half to
// even. n == 0 raises 11 (or 6 when the red values are equal).
std::vector<std::uint32_t> gradient(std::uint32_t start, std::uint32_t end, std::int32_t n);

// Both raise the overflow error (6) for a position beyond a Long.
struct TextPosition {
    std::int32_t left = 0, top = 0;
    bool operator==(const TextPosition&) const = default;
};
TextPosition titlePosition(std::int32_t iconRef, std::int32_t iconSize, std::int32_t arrowAbove);
TextPosition textPosition(bool hasTitle, std::int32_t iconRef, std::int32_t iconSize,
                          std::int32_t titleHeight, std::int32_t arrowAbove);

// The blend's lookup rows for one opacity p: the tooltip's share of a channel
// value v is round(v / 100 * p), the background's round(v / 100 * (100 - p)),
// rounded half to even in double precision; a blended channel is the two
// shares summed, at most 255. The rows are filled again only for a new p.
class BlendTables {
public:
    // Raises 9 for a percentage outside 0 to 100, before changing anything.
    void prepare(std::int32_t alpha);
    std::int32_t alpha() const { return alpha_; }  // -1 before the first
    std::uint8_t tooltipShare(std::uint32_t value) const { return tooltip_[value & 0xFF]; }
    std::uint8_t backgroundShare(std::uint32_t value) const { return background_[value & 0xFF]; }

    // One entry as the rows hold it; raises 9 for a value above 255 or a percentage above 100.
    static std::uint8_t scale(std::uint32_t value, std::uint32_t percent);
    static std::uint8_t sum(std::uint32_t a, std::uint32_t b) { return static_cast<std::uint8_t>(a + b < 255 ? a + b : 255); }

private:
    std::int32_t alpha_ = -1;
    std::array<std::uint8_t, 256> tooltip_{}, background_{};
};

// background := tooltip * alpha% + background * (100 - alpha)%, channel by
// channel through the rows (prepared for alpha here); the fourth byte of
// background stays as read. Raises 9 (before changing anything) when alpha is
// outside 0 to 100.
void blend(BlendTables& tables, std::uint32_t* background, const std::uint32_t* tooltip, std::size_t count,
           std::int32_t alpha);

// 0x00BBGGRR as a 32-bit DIB pixel, 0x00RRGGBB.
inline std::uint32_t dibPixel(std::uint32_t colour) {
    return (colour & 0xFF) << 16 | (colour & 0xFF00) | (colour >> 16 & 0xFF);
}

// The gradient's lines (gradient() colours) as a pen of one pixel draws them
// into w x h top-down pixels, `stride` to a row: column x (horizontal) or row
// y (vertical) in colour x or y. Lines past the colours are left alone.
void fillGradient(std::uint32_t* pixels, std::int32_t stride, std::int32_t w, std::int32_t h,
                  const std::vector<std::uint32_t>& colours, bool horizontal);

}  // namespace lanthor::layout
