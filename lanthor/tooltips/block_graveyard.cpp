#include "lanthor/tooltips/block_graveyard.h"

#include <new>

namespace lanthor {

BlockGraveyard& BlockGraveyard::thisThread() {
    static thread_local BlockGraveyard graveyard;
    return graveyard;
}

bool BlockGraveyard::release(Address block, BlockRelease free) noexcept {
    if (!blockRunning()) {
        free(block);
        return false;
    }
    // Without memory for the grave the block is kept for good: a leak, never
    // a block freed under its running code.
    if (Grave* grave = new (std::nothrow) Grave{block, free, graves_}) {
        graves_ = grave;
        ++count_;
    }
    return true;
}

bool BlockGraveyard::flush() noexcept {
    if (blockRunning()) return graves_ == nullptr;
    Grave* grave = graves_;
    graves_ = nullptr;
    count_ = 0;
    while (grave) {
        Grave* next = grave->next;
        grave->free(grave->block);
        delete grave;
        grave = next;
    }
    return true;
}

}  // namespace lanthor
