// The tooltip's layout: sizes, placement and text positions overflow only
// with the overflow error; the placed window is the tip plus its arrow band
// beside the cursor; the balloon's region lies inside its window, one run a
// row, arrow tip where the arrow points, full rows between the corners.
#include <cstdlib>

#include "common/testing/fuzz.h"
#include "lanthor/tooltips/layout.h"

using namespace lanthor::layout;
using frame::fuzz::errorOf;

namespace {

void checkRegion(std::int32_t w, std::int32_t hw, std::int32_t arrowX, std::int32_t arrowY) {
    const auto steps = balloonSteps(w, hw, arrowX, arrowY);
    if (w < 40 || hw < 2 * kArrow) return;  // smaller than any balloon with text
    for (const RegionStep& s : steps)
        FUZZ_CHECK(s.rect.left >= 0 && s.rect.right <= w && s.rect.top >= 0 && s.rect.bottom <= hw);
    if (std::int64_t{w} * hw > 20000) return;
    const Masks m = applySteps(w, hw, steps);
    for (std::int32_t y = 0; y < hw; ++y)
        for (std::int32_t x = 0; x < w; ++x) FUZZ_CHECK(!m.inWindow(x, y) || m.inOutline(x, y));
    const std::int32_t tipRow = arrowY > 0 ? 0 : hw - 1, tipX = arrowX > 0 ? 18 : w - 18;
    FUZZ_CHECK(rowRuns(m, tipRow) == (std::vector<Span>{{tipX, tipX + 1}}));
    const std::int32_t bodyTop = arrowY > 0 ? kArrow : 0, bodyBottom = arrowY > 0 ? hw : hw - kArrow;
    for (std::int32_t y = 0; y < hw; ++y) {
        const auto runs = rowRuns(m, y);
        FUZZ_CHECK(runs.size() == 1);
        if (y >= bodyTop + 5 && y < bodyBottom - 5) FUZZ_CHECK(runs[0] == (Span{0, w}));
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    // Measured blocks and an icon of any size.
    const std::int32_t iconSize = in.ConsumeIntegral<std::int32_t>();
    const std::int32_t width = in.ConsumeIntegralInRange(0, INT32_MAX), height = in.ConsumeIntegralInRange(0, INT32_MAX);
    Measure sums;
    const int measured = errorOf([&] {
        sums.addBlock(width, height);
        sums.addIcon(iconSize);
        sums.addBlock(width / 2, height / 2);
        (void)sums.tipWidth();
        (void)sums.tipHeight(false);
    });
    FUZZ_CHECK(measured == 0 || measured == frame::errOverflow);

    const Point cursor{in.ConsumeIntegral<std::int32_t>(), in.ConsumeIntegral<std::int32_t>()};
    const std::int32_t tipWidth = in.ConsumeIntegral<std::int32_t>(), tipHeight = in.ConsumeIntegral<std::int32_t>();
    const bool balloon = in.ConsumeBool();
    Placement p;
    const int placed = errorOf([&] {
        p = place(cursor, tipWidth, tipHeight, in.ConsumeFloatingPoint<double>(), in.ConsumeFloatingPoint<double>(), balloon);
    });
    FUZZ_CHECK(placed == 0 || placed == frame::errOverflow);
    if (placed == 0) {
        FUZZ_CHECK(std::abs(p.arrowX) == (balloon ? kArrow : 0) && std::abs(p.arrowY) == std::abs(p.arrowX));
        const std::int64_t right = std::int64_t{cursor.x} + 1, left = std::int64_t{cursor.x} - tipWidth;
        const std::int64_t below = std::int64_t{cursor.y} + 1, above = std::int64_t{cursor.y} - tipHeight;
        if (balloon)
            FUZZ_CHECK(p.tipLeft == (p.arrowX > 0 ? right : left) && p.tipTop == (p.arrowY > 0 ? below : above));
        else
            FUZZ_CHECK((p.tipLeft == right || p.tipLeft == left) && (p.tipTop == below || p.tipTop == above));
        FUZZ_CHECK(std::int64_t{p.window.right} - p.window.left == tipWidth &&
                   std::int64_t{p.window.bottom} - p.window.top == std::int64_t{tipHeight} + std::abs(p.arrowY));
    }
    // Every size and position a real screen gives fits.
    if (std::abs(std::int64_t{cursor.x}) <= 100000 && std::abs(std::int64_t{cursor.y}) <= 100000 && tipWidth >= 0 &&
        tipWidth <= 100000 && tipHeight >= 0 && tipHeight <= 100000)
        FUZZ_CHECK(placed == 0);

    const std::int32_t arrowAbove = in.ConsumeBool() ? kArrow : 0, iconRef = in.ConsumeIntegral<std::int32_t>();
    const int positioned = errorOf([&] {
        titlePosition(iconRef, iconSize, arrowAbove);
        textPosition(in.ConsumeBool(), iconRef, iconSize, height, arrowAbove);
    });
    FUZZ_CHECK(positioned == 0 || positioned == frame::errOverflow);

    const bool small = in.ConsumeBool();  // small enough to apply to masks
    const std::int32_t w = in.ConsumeIntegralInRange(0, small ? 200 : INT32_MAX);
    const std::int32_t hw = in.ConsumeIntegralInRange(0, small ? 120 : INT32_MAX);
    checkRegion(w, hw, in.ConsumeBool() ? kArrow : -kArrow, in.ConsumeBool() ? kArrow : -kArrow);
    return 0;
}
