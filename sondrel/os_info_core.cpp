#include "sondrel/os_info_core.h"

#include <algorithm>

#include "common/convert.h"

namespace sondrel {
namespace {

void appendHex(std::u16string& text, uint32_t value) {
    char16_t digits[8];
    int count = 0;
    do {
        digits[count++] = u"0123456789ABCDEF"[value & 0xF];
        value >>= 4;
    } while (value != 0);
    while (count > 0) text += digits[--count];
}

}  // namespace

std::u16string trimNulls(std::u16string_view text) { return std::u16string(text.substr(0, text.find(u'\0'))); }

std::u16string guidText(const GuidFields& guid) {
    std::u16string text = u"{";
    appendHex(text, guid.data1);
    text += u'-';
    appendHex(text, guid.data2);
    text += u'-';
    appendHex(text, guid.data3);
    text += u'-';
    for (uint8_t byte : guid.data4) appendHex(text, byte);
    text += u'}';
    return text;
}

RegistryValue decodeRegistryValue(uint32_t type, uint32_t size, const RegistryRead& read) {
    switch (type) {
        case kRegSz: {
            if (size == 0) return std::string();
            std::string text(size, '\0');
            uint32_t readSize = size;
            if (!read(text.data(), readSize)) return {};
            // Up to the terminator, and never past what the read delivered.
            text.resize(std::min({text.find('\0'), size_t{readSize}, text.size()}));
            return text;
        }
        case kRegBinary: {
            if (size == 0) return std::vector<uint8_t>();
            std::vector<uint8_t> bytes(static_cast<size_t>(size) + 1, 0);
            uint32_t readSize = size;
            if (!read(bytes.data(), readSize)) return {};
            return bytes;
        }
        case kRegDword: {
            int32_t value = 0;
            uint32_t readSize = sizeof(value);
            if (!read(&value, readSize)) return {};
            return value;
        }
        default:
            return {};
    }
}

std::u16string registryText(const RegistryValue& value, std::u16string (*fromAnsi)(std::string_view)) {
    if (const auto* text = std::get_if<std::string>(&value)) return fromAnsi(*text);
    if (const auto* number = std::get_if<int32_t>(&value)) {
        const std::string digits = std::to_string(*number);
        return std::u16string(digits.begin(), digits.end());
    }
    std::u16string text;
    if (const auto* bytes = std::get_if<std::vector<uint8_t>>(&value)) {
        for (size_t k = 0; k + 1 < bytes->size(); k += 2)
            text += static_cast<char16_t>((*bytes)[k] | ((*bytes)[k + 1] << 8));
    }
    return text;
}

int32_t displayColors(int32_t bitsPerPixel, int32_t planes) {
    const int32_t depth = frame::narrow<int32_t>(int64_t{bitsPerPixel} * planes);
    if (depth == 32) return -1;
    // 2^-1 rounds (half to even) to 0 as every smaller power does; 2^31 and
    // above overflow a Long.
    if (depth < 0) return 0;
    return frame::narrow<int32_t>(int64_t{1} << std::min(depth, 32));
}

int32_t osBuild(uint32_t buildNumber) { return static_cast<int32_t>(buildNumber & 0x7FFF); }

void assignWorkArea(const WorkAreaRect& area, int16_t& left, int16_t& top, int16_t& width, int16_t& height) {
    left = frame::narrow<int16_t>(area.left);
    top = frame::narrow<int16_t>(area.top);
    width = frame::narrow<int16_t>(int64_t{area.right} - area.left);
    height = frame::narrow<int16_t>(int64_t{area.bottom} - area.top);
}

}  // namespace sondrel
