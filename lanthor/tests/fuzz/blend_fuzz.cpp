// The gradient runs from its start colour to its end colour, each channel
// between the two; the blend lands within one step of the exact mixture and
// keeps the fourth byte; a percentage or value outside the tables is error 9.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "common/convert.h"
#include "common/testing/fuzz.h"
#include "lanthor/tooltips/layout.h"

using namespace lanthor::layout;
using frame::fuzz::errorOf;

namespace {
std::uint32_t channel(std::uint32_t colour, int k) { return (colour >> (8 * k)) & 0xFF; }
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static BlendTables tables;  // kept between inputs: rows of an earlier opacity must not leak into a blend
    FuzzedDataProvider in(data, size);
    const std::uint32_t start = in.ConsumeIntegral<std::uint32_t>(), end = in.ConsumeIntegral<std::uint32_t>();
    const std::int32_t lines = in.ConsumeIntegralInRange(-2, 3000);
    std::vector<std::uint32_t> colours;
    const int error = errorOf([&] { colours = gradient(start, end, lines); });
    if (lines == 0) {
        FUZZ_CHECK(error == (channel(start, 0) == channel(end, 0) ? frame::errOverflow : frame::errDivisionByZero));
    } else {
        FUZZ_CHECK(error == 0 && colours.size() == static_cast<size_t>(std::max(lines, -1) + 1));
    }
    if (lines > 0) {
        FUZZ_CHECK(colours.front() == (start & 0xFFFFFF) && colours.back() == (end & 0xFFFFFF));
        for (std::uint32_t c : colours)
            for (int k = 0; k < 3; ++k)
                FUZZ_CHECK(c >> 24 == 0 && channel(c, k) >= std::min(channel(start, k), channel(end, k)) &&
                           channel(c, k) <= std::max(channel(start, k), channel(end, k)));
    }

    const std::uint32_t value = in.ConsumeIntegral<std::uint32_t>() % (in.ConsumeBool() ? 256 : 0xFFFFFFFF);
    const std::uint32_t percent = in.ConsumeIntegral<std::uint32_t>() % (in.ConsumeBool() ? 101 : 0xFFFFFFFF);
    std::uint8_t scaled = 0;
    const int scaleError = errorOf([&] { scaled = BlendTables::scale(value, percent); });
    const bool inTable = value <= 255 && percent <= 100;
    FUZZ_CHECK(scaleError == (inTable ? 0 : frame::errSubscriptOutOfRange));
    if (inTable) FUZZ_CHECK(scaled == frame::roundHalfEven(value / 100.0 * percent));

    const std::int32_t alpha = in.ConsumeBool() ? in.ConsumeIntegralInRange(0, 100) : in.ConsumeIntegral<std::int32_t>();
    const std::vector<std::uint8_t> pixels = in.ConsumeRemainingBytes<std::uint8_t>();
    std::vector<std::uint32_t> tooltip(pixels.size() / 8), background(tooltip.size());
    if (!tooltip.empty()) {
        std::memcpy(tooltip.data(), pixels.data(), 4 * tooltip.size());
        std::memcpy(background.data(), pixels.data() + 4 * tooltip.size(), 4 * background.size());
    }
    const std::vector<std::uint32_t> before = background;
    const int blendError = errorOf([&] { blend(tables, background.data(), tooltip.data(), background.size(), alpha); });
    if (alpha < 0 || alpha > 100) {
        FUZZ_CHECK(blendError == frame::errSubscriptOutOfRange && background == before);
        return 0;
    }
    FUZZ_CHECK(blendError == 0);
    for (size_t i = 0; i < background.size(); ++i) {
        FUZZ_CHECK(background[i] >> 24 == before[i] >> 24);
        for (int k = 0; k < 3; ++k) {
            const double exact = (channel(before[i], k) * (100.0 - alpha) + channel(tooltip[i], k) * alpha) / 100.0;
            FUZZ_CHECK(std::fabs(channel(background[i], k) - exact) <= 1.0);
            if (alpha == 0) FUZZ_CHECK(channel(background[i], k) == channel(before[i], k));
            if (alpha == 100) FUZZ_CHECK(channel(background[i], k) == channel(tooltip[i], k));
        }
    }
    return 0;
}
