#pragma once
// Text across the operating-system boundary (the ANSI code page) and the
// automation rules for turning a variant into text.
#include <windows.h>
#include <oleauto.h>

#include <string>
#include <string_view>

#include "common/com.h"

namespace frame {

std::string toAnsi(std::u16string_view text);
std::u16string fromAnsi(std::string_view text);
// A buffer an "A" function filled, up to its first null character.
std::u16string fromAnsiBuffer(const char* buffer, size_t capacity);

// Text of a variant as concatenation gives it: a string unchanged, numbers,
// dates and booleans in their text form, empty and null as the empty string.
// Arrays and objects without a value raise type mismatch.
std::u16string variantText(const VARIANT& value);

// A copy of a by-reference String argument; an absent one reads as empty.
inline std::u16string textOf(BSTR* text) { return text ? std::u16string(Bstr::view(*text)) : std::u16string(); }
// Assigns a by-reference String argument: the caller's variable gets the text.
inline void assignText(BSTR* target, std::u16string_view text) {
    if (!target) return;
    Bstr value(text);
    SysFreeString(*target);
    *target = value.detach();
}

}  // namespace frame
