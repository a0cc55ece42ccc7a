#pragma once
// Numeric conversions with the automation rules: narrowing raises overflow
// (run-time error 6) and rounding goes half to even.
#include <cmath>
#include <cstdint>
#include <limits>
#include <type_traits>
#include <utility>

#include "common/errors.h"

namespace frame {

// Nearest integer, ties to the even one (the rounding of every automation
// conversion from floating point to an integer type).
inline double roundHalfEven(double value) {
    const double floor = std::floor(value);
    const double diff = value - floor;
    if (diff > 0.5) return floor + 1.0;
    if (diff < 0.5) return floor;
    return std::fmod(floor, 2.0) == 0.0 ? floor : floor + 1.0;
}

// An integer into a narrower integer type; out of range is run-time error 6.
template <typename To, typename From>
To narrow(From value) {
    static_assert(std::is_integral_v<To>);
    if constexpr (std::is_integral_v<From>) {
        if (!std::in_range<To>(value)) raise(errOverflow);
        return static_cast<To>(value);
    } else {
        // The bounds as powers of two, exact in a double: the maximum of a
        // 64-bit type is not, and would round up to a value that does not fit.
        using Limits = std::numeric_limits<To>;
        const double rounded = roundHalfEven(static_cast<double>(value));
        if (!(rounded >= std::ldexp(Limits::is_signed ? -1.0 : 0.0, Limits::digits) &&
              rounded < std::ldexp(1.0, Limits::digits)))
            raise(errOverflow);
        return static_cast<To>(rounded);
    }
}

// A 32-bit unsigned reading returned bit for bit as a signed Long.
inline int32_t asLong(uint32_t bits) { return static_cast<int32_t>(bits); }

}  // namespace frame
