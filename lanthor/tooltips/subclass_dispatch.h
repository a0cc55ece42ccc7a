#pragma once
// What a watched window's block does with one message: the before phase, the
// previous procedure unless the before callback handled the message, then
// the after phase. The 32-bit block does this in machine code; the 64-bit
// block jumps into this template, which keeps the same contract.
#include <cstdint>

namespace lanthor {

struct PhaseTable {
    const std::int32_t* table = nullptr;  // slot 1
    std::int32_t count = 0;               // 0 none, negative every message
};

inline bool phaseSelects(const PhaseTable& phase, std::int32_t uMsg) {
    if (phase.count == 0) return false;
    if (phase.count < 0) return true;
    for (std::int32_t i = 0; i < phase.count; ++i)
        if (phase.table[i] == uMsg) return true;
    return false;
}

// Args has hWnd, uMsg, wParam and lParam; previous(args) runs the previous
// procedure; callback(bBefore, bHandled&, lReturn&, args&) may change the
// arguments, bHandled and lReturn. The tables are the block's own, read as
// each phase comes: what ran before may have changed them (a stop zeroes both
// counts, so a released owner is not called again).
template <typename Result, typename Args, typename Previous, typename Callback>
Result runSubclassed(const PhaseTable& before, const PhaseTable& after, Args& args,
                     Previous&& previous, Callback&& callback) {
    Result lReturn = 0;
    bool bHandled = false;
    if (phaseSelects(before, static_cast<std::int32_t>(args.uMsg)))
        callback(true, bHandled, lReturn, args);
    if (bHandled) return lReturn;
    lReturn = previous(args);
    if (phaseSelects(after, static_cast<std::int32_t>(args.uMsg)))
        callback(false, bHandled, lReturn, args);
    return lReturn;
}

}  // namespace lanthor
