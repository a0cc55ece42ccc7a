// The window-procedure blocks' patches read back as written: a relative call
// lands on its target from any block address, absolute values stay as they
// are, and the template decodes from any hexadecimal text of its length.
#include <algorithm>
#include <cctype>
#include <stdexcept>
#include <string>

#include "common/testing/fuzz.h"
#include "lanthor/tooltips/thunk_x64.h"
#include "lanthor/tooltips/thunk_x86.h"

using namespace lanthor;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    thunk_x86::Block block = thunk_x86::decodeTemplate();
    const std::uint32_t at = in.ConsumeIntegral<std::uint32_t>(), target = in.ConsumeIntegral<std::uint32_t>();
    const std::uint32_t previous = in.ConsumeIntegral<std::uint32_t>(), object = in.ConsumeIntegral<std::uint32_t>();
    thunk_x86::patchObject(block, object);
    thunk_x86::patchPrevious(block.data(), at, previous, target, ~target);
    const std::int32_t count = in.ConsumeIntegral<std::int32_t>();
    const bool before = in.ConsumeBool();
    thunk_x86::patchCount(block.data(), before, count);
    thunk_x86::patchTable(block.data(), !before, previous ^ object);
    auto landsOn = [&](std::size_t offset) {
        return static_cast<std::uint32_t>(thunk_x86::readPatch(block.data(), offset) + at + offset + 4);
    };
    FUZZ_CHECK(landsOn(thunk_x86::kSetWindowLongCall) == target && landsOn(thunk_x86::kCallWindowProcCall) == ~target &&
               landsOn(thunk_x86::kEnvironmentCall) == 0);
    FUZZ_CHECK(thunk_x86::readPatch(block.data(), thunk_x86::kPreviousProc) == previous &&
               thunk_x86::readPatch(block.data(), thunk_x86::kUnsubclassPrevious) == previous &&
               thunk_x86::readPatch(block.data(), thunk_x86::kObject) == object);
    FUZZ_CHECK(static_cast<std::int32_t>(thunk_x86::readPatch(block.data(), before ? thunk_x86::kBeforeCount : thunk_x86::kAfterCount)) == count);
    FUZZ_CHECK(thunk_x86::readPatch(block.data(), before ? thunk_x86::kAfterTable : thunk_x86::kBeforeTable) == (previous ^ object));
    // Everything outside the patch points is the template's.
    const thunk_x86::Block templ = thunk_x86::decodeTemplate();
    for (std::size_t i = 0; i < block.size(); ++i) {
        bool patched = false;
        for (std::size_t p : {thunk_x86::kEnvironmentCall, thunk_x86::kUnsubclassPrevious, thunk_x86::kSetWindowLongCall,
                              thunk_x86::kBeforeTable, thunk_x86::kBeforeCount, thunk_x86::kPreviousProc,
                              thunk_x86::kCallWindowProcCall, thunk_x86::kAfterTable, thunk_x86::kAfterCount, thunk_x86::kObject})
            patched = patched || (i >= p && i < p + 4);
        if (!patched) FUZZ_CHECK(block[i] == templ[i]);
    }

    const std::uint64_t context = in.ConsumeIntegral<std::uint64_t>(), dispatcher = in.ConsumeIntegral<std::uint64_t>();
    const thunk_x64::Code code = thunk_x64::build(context, dispatcher);
    FUZZ_CHECK(thunk_x64::readPatch(code.data(), thunk_x64::kContext) == context &&
               thunk_x64::readPatch(code.data(), thunk_x64::kDispatcher) == dispatcher);

    // The template with one character changed, or any text: decoded when it
    // is all hexadecimal digits of the right length, else refused.
    std::string hex(thunk_x86::kTemplateHex);
    hex[in.ConsumeIntegralInRange<std::size_t>(0, hex.size() - 1)] = in.ConsumeIntegral<char>();
    if (in.ConsumeBool()) hex = in.ConsumeRemainingBytesAsString();
    bool decoded = true;
    thunk_x86::Block fromText{};
    try {
        fromText = thunk_x86::decodeTemplate(hex);
    } catch (const thunk_x86::MalformedTemplate&) {
        decoded = false;
    }
    const bool digits = std::all_of(hex.begin(), hex.end(), [](unsigned char c) { return std::isxdigit(c); });
    FUZZ_CHECK(decoded == (hex.size() == 2 * thunk_x86::kSize && digits));
    for (std::size_t i = 0; decoded && i < fromText.size(); ++i)
        FUZZ_CHECK(fromText[i] == std::stoi(hex.substr(2 * i, 2), nullptr, 16));
    return 0;
}
