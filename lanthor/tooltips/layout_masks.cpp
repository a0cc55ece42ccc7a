// The balloon's region steps applied to pixel masks, for checking the region
// the window system builds. Kept apart from layout.cpp so that the library,
// which never needs it, does not carry it.
#include <algorithm>

#include "lanthor/tooltips/layout.h"

namespace lanthor::layout {

Masks applySteps(std::int32_t w, std::int32_t hw, const std::vector<RegionStep>& steps) {
    Masks m;
    m.width = w;
    m.height = hw;
    m.window.assign(static_cast<std::size_t>(w) * hw, 1);
    m.outline.assign(static_cast<std::size_t>(w) * hw, 0);
    for (const RegionStep& s : steps) {
        const auto& from = s.mark == Mark::O ? m.window : m.outline;
        auto result = from;
        const std::int32_t l = std::max(0, std::min(s.rect.left, s.rect.right));
        const std::int32_t r = std::min(w, std::max(s.rect.left, s.rect.right));
        const std::int32_t t = std::max(0, std::min(s.rect.top, s.rect.bottom));
        const std::int32_t b = std::min(hw, std::max(s.rect.top, s.rect.bottom));
        for (std::int32_t y = t; y < b; ++y)
            for (std::int32_t x = l; x < r; ++x) result[y * w + x] = 0;
        (s.mark == Mark::O ? m.outline : m.window) = std::move(result);
    }
    return m;
}

std::vector<Span> rowRuns(const Masks& masks, std::int32_t y, bool window) {
    std::vector<Span> runs;
    const auto& mask = window ? masks.window : masks.outline;
    std::int32_t x = 0;
    while (x < masks.width) {
        while (x < masks.width && !mask[y * masks.width + x]) ++x;
        if (x == masks.width) break;
        const std::int32_t first = x;
        while (x < masks.width && mask[y * masks.width + x]) ++x;
        runs.push_back({first, x});
    }
    return runs;
}

}  // namespace lanthor::layout
