#pragma once
// Window blocks that were stopped while a block of the same thread was still
// running. A host may release the last reference to the object that owns a
// block from inside a message that block is handling (in its own window
// procedure, or from code the callback runs); the block then still has to
// return through its own code, so it is kept until no block runs on the
// thread any more, and freed then.
//
// A block leaves its own code only through the calls it makes (its callback
// and the previous window procedure); each of those runs inside a Frame. So
// while no Frame is open on a thread, no block is on that thread's stack.
#include <cstddef>
#include <cstdint>

namespace lanthor {

using Address = std::uintptr_t;
// Frees a block; a plain function, since it may run after the block's owner is gone.
using BlockRelease = void (*)(Address block);

class BlockGraveyard {
public:
    constexpr BlockGraveyard() = default;
    BlockGraveyard(const BlockGraveyard&) = delete;
    BlockGraveyard& operator=(const BlockGraveyard&) = delete;

    // The calling thread's graveyard. Trivially destructible, so that a module
    // unloaded before its threads end leaves no destructor behind.
    static BlockGraveyard& thisThread();

    // Open while a block's call out of its own code runs.
    class Frame {
    public:
        explicit Frame(BlockGraveyard& graveyard = thisThread()) : graveyard_(graveyard) { ++graveyard_.depth_; }
        ~Frame() { --graveyard_.depth_; }
        Frame(const Frame&) = delete;
        Frame& operator=(const Frame&) = delete;

    private:
        BlockGraveyard& graveyard_;
    };

    bool blockRunning() const { return depth_ > 0; }
    // A block no window calls any more: freed at once while no block runs,
    // otherwise buried. True when it was buried.
    bool release(Address block, BlockRelease free) noexcept;
    // Frees every buried block unless a block runs. True when none is left.
    bool flush() noexcept;
    std::size_t buried() const { return count_; }

private:
    struct Grave {
        Address block;
        BlockRelease free;
        Grave* next;
    };
    int depth_ = 0;
    Grave* graves_ = nullptr;
    std::size_t count_ = 0;
};

}  // namespace lanthor
