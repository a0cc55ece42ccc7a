#pragma once
// The character-for-code substitution of cSimpleCrypt. Window-system free:
// the message-pump pass is a callback the COM class supplies.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace keldrun {

// One pass over the calling thread's pending window messages. Encode calls
// it twice per character, DeCode twice per three-character group; host code
// may run inside it and call the cipher again.
using PumpPass = std::function<void()>;

inline constexpr std::size_t kCodeLength = 3;
inline constexpr std::size_t kTableSize = 93;

// The plain character at table index i and its code. The table is part of
// the security-file format: it never changes.
char16_t tablePlain(std::size_t index);
std::u16string_view tableCode(std::size_t index);

// The code of a covered character; nullopt for every other character.
std::optional<std::u16string_view> codeOf(char16_t plain);
// The plain character of a three-character group; nullopt when it is no code.
std::optional<char16_t> plainOf(std::u16string_view group);

// Both raise frame::RuntimeError(6, "Overflow") when the text is too long
// for the 16-bit position counter (32 767 characters and more); nothing
// converted so far is returned then.
std::u16string encode(std::u16string_view text, const PumpPass& pump);
std::u16string decode(std::u16string_view text, const PumpPass& pump);

}  // namespace keldrun
