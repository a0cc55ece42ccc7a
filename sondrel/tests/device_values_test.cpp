// The device classes' conversions and updates, without the operating system.
#include <gtest/gtest.h>

#include <vector>

#include "common/convert.h"
#include "common/testing/error_of.h"
#include "sondrel/device_values.h"

using namespace sondrel;
using frame::testing::errorOf;

namespace {

TEST(Conversions, SixteenBitFieldsAreSignExtended) {
    EXPECT_EQ(signExtend16(0xFFFF), -1);  // PROCESSOR_ARCHITECTURE_UNKNOWN is cmiUnknown
    EXPECT_EQ(signExtend16(0x8F0A), -28918);
    EXPECT_EQ(signExtend16(0x7FFF), 32767);
    EXPECT_EQ(signExtend16(0x8000), -32768);
    EXPECT_EQ(signExtend16(9), 9);
}

TEST(Conversions, AddressesKeepTheirBitsAndNeverTruncate) {
    EXPECT_EQ(addressBits(uint64_t{0x7FFEFFFF}), 2147418111);
    EXPECT_EQ(addressBits(uint64_t{0xFFFEFFFF}), -65537);
    EXPECT_EQ(addressBits(uint64_t{0xFFFFFFFF}), -1);
    EXPECT_EQ(addressBits(reinterpret_cast<const void*>(uintptr_t{0x10000})), 0x10000);
    // A 64-bit process's top address: its low bits would read as a plausible 32-bit limit.
    EXPECT_EQ(errorOf([] { addressBits(uint64_t{0x7FFFFFFEFFFF}); }), frame::errOverflow);
    EXPECT_EQ(errorOf([] { addressBits(uint64_t{0x100000000}); }), frame::errOverflow);
}

TEST(Conversions, SlowMachineIsThreeIndependentFlags) {
    struct Case {
        int32_t metric;
        bool slow, low, graphics;
    } cases[] = {{0, false, false, false}, {1, true, false, false}, {2, false, true, false},
                 {4, false, false, true},  {7, true, true, true},   {8, false, false, false}};
    for (const Case& c : cases) {
        EXPECT_EQ(flagSet(c.metric, slowMachine), c.slow) << c.metric;
        EXPECT_EQ(flagSet(c.metric, lowMemory), c.low) << c.metric;
        EXPECT_EQ(flagSet(c.metric, slowGraphics), c.graphics) << c.metric;
    }
}

TEST(Conversions, KeyStateSignBitIsPressedBitZeroIsToggled) {
    struct Case {
        uint16_t state;
        bool down, on;
    } cases[] = {{0xFF81, true, true}, {0x0001, false, true}, {0xFF80, true, false}, {0x0000, false, false},
                 {0x8000, true, false}, {0x0002, false, false}};
    for (const Case& c : cases) {
        EXPECT_EQ(pressed(static_cast<int16_t>(c.state)), c.down) << std::hex << c.state;
        EXPECT_EQ(toggled(static_cast<int16_t>(c.state)), c.on) << std::hex << c.state;
    }
}

TEST(Conversions, SixteenBitReadingsNarrowWithOverflow) {
    // What the Integer rows do with a 32-bit reading: a caret that does not
    // blink (0xFFFFFFFF) is -1; 40000 milliseconds does not fit.
    EXPECT_EQ(frame::narrow<int16_t>(frame::asLong(0xFFFFFFFFu)), -1);
    EXPECT_EQ(frame::narrow<int16_t>(frame::asLong(530u)), 530);
    EXPECT_EQ(errorOf([] { frame::narrow<int16_t>(frame::asLong(40000u)); }), frame::errOverflow);
    EXPECT_EQ(errorOf([] { frame::narrow<int16_t>(frame::asLong(0xFFFF7FFFu)); }), frame::errOverflow);
}

struct MouseCase {
    MouseElement element;
    int32_t value;
    bool readSucceeds;
    MouseArray written;
};

TEST(MouseArrayUpdate, ReplacesOneElementAndKeepsTheOthersAsRead) {
    const MouseCase cases[] = {
        {MouseElement::threshold1, 6, true, {10, 6, 1}},
        {MouseElement::speed, 2, true, {2, 4, 1}},
        {MouseElement::threshold2, -5, true, {10, 4, -5}},
        // A refused read leaves the fresh array at zero.
        {MouseElement::threshold1, 6, false, {0, 6, 0}},
    };
    for (const MouseCase& c : cases) {
        std::vector<MouseArray> writes;
        updateMouseArray(
            c.element, c.value,
            [&](MouseArray& array) {
                if (c.readSucceeds) array = {10, 4, 1};
            },
            [&](const MouseArray& array) { writes.push_back(array); });
        ASSERT_EQ(writes.size(), 1u);
        EXPECT_EQ(writes[0], c.written) << static_cast<int>(c.element) << " " << c.value;
    }
}

TEST(KeyTableUpdate, OnlyTheToggleBitOfTheOneKeyChanges) {
    struct Case {
        uint8_t before;
        bool on;
        uint8_t after;
    } cases[] = {{0x80, true, 0x81}, {0x81, false, 0x80}, {0x01, true, 0x01}, {0x00, false, 0x00}, {0xFF, false, 0xFE}};
    for (const Case& c : cases) {
        KeyTable read{};
        for (size_t i = 0; i < read.size(); ++i) read[i] = static_cast<uint8_t>(i * 7);
        read[0x14] = c.before;
        KeyTable written{};
        updateToggle(0x14, c.on, [&](KeyTable& table) { table = read; }, [&](const KeyTable& table) { written = table; });
        KeyTable expected = read;
        expected[0x14] = c.after;
        EXPECT_EQ(written, expected) << int(c.before) << " " << c.on;
    }
}

TEST(KeyTableUpdate, ARefusedReadWritesOnlyTheOneToggleBit) {
    KeyTable written{};
    written.fill(0xAA);
    updateToggle(0x90, true, [](KeyTable&) {}, [&](const KeyTable& table) { written = table; });
    KeyTable expected{};
    expected[0x90] = 0x01;
    EXPECT_EQ(written, expected);
}

TEST(KeyTableUpdate, KeyCodeOutsideTheTableIsSubscriptOutOfRangeAndWritesNothing) {
    for (int16_t code : {int16_t{-1}, int16_t{256}, int16_t{32767}}) {
        int writes = 0;
        EXPECT_EQ(errorOf([&] { updateToggle(code, true, [](KeyTable&) {}, [&](const KeyTable&) { ++writes; }); }),
                  frame::errSubscriptOutOfRange);
        EXPECT_EQ(writes, 0);
    }
    int writes = 0;
    updateToggle(255, true, [](KeyTable&) {}, [&](const KeyTable&) { ++writes; });
    EXPECT_EQ(writes, 1);
}

}  // namespace
