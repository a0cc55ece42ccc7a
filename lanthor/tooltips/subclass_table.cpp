#include "lanthor/tooltips/subclass_table.h"

#include "common/errors.h"

namespace lanthor {

namespace {
// Blocks buried earlier go at the first operation outside every block.
void flushBuried() { BlockGraveyard::thisThread().flush(); }
}  // namespace

// The block may be running under this very call (the table's owner stopped
// from inside a message the block handles): then it is buried, and the
// stopped counts already keep it from calling back.
void SubclassTable::releaseBlock(Address block) {
    if (BlockGraveyard::thisThread().release(block, platform_.blockRelease())) {
        platform_.keepCodeLoaded();
        platform_.flushLater();
    }
}

std::int32_t SubclassTable::findEntry(Address hWnd, bool freeEntry) const {
    for (auto i = static_cast<std::int32_t>(entries_.size()) - 1; i >= 0; --i) {
        const Address h = entries_[i].hWnd;
        if (freeEntry ? h == 0 : h == hWnd) return i;
    }
    return -1;
}

std::int32_t SubclassTable::start(Address hWnd) {
    flushBuried();
    if (hWnd == 0 || !platform_.isOwnWindow(hWnd)) frame::raise(frame::errInvalidProcedureCall);

    std::int32_t index;
    if (!built_) {
        entries_.assign(1, SubclassEntry{});
        built_ = true;
        index = 0;
    } else {
        index = findEntry(0, true);
        if (index < 0) {
            entries_.emplace_back();
            index = static_cast<std::int32_t>(entries_.size()) - 1;
        }
    }

    const Address block = platform_.newBlock();
    if (block == 0) frame::raise(frame::errOutOfMemory);
    const Address previous = platform_.setWindowProc(hWnd, block);
    if (previous == 0) {
        // Not replaced: the block was never installed, so it can go at once.
        platform_.blockRelease()(block);
        frame::raise(frame::errInvalidProcedureCall);
    }
    SubclassEntry& entry = entries_[index];
    entry.thunk = block;
    entry.hWnd = hWnd;
    entry.previousProc = previous;
    platform_.patchPrevious(block, hWnd, previous);
    return index;
}

void SubclassTable::addToTable(SubclassEntry& entry, bool before, std::int32_t uMsg) {
    std::int32_t& count = before ? entry.beforeCount : entry.afterCount;
    std::vector<std::int32_t>& table = before ? entry.beforeTable : entry.afterTable;
    if (uMsg == kAllMessages) {
        count = kAllMessages;
    } else {
        // Present anywhere first: filling a freed slot before a later copy
        // would leave the message behind on its next removal.
        std::int32_t freeSlot = -1;
        for (std::int32_t slot = 0; slot < count; ++slot) {
            if (table[slot] == uMsg) return;
            if (table[slot] == 0 && freeSlot < 0) freeSlot = slot;
        }
        if (freeSlot >= 0) {
            table[freeSlot] = uMsg;
            return;
        }
        // Every message is already selected; the table cannot grow to 1..0.
        if (count < 0) frame::raise(frame::errSubscriptOutOfRange);
        ++count;
        table.resize(static_cast<std::size_t>(count));
        table.back() = uMsg;
        platform_.patchTable(entry.thunk, before, table.data());
    }
    platform_.patchCount(entry.thunk, before, count);
}

void SubclassTable::removeFromTable(SubclassEntry& entry, bool before, std::int32_t uMsg) {
    std::int32_t& count = before ? entry.beforeCount : entry.afterCount;
    std::vector<std::int32_t>& table = before ? entry.beforeTable : entry.afterTable;
    if (uMsg == kAllMessages) {
        count = 0;
        platform_.patchCount(entry.thunk, before, 0);
        return;
    }
    for (std::int32_t slot = 0; slot < count; ++slot) {
        if (table[slot] == uMsg) {
            table[slot] = 0;
            return;
        }
    }
}

SubclassEntry& SubclassTable::watchedEntry(Address hWnd) {
    flushBuried();
    const std::int32_t index = findEntry(hWnd, false);
    if (index < 0 || hWnd == 0) frame::raise(frame::errSubscriptOutOfRange);
    return entries_[index];
}

void SubclassTable::addMsg(Address hWnd, std::int32_t uMsg, std::int32_t when) {
    SubclassEntry& entry = watchedEntry(hWnd);
    if (when & MSG_BEFORE) addToTable(entry, true, uMsg);
    if (when & MSG_AFTER) addToTable(entry, false, uMsg);
}

void SubclassTable::delMsg(Address hWnd, std::int32_t uMsg, std::int32_t when) {
    SubclassEntry& entry = watchedEntry(hWnd);
    if (when & MSG_BEFORE) removeFromTable(entry, true, uMsg);
    if (when & MSG_AFTER) removeFromTable(entry, false, uMsg);
}

// The entry whose block is the window's procedure now, so that two chained
// entries come off in the order they went on; otherwise the plain look-up.
std::int32_t SubclassTable::entryToStop(Address hWnd) {
    const Address current = platform_.windowProc(hWnd);
    for (auto i = static_cast<std::int32_t>(entries_.size()) - 1; i >= 0; --i)
        if (entries_[i].hWnd == hWnd && entries_[i].thunk == current) return i;
    return findEntry(hWnd, false);
}

void SubclassTable::stopWnd(Address hWnd) {
    flushBuried();
    if (hWnd == 0) frame::raise(frame::errSubscriptOutOfRange);
    const std::int32_t index = entryToStop(hWnd);
    if (index < 0) frame::raise(frame::errSubscriptOutOfRange);
    SubclassEntry& entry = entries_[index];

    platform_.patchCount(entry.thunk, true, 0);
    platform_.patchCount(entry.thunk, false, 0);
    if (platform_.windowProc(hWnd) == entry.thunk) {
        platform_.setWindowProc(hWnd, entry.previousProc);
        releaseBlock(entry.thunk);
    } else if (!platform_.isWindow(hWnd)) {
        releaseBlock(entry.thunk);  // the window is gone; nothing can call the block
    } else {
        // Another procedure was installed over ours and still calls it:
        // restoring would cut that one off and freeing would leave it calling
        // freed code. The block stays, passing every message through.
        retired_.push_back(entry.thunk);
        platform_.keepCodeLoaded();
    }
    entry.hWnd = 0;
    entry.thunk = 0;
    entry.previousProc = 0;
    entry.beforeCount = 0;
    entry.afterCount = 0;
    entry.beforeTable = {};
    entry.afterTable = {};
}

void SubclassTable::stopAll() noexcept {
    // Repeated passes: stopping one window may take an entry at another index
    // (the one on top of its chain), so a single pass could miss one.
    for (std::size_t pass = 0; pass <= entries_.size(); ++pass) {
        bool any = false;
        for (auto i = static_cast<std::int32_t>(entries_.size()) - 1; i >= 0; --i) {
            if (entries_[i].hWnd == 0) continue;
            any = true;
            try {
                stopWnd(entries_[i].hWnd);
            } catch (...) {
            }
        }
        if (!any) break;
    }
}

}  // namespace lanthor
