// The utilities' window-free parts: the exchange sort orders any rows (a
// permutation, ascending) or overflows before comparing when the 16-bit
// positions cannot hold them; registry data is cut as documented and a
// number value's text reads back as the little-endian number of its bytes.
#include <algorithm>
#include <numeric>

#include "common/testing/fuzz.h"
#include "lanthor/utilities/exchange_sort.h"
#include "lanthor/utilities/system_texts.h"

using namespace lanthor;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    const uint32_t platform = in.ConsumeIntegralInRange(0, 3), major = in.ConsumeIntegralInRange(0, 6);
    const std::u16string name = windowsName(platform, major, in.ConsumeIntegralInRange(0, 100));
    FUZZ_CHECK((platform == 1 || platform == 2) ? name != u"FAILED" : name == u"FAILED");

    const std::string buffer = in.ConsumeRandomLengthString(12);
    const uint32_t dataSize = in.ConsumeIntegralInRange(0, 16);
    std::string_view trimmed;
    const int error = frame::fuzz::errorOf([&] { trimmed = trimmedData(buffer, dataSize); });
    FUZZ_CHECK(error == (dataSize == 0 ? frame::errInvalidProcedureCall : 0));
    if (dataSize != 0) {
        const size_t kept = std::min<size_t>(dataSize, buffer.size());
        const bool terminated = kept == dataSize && buffer[kept - 1] == '\0';
        FUZZ_CHECK(trimmed == std::string_view(buffer).substr(0, kept - terminated));
        const std::u16string text = numberValueText(buffer, dataSize);
        uint64_t number = 0;
        for (size_t k = std::min<size_t>(kept, 4); k-- > 0;) number = number << 8 | static_cast<unsigned char>(buffer[k]);
        const std::string digits(text.begin() + 2, text.end());
        FUZZ_CHECK(text.starts_with(u"&h") && std::stoull(digits, nullptr, 16) == number &&
                   (digits == "0" || digits[0] != '0') && std::none_of(digits.begin(), digits.end(), ::islower));
    }

    // Rows of a few distinct values, or a table too long for 16-bit positions.
    const bool tooLong = in.ConsumeIntegralInRange(0, 15) == 15;
    std::vector<int> rows(tooLong ? in.ConsumeIntegralInRange<size_t>(32769, 33000) : in.ConsumeIntegralInRange<size_t>(0, 60));
    if (!tooLong) std::generate(rows.begin(), rows.end(), [&] { return in.ConsumeIntegralInRange(0, 9); });
    std::vector<int> sorted = rows;
    int comparisons = 0;
    const int sortError = frame::fuzz::errorOf([&] {
        exchangeSort(sorted.size(), [&](size_t i, size_t j) { return ++comparisons, sorted[i] > sorted[j]; },
                     [&](size_t i, size_t j) { std::swap(sorted[i], sorted[j]); });
    });
    if (tooLong) {
        FUZZ_CHECK(sortError == frame::errOverflow && comparisons == 0);
    } else {
        std::sort(rows.begin(), rows.end());
        FUZZ_CHECK(sortError == 0 && sorted == rows);
        FUZZ_CHECK(comparisons == static_cast<int>(rows.size() * (rows.size() - std::min<size_t>(rows.size(), 1)) / 2));
    }
    return 0;
}
