#pragma once
// The per-object subclass table: one entry per watched window, each with its
// own executable block and its before and after message tables. The window
// system and the kind of block are reached through SubclassPlatform, so the
// table logic is tested natively with a fake one.
#include <cstdint>
#include <vector>

#include "lanthor/tooltips/block_graveyard.h"

namespace lanthor {

enum MsgWhen : std::int32_t { MSG_AFTER = 1, MSG_BEFORE = 2, MSG_BEFORE_AND_AFTER = 3 };
inline constexpr std::int32_t kAllMessages = -1;

class SubclassPlatform {
public:
    virtual ~SubclassPlatform() = default;
    virtual bool isWindow(Address hWnd) = 0;
    // A window that belongs to the calling thread (only those may be watched).
    virtual bool isOwnWindow(Address hWnd) = 0;
    // A new executable copy of the block, its tables and counts empty; 0 when none.
    virtual Address newBlock() = 0;
    // How blocks are freed, at once or later from the graveyard.
    virtual BlockRelease blockRelease() = 0;
    // A block outlives its stop (buried, or kept under a foreign procedure):
    // the code it calls must stay loaded.
    virtual void keepCodeLoaded() = 0;
    // Blocks were buried: flush the graveyard at the next point where no block runs.
    virtual void flushLater() = 0;
    virtual Address windowProc(Address hWnd) = 0;
    // Installs proc and gives the one it replaced (0 on failure).
    virtual Address setWindowProc(Address hWnd, Address proc) = 0;
    virtual void patchPrevious(Address block, Address hWnd, Address previous) = 0;
    virtual void patchTable(Address block, bool before, const std::int32_t* firstSlot) = 0;
    virtual void patchCount(Address block, bool before, std::int32_t count) = 0;
};

struct SubclassEntry {
    Address hWnd = 0;  // 0: free
    Address thunk = 0;
    Address previousProc = 0;
    std::int32_t afterCount = 0;  // -1: every message
    std::int32_t beforeCount = 0;
    std::vector<std::int32_t> afterTable;  // slot 1 is element 0
    std::vector<std::int32_t> beforeTable;
};

class SubclassTable {
public:
    explicit SubclassTable(SubclassPlatform& platform) : platform_(platform) {}
    SubclassTable(const SubclassTable&) = delete;
    SubclassTable& operator=(const SubclassTable&) = delete;

    // Raise run-time errors: 5 for a window that cannot be watched, 7 when no
    // block can be made, 9 for a window without an entry.
    std::int32_t start(Address hWnd);
    void addMsg(Address hWnd, std::int32_t uMsg, std::int32_t when);
    void delMsg(Address hWnd, std::int32_t uMsg, std::int32_t when);
    void stopWnd(Address hWnd);
    void stopAll() noexcept;

    // Highest index first; -1 when nothing matches or there is no table yet.
    std::int32_t findEntry(Address hWnd, bool freeEntry) const;

    bool built() const { return built_; }
    const std::vector<SubclassEntry>& entries() const { return entries_; }
    // Blocks left installed under someone else's window procedure: never freed,
    // since that procedure still calls them.
    const std::vector<Address>& retired() const { return retired_; }

private:
    // The entry of a watched window; error 9 for one without.
    SubclassEntry& watchedEntry(Address hWnd);
    void addToTable(SubclassEntry& entry, bool before, std::int32_t uMsg);
    void removeFromTable(SubclassEntry& entry, bool before, std::int32_t uMsg);
    std::int32_t entryToStop(Address hWnd);
    void releaseBlock(Address block);

    SubclassPlatform& platform_;
    bool built_ = false;
    std::vector<SubclassEntry> entries_;
    std::vector<Address> retired_;
};

}  // namespace lanthor
