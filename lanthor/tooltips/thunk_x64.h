#pragma once
// The 64-bit window-procedure block: it loads the address of its own context
// (previous procedure, tables, counts, object) into the first argument
// register in place of the window handle, and jumps to one shared dispatcher.
// A jump rather than a call, so the block has no frame of its own to unwind.
#include <array>
#include <cstddef>
#include <cstdint>

#include "lanthor/tooltips/subclass_dispatch.h"

namespace lanthor::thunk_x64 {

//   48 B9 <imm64>   mov rcx, context
//   48 B8 <imm64>   mov rax, dispatcher
//   FF E0           jmp rax
inline constexpr std::size_t kCodeSize = 22;
inline constexpr std::size_t kContext = 2;
inline constexpr std::size_t kDispatcher = 12;

using Code = std::array<std::uint8_t, kCodeSize>;

Code build(std::uint64_t context, std::uint64_t dispatcher);
std::uint64_t readPatch(const std::uint8_t* code, std::size_t offset);

// Everything the dispatcher needs, kept right after the code in the block.
// The dispatcher reads each phase's table when the phase comes, so what a
// callback or the previous procedure changed (a stop included) counts at once.
struct Context {
    std::uint64_t hWnd = 0;
    std::uint64_t previousProc = 0;
    PhaseTable before;
    PhaseTable after;
    void* object = nullptr;  // interface whose first own entry is the callback
};

}  // namespace lanthor::thunk_x64
