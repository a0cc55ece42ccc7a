// The subclass table under any sequence of starts, message selections, stops
// and releases of the table, with other subclassers stacking on the same
// windows, windows destroyed and re-made, and messages sent through the
// blocks whose callbacks (and the windows' own procedures) run further
// operations, the table's release included. Checked against a model:
// - what the model says is watched is what each block reads, and a callback
//   comes only from a block of a live entry for a message it watches;
// - every window's chain of procedures reaches its own over live code;
// - a block is freed only when it is not running, every block is a live
//   entry's, retired under another procedure or buried, and what is buried is
//   freed at the next flush outside every block;
// - the errors are the documented ones for exactly the documented cases.
#include <list>
#include <map>
#include <memory>
#include <set>

#include "common/errors.h"
#include "common/testing/fuzz.h"
#include "lanthor/tooltips/subclass_dispatch.h"
#include "lanthor/tooltips/subclass_table.h"

using namespace lanthor;

namespace {

constexpr Address kForeignWindow = 101;  // another thread's
constexpr int kMaxDepth = 3;             // messages sent from inside messages
// Bounds on the state, so that an input's checks stay cheap however long it
// grows: a few chained entries per window already meet every case.
constexpr std::size_t kMaxBlocks = 24;   // made and not freed, retired ones included
constexpr std::size_t kMaxForeign = 8;   // other subclassers' procedures made

// The checks' own comparisons are no guide to new behaviour of the table, and
// tracing them was most of the time of a run.
#define NOT_TRACED __attribute__((no_sanitize("coverage")))

struct Block {
    Address previous = 0;
    PhaseTable before, after;
};

// Windows are numbers with a procedure: their own (0x1000 + the window),
// another subclasser's (calling the one it replaced) or one of our blocks.
class FakeWindows : public SubclassPlatform {
public:
    std::map<Address, Address> procedure;  // window -> its procedure now
    // Another subclasser's procedure -> the one it calls. Kept after it comes
    // off: a message already inside it still runs its code.
    std::map<Address, Address> replaced;
    std::map<Address, std::unique_ptr<Block>> blocks;  // made and not freed
    std::multiset<Address> running;        // blocks on the stack
    Address nextForeign = 0x10000;
    bool failAllocation = false, failSetProc = false;
    int codeKept = 0, flushRequests = 0;

    FakeWindows() { current = this; }
    ~FakeWindows() override { current = nullptr; }

    void make(Address hWnd) { procedure[hWnd] = 0x1000 + hWnd; }
    static bool own(Address proc) { return proc >= 0x1000 && proc < 0x10000; }
    NOT_TRACED bool isBlock(Address proc) const { return blocks.count(proc) != 0; }
    NOT_TRACED Block& block(Address b) {
        FUZZ_CHECK(isBlock(b));  // never patched after it was freed
        return *blocks.at(b);
    }

    bool isWindow(Address h) override { return procedure.count(h) != 0; }
    bool isOwnWindow(Address h) override { return isWindow(h) && h != kForeignWindow; }
    Address newBlock() override {
        if (failAllocation) return 0;
        auto b = std::make_unique<Block>();
        const auto address = reinterpret_cast<Address>(b.get());
        blocks[address] = std::move(b);
        return address;
    }
    BlockRelease blockRelease() override { return &release; }
    void keepCodeLoaded() override { ++codeKept; }
    void flushLater() override { ++flushRequests; }
    Address windowProc(Address h) override { return isWindow(h) ? procedure[h] : 0; }
    Address setWindowProc(Address h, Address proc) override {
        if (!isWindow(h)) return 0;
        // A window that refuses to be subclassed: only a new block's install fails.
        if (failSetProc && isBlock(proc) && blocks.at(proc)->previous == 0) return 0;
        return std::exchange(procedure[h], proc);
    }
    void patchPrevious(Address b, Address, Address previous) override { block(b).previous = previous; }
    void patchTable(Address b, bool before, const std::int32_t* first) override {
        (before ? block(b).before : block(b).after).table = first;
    }
    void patchCount(Address b, bool before, std::int32_t count) override {
        (before ? block(b).before : block(b).after).count = count;
    }

private:
    static void release(Address b) {
        FUZZ_CHECK(current && current->isBlock(b));  // made here, freed once
        FUZZ_CHECK(current->running.count(b) == 0);  // never under its own running code
        current->blocks.erase(b);
    }
    static inline FakeWindows* current = nullptr;
};

// What one phase of a watched window selects.
struct Phase {
    bool all = false;
    std::set<std::int32_t> messages;
    bool selects(std::int32_t m) const { return all || messages.count(m) != 0; }
};

struct ModelEntry {
    Address hWnd = 0;
    Phase before, after;
};

struct Fuzz {
    FuzzedDataProvider& in;
    FakeWindows w;
    std::unique_ptr<SubclassTable> table;
    // The model of the table: its entries, index for index.
    bool built = false;
    std::vector<ModelEntry> model;
    std::set<Address> retiredEarlier;  // by tables already released
    std::list<BlockGraveyard::Frame> notionalFrames;
    int depth = 0;

    explicit Fuzz(FuzzedDataProvider& input) : in(input) {
        for (Address h : {1, 2, 3, static_cast<int>(kForeignWindow)}) w.make(h);
        table = std::make_unique<SubclassTable>(w);
    }

    BlockGraveyard& graveyard() const { return BlockGraveyard::thisThread(); }
    bool blockOrFrameOpen() const { return graveyard().blockRunning(); }

    std::int32_t highest(Address hWnd) const {
        for (auto i = static_cast<std::int32_t>(model.size()) - 1; i >= 0; --i)
            if (model[i].hWnd == hWnd) return i;
        return -1;
    }
    NOT_TRACED std::set<Address> retired() const {
        std::set<Address> all = retiredEarlier;
        if (table) all.insert(table->retired().begin(), table->retired().end());
        return all;
    }
    const SubclassEntry* entryOfBlock(Address b) const {
        if (table)
            for (const SubclassEntry& e : table->entries())
                if (e.hWnd != 0 && e.thunk == b) return &e;
        return nullptr;
    }

    // ---------------------------------------------------------------- checks
    NOT_TRACED void checkModel() {
        if (!table) return;
        FUZZ_CHECK(table->built() == built);
        FUZZ_CHECK(table->entries().size() == model.size());
        for (std::size_t i = 0; i < model.size(); ++i) {
            const SubclassEntry& e = table->entries()[i];
            const ModelEntry& m = model[i];
            FUZZ_CHECK(e.hWnd == m.hWnd);
            if (e.hWnd == 0) {
                FUZZ_CHECK(e.thunk == 0 && e.beforeTable.empty() && e.afterTable.empty());
                continue;
            }
            Block& b = w.block(e.thunk);
            FUZZ_CHECK(b.previous == e.previousProc);
            for (const bool before : {true, false}) {
                const PhaseTable& read = before ? b.before : b.after;
                const Phase& phase = before ? m.before : m.after;
                FUZZ_CHECK(read.count == (before ? e.beforeCount : e.afterCount));
                // What the block reads from its tables (and ASan: that they are live).
                for (std::int32_t msg = 1; msg <= 4; ++msg) FUZZ_CHECK(phaseSelects(read, msg) == phase.selects(msg));
                if (phase.all) FUZZ_CHECK(phaseSelects(read, 0));
            }
        }
    }

    // The blocks of live entries and the retired ones, taken once for the checks of a step.
    struct Kept {
        std::set<Address> live, retired;
    };
    NOT_TRACED Kept kept() const {
        Kept k{{}, retired()};
        if (table)
            for (const SubclassEntry& e : table->entries())
                if (e.hWnd != 0) k.live.insert(e.thunk);
        return k;
    }

    // Every window's chain reaches its own procedure through live code: other
    // subclassers, blocks of live entries and retired blocks; never a buried one.
    NOT_TRACED void checkChains(const Kept& k) {
        for (const auto& [window, first] : w.procedure) {
            Address proc = first;
            for (int steps = 0; !FakeWindows::own(proc); ++steps) {
                FUZZ_CHECK(steps < 1000);
                if (const auto other = w.replaced.find(proc); other != w.replaced.end()) {
                    proc = other->second;
                    continue;
                }
                FUZZ_CHECK(k.live.count(proc) || k.retired.count(proc));
                proc = w.block(proc).previous;
            }
            FUZZ_CHECK(proc == 0x1000 + window);
        }
    }

    // Every block made and not freed is a live entry's, retired or buried.
    NOT_TRACED void checkBlocks(const Kept& k) {
        if (table) FUZZ_CHECK(k.retired.size() == retiredEarlier.size() + table->retired().size());  // no block twice
        std::size_t buried = 0;
        for (const auto& [b, block] : w.blocks) {
            const bool live = k.live.count(b) != 0;
            FUZZ_CHECK(!(live && k.retired.count(b)));
            if (!live && !k.retired.count(b)) ++buried;
        }
        for (Address b : k.live) FUZZ_CHECK(w.isBlock(b));
        for (Address b : k.retired) FUZZ_CHECK(w.isBlock(b));
        FUZZ_CHECK(buried == graveyard().buried());
    }

    // ---------------------------------------------------------------- operations
    void start(Address h) {
        int expected = 0;
        std::int32_t index = -1;
        if (h == 0 || !w.isOwnWindow(h)) {
            expected = frame::errInvalidProcedureCall;
        } else {
            if (!built) {
                model.assign(1, ModelEntry{});
                built = true;
            }
            index = highest(0);
            if (index < 0) {
                model.emplace_back();
                index = static_cast<std::int32_t>(model.size()) - 1;
            }
            if (w.failAllocation) expected = frame::errOutOfMemory;
            else if (w.failSetProc) expected = frame::errInvalidProcedureCall;
        }
        const Address previous = w.windowProc(h);
        const std::size_t blocks = w.blocks.size();
        std::int32_t got = -1;
        FUZZ_CHECK(frame::fuzz::errorOf([&] { got = table->start(h); }) == expected);
        if (expected != 0) {
            FUZZ_CHECK(w.windowProc(h) == previous);
            // A block made for a window that refused it goes at once.
            FUZZ_CHECK(w.blocks.size() <= blocks);
            return;
        }
        FUZZ_CHECK(got == index);
        model[index] = ModelEntry{h, {}, {}};
        const SubclassEntry& e = table->entries()[index];
        FUZZ_CHECK(w.windowProc(h) == e.thunk && e.previousProc == previous);
    }

    void addOrDelete(bool add, Address h, std::int32_t msg, std::int32_t when) {
        const std::int32_t index = h == 0 ? -1 : highest(h);
        int expected = index < 0 ? frame::errSubscriptOutOfRange : 0;
        if (index >= 0) {
            ModelEntry& m = model[index];
            // The before phase first: an error there leaves the after phase alone.
            for (const bool before : {true, false}) {
                if (!(when & (before ? MSG_BEFORE : MSG_AFTER))) continue;
                Phase& phase = before ? m.before : m.after;
                if (add && msg == kAllMessages) {
                    phase.all = true;
                } else if (add) {
                    if (phase.all) {
                        expected = frame::errSubscriptOutOfRange;
                        break;
                    }
                    phase.messages.insert(msg);
                } else if (msg == kAllMessages) {
                    phase = Phase{};
                } else if (!phase.all) {
                    phase.messages.erase(msg);
                }
            }
        }
        const int got = frame::fuzz::errorOf([&] {
            if (add) table->addMsg(h, msg, when);
            else table->delMsg(h, msg, when);
        });
        FUZZ_CHECK(got == expected);
    }

    // Released: freed at once outside every block, otherwise buried.
    void checkReleased(Address b, std::size_t buriedBefore, int flushRequestsBefore) {
        if (blockOrFrameOpen()) {
            FUZZ_CHECK(w.isBlock(b) && graveyard().buried() > buriedBefore && w.flushRequests > flushRequestsBefore);
        } else {
            FUZZ_CHECK(!w.isBlock(b));
        }
    }

    void stopWnd(Address h) {
        // The entry whose block is the window's procedure now, else the last one of the window.
        const Address current = w.windowProc(h);
        std::int32_t index = -1;
        if (h != 0 && table->built()) {
            for (auto i = static_cast<std::int32_t>(model.size()) - 1; i >= 0 && index < 0; --i)
                if (model[i].hWnd == h && table->entries()[i].thunk == current) index = i;
            if (index < 0) index = highest(h);
        }
        if (index < 0) {
            FUZZ_CHECK(frame::fuzz::errorOf([&] { table->stopWnd(h); }) == frame::errSubscriptOutOfRange);
            return;
        }
        const SubclassEntry& e = table->entries()[index];
        const Address block = e.thunk, previous = e.previousProc;
        const bool exists = w.isWindow(h);
        const std::size_t buried = graveyard().buried(), retiredBefore = table->retired().size();
        const int flushRequests = w.flushRequests, codeKept = w.codeKept;
        FUZZ_CHECK(frame::fuzz::errorOf([&] { table->stopWnd(h); }) == 0);
        model[index] = ModelEntry{};
        if (exists && current == block) {
            FUZZ_CHECK(w.windowProc(h) == previous);  // restored
            checkReleased(block, buried, flushRequests);
        } else if (!exists) {
            checkReleased(block, buried, flushRequests);  // nothing calls it any more
        } else {
            // Under another procedure, which still calls it: kept, passing everything through.
            FUZZ_CHECK(w.windowProc(h) == current && w.isBlock(block));
            FUZZ_CHECK(table->retired().size() == retiredBefore + 1 && table->retired().back() == block);
            FUZZ_CHECK(w.codeKept > codeKept);
            const Block& b = w.block(block);
            FUZZ_CHECK(b.before.count == 0 && b.after.count == 0);
        }
    }

    void stopAll() {
        table->stopAll();
        for (ModelEntry& m : model) m = ModelEntry{};
    }

    // What the owner's end does: stop everything, then the table goes.
    void releaseTable() {
        stopAll();
        retiredEarlier.insert(table->retired().begin(), table->retired().end());
        table.reset();
        model.clear();
        built = false;
    }

    // ---------------------------------------------------------------- messages
    struct Args {
        Address hWnd;
        std::int32_t uMsg;
        std::int64_t wParam, lParam;
    };

    // Nested operations from inside a procedure or callback.
    void nested() {
        if (depth >= kMaxDepth) return;
        ++depth;
        for (int n = in.ConsumeIntegralInRange(0, 2); n > 0 && in.remaining_bytes() > 0; --n) step(false);
        --depth;
    }

    std::int64_t dispatch(Address proc, Args& args) {
        if (FakeWindows::own(proc)) {
            nested();
            return args.uMsg * 16;
        }
        if (const auto other = w.replaced.find(proc); other != w.replaced.end()) {
            const Address next = other->second;  // held, as a subclasser holds it
            return dispatch(next, args);
        }
        FUZZ_CHECK(w.isBlock(proc));  // nothing runs a freed block
        Block& b = w.block(proc);
        w.running.insert(proc);
        const std::int64_t result = runSubclassed<std::int64_t>(
            b.before, b.after, args,
            [&](Args& a) {
                BlockGraveyard::Frame frame;
                return dispatch(b.previous, a);
            },
            [&](bool before, bool& handled, std::int64_t& lReturn, Args& a) {
                BlockGraveyard::Frame frame;
                // Only a live entry's block calls its owner, and only for what it watches.
                const SubclassEntry* e = entryOfBlock(proc);
                FUZZ_CHECK(e != nullptr);
                const ModelEntry& m = model[static_cast<std::size_t>(e - table->entries().data())];
                FUZZ_CHECK(a.uMsg == 0 || (before ? m.before : m.after).selects(a.uMsg));
                if (in.ConsumeBool()) {
                    handled = true;
                    lReturn = 42;
                }
                nested();
            });
        w.running.erase(w.running.find(proc));
        return result;
    }

    void send(Address h, std::int32_t msg) {
        if (!w.isWindow(h)) return;
        Args args{h, msg, 0, 0};
        const std::int64_t result = dispatch(w.procedure[h], args);
        FUZZ_CHECK(result == msg * 16 || result == 42);
    }

    // ---------------------------------------------------------------- one step
    void step(bool topLevel) {
        // Mostly two windows and three messages, so that operations meet on the same ones.
        const Address h = in.PickValueInArray<Address>({1, 2, 1, 2, 3, 4, 0, kForeignWindow});
        const std::int32_t msg = in.ConsumeIntegralInRange(-1, 3), when = in.ConsumeIntegralInRange(0, 3);
        const int pick = in.ConsumeIntegralInRange(0, 15);
        const int op = pick == 14 ? 1 : pick == 15 ? 2 : pick;  // selections twice as often
        if (!table && op <= 4) {
            table = std::make_unique<SubclassTable>(w);  // a new owner
            return;
        }
        switch (op) {
            case 0:
                if (w.blocks.size() >= kMaxBlocks) return;
                start(h);
                break;
            case 1: addOrDelete(true, h, msg == 0 ? kAllMessages : msg, when); break;
            case 2: addOrDelete(false, h, msg == 0 ? kAllMessages : msg, when); break;
            case 3: stopWnd(h); break;
            case 4: stopAll(); break;
            case 5:  // another subclasser goes on top
                if (w.isWindow(h) && w.replaced.size() < kMaxForeign) {
                    const Address proc = ++w.nextForeign;
                    w.replaced[proc] = std::exchange(w.procedure[h], proc);
                }
                break;
            case 6:  // and comes off again, when it is still on top
                if (w.isWindow(h) && w.replaced.count(w.procedure[h])) w.procedure[h] = w.replaced[w.procedure[h]];
                break;
            case 7:  // destroyed, with whatever subclassed it
                w.procedure.erase(h);
                break;
            case 8:
                if (!w.isWindow(h) && h != 0) w.make(h);
                break;
            case 9:
                if (in.ConsumeBool()) w.failAllocation = !w.failAllocation;
                else w.failSetProc = !w.failSetProc;
                break;
            case 10: send(h, msg < 0 ? 0 : msg); break;
            case 11:
                if (table) releaseTable();
                break;
            case 12:  // a block's call out notionally on the stack, or back from it
                if (!topLevel) break;
                if (in.ConsumeBool() && notionalFrames.size() < 2) notionalFrames.emplace_back();
                else if (!notionalFrames.empty()) notionalFrames.pop_back();
                break;
            default: {
                const bool running = blockOrFrameOpen();
                const std::size_t buried = graveyard().buried();
                FUZZ_CHECK(graveyard().flush() == (!running || buried == 0));
                if (!running) FUZZ_CHECK(graveyard().buried() == 0);
            }
        }
        // Each of these flushes first: outside every block nothing stays buried.
        if (op <= 3 && !blockOrFrameOpen()) FUZZ_CHECK(graveyard().buried() == 0);
        checkModel();
        const Kept k = kept();
        checkChains(k);
        checkBlocks(k);
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    FUZZ_CHECK(!BlockGraveyard::thisThread().blockRunning() && BlockGraveyard::thisThread().buried() == 0);
    Fuzz f(in);
    while (in.remaining_bytes() > 0) f.step(true);
    f.notionalFrames.clear();
    if (f.table) f.releaseTable();
    // Outside every block: everything buried is freed; what stays is what
    // other procedures still call.
    FUZZ_CHECK(BlockGraveyard::thisThread().flush() && BlockGraveyard::thisThread().buried() == 0);
    f.checkChains(f.kept());
    FUZZ_CHECK(f.w.blocks.size() == f.retiredEarlier.size());
    for (Address b : f.retiredEarlier) FUZZ_CHECK(f.w.isBlock(b));
    return 0;
}
