#include "lanthor/tooltips/thunk_x64.h"

namespace lanthor::thunk_x64 {

namespace {
void put64(std::uint8_t* at, std::uint64_t value) {
    for (int i = 0; i < 8; ++i) at[i] = static_cast<std::uint8_t>(value >> (8 * i));
}
}  // namespace

Code build(std::uint64_t context, std::uint64_t dispatcher) {
    Code code{0x48, 0xB9, 0, 0, 0, 0, 0, 0, 0, 0, 0x48, 0xB8, 0, 0, 0, 0, 0, 0, 0, 0, 0xFF, 0xE0};
    put64(code.data() + kContext, context);
    put64(code.data() + kDispatcher, dispatcher);
    return code;
}

std::uint64_t readPatch(const std::uint8_t* code, std::size_t offset) {
    std::uint64_t value = 0;
    for (int i = 7; i >= 0; --i) value = (value << 8) | code[offset + i];
    return value;
}

}  // namespace lanthor::thunk_x64
