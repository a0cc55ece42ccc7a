// COSInfo's window-free logic, exactly.
#include "sondrel/os_info_core.h"

#include <gtest/gtest.h>

#include <cstring>

#include "common/testing/error_of.h"

using frame::testing::errorOf;
using namespace sondrel;

namespace {

TEST(TrimNulls, CutsBeforeTheFirstNul) {
    using namespace std::string_view_literals;
    EXPECT_EQ(trimNulls(u"C:\\windows"sv), u"C:\\windows");
    EXPECT_EQ(trimNulls(u"\0abc"sv), u"");
    EXPECT_EQ(trimNulls(u"ab\0cd\0"sv), u"ab");
    EXPECT_EQ(trimNulls(u""sv), u"");
    EXPECT_EQ(trimNulls(u"   "sv), u"   ");  // a buffer of spaces the call left alone
}

TEST(GuidText, UpperCaseHexWithoutLeadingZerosAndThreeHyphens) {
    EXPECT_EQ(guidText({0x4260EBE1, 0x80A2, 0x4001, {0xBE, 0xD1, 0x75, 0xBF, 0x29, 0xD8, 0xA2, 0xE3}}),
              u"{4260EBE1-80A2-4001-BED175BF29D8A2E3}");
    EXPECT_EQ(guidText({0x0000ABCD, 0x000F, 0x0000, {0x00, 0x01, 0x10, 0x0A, 0xFF, 0x00, 0x00, 0x00}}),
              u"{ABCD-F-0-0110AFF000}");
    const std::u16string longest =
        guidText({0xFFFFFFFF, 0xFFFF, 0xFFFF, {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}});
    EXPECT_EQ(longest.size(), 37u);
    EXPECT_EQ(guidText({0, 0, 0, {}}), u"{0-0-0-00000000}");
}

// A registry value's data as the registry answers a read: too small a
// buffer is a failed read, as ERROR_MORE_DATA is.
struct StoredData {
    std::vector<uint8_t> bytes;
    bool fails = false;
    uint32_t offered = 0;  // the buffer size the decoder offered
    RegistryRead reader() {
        return [this](void* buffer, uint32_t& size) {
            offered = size;
            if (fails || size < bytes.size()) return false;
            std::memcpy(buffer, bytes.data(), bytes.size());
            size = static_cast<uint32_t>(bytes.size());
            return true;
        };
    }
};

std::vector<uint8_t> bytesOf(std::string_view text) { return {text.begin(), text.end()}; }

TEST(RegistryValue, TextIsCutAtItsTerminatorOrAnInnerNul) {
    using namespace std::string_view_literals;
    const struct {
        std::string_view data;
        std::string expected;
    } cases[] = {
        {"Acme Ltd\0"sv, "Acme Ltd"},
        {"Acme\0Ltd\0"sv, "Acme"},
        {"NoTerminator"sv, "NoTerminator"},
        {"\0"sv, ""},
        {"x"sv, "x"},
    };
    for (const auto& c : cases) {
        StoredData stored{bytesOf(c.data)};
        const auto size = static_cast<uint32_t>(c.data.size());
        const RegistryValue value = decodeRegistryValue(kRegSz, size, stored.reader());
        ASSERT_TRUE(std::holds_alternative<std::string>(value)) << c.expected;
        EXPECT_EQ(std::get<std::string>(value), c.expected);
        EXPECT_EQ(stored.offered, size);
    }
    StoredData none{};
    EXPECT_EQ(std::get<std::string>(decodeRegistryValue(kRegSz, 0, none.reader())), "");
    // The value grew between the size query and the read.
    StoredData grown{bytesOf("longer now")};
    EXPECT_TRUE(std::holds_alternative<std::monostate>(decodeRegistryValue(kRegSz, 4, grown.reader())));
    StoredData text{bytesOf("a larger text than any fixed buffer would hold: " + std::string(70000, 'z'))};
    const auto big = decodeRegistryValue(kRegSz, static_cast<uint32_t>(text.bytes.size()), text.reader());
    EXPECT_EQ(std::get<std::string>(big).size(), text.bytes.size());
}

TEST(RegistryValue, BinaryIsABytesArrayOneLongerThanTheData) {
    StoredData one{{0x41}};
    EXPECT_EQ(std::get<std::vector<uint8_t>>(decodeRegistryValue(kRegBinary, 1, one.reader())),
              (std::vector<uint8_t>{0x41, 0}));
    EXPECT_EQ(one.offered, 1u);
    StoredData empty{};
    EXPECT_TRUE(std::get<std::vector<uint8_t>>(decodeRegistryValue(kRegBinary, 0, empty.reader())).empty());
    StoredData failing{{1, 2}, true};
    EXPECT_TRUE(std::holds_alternative<std::monostate>(decodeRegistryValue(kRegBinary, 2, failing.reader())));
}

TEST(RegistryValue, DwordIsALongReadIntoFourBytesOnly) {
    StoredData number{{0x39, 0x30, 0, 0}};
    EXPECT_EQ(std::get<int32_t>(decodeRegistryValue(kRegDword, 4, number.reader())), 12345);
    StoredData negative{{0xFF, 0xFF, 0xFF, 0xFF}};
    EXPECT_EQ(std::get<int32_t>(decodeRegistryValue(kRegDword, 4, negative.reader())), -1);
    // Eight bytes stored as REG_DWORD do not fit the Long: the read fails, nothing is overrun.
    StoredData oversized{{1, 0, 0, 0, 0, 0, 0, 0}};
    EXPECT_TRUE(std::holds_alternative<std::monostate>(decodeRegistryValue(kRegDword, 8, oversized.reader())));
    EXPECT_EQ(oversized.offered, 4u);
    StoredData shortData{{7}};
    EXPECT_EQ(std::get<int32_t>(decodeRegistryValue(kRegDword, 1, shortData.reader())), 7);
}

TEST(RegistryValue, OtherTypesAreEmptyWithoutARead) {
    for (uint32_t type : {0u, 2u, 5u, 7u, 11u, 0xFFFFu}) {
        StoredData stored{bytesOf("data")};
        EXPECT_TRUE(std::holds_alternative<std::monostate>(decodeRegistryValue(type, 4, stored.reader())));
        EXPECT_EQ(stored.offered, 0u);
    }
}

std::u16string latin1(std::string_view text) { return std::u16string(text.begin(), text.end()); }

TEST(RegistryValue, AsTextEmptyIsEmptyANumberItsDecimalAndBytesTheirCodeUnits) {
    EXPECT_EQ(registryText(RegistryValue{}, latin1), u"");
    EXPECT_EQ(registryText(RegistryValue{int32_t{-2147483647 - 1}}, latin1), u"-2147483648");
    EXPECT_EQ(registryText(RegistryValue{int32_t{42}}, latin1), u"42");
    EXPECT_EQ(registryText(RegistryValue{std::string("Acme")}, latin1), u"Acme");
    EXPECT_EQ(registryText(RegistryValue{std::vector<uint8_t>{0x41, 0, 0x42, 0x20, 0}}, latin1), u"A\u2042");
    EXPECT_EQ(registryText(RegistryValue{std::vector<uint8_t>{0x41, 0}}, latin1), u"A");
    EXPECT_EQ(registryText(RegistryValue{std::vector<uint8_t>{}}, latin1), u"");
}

TEST(DisplayColors, TwoToTheDepthWithThirtyTwoBitsAsMinusOne) {
    const struct {
        int32_t bits, planes, colors;
    } cases[] = {{1, 1, 2}, {4, 1, 16}, {8, 1, 256}, {1, 8, 256}, {16, 1, 65536}, {24, 1, 16777216},
                 {32, 1, -1}, {16, 2, -1}, {0, 1, 1}, {30, 1, 1073741824}, {-1, 1, 0}};
    for (const auto& c : cases) EXPECT_EQ(displayColors(c.bits, c.planes), c.colors) << c.bits << "x" << c.planes;
    for (auto [bits, planes] : {std::pair{31, 1}, {33, 1}, {64, 1}, {0x10000, 0x10000}})
        EXPECT_EQ(errorOf([bits = bits, planes = planes] { displayColors(bits, planes); }), frame::errOverflow)
            << bits << "x" << planes;  // init-captures: clang 14 cannot capture a structured binding
}

TEST(OsBuild, KeepsTheLowFifteenBits) {
    EXPECT_EQ(osBuild(7601), 7601);
    EXPECT_EQ(osBuild(0x040A08AE), 0x08AE);
    EXPECT_EQ(osBuild(0xFFFFFFFF), 32767);
    EXPECT_EQ(osBuild(40000), 40000 - 32768);
}

TEST(WorkArea, WidthAndHeightInOrderUntilAValueOverflows) {
    int16_t left = -1, top = -1, width = -1, height = -1;
    assignWorkArea({0, 0, 1280, 994}, left, top, width, height);
    EXPECT_EQ(std::vector<int16_t>({left, top, width, height}), std::vector<int16_t>({0, 0, 1280, 994}));
    assignWorkArea({-100, 30, 1820, 1054}, left, top, width, height);
    EXPECT_EQ(std::vector<int16_t>({left, top, width, height}), std::vector<int16_t>({-100, 30, 1920, 1024}));

    const struct {
        WorkAreaRect area;
        std::vector<int16_t> after;  // starting from 1, 2, 3, 4
    } overflowing[] = {
        {{40000, 0, 40100, 100}, {1, 2, 3, 4}},
        {{0, -32769, 100, 0}, {0, 2, 3, 4}},
        {{-20000, 0, 20000, 100}, {-20000, 0, 3, 4}},
        {{0, -20000, 100, 20000}, {0, -20000, 100, 4}},
        {{-100, 0, INT32_MAX, 0}, {-100, 0, 3, 4}},  // right - left beyond 32 bits
        {{0, 0, 10, INT32_MAX}, {0, 0, 10, 4}},
    };
    for (const auto& c : overflowing) {
        int16_t l = 1, t = 2, w = 3, h = 4;
        EXPECT_EQ(errorOf([&] { assignWorkArea(c.area, l, t, w, h); }), frame::errOverflow);
        EXPECT_EQ(std::vector<int16_t>({l, t, w, h}), c.after);
    }
}

}  // namespace
