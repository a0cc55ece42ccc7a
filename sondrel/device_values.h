#pragma once
// How the processor, mouse and keyboard classes turn the operating system's
// values into their results, and how they update the mouse-parameter array
// and the keyboard-state table. No window system here: the readings and
// writings are passed in.
#include <array>
#include <cstdint>

#include "common/errors.h"

namespace sondrel {

// A 16-bit field widened with its sign: 0xFFFF is -1, 0x8F0A is -28918.
inline int32_t signExtend16(uint16_t bits) { return static_cast<int16_t>(bits); }

// An address or processor mask as a 32-bit Long. The bits come back as they
// are while the value fits in 32 bits, as it always does in a 32-bit process;
// a 64-bit value above 0xFFFFFFFF has no Long form and is the overflow error,
// never a truncated number that would look like a true 32-bit one.
int32_t addressBits(uint64_t value);
inline int32_t addressBits(const void* address) { return addressBits(reinterpret_cast<uintptr_t>(address)); }

// The flags of the SM_SLOWMACHINE metric, one property each.
enum SlowMachineFlag : int32_t {
    slowMachine = 0x1,
    lowMemory = 0x2,
    slowGraphics = 0x4,
};
inline bool flagSet(int32_t value, SlowMachineFlag flag) { return (value & flag) != 0; }

// GetKeyState's 16-bit answer: the sign bit says the key is down, bit 0
// that a toggle key is on.
inline bool pressed(int16_t keyState) { return keyState < 0; }
inline bool toggled(int16_t keyState) { return (keyState & 1) != 0; }

// The mouse-parameter array of SPI_GETMOUSE and SPI_SETMOUSE, by the
// positions the properties use.
using MouseArray = std::array<int32_t, 3>;
enum class MouseElement { speed = 0, threshold1 = 1, threshold2 = 2 };

// Reads a fresh zero-filled array (a refused read leaves it zero), replaces
// one element and writes the array back. No value is checked or clamped.
template <class Read, class Write>
void updateMouseArray(MouseElement element, int32_t value, Read read, Write write) {
    MouseArray array{};
    read(array);
    array[static_cast<size_t>(element)] = value;
    write(array);
}

// The keyboard-state table of GetKeyboardState and SetKeyboardState.
using KeyTable = std::array<uint8_t, 256>;

// Switches one key's toggle bit: a fresh zero-filled table is read (its
// result ignored, so a refused read leaves zeros), the key's bit 0 set or
// cleared, every other bit written back as read. A key code outside 0..255
// is error 9 (subscript out of range), before anything is written.
template <class Read, class Write>
void updateToggle(int16_t keyCode, bool on, Read read, Write write) {
    KeyTable table{};
    read(table);
    if (keyCode < 0 || keyCode >= static_cast<int16_t>(table.size())) frame::raise(frame::errSubscriptOutOfRange);
    uint8_t& key = table[static_cast<size_t>(keyCode)];
    key = on ? static_cast<uint8_t>(key | 0x01) : static_cast<uint8_t>(key & 0xFE);
    write(table);
}

}  // namespace sondrel
