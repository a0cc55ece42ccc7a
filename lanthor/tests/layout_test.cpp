#include "common/testing/error_of.h"
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "common/errors.h"
#include "lanthor/tooltips/layout.h"

using namespace lanthor::layout;

namespace {
using frame::testing::errorOf;
}  // namespace

TEST(Measure, SumsGiveTheWindowSize) {
    // Title 60x16 with a 32-pixel icon, text 40x30 in two blocks.
    Measure m;
    m.addBlock(60, 16);
    m.addIcon(32);
    m.addBlock(40, 30);
    EXPECT_EQ(m.tipWidth(), 60 + 25 + 32 + 20);
    EXPECT_EQ(m.tipHeight(false), 16 + 32 + 30 + 13);
    // A wider text wins; a blank title gets no gap.
    Measure n;
    n.addBlock(4, 13);
    n.addBlock(150, 13);
    EXPECT_EQ(n.tipWidth(), 170);
    EXPECT_EQ(n.tipHeight(true), 26);
}

// An icon size near a Long's limits (IconSize takes any Long) is the
// overflow error, never a wrapped size or position.
TEST(Measure, SizesAndPositionsBeyondALongAreOverflow) {
    Measure icon;
    icon.addBlock(60, 16);
    EXPECT_EQ(errorOf([&] { icon.addIcon(INT32_MAX); }), frame::errOverflow);
    Measure wide;
    wide.addBlock(INT32_MAX - 10, 16);
    EXPECT_EQ(errorOf([&] { (void)wide.tipWidth(); }), frame::errOverflow);
    EXPECT_EQ(errorOf([] { titlePosition(1, INT32_MAX, 17); }), frame::errOverflow);
    EXPECT_EQ(errorOf([] { textPosition(false, 1, INT32_MIN, 0, 0); }), frame::errOverflow);
    EXPECT_EQ(errorOf([] { textPosition(true, 1, INT32_MAX, 16, 17); }), frame::errOverflow);
    EXPECT_EQ(errorOf([] { place({INT32_MIN + 5, 0}, 100, 40, 800, 600, true); }), frame::errOverflow);
    EXPECT_EQ(errorOf([] { place({10, 10}, 100, INT32_MAX, 800, 600, true); }), frame::errOverflow);
}

TEST(Measure, OnlySpacesMakeABlankTitle) {
    EXPECT_TRUE(titleIsBlank(""));
    EXPECT_TRUE(titleIsBlank("   "));
    EXPECT_FALSE(titleIsBlank(" a "));
    EXPECT_FALSE(titleIsBlank("\t"));
}

TEST(Placement, TopLeftOfTheScreenGoesRightAndBelow) {
    const Placement p = place({10, 10}, 100, 40, 800, 600, true);
    EXPECT_EQ(p.arrowX, 17);
    EXPECT_EQ(p.arrowY, 17);
    EXPECT_EQ(p.tipLeft, 11);
    EXPECT_EQ(p.tipTop, 11);
    EXPECT_EQ(p.window, (Rect{-6, 28, 94, 85}));
}

TEST(Placement, BottomRightGoesLeftAndAbove) {
    const Placement p = place({790, 590}, 100, 40, 800, 600, true);
    EXPECT_EQ(p.arrowX, -17);
    EXPECT_EQ(p.arrowY, -17);
    EXPECT_EQ(p.tipLeft, 690);
    EXPECT_EQ(p.tipTop, 550);
    EXPECT_EQ(p.window, (Rect{707, 533, 807, 590}));
}

TEST(Placement, EdgesAndTheTwentyPixelMargin) {
    // Exactly fitting on the right stays right.
    EXPECT_EQ(place({700, 10}, 100, 40, 800, 600, true).arrowX, 17);
    EXPECT_EQ(place({701, 10}, 100, 40, 800, 600, true).arrowX, -17);
    // Above once y is at least tipHeight + 20.
    EXPECT_EQ(place({10, 60}, 100, 40, 800, 600, true).arrowY, -17);
    EXPECT_EQ(place({10, 59}, 100, 40, 800, 600, true).arrowY, 17);
    // Not fitting below forces above even without the margin.
    EXPECT_EQ(place({10, 30}, 100, 40, 800, 69, true).arrowY, -17);
    // Standard: no arrow, the window is the content size.
    const Placement s = place({790, 590}, 100, 40, 800, 600, false);
    EXPECT_EQ(s.arrowX, 0);
    EXPECT_EQ(s.arrowY, 0);
    EXPECT_EQ(s.window, (Rect{690, 550, 790, 590}));
}

TEST(Balloon, StepsAlternateFromOutlineToWindow) {
    for (auto [ax, ay] : {std::pair{17, 17}, {-17, 17}, {17, -17}, {-17, -17}}) {
        const auto steps = balloonSteps(100, 60, ax, ay);
        EXPECT_EQ(steps.size(), 2u + (ax > 0 ? 16u : 18u) + 16u);
        for (std::size_t i = 0; i < steps.size(); ++i)
            EXPECT_EQ(steps[i].mark, i % 2 == 0 ? Mark::O : Mark::R) << i;
    }
}

TEST(Balloon, ArrowAboveOnTheLeft) {
    const Masks m = applySteps(100, 60, balloonSteps(100, 60, 17, 17));
    EXPECT_EQ(rowRuns(m, 0), (std::vector<Span>{{18, 19}}));  // the tip
    EXPECT_EQ(rowRuns(m, 1), (std::vector<Span>{{18, 20}}));
    EXPECT_EQ(rowRuns(m, 15), (std::vector<Span>{{18, 34}}));
    EXPECT_EQ(rowRuns(m, 16), (std::vector<Span>{{18, 35}}));
    // The body's rounded top starts at row 17: 5, 4, 2, 1, 1 on the left, 5, 3, 2, 1, 1 on the right.
    EXPECT_EQ(rowRuns(m, 17), (std::vector<Span>{{5, 95}}));
    EXPECT_EQ(rowRuns(m, 18), (std::vector<Span>{{4, 97}}));
    EXPECT_EQ(rowRuns(m, 19), (std::vector<Span>{{2, 98}}));
    EXPECT_EQ(rowRuns(m, 20), (std::vector<Span>{{1, 99}}));
    EXPECT_EQ(rowRuns(m, 21), (std::vector<Span>{{1, 99}}));
    EXPECT_EQ(rowRuns(m, 22), (std::vector<Span>{{0, 100}}));
    EXPECT_EQ(rowRuns(m, 54), (std::vector<Span>{{0, 100}}));
    EXPECT_EQ(rowRuns(m, 55), (std::vector<Span>{{1, 99}}));
    EXPECT_EQ(rowRuns(m, 57), (std::vector<Span>{{2, 98}}));
    EXPECT_EQ(rowRuns(m, 58), (std::vector<Span>{{3, 97}}));
    EXPECT_EQ(rowRuns(m, 59), (std::vector<Span>{{5, 95}}));
    // The outline misses only the last step: two pixels of the bottom-right corner.
    for (int y = 0; y < 60; ++y)
        for (int x = 0; x < 100; ++x) {
            const bool extra = y == 59 && (x == 95 || x == 96);
            EXPECT_EQ(m.inOutline(x, y), m.inWindow(x, y) || extra) << x << "," << y;
        }
}

TEST(Balloon, ArrowBelowOnTheRight) {
    const int w = 120, hw = 57;
    const Masks m = applySteps(w, hw, balloonSteps(w, hw, -17, -17));
    EXPECT_EQ(rowRuns(m, hw - 1), (std::vector<Span>{{w - 18, w - 17}}));  // the tip
    for (int k = 0; k < 17; ++k)
        EXPECT_EQ(rowRuns(m, hw - 1 - k), (std::vector<Span>{{w - 18 - k, w - 17}})) << k;
    EXPECT_EQ(rowRuns(m, 0), (std::vector<Span>{{5, w - 5}}));
    EXPECT_EQ(rowRuns(m, hw - 18), (std::vector<Span>{{5, w - 5}}));  // body bottom
    EXPECT_EQ(rowRuns(m, 10), (std::vector<Span>{{0, w}}));
}

TEST(Balloon, MixedSidesPutTheArrowInTheRightBand) {
    const Masks up = applySteps(80, 50, balloonSteps(80, 50, -17, 17));
    EXPECT_EQ(rowRuns(up, 0), (std::vector<Span>{{62, 63}}));
    EXPECT_EQ(rowRuns(up, 17), (std::vector<Span>{{5, 75}}));
    const Masks down = applySteps(80, 50, balloonSteps(80, 50, 17, -17));
    EXPECT_EQ(rowRuns(down, 49), (std::vector<Span>{{18, 19}}));
    EXPECT_EQ(rowRuns(down, 33), (std::vector<Span>{{18, 35}}));
    EXPECT_EQ(rowRuns(down, 32), (std::vector<Span>{{5, 75}}));
}

TEST(Colour, SystemColoursAreResolvedByIndex) {
    int asked = -1;
    auto sys = [&](int index) {
        asked = index;
        return 0x123456u;
    };
    EXPECT_EQ(resolveColour(static_cast<std::int32_t>(0x80000018u), sys), 0x123456u);
    EXPECT_EQ(asked, 24);
    asked = -1;
    EXPECT_EQ(resolveColour(0x00FF00, sys), 0x00FF00u);
    EXPECT_EQ(asked, -1);
}

TEST(Gradient, RedToBlueOverAHundredColumns) {
    const auto c = gradient(0x0000FF, 0xFF0000, 100);
    ASSERT_EQ(c.size(), 101u);
    EXPECT_EQ(c[0], 0x0000FFu);
    EXPECT_EQ(c[50], 0x7F0080u);  // red 127.5000024 up, blue 127.4999976 down
    EXPECT_EQ(c[99], 0xFC0003u);
    EXPECT_EQ(c[100], 0xFF0000u);
}

TEST(Gradient, HalvesGoToTheEvenNeighbour) {
    // 0 to 1 over 2 lines: the middle is exactly 0.5 and rounds to 0; 0 to 3 gives 1.5 -> 2.
    EXPECT_EQ(gradient(0x000000, 0x000001, 2)[1], 0x000000u);
    EXPECT_EQ(gradient(0x000000, 0x000003, 2)[1], 0x000002u);
    EXPECT_EQ(gradient(0x000000, 0x000500, 2)[1], 0x000200u);  // green 2.5 -> 2
    EXPECT_EQ(gradient(0x000000, 0x070000, 2)[1], 0x040000u);  // blue 3.5 -> 4
}

TEST(Gradient, ZeroLinesFailBeforeAnything) {
    EXPECT_EQ(errorOf([] { gradient(0x0000FF, 0x000000, 0); }), 11);
    EXPECT_EQ(errorOf([] { gradient(0x0000FF, 0x00FFFF, 0); }), 6);
    EXPECT_EQ(gradient(0x123456, 0x123456, 1), (std::vector<std::uint32_t>{0x123456, 0x123456}));
}

TEST(TextPositions, Title) {
    EXPECT_EQ(titlePosition(2, 16, 17), (TextPosition{53, 26}));
    EXPECT_EQ(titlePosition(0, 16, 17), (TextPosition{10, 6 + 17}));
    EXPECT_EQ(titlePosition(0, 16, 0), (TextPosition{10, 6}));
    EXPECT_EQ(titlePosition(1, 25, 0), (TextPosition{45, 14}));  // 13.5 -> 14
    EXPECT_EQ(titlePosition(1, 23, 0), (TextPosition{43, 12}));  // 12.5 -> 12
}

TEST(TextPositions, Text) {
    EXPECT_EQ(textPosition(true, 2, 16, 13, 0), (TextPosition{10, 34}));
    EXPECT_EQ(textPosition(true, 0, 16, 13, 17), (TextPosition{10, 38}));
    // Empty title: round(tH / 2 - 5) + 5 + a+.
    EXPECT_EQ(textPosition(false, 0, 16, 13, 0), (TextPosition{10, 7}));   // 1.5 -> 2
    EXPECT_EQ(textPosition(false, 0, 16, 15, 0), (TextPosition{10, 7}));   // 2.5 -> 2
    EXPECT_EQ(textPosition(false, 0, 16, 15, 17), (TextPosition{10, 25}));  // rounded after the arrow: 19.5 -> 20
    EXPECT_EQ(textPosition(false, 3, 16, 13, 0), (TextPosition{10, 23}));
}

TEST(Blend, TablesAndPixels) {
    BlendTables t;
    EXPECT_EQ(t.sum(200, 100), 255);
    EXPECT_EQ(t.sum(20, 30), 50);
    EXPECT_EQ(t.scale(255, 100), 255);
    EXPECT_EQ(t.scale(1, 50), 0);    // 0.5 -> 0
    EXPECT_EQ(t.scale(3, 50), 2);    // 1.5 -> 2
    EXPECT_EQ(t.scale(255, 50), 127);  // 2.55 * 50 is just below 127.5 in double
    EXPECT_EQ(t.scale(128, 70), 90);
    EXPECT_EQ(errorOf([&] { t.scale(10, 101); }), 9);
    EXPECT_EQ(errorOf([&] { t.scale(256, 50); }), 9);  // past the table

    const std::uint32_t tip[3] = {0x00FF8001, 0x11223344, 0xFFFFFFFF};
    std::uint32_t bg[3] = {0xAA000000, 0x55667788, 0x00FFFFFF};
    std::uint32_t copy[3];
    std::copy(bg, bg + 3, copy);
    blend(t, copy, tip, 3, 100);
    EXPECT_EQ(copy[0], 0xAAFF8001u);  // the tooltip, with the background's fourth byte
    EXPECT_EQ(copy[1], 0x55223344u);
    std::copy(bg, bg + 3, copy);
    blend(t, copy, tip, 3, 0);
    EXPECT_EQ(std::vector<std::uint32_t>(copy, copy + 3), std::vector<std::uint32_t>(bg, bg + 3));
    blend(t, bg, tip, 3, 50);
    // FF over 00: 127; 80 over 00: 64; 01 over 00: 0.
    EXPECT_EQ(bg[0], 0xAA7F4000u);
    // Red 0x22 over 0x66: 17 + 51; green 0x33 over 0x77: 26 + 60; blue 0x44 over 0x88: 34 + 68.
    EXPECT_EQ(bg[1], 0x55445666u);
    // White over white: two halves of 255 are 127 each.
    EXPECT_EQ(bg[2], 0x00FEFEFEu);
}

TEST(Blend, AboveAHundredChangesNothing) {
    BlendTables t;
    const std::uint32_t tip[1] = {0xFFFFFF};
    std::uint32_t bg[1] = {0x123456};
    EXPECT_EQ(errorOf([&] { blend(t, bg, tip, 1, 101); }), 9);
    EXPECT_EQ(bg[0], 0x123456u);
    blend(t, bg, tip, 1, 30);
    EXPECT_EQ(errorOf([&] { t.prepare(-1); }), 9);
    EXPECT_EQ(t.alpha(), 30);  // a refused opacity leaves the rows it had
}

// One object through opacities in turn, as one tooltip shows again and again:
// each blend sees the rows of its own opacity, never those of the one before.
TEST(Blend, RowsFollowEachNewOpacity) {
    BlendTables t;
    for (const std::int32_t alpha : {40, 70, 70, 40, 0, 100, 1, 99}) {
        t.prepare(alpha);
        ASSERT_EQ(t.alpha(), alpha);
        int wrong = 0;
        for (std::uint32_t v = 0; v < 256; ++v) {
            wrong += t.tooltipShare(v) != BlendTables::scale(v, static_cast<std::uint32_t>(alpha));
            wrong += t.backgroundShare(v) != BlendTables::scale(v, static_cast<std::uint32_t>(100 - alpha));
        }
        EXPECT_EQ(wrong, 0) << alpha;
        const std::uint32_t tip = 0x00C86432;
        std::uint32_t bg = 0x7F0A141E;
        blend(t, &bg, &tip, 1, alpha);
        std::uint32_t expected = 0x7F000000;
        for (int shift = 0; shift < 24; shift += 8) {
            const std::uint32_t sum = BlendTables::scale(0x00C86432 >> shift & 0xFF, alpha) +
                                      BlendTables::scale(0x0A141E >> shift & 0xFF, 100 - alpha);
            expected |= std::min(sum, 255u) << shift;
        }
        EXPECT_EQ(bg, expected) << alpha;
    }
}

// The gradient's lines as pixels: column by column or row by row, in DIB
// order (red in the third byte), within the width and height given, never
// past the last colour, and each row `stride` pixels on.
TEST(Gradient, FillsColumnsOrRowsAsOnePixelLines) {
    EXPECT_EQ(dibPixel(0x00332211), 0x00112233u);
    const std::vector<std::uint32_t> colours{0x0000FF, 0x00FF00, 0xFF0000};  // red, green, blue
    constexpr std::uint32_t kUntouched = 0xDEADBEEF, kRed = 0xFF0000, kGreen = 0x00FF00, kBlue = 0x0000FF;
    struct Case {
        bool horizontal;
        std::int32_t w, h;
        std::vector<std::uint32_t> rows;  // stride 4, 3 rows
    };
    const std::uint32_t U = kUntouched;
    const Case cases[] = {
        {true, 2, 3, {kRed, kGreen, U, U, kRed, kGreen, U, U, kRed, kGreen, U, U}},
        {true, 4, 1, {kRed, kGreen, kBlue, U, U, U, U, U, U, U, U, U}},  // three lines for four columns
        {false, 3, 3, {kRed, kRed, kRed, U, kGreen, kGreen, kGreen, U, kBlue, kBlue, kBlue, U}},
        {false, 1, 2, {kRed, U, U, U, kGreen, U, U, U, U, U, U, U}},
        {true, 0, 3, std::vector<std::uint32_t>(12, U)},
    };
    for (const Case& c : cases) {
        std::vector<std::uint32_t> pixels(12, kUntouched);
        fillGradient(pixels.data(), 4, c.w, c.h, colours, c.horizontal);
        EXPECT_EQ(pixels, c.rows) << c.horizontal << " " << c.w << " x " << c.h;
    }
    std::vector<std::uint32_t> pixels(12, kUntouched);
    fillGradient(pixels.data(), 4, 4, 3, {0x0000FF}, false);  // one line: only the first row
    EXPECT_EQ(pixels[3], kRed);
    EXPECT_EQ(pixels[4], kUntouched);
}
