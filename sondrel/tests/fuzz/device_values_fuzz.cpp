// The device conversions and updates: a 16-bit field keeps its sign, an
// address comes back bit for bit or is Overflow, a mouse-array update
// changes its one element, a toggle its one bit, and a key code outside the
// table is error 9 before anything is written.
#include "common/testing/fuzz.h"
#include "sondrel/device_values.h"

using namespace sondrel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    const auto bits = in.ConsumeIntegral<std::uint16_t>();
    FUZZ_CHECK(signExtend16(bits) == (bits < 0x8000 ? bits : bits - 0x10000));
    const std::int16_t keyState = static_cast<std::int16_t>(bits);
    FUZZ_CHECK(pressed(keyState) == ((bits & 0x8000) != 0) && toggled(keyState) == ((bits & 1) != 0));

    const std::uint64_t address = in.ConsumeBool() ? in.ConsumeIntegral<std::uint32_t>() : in.ConsumeIntegral<std::uint64_t>();
    std::int32_t asLong = 0;
    const int error = frame::fuzz::errorOf([&] { asLong = addressBits(address); });
    FUZZ_CHECK(address > 0xFFFFFFFFu ? error == frame::errOverflow
                                     : error == 0 && static_cast<std::uint32_t>(asLong) == address);
    const std::int32_t flags = in.ConsumeIntegral<std::int32_t>();
    for (SlowMachineFlag f : {slowMachine, lowMemory, slowGraphics}) FUZZ_CHECK(flagSet(flags, f) == ((flags & f) == f));

    // What the system hands back, or a refused read that leaves zeros.
    const bool refused = in.ConsumeBool();
    MouseArray system{in.ConsumeIntegral<std::int32_t>(), in.ConsumeIntegral<std::int32_t>(), in.ConsumeIntegral<std::int32_t>()};
    const auto element = static_cast<MouseElement>(in.ConsumeIntegralInRange(0, 2));
    const std::int32_t value = in.ConsumeIntegral<std::int32_t>();
    MouseArray written{};
    int writes = 0;
    updateMouseArray(element, value, [&](MouseArray& a) { if (!refused) a = system; },
                     [&](const MouseArray& a) { written = a, ++writes; });
    for (size_t k = 0; k < 3; ++k)
        FUZZ_CHECK(written[k] == (k == static_cast<size_t>(element) ? value : refused ? 0 : system[k]));
    FUZZ_CHECK(writes == 1);

    KeyTable keys{};
    for (std::uint8_t& k : keys) k = in.ConsumeIntegral<std::uint8_t>();
    const auto keyCode = in.ConsumeIntegral<std::int16_t>();
    const bool on = in.ConsumeBool();
    KeyTable after{};
    writes = 0;
    const int keyError = frame::fuzz::errorOf([&] {
        updateToggle(keyCode, on, [&](KeyTable& t) { if (!refused) t = keys; }, [&](const KeyTable& t) { after = t, ++writes; });
    });
    if (keyCode < 0 || keyCode > 255) {
        FUZZ_CHECK(keyError == frame::errSubscriptOutOfRange && writes == 0);
        return 0;
    }
    FUZZ_CHECK(keyError == 0 && writes == 1);
    for (int k = 0; k < 256; ++k) {
        const std::uint8_t read = refused ? 0 : keys[k];
        FUZZ_CHECK(after[k] == (k == keyCode ? (on ? read | 1 : read & 0xFE) : read));
    }
    return 0;
}
