#include "lanthor/tooltips/thunk_x86.h"

namespace lanthor::thunk_x86 {

const std::string_view kTemplateHex =
    "5589E583C4F85731C08945FC8945F8EB0EE80000000083F802742185C07424E830000000837DF800750AE8"
    "38000000E84D0000005F8B45FCC9C21000E826000000EBF168000000006AFCFF7508E800000000EBE031D2"
    "4ABF00000000B900000000E82D000000C3FF7514FF7510FF750CFF75086800000000E8000000008945FCC3"
    "31D2BF00000000B900000000E801000000C3E32F09C978078B450CF2AF75248D4514508D4510508D450C50"
    "8D4508508D45FC508D45F85052B800000000508B00FF501CC3";

namespace {
int digit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    throw MalformedTemplate();
}
}  // namespace

Block decodeTemplate(std::string_view hex) {
    if (hex.size() != 2 * kSize) throw MalformedTemplate();
    Block block{};
    for (std::size_t i = 0; i < kSize; ++i)
        block[i] = static_cast<std::uint8_t>(digit(hex[2 * i]) * 16 + digit(hex[2 * i + 1]));
    return block;
}

void patchAbsolute(std::uint8_t* block, std::size_t offset, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) block[offset + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

void patchRelative(std::uint8_t* block, std::size_t offset, std::uint32_t blockAddress,
                   std::uint32_t target) {
    patchAbsolute(block, offset, target - (blockAddress + static_cast<std::uint32_t>(offset)) - 4u);
}

std::uint32_t readPatch(const std::uint8_t* block, std::size_t offset) {
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i) value = (value << 8) | block[offset + i];
    return value;
}

void patchObject(Block& templ, std::uint32_t object) { patchAbsolute(templ.data(), kObject, object); }

void patchPrevious(std::uint8_t* block, std::uint32_t blockAddress, std::uint32_t previous,
                   std::uint32_t setWindowLong, std::uint32_t previousCall) {
    // No environment-mode function is resolved: its call is aimed at 0 and never run.
    patchRelative(block, kEnvironmentCall, blockAddress, 0);
    patchAbsolute(block, kUnsubclassPrevious, previous);
    patchRelative(block, kSetWindowLongCall, blockAddress, setWindowLong);
    patchAbsolute(block, kPreviousProc, previous);
    patchRelative(block, kCallWindowProcCall, blockAddress, previousCall);
}

void patchTable(std::uint8_t* block, bool before, std::uint32_t firstSlot) {
    patchAbsolute(block, before ? kBeforeTable : kAfterTable, firstSlot);
}

void patchCount(std::uint8_t* block, bool before, std::int32_t count) {
    patchAbsolute(block, before ? kBeforeCount : kAfterCount, static_cast<std::uint32_t>(count));
}

}  // namespace lanthor::thunk_x86
