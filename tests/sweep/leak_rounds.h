#pragma once
// Rounds of create, read every property that takes no argument, release: the
// process's counters before and after, for the leak test and its benchmark.
#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "tests/sweep/type_walk.h"

namespace sweep {

// Windows counts a process's handles, GDI and USER objects; this platform
// (Wine 8) answers 0 for all three and 0 private bytes. Its kernel and GDI
// handle tables are the process's own and reuse freed slots, so the highest
// slot a batch of fresh handles gets climbs when objects leak. Its USER table
// is shared by every process of the prefix, so for USER objects the windows
// of the thread are counted instead; and it reports the commit charge.
struct Counters {
    int64_t handles = 0;  // the platform's counts, 0 where it does not count
    int64_t gdiObjects = 0;
    int64_t userObjects = 0;
    int64_t handleSlot = 0;  // the highest slot a batch of new kernel and GDI handles gets
    int64_t gdiSlot = 0;
    int64_t threadWindows = 0;
    int64_t privateBytes = 0;  // private bytes, or the commit charge where those are not reported
    // Counted by the process itself, so the same on every platform:
    int64_t committedPrivate = 0;  // committed private pages of the address space
    int64_t heapBytes = 0;         // bytes in use in the blocks of every heap of the process
};

Counters readCounters();

// What the rounds after the warm-up added to each counter.
struct Growth {
    Counters before, after;
    int64_t handles() const { return std::max(after.handles - before.handles, after.handleSlot - before.handleSlot); }
    int64_t gdiObjects() const {
        return std::max(after.gdiObjects - before.gdiObjects, after.gdiSlot - before.gdiSlot);
    }
    int64_t userObjects() const {
        return std::max(after.userObjects - before.userObjects, after.threadWindows - before.threadWindows);
    }
    int64_t privateBytes() const { return after.privateBytes - before.privateBytes; }
    int64_t committedPrivate() const { return after.committedPrivate - before.committedPrivate; }
    int64_t heapBytes() const { return after.heapBytes - before.heapBytes; }
};

Growth leakRounds(const Library& library, const Class& cls, size_t warmUp, size_t rounds);

}  // namespace sweep
