// The automation conversions and the error texts against what they promise.
#include <cmath>
#include <string>

#include "common/convert.h"
#include "common/errors.h"
#include "common/testing/fuzz.h"

using namespace frame;
using frame::fuzz::errorOf;

namespace {

// A double narrowed: overflow exactly when the value, rounded half to even,
// lies outside To; otherwise that rounded value.
template <typename To>
void checkNarrow(double value) {
    const double rounded = roundHalfEven(value);
    To result{};
    const int error = errorOf([&] { result = narrow<To>(value); });
    const bool fits = rounded >= std::ldexp(std::numeric_limits<To>::is_signed ? -1.0 : 0.0,
                                            std::numeric_limits<To>::digits) &&
                      rounded < std::ldexp(1.0, std::numeric_limits<To>::digits);
    FUZZ_CHECK(error == (fits ? 0 : errOverflow));
    if (fits) FUZZ_CHECK(static_cast<double>(result) == rounded);
}

template <typename To>
void checkNarrow(int64_t value) {
    To result{};
    const int error = errorOf([&] { result = narrow<To>(value); });
    FUZZ_CHECK(error == (std::in_range<To>(value) ? 0 : errOverflow));
    if (error == 0) FUZZ_CHECK(static_cast<int64_t>(result) == value);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    double value = 0;
    switch (in.ConsumeIntegralInRange(0, 2)) {
        case 0: value = in.ConsumeFloatingPoint<double>(); break;
        case 1: value = in.ConsumeIntegral<int32_t>() / 2.0; break;  // ties
        default:  // near the edges of the integer types
            value = std::ldexp(in.ConsumeBool() ? 1.0 : -1.0, in.ConsumeIntegralInRange(0, 66)) +
                    in.ConsumeIntegralInRange(-4, 4) / 2.0;
    }
    const double rounded = roundHalfEven(value);
    if (std::isfinite(value)) {
        FUZZ_CHECK(std::floor(rounded) == rounded && std::fabs(rounded - value) <= 0.5);
        if (std::fabs(rounded - value) == 0.5) FUZZ_CHECK(std::fmod(rounded, 2.0) == 0.0);
    }
    checkNarrow<uint8_t>(value);
    checkNarrow<int16_t>(value);
    checkNarrow<int32_t>(value);
    checkNarrow<uint32_t>(value);
    checkNarrow<int64_t>(value);

    const int64_t whole = in.ConsumeIntegral<int64_t>();
    checkNarrow<uint8_t>(whole);
    checkNarrow<int16_t>(whole);
    checkNarrow<int32_t>(whole);
    FUZZ_CHECK(decimal(whole) == ascii(std::to_string(whole).c_str()));

    // Error numbers through HRESULTs and back; report text around the number.
    const auto number = static_cast<int32_t>(whole);
    const int32_t hresult = hresultFromError(number);
    if (number > 0 && number <= 0xFFFF) {
        FUZZ_CHECK(hresult < 0 && errorFromHresult(hresult) == number);
    } else {
        FUZZ_CHECK(hresult == number);
    }
    const int32_t back = errorFromHresult(number);
    FUZZ_CHECK(back == number || (back > 0 && back <= 0xFFFF));
    const RuntimeError error(number);
    FUZZ_CHECK(usualReportText(number, error.description()) ==
               u"Error: " + decimal(number) + u". " + standardDescription(number));
    return 0;
}
