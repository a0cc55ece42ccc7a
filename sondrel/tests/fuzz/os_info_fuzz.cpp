// COSInfo's computations: GUID text as printf would write it, registry
// values decoded from any type, size and data without a read past its
// buffer, their text, colour counts and the work area's partial assignment.
#include <cmath>
#include <cstdio>
#include <cstring>

#include "common/testing/fuzz.h"
#include "sondrel/os_info_core.h"

using namespace sondrel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    GuidFields guid{in.ConsumeIntegral<uint32_t>(), in.ConsumeIntegral<uint16_t>(), in.ConsumeIntegral<uint16_t>(), {}};
    char expected[64];
    int at = std::snprintf(expected, sizeof expected, "{%X-%X-%X-", guid.data1, guid.data2, guid.data3);
    for (uint8_t& b : guid.data4) at += std::snprintf(expected + at, sizeof expected - at, "%X", b = in.ConsumeIntegral<uint8_t>());
    const std::u16string text = guidText(guid);
    FUZZ_CHECK(std::string(text.begin(), text.end()) == std::string(expected) + "}");

    // The registry's answer: a value of this type and these bytes; a read
    // with less room than the data fails, as RegQueryValueEx does.
    const uint32_t type = in.ConsumeIntegralInRange(0, 5);
    const std::string bytes = in.ConsumeRandomLengthString(24);
    const uint32_t reported = in.ConsumeBool() ? static_cast<uint32_t>(bytes.size()) : in.ConsumeIntegralInRange(0u, 30u);
    const RegistryValue value = decodeRegistryValue(type, reported, [&](void* buffer, uint32_t& room) {
        const bool fits = bytes.size() <= room;
        if (fits) std::memcpy(buffer, bytes.data(), bytes.size());
        room = static_cast<uint32_t>(bytes.size());
        return fits;
    });
    const bool fits = bytes.size() <= (type == kRegDword ? 4 : reported);
    if (type == kRegSz && reported != 0 && fits) {
        FUZZ_CHECK(std::get<std::string>(value) == bytes.substr(0, bytes.find('\0')));
    } else if (type == kRegBinary && reported != 0 && fits) {
        const auto& read = std::get<std::vector<uint8_t>>(value);
        FUZZ_CHECK(read.size() == reported + 1 && read.back() == 0 &&
                   std::memcmp(bytes.data(), read.data(), bytes.size()) == 0);
        const std::u16string units = registryText(value, nullptr);
        FUZZ_CHECK(units.size() == (reported + 1) / 2);  // the array has the extra 0
    } else if (type == kRegDword && fits) {
        int32_t number = 0;
        std::memcpy(&number, bytes.data(), bytes.size());
        FUZZ_CHECK(std::get<int32_t>(value) == number);
        const std::u16string decimal = registryText(value, nullptr);
        FUZZ_CHECK(std::string(decimal.begin(), decimal.end()) == std::to_string(number));
    } else if (reported == 0 && (type == kRegSz || type == kRegBinary)) {
        FUZZ_CHECK(registryText(value, [](std::string_view) { return std::u16string(u"?"); }) == (type == kRegSz ? u"?" : u""));
    } else {
        FUZZ_CHECK(std::holds_alternative<std::monostate>(value) && registryText(value, nullptr).empty());
    }
    FUZZ_CHECK(trimNulls(text + u'\0' + text) == text);

    const int32_t bits = in.ConsumeIntegralInRange(-40, 40), planes = in.ConsumeBool() ? 1 : in.ConsumeIntegral<int32_t>();
    int32_t colours = 0;
    const int error = frame::fuzz::errorOf([&] { colours = displayColors(bits, planes); });
    const int64_t depth = int64_t{bits} * planes;
    if (depth == 32) FUZZ_CHECK(error == 0 && colours == -1);
    else if (depth > 30 || depth < INT32_MIN) FUZZ_CHECK(error == frame::errOverflow);
    else FUZZ_CHECK(error == 0 && colours == (depth >= 0 ? 1 << depth : 0));

    // Assigned in order; the one that overflows and those after it keep their values.
    const WorkAreaRect area{in.ConsumeIntegral<int32_t>(), in.ConsumeIntegral<int32_t>(), in.ConsumeIntegral<int32_t>(),
                            in.ConsumeIntegral<int32_t>()};
    int16_t fields[4] = {11, 22, 33, 44};
    const int64_t wanted[4] = {area.left, area.top, int64_t{area.right} - area.left, int64_t{area.bottom} - area.top};
    const int areaError = frame::fuzz::errorOf([&] { assignWorkArea(area, fields[0], fields[1], fields[2], fields[3]); });
    bool fitSoFar = true;
    for (int k = 0; k < 4; ++k) {
        fitSoFar = fitSoFar && std::in_range<int16_t>(wanted[k]);
        FUZZ_CHECK(fields[k] == (fitSoFar ? wanted[k] : 11 * (k + 1)));
    }
    FUZZ_CHECK(areaError == (fitSoFar ? 0 : frame::errOverflow));
    return 0;
}
