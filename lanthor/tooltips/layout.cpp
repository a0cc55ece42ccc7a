#include "lanthor/tooltips/layout.h"

#include <algorithm>
#include <cstdlib>
#include <utility>  // common/convert.h uses std::in_range without it

#include "common/convert.h"
#include "common/errors.h"

namespace lanthor::layout {

namespace {
// Sums are taken wide and narrowed back with the overflow error.
using Wide = std::int64_t;
std::int32_t narrowed(Wide value) { return frame::narrow<std::int32_t>(value); }
}  // namespace

bool titleIsBlank(std::string_view title) {
    return title.find_first_not_of(' ') == std::string_view::npos;
}

void Measure::addBlock(std::int32_t width, std::int32_t height) {
    textHeight = narrowed(Wide{textHeight} + height);
    textWidth = std::max(textWidth, width);
}

void Measure::addIcon(std::int32_t iconSize) {
    const std::int32_t width = narrowed(Wide{textWidth} + 25 + iconSize);
    textHeight = narrowed(Wide{textHeight} + iconSize);
    textWidth = width;
}

std::int32_t Measure::tipWidth() const { return narrowed(Wide{textWidth} + 20); }
std::int32_t Measure::tipHeight(bool titleBlank) const { return narrowed(Wide{textHeight} + (titleBlank ? 0 : 13)); }

Placement place(Point cursor, std::int32_t tipWidth, std::int32_t tipHeight, double screenWidth,
                double screenHeight, bool balloon) {
    Placement p;
    if (screenWidth < static_cast<double>(cursor.x) + tipWidth) {
        p.arrowX = balloon ? -kArrow : 0;
        p.tipLeft = narrowed(Wide{cursor.x} - tipWidth);
    } else {
        p.arrowX = balloon ? kArrow : 0;
        p.tipLeft = narrowed(Wide{cursor.x} + 1);
    }
    const bool above = screenHeight < static_cast<double>(cursor.y) + tipHeight ||
                       Wide{cursor.y} - tipHeight - 20 >= 0;
    if (above) {
        p.arrowY = balloon ? -kArrow : 0;
        p.tipTop = narrowed(Wide{cursor.y} - tipHeight);
    } else {
        p.arrowY = balloon ? kArrow : 0;
        p.tipTop = narrowed(Wide{cursor.y} + 1);
    }
    p.window.left = narrowed(Wide{p.tipLeft} - p.arrowX);
    p.window.top = narrowed(Wide{p.tipTop} + p.arrowY);
    p.window.right = narrowed(Wide{p.window.left} + tipWidth);
    p.window.bottom = narrowed(Wide{p.window.top} + tipHeight + std::abs(p.arrowY));
    return p;
}

std::vector<RegionStep> balloonSteps(std::int32_t w, std::int32_t hw, std::int32_t arrowX,
                                     std::int32_t arrowY) {
    const bool up = arrowY > 0;
    const bool right = arrowX > 0;
    const std::int32_t t = up ? kArrow : 0;
    const std::int32_t b = up ? hw : hw + arrowY;
    const std::int32_t bandTop = up ? 0 : hw - kArrow;
    const std::int32_t bandBottom = up ? kArrow : hw;

    std::vector<RegionStep> steps;
    auto add = [&](std::int32_t l, std::int32_t r, std::int32_t top, std::int32_t bottom, Mark m) {
        steps.push_back({{l, top, r, bottom}, m});
    };
    if (right) {
        add(0, 18, bandTop, bandBottom, Mark::O);
        add(35, w, bandTop, bandBottom, Mark::R);
    } else {
        add(w - 17, w, bandTop, bandBottom, Mark::O);
        add(0, w - 35, bandTop, bandBottom, Mark::R);
    }
    const std::int32_t n = right ? 15 : 17;
    for (std::int32_t i = 0; i <= n; ++i) {
        const std::int32_t row = up ? i : hw - 1 - i;
        const Mark m = i % 2 == 0 ? Mark::O : Mark::R;
        if (right)
            add(19 + i, 35, row, row + 1, m);
        else
            add(w - 35, w - 18 - i, row, row + 1, m);
    }
    // Corners: top-left, bottom-left, top-right, bottom-right.
    add(0, 5, t, t + 1, Mark::O);
    add(0, 4, t + 1, t + 2, Mark::R);
    add(0, 2, t + 2, t + 3, Mark::O);
    add(0, 1, t + 3, t + 5, Mark::R);
    add(0, 1, b - 5, b, Mark::O);
    add(1, 2, b - 3, b, Mark::R);
    add(2, 3, b - 2, b, Mark::O);
    add(3, 5, b - 1, b, Mark::R);
    add(w - 5, w, t, t + 1, Mark::O);
    add(w - 3, w, t + 1, t + 2, Mark::R);
    add(w - 2, w, t + 2, t + 3, Mark::O);
    add(w - 1, w, t + 3, t + 5, Mark::R);
    add(w - 1, w, b - 5, b, Mark::O);
    add(w - 2, w - 1, b - 3, b, Mark::R);
    add(w - 3, w - 2, b - 2, b, Mark::O);
    add(w - 5, w - 3, b - 1, b, Mark::R);
    return steps;
}

namespace {
struct Channels {
    float red, green, blue;
};
Channels channels(std::uint32_t c) {
    return {static_cast<float>(c & 0xFF), static_cast<float>((c / 256) & 0xFF),
            static_cast<float>((c & 0xFF0000) / 65536)};
}
float step(float from, float to, std::int32_t n) {
    if (n == 0) frame::raise(to - from == 0.0f ? frame::errOverflow : frame::errDivisionByZero);
    return (to - from) / static_cast<float>(n);
}
std::uint32_t channel(float stepValue, std::int32_t i, float start) {
    // The product and the sum are taken in double, as the host language
    // widens a single times a long.
    const auto v = frame::narrow<std::int16_t>(static_cast<double>(stepValue) * i + start);
    return static_cast<std::uint32_t>(std::clamp<std::int32_t>(v, 0, 255));
}
}  // namespace

std::vector<std::uint32_t> gradient(std::uint32_t start, std::uint32_t end, std::int32_t n) {
    const Channels s = channels(start), e = channels(end);
    const float red = step(s.red, e.red, n);
    const float green = step(s.green, e.green, n);
    const float blue = step(s.blue, e.blue, n);
    std::vector<std::uint32_t> colours;
    colours.reserve(static_cast<std::size_t>(std::max(n, 0)) + 1);
    for (std::int32_t i = 0; i <= n; ++i)
        colours.push_back(channel(red, i, s.red) | channel(green, i, s.green) << 8 |
                          channel(blue, i, s.blue) << 16);
    return colours;
}

TextPosition titlePosition(std::int32_t iconRef, std::int32_t iconSize, std::int32_t arrowAbove) {
    TextPosition p;
    p.top = frame::narrow<std::int32_t>((iconRef != 0 ? iconSize / 2.0 : 0.0) + 1 + arrowAbove);
    p.left = narrowed(Wide{arrowAbove} + 20);
    if (iconRef != 0) {
        p.left = narrowed(Wide{iconSize} + p.left);
    } else {
        p.top = narrowed(Wide{p.top} + 5);
        p.left = 10;
    }
    return p;
}

TextPosition textPosition(bool hasTitle, std::int32_t iconRef, std::int32_t iconSize,
                          std::int32_t titleHeight, std::int32_t arrowAbove) {
    TextPosition p;
    const double base = hasTitle ? (iconRef != 0 ? iconSize : 3) + static_cast<double>(titleHeight)
                                 : titleHeight / 2.0 - 5;
    p.top = frame::narrow<std::int32_t>(base + arrowAbove);
    if (!hasTitle && iconRef != 0) p.top = narrowed(Wide{p.top} + iconSize);
    p.top = narrowed(Wide{p.top} + 5);
    p.left = 10;
    return p;
}

std::uint8_t BlendTables::scale(std::uint32_t value, std::uint32_t percent) {
    if (value > 255 || percent > 100) frame::raise(frame::errSubscriptOutOfRange);
    return static_cast<std::uint8_t>(frame::roundHalfEven(value / 100.0 * percent));
}

void BlendTables::prepare(std::int32_t alpha) {
    if (alpha < 0 || alpha > 100) frame::raise(frame::errSubscriptOutOfRange);
    if (alpha == alpha_) return;
    for (std::uint32_t v = 0; v < 256; ++v) {
        tooltip_[v] = scale(v, static_cast<std::uint32_t>(alpha));
        background_[v] = scale(v, static_cast<std::uint32_t>(100 - alpha));
    }
    alpha_ = alpha;
}

void blend(BlendTables& tables, std::uint32_t* background, const std::uint32_t* tooltip, std::size_t count,
           std::int32_t alpha) {
    tables.prepare(alpha);
    for (std::size_t k = 0; k < count; ++k) {
        const std::uint32_t bg = background[k], tip = tooltip[k];
        std::uint32_t out = bg & 0xFF000000u;
        for (int shift = 0; shift < 24; shift += 8)
            out |= static_cast<std::uint32_t>(BlendTables::sum(tables.backgroundShare(bg >> shift),
                                                               tables.tooltipShare(tip >> shift)))
                   << shift;
        background[k] = out;
    }
}

void fillGradient(std::uint32_t* pixels, std::int32_t stride, std::int32_t w, std::int32_t h,
                  const std::vector<std::uint32_t>& colours, bool horizontal) {
    const auto lines = static_cast<std::int32_t>(colours.size());
    for (std::int32_t y = 0; y < h; ++y) {
        std::uint32_t* row = pixels + static_cast<std::ptrdiff_t>(y) * stride;
        if (horizontal) {
            for (std::int32_t x = 0; x < w && x < lines; ++x) row[x] = dibPixel(colours[x]);
        } else if (y < lines) {
            std::fill(row, row + w, dibPixel(colours[y]));
        }
    }
}

}  // namespace lanthor::layout
