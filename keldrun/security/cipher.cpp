#include "keldrun/security/cipher.h"

#include <algorithm>
#include <array>
#include <utility>  // std::in_range, which common/convert.h uses

#include "common/convert.h"
#include "common/errors.h"

namespace keldrun {
namespace {

// Codes for the plain characters 32..126 without '`' (96) and '~' (126), in
// that order. No code contains '/', so a scrambled text never contains "//"
// and a security file written from scrambled texts splits unambiguously.
constexpr std::array<std::u16string_view, kTableSize> kCodes = {
    u"_{d", u"1rI", u"!7,", u"=QA", u":Ze", u"gz<",
    u"cRI", u"Ct?", u"SkG", u"c6E", u"=%u", u"-iW",
    u"sH$", u"i79", u"F6B", u"jq5", u"w^=", u">H8",
    u"<sz", u"]?5", u"NH6", u"se2", u"F?h", u"stL",
    u"W%i", u"emK", u"NCy", u"[U+", u"9(a", u"gyL",
    u"6b&", u"<Ki", u"t?e", u"a|.", u"?Lv", u"yb?",
    u"pNY", u"\"'u", u"l']", u"oQX", u"u_:", u"N+@",
    u"O=;", u"m+X", u"o6i", u"Zxn", u"Xx[", u"W@o",
    u"v>Q", u"3nX", u"EOo", u"7j6", u"WaO", u"T+m",
    u"VUO", u"5*o", u"csD", u"SDC", u"\\ud", u"rL#",
    u"Pu{", u"B;X", u"!m!", u"X\"s", u"Uno", u"B(?",
    u"^N8", u"N8T", u"}Nx", u"jjv", u"QF2", u":9F",
    u"M;?", u"UJK", u"=(d", u"OV3", u"gq7", u"#*f",
    u"sf0", u"&u)", u"J9]", u"Ubm", u":%e", u"Xd{",
    u"6&r", u"zHS", u"\\\"}", u")uA", u"(}=", u"w(b",
    u";nh", u"]C@", u"1F[",
};

constexpr char16_t plainAt(std::size_t index) {
    // 32..95 map to themselves, 97..125 follow after skipping the grave accent.
    return static_cast<char16_t>(index < 64 ? 32 + index : 33 + index);
}

constexpr int indexOf(char16_t c) {
    if (c < 32 || c > 125 || c == 96) return -1;
    return c < 96 ? c - 32 : c - 33;
}

struct CodeIndex {
    std::u16string_view code;
    char16_t plain;
};

// Codes sorted for DeCode's look-up.
const std::array<CodeIndex, kTableSize>& sortedCodes() {
    static const auto sorted = [] {
        std::array<CodeIndex, kTableSize> a{};
        for (std::size_t i = 0; i < kTableSize; ++i) a[i] = {kCodes[i], plainAt(i)};
        std::sort(a.begin(), a.end(),
                  [](const CodeIndex& x, const CodeIndex& y) { return x.code < y.code; });
        return a;
    }();
    return sorted;
}

// The 16-bit signed position counter of both methods: the text's length must
// fit it, and stepping it past 32 767 overflows.
int16_t lengthAsCounter(std::size_t length) { return frame::narrow<int16_t>(length); }

int16_t step(int16_t position, int by) { return frame::narrow<int16_t>(position + by); }

}  // namespace

char16_t tablePlain(std::size_t index) { return plainAt(index); }
std::u16string_view tableCode(std::size_t index) { return kCodes.at(index); }

std::optional<std::u16string_view> codeOf(char16_t plain) {
    const int i = indexOf(plain);
    if (i < 0) return std::nullopt;
    return kCodes[static_cast<std::size_t>(i)];
}

std::optional<char16_t> plainOf(std::u16string_view group) {
    if (group.size() != kCodeLength) return std::nullopt;
    const auto& sorted = sortedCodes();
    const auto it = std::lower_bound(
        sorted.begin(), sorted.end(), group,
        [](const CodeIndex& e, std::u16string_view g) { return e.code < g; });
    if (it == sorted.end() || it->code != group) return std::nullopt;
    return it->plain;
}

std::u16string encode(std::u16string_view text, const PumpPass& pump) {
    const int16_t length = lengthAsCounter(text.size());
    std::u16string result;
    result.reserve(text.size() * kCodeLength);
    for (int16_t position = 1; position <= length; position = step(position, 1)) {
        pump();
        const char16_t c = text[static_cast<std::size_t>(position - 1)];
        if (const auto code = codeOf(c)) result.append(*code);
        else result.push_back(c);
        pump();
    }
    return result;
}

std::u16string decode(std::u16string_view text, const PumpPass& pump) {
    const int16_t length = lengthAsCounter(text.size());
    std::u16string result;
    result.reserve(text.size());
    for (int16_t position = 1; position <= length;) {
        pump();
        const auto group = text.substr(static_cast<std::size_t>(position - 1), kCodeLength);
        if (const auto plain = plainOf(group)) result.push_back(*plain);
        else result.append(group);
        position = step(position, static_cast<int>(kCodeLength));
        pump();
    }
    return result;
}

}  // namespace keldrun
