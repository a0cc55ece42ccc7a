#pragma once
// The texts GetWindowsInformation gives, apart from the calls that read them:
// the system's name from its version numbers, and registry data as text.
#include <cstdint>
#include <string>
#include <string_view>

namespace lanthor {

// The system's name in upper case: "WINDOWS XP" for platform 2, version 5.1;
// empty for a version of a known platform without a name of its own, and
// "FAILED" for another platform.
std::u16string windowsName(uint32_t platformId, uint32_t major, uint32_t minor);

// The first `size` bytes of a value's data as a registry read returns them,
// less one terminating NUL. Data of size 0 has no text: run-time error 5.
std::string_view trimmedData(std::string_view buffer, uint32_t size);

// A 32-bit number value (its data little-endian, at most 4 bytes used) as
// "&h" and its hexadecimal digits, upper case, without leading zeros:
// "&h0", "&h1A", "&hFFFFFFFF". Data of size 0 is run-time error 5.
std::u16string numberValueText(std::string_view buffer, uint32_t size);

}  // namespace lanthor
