#include <gtest/gtest.h>

#include "lanthor/tooltips/thunk_x64.h"
#include "lanthor/tooltips/thunk_x86.h"

namespace x86 = lanthor::thunk_x86;
namespace x64 = lanthor::thunk_x64;

TEST(ThunkX86, DecodesTheTemplateByteForByte) {
    const x86::Block b = x86::decodeTemplate();
    // Frame set-up, the exit, and the callback through entry 28 of the object's table.
    EXPECT_EQ(b[0], 0x55);
    EXPECT_EQ(b[1], 0x89);
    EXPECT_EQ(b[2], 0xE5);
    EXPECT_EQ(b[15], 0xEB);  // short jump over the mode check
    EXPECT_EQ(b[16], 0x0E);  // ... to 31
    EXPECT_EQ(b[31], 0xE8);
    EXPECT_EQ(b[57], 0xC2);  // ret 16
    EXPECT_EQ(b[58], 0x10);
    EXPECT_EQ(b[193], 0xFF);
    EXPECT_EQ(b[194], 0x50);
    EXPECT_EQ(b[195], 0x1C);
    EXPECT_EQ(b[196], 0xC3);
    // Every patch point is zero in the template and follows its opcode.
    const std::pair<std::size_t, std::uint8_t> points[] = {
        {x86::kEnvironmentCall, 0xE8}, {x86::kUnsubclassPrevious, 0x68}, {x86::kSetWindowLongCall, 0xE8},
        {x86::kBeforeTable, 0xBF},     {x86::kBeforeCount, 0xB9},        {x86::kPreviousProc, 0x68},
        {x86::kCallWindowProcCall, 0xE8}, {x86::kAfterTable, 0xBF},      {x86::kAfterCount, 0xB9},
        {x86::kObject, 0xB8}};
    for (auto [offset, opcode] : points) {
        EXPECT_EQ(b[offset - 1], opcode) << offset;
        EXPECT_EQ(x86::readPatch(b.data(), offset), 0u) << offset;
    }
}

TEST(ThunkX86, RejectsAMalformedLiteral) {
    EXPECT_THROW(x86::decodeTemplate("55"), x86::MalformedTemplate);
    std::string bad(x86::kTemplateHex);
    bad[10] = 'G';
    EXPECT_THROW(x86::decodeTemplate(bad), x86::MalformedTemplate);
    std::string lower(x86::kTemplateHex);
    for (char& c : lower) c = static_cast<char>(std::tolower(c));
    EXPECT_EQ(x86::decodeTemplate(lower), x86::decodeTemplate());
}

TEST(ThunkX86, PatchesAreLittleEndianAndRelativeOnesAreCallDisplacements) {
    x86::Block b = x86::decodeTemplate();
    const std::uint32_t at = 0x00401000;
    x86::patchPrevious(b.data(), at, 0x12345678, 0x7E001000, 0x7E002000);
    EXPECT_EQ(b[x86::kPreviousProc], 0x78);
    EXPECT_EQ(b[x86::kPreviousProc + 3], 0x12);
    EXPECT_EQ(x86::readPatch(b.data(), x86::kUnsubclassPrevious), 0x12345678u);
    // The call's next instruction plus the displacement lands on the target.
    EXPECT_EQ(at + x86::kCallWindowProcCall + 4 + x86::readPatch(b.data(), x86::kCallWindowProcCall),
              0x7E002000u);
    EXPECT_EQ(at + x86::kSetWindowLongCall + 4 + x86::readPatch(b.data(), x86::kSetWindowLongCall),
              0x7E001000u);
    // Aimed at address 0: wraps around below the block.
    EXPECT_EQ(x86::readPatch(b.data(), x86::kEnvironmentCall), 0u - (at + 18) - 4);
    // A target below the block gives a negative displacement.
    x86::patchRelative(b.data(), x86::kCallWindowProcCall, at, at);
    EXPECT_EQ(static_cast<std::int32_t>(x86::readPatch(b.data(), x86::kCallWindowProcCall)), -125);
}

TEST(ThunkX86, TablesCountsAndObjectGoToTheirOwnPoints) {
    x86::Block b = x86::decodeTemplate();
    x86::patchTable(b.data(), true, 0xAAAA0001);
    x86::patchTable(b.data(), false, 0xBBBB0002);
    x86::patchCount(b.data(), true, -1);
    x86::patchCount(b.data(), false, 3);
    x86::patchObject(b, 0xCCCC0003);
    EXPECT_EQ(x86::readPatch(b.data(), 88), 0xAAAA0001u);
    EXPECT_EQ(x86::readPatch(b.data(), 132), 0xBBBB0002u);
    EXPECT_EQ(x86::readPatch(b.data(), 93), 0xFFFFFFFFu);
    EXPECT_EQ(x86::readPatch(b.data(), 137), 3u);
    EXPECT_EQ(x86::readPatch(b.data(), 186), 0xCCCC0003u);
    // Nothing outside the ten points moved.
    x86::Block fresh = x86::decodeTemplate();
    for (std::size_t i = 0; i < x86::kSize; ++i) {
        const bool patched = (i >= 88 && i < 97) || (i >= 132 && i < 141) || (i >= 186 && i < 190);
        if (!patched) {
            EXPECT_EQ(b[i], fresh[i]) << i;
        }
    }
}

TEST(ThunkX64, LoadsTheContextAndJumpsToTheDispatcher) {
    const auto code = x64::build(0x0000123456789ABCull, 0x00007FFF00001000ull);
    EXPECT_EQ(code[0], 0x48);
    EXPECT_EQ(code[1], 0xB9);  // mov rcx, imm64
    EXPECT_EQ(code[10], 0x48);
    EXPECT_EQ(code[11], 0xB8);  // mov rax, imm64
    EXPECT_EQ(code[20], 0xFF);
    EXPECT_EQ(code[21], 0xE0);  // jmp rax
    EXPECT_EQ(x64::readPatch(code.data(), x64::kContext), 0x0000123456789ABCull);
    EXPECT_EQ(x64::readPatch(code.data(), x64::kDispatcher), 0x00007FFF00001000ull);
}
