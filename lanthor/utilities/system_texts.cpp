#include "lanthor/utilities/system_texts.h"

#include <algorithm>

#include "common/errors.h"

namespace lanthor {
namespace {

constexpr uint32_t kWindows9x = 1;
constexpr uint32_t kWindowsNt = 2;
constexpr uint32_t kAny = 0xFFFFFFFF;

struct NamedVersion {
    uint32_t platform;
    uint32_t major;   // kAny: every major version
    uint32_t minor;   // kAny: every minor version
    bool minorIsNot;  // true: every minor version but `minor`
    const char16_t* name;
};

// First matching row wins.
constexpr NamedVersion kNames[] = {
    {kWindows9x, kAny, 0, false, u"WINDOWS 95"},
    {kWindows9x, kAny, 10, false, u"WINDOWS 98"},
    {kWindows9x, kAny, 90, false, u"WINDOWS MILLENNIUM"},
    {kWindowsNt, 3, kAny, false, u"WINDOWS NT 3.51"},
    {kWindowsNt, 4, kAny, false, u"WINDOWS NT 4.0"},
    {kWindowsNt, 5, 0, false, u"WINDOWS 2000"},
    {kWindowsNt, 5, 0, true, u"WINDOWS XP"},
};

bool matches(const NamedVersion& row, uint32_t platform, uint32_t major, uint32_t minor) {
    if (row.platform != platform) return false;
    if (row.major != kAny && row.major != major) return false;
    if (row.minor == kAny) return true;
    return (row.minor == minor) != row.minorIsNot;
}

}  // namespace

std::u16string windowsName(uint32_t platformId, uint32_t major, uint32_t minor) {
    if (platformId != kWindows9x && platformId != kWindowsNt) return u"FAILED";
    const auto row = std::find_if(std::begin(kNames), std::end(kNames),
                                  [&](const NamedVersion& r) { return matches(r, platformId, major, minor); });
    return row == std::end(kNames) ? std::u16string() : std::u16string(row->name);
}

std::string_view trimmedData(std::string_view buffer, uint32_t size) {
    if (size == 0) frame::raise(frame::errInvalidProcedureCall);
    std::string_view data = buffer.substr(0, std::min<size_t>(size, buffer.size()));
    if (data.size() == size && data.back() == '\0') data.remove_suffix(1);
    return data;
}

std::u16string numberValueText(std::string_view buffer, uint32_t size) {
    trimmedData(buffer, size);
    const size_t used = std::min<size_t>({size, buffer.size(), 4});
    uint32_t number = 0;
    for (size_t k = used; k-- > 0;) number = number << 8 | static_cast<unsigned char>(buffer[k]);
    std::u16string digits;
    do {
        digits.insert(digits.begin(), u"0123456789ABCDEF"[number & 0xF]);
        number >>= 4;
    } while (number != 0);
    return u"&h" + digits;
}

}  // namespace lanthor
