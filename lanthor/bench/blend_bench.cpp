// Prints the cost of filling the blend rows for a new opacity and of the blend
// for the two balloon sizes.
#include <chrono>
#include <cstdio>
#include <vector>

#include "lanthor/tooltips/layout.h"

using Clock = std::chrono::steady_clock;

int main() {
    using namespace lanthor::layout;
    BlendTables tables;
    const int rounds = 200;
    auto t0 = Clock::now();
    for (int i = 0; i < rounds; ++i) tables.prepare(i % 2 ? 70 : 40);  // a new opacity every time
    const double fillUs = std::chrono::duration<double, std::micro>(Clock::now() - t0).count() / rounds;
    std::printf("rows for a new opacity (2 x 256 entries): %.2f us\n", fillUs);
    for (auto [w, h] : {std::pair{300, 120}, {600, 300}}) {
        const std::size_t n = static_cast<std::size_t>(w) * h;
        std::vector<std::uint32_t> tip(n, 0x00336699), bg(n, 0x00CCAA88);
        auto s = Clock::now();
        for (int i = 0; i < rounds; ++i) blend(tables, bg.data(), tip.data(), n, 70);
        const double us = std::chrono::duration<double, std::micro>(Clock::now() - s).count() / rounds;
        std::printf("blend %dx%d at 70%%: %.1f us (%.2f ns/pixel), checksum %08x\n", w, h, us,
                    us * 1000 / n, bg[n / 2]);
    }
}
