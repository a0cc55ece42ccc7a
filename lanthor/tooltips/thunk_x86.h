#pragma once
// The 32-bit window-procedure block: its bytes and its patch points. Pure
// byte work, so the decoding and the displacement arithmetic are tested
// natively; the Win32 side only copies the bytes into executable memory.
#include <array>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <string_view>

namespace lanthor::thunk_x86 {

inline constexpr std::size_t kSize = 197;

// Patch offsets into the block.
inline constexpr std::size_t kEnvironmentCall = 18;   // relative, never run
inline constexpr std::size_t kUnsubclassPrevious = 68;  // absolute
inline constexpr std::size_t kSetWindowLongCall = 78;   // relative
inline constexpr std::size_t kBeforeTable = 88;         // absolute
inline constexpr std::size_t kBeforeCount = 93;         // absolute
inline constexpr std::size_t kPreviousProc = 116;       // absolute
inline constexpr std::size_t kCallWindowProcCall = 121; // relative
inline constexpr std::size_t kAfterTable = 132;         // absolute
inline constexpr std::size_t kAfterCount = 137;         // absolute
inline constexpr std::size_t kObject = 186;             // absolute

// The block as the 394 hexadecimal digits it is published as.
extern const std::string_view kTemplateHex;

using Block = std::array<std::uint8_t, kSize>;

// A literal that is not 2 * kSize hexadecimal digits.
struct MalformedTemplate : std::exception {
    const char* what() const noexcept override { return "malformed window-procedure block"; }
};

// Byte i is the two digits at 2i and 2i+1.
Block decodeTemplate(std::string_view hex = kTemplateHex);

// Absolute patch: the value itself, little-endian.
void patchAbsolute(std::uint8_t* block, std::size_t offset, std::uint32_t value);
// Relative patch: the near-call displacement from the block at blockAddress
// to target (target - (blockAddress + offset) - 4, modulo 2^32).
void patchRelative(std::uint8_t* block, std::size_t offset, std::uint32_t blockAddress,
                   std::uint32_t target);
std::uint32_t readPatch(const std::uint8_t* block, std::size_t offset);

// The patches of one window's block, each at the address the block runs at.
void patchObject(Block& templ, std::uint32_t object);
// previousCall: where the previous-procedure call goes; CallWindowProcA or a
// function taking the same arguments.
void patchPrevious(std::uint8_t* block, std::uint32_t blockAddress, std::uint32_t previous,
                   std::uint32_t setWindowLong, std::uint32_t previousCall);
void patchTable(std::uint8_t* block, bool before, std::uint32_t firstSlot);
void patchCount(std::uint8_t* block, bool before, std::int32_t count);

}  // namespace lanthor::thunk_x86
