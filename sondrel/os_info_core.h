#pragma once
// What COSInfo computes from the operating system's answers, without the
// window system: text cut at NULs, GUID text, registry values decoded by
// type, colour counts, the build mask and the work area's assignment.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace sondrel {

// The text before its first NUL character; the whole text when it has none.
std::u16string trimNulls(std::u16string_view text);

// A GUID as its four fields read from memory.
struct GuidFields {
    uint32_t data1;
    uint16_t data2;
    uint16_t data3;
    uint8_t data4[8];
};

// "{" Data1 "-" Data2 "-" Data3 "-" Data4[0] ... Data4[7] "}", each number in
// upper-case hexadecimal without leading zeros, so the length varies.
std::u16string guidText(const GuidFields& guid);

// A registry value as COSInfo reads it: nothing (Empty), ANSI text, a byte
// array or a Long.
using RegistryValue = std::variant<std::monostate, std::string, std::vector<uint8_t>, int32_t>;

// Reads the value's data into a buffer of the given size in bytes; the size
// comes back as the data's. Returns whether the read succeeded.
using RegistryRead = std::function<bool(void* buffer, uint32_t& size)>;

enum : uint32_t { kRegSz = 1, kRegBinary = 3, kRegDword = 4 };

// Decodes a value whose type and size the registry reported: REG_SZ as its
// text up to the first NUL, REG_BINARY as bytes 0..size (one more than the
// data, the last 0), REG_DWORD as a Long, every other type as Empty. A failed
// read gives Empty. No read is given more room than its buffer has.
RegistryValue decodeRegistryValue(uint32_t type, uint32_t size, const RegistryRead& read);

// A registry value as a String: Empty gives "", a Long its decimal text, a
// byte array its bytes taken as UTF-16 code units (the automation
// conversion; an odd last byte has no character). ANSI text goes through
// the given conversion.
std::u16string registryText(const RegistryValue& value, std::u16string (*fromAnsi)(std::string_view));

// The number of colours of a display: 2 to the power bits x planes, -1 for
// 32 bits. A depth that a Long cannot count is an overflow error.
int32_t displayColors(int32_t bitsPerPixel, int32_t planes);

// The build number's low 15 bits.
int32_t osBuild(uint32_t buildNumber);

struct WorkAreaRect {
    int32_t left, top, right, bottom;
};

// Assigns left, top, width and height in this order, each narrowed to an
// Integer. A value out of range raises the overflow error: those assigned
// before it keep their new values, it and the later ones stay as they were.
void assignWorkArea(const WorkAreaRect& area, int16_t& left, int16_t& top, int16_t& width, int16_t& height);

}  // namespace sondrel
