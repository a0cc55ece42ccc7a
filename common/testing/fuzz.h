#pragma once
// What the fuzz targets share: a check that keeps the failing input, and
// inputs taken from libFuzzer's bytes.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "common/testing/error_of.h"

// A failed check aborts, so libFuzzer reports it and writes the input out.
#define FUZZ_CHECK(condition) \
    ((condition) ? (void)0 : ::frame::fuzz::fail(#condition, __FILE__, __LINE__))

namespace frame::fuzz {

using frame::testing::errorOf;

[[noreturn]] inline void fail(const char* condition, const char* file, int line) {
    std::fprintf(stderr, "%s:%d: check failed: %s\n", file, line, condition);
    std::abort();
}

// UTF-16 text of up to maxLength units, two bytes each. A narrow alphabet
// (ASCII letters, space, '.', '\\', '/', NUL) when the next byte is odd, so
// that the characters the code looks for turn up often.
inline std::u16string text(FuzzedDataProvider& in, std::size_t maxLength) {
    static constexpr char16_t kAlphabet[] = u"ab.\\/ \0AZz~`";
    const bool narrow = in.ConsumeBool();
    std::u16string out(in.ConsumeIntegralInRange<std::size_t>(0, maxLength), u'\0');
    for (char16_t& c : out)
        c = narrow ? kAlphabet[in.ConsumeIntegralInRange<std::size_t>(0, std::size(kAlphabet) - 2)]
                   : in.ConsumeIntegral<char16_t>();
    return out;
}

}  // namespace frame::fuzz
