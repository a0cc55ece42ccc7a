#include "common/testing/error_of.h"
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <set>

#include "common/errors.h"
#include "lanthor/tooltips/subclass_dispatch.h"
#include "lanthor/tooltips/subclass_table.h"

using namespace lanthor;

namespace {

// Windows are numbers with a current procedure; a procedure is either a
// fake block (which runs the shared dispatcher) or a plain one that answers
// uMsg * 10.
struct FakeBlock {
    Address previous = 0;
    PhaseTable before, after;
};

struct Call {
    bool before;
    std::int32_t uMsg;
};

struct Args {
    Address hWnd;
    std::int32_t uMsg;
    std::int64_t wParam, lParam;
};

class FakePlatform : public SubclassPlatform {
public:
    std::map<Address, Address> windows;  // window -> current procedure
    std::map<Address, std::unique_ptr<FakeBlock>> blocks;
    std::multiset<Address> running;  // blocks on the stack
    int freed = 0;
    int codeKept = 0, flushRequests = 0;
    bool failAllocation = false;
    std::vector<Call> calls;
    std::function<void(bool, bool&, std::int64_t&, Args&)> callback = [](bool, bool&, std::int64_t&, Args&) {};
    // The window's own procedure, the host's code.
    std::function<void(Args&)> onBase = [](Args&) {};
    std::vector<Args> seenByBase;

    FakePlatform() { current = this; }
    ~FakePlatform() override {
        EXPECT_TRUE(BlockGraveyard::thisThread().flush());
        current = nullptr;
    }

    bool isWindow(Address h) override { return windows.count(h) != 0; }
    bool isOwnWindow(Address h) override { return isWindow(h) && h < 1000; }
    Address newBlock() override {
        if (failAllocation) return 0;
        auto block = std::make_unique<FakeBlock>();
        const auto a = reinterpret_cast<Address>(block.get());
        blocks[a] = std::move(block);
        return a;
    }
    BlockRelease blockRelease() override { return &release; }
    void keepCodeLoaded() override { ++codeKept; }
    void flushLater() override { ++flushRequests; }
    static void release(Address b) {
        FakePlatform& os = *current;
        ASSERT_EQ(os.blocks.count(b), 1u) << "freed twice or never made";
        // Kept, so that the test goes on to report what else went wrong.
        if (os.running.count(b)) return ADD_FAILURE() << "freed a block on the stack";
        os.blocks.erase(b);
        ++os.freed;
    }
    Address windowProc(Address h) override { return isWindow(h) ? windows[h] : 0; }
    Address setWindowProc(Address h, Address proc) override {
        if (!isWindow(h)) return 0;
        return std::exchange(windows[h], proc);
    }
    void patchPrevious(Address b, Address, Address previous) override { block(b).previous = previous; }
    void patchTable(Address b, bool before, const std::int32_t* slot) override {
        (before ? block(b).before : block(b).after).table = slot;
    }
    void patchCount(Address b, bool before, std::int32_t count) override {
        (before ? block(b).before : block(b).after).count = count;
    }

    FakeBlock& block(Address b) {
        EXPECT_EQ(blocks.count(b), 1u) << "patched a freed block";
        return *blocks.at(b);
    }

    // A block, as the real ones: its calls out (the previous procedure, the
    // callback) are framed.
    std::int64_t run(Address proc, Args& args) {
        auto it = blocks.find(proc);
        if (it == blocks.end()) {
            seenByBase.push_back(args);
            onBase(args);
            return args.uMsg * 16;
        }
        FakeBlock& b = *it->second;
        running.insert(proc);
        const std::int64_t result = runSubclassed<std::int64_t>(
            b.before, b.after, args,
            [&](Args& a) {
                BlockGraveyard::Frame frame;
                return run(b.previous, a);
            },
            [&](bool before, bool& handled, std::int64_t& result, Args& a) {
                BlockGraveyard::Frame frame;
                calls.push_back({before, a.uMsg});
                callback(before, handled, result, a);
            });
        running.erase(running.find(proc));
        return result;
    }
    std::int64_t send(Address h, std::int32_t msg, std::int64_t wParam = 0) {
        Args a{h, msg, wParam, 0};
        return run(windows.at(h), a);
    }

private:
    static inline FakePlatform* current = nullptr;
};

constexpr Address kBase = 0xB00;  // a plain window procedure

class SubclassTableTest : public ::testing::Test {
protected:
    FakePlatform os;
    SubclassTable table{os};
    void SetUp() override {
        os.windows[1] = kBase;
        os.windows[2] = kBase;
    }
    const SubclassEntry& entry(int i) { return table.entries().at(i); }
};

using frame::testing::errorOf;

}  // namespace

TEST_F(SubclassTableTest, FreshStartPassesEverythingThrough) {
    EXPECT_FALSE(table.built());
    EXPECT_EQ(table.start(1), 0);
    EXPECT_TRUE(table.built());
    EXPECT_EQ(entry(0).hWnd, 1u);
    EXPECT_EQ(entry(0).previousProc, kBase);
    EXPECT_EQ(os.windows[1], entry(0).thunk);
    EXPECT_EQ(os.send(1, 0x200), 0x2000);
    EXPECT_TRUE(os.calls.empty());
}

TEST_F(SubclassTableTest, PhasesHandledFlagAndReturnValue) {
    table.start(1);
    table.addMsg(1, 0x200, MSG_BEFORE_AND_AFTER);
    table.addMsg(1, 0x113, MSG_AFTER);
    os.send(1, 0x200);
    os.send(1, 0x113);
    os.send(1, 0x5);
    ASSERT_EQ(os.calls.size(), 3u);
    EXPECT_TRUE(os.calls[0].before);
    EXPECT_FALSE(os.calls[1].before);
    EXPECT_EQ(os.calls[2].uMsg, 0x113);

    // The after callback sees the previous result and may replace it.
    os.callback = [](bool before, bool&, std::int64_t& r, Args&) {
        if (!before) r = r + 1;
    };
    EXPECT_EQ(os.send(1, 0x113), 0x1131);
    // Handled in the before phase: no previous procedure, no after phase.
    os.calls.clear();
    os.seenByBase.clear();
    os.callback = [](bool before, bool& handled, std::int64_t& r, Args&) {
        if (before) {
            handled = true;
            r = 42;
        }
    };
    EXPECT_EQ(os.send(1, 0x200), 42);
    EXPECT_TRUE(os.seenByBase.empty());
    EXPECT_EQ(os.calls.size(), 1u);
    // Arguments changed before reach the previous procedure.
    os.callback = [](bool before, bool&, std::int64_t&, Args& a) {
        if (before) a.uMsg = 0x7;
    };
    EXPECT_EQ(os.send(1, 0x200), 0x70);
}

TEST_F(SubclassTableTest, AddingTwiceReusingFreedSlotsAndMessageZero) {
    table.start(1);
    table.addMsg(1, 0x200, MSG_AFTER);
    table.addMsg(1, 0x113, MSG_AFTER);
    table.addMsg(1, 0x200, MSG_AFTER);
    EXPECT_EQ(entry(0).afterCount, 2);
    table.delMsg(1, 0x200, MSG_AFTER);
    EXPECT_EQ(entry(0).afterCount, 2);
    EXPECT_EQ(entry(0).afterTable, (std::vector<std::int32_t>{0, 0x113}));
    // The freed slot still scans as message 0.
    os.send(1, 0);
    ASSERT_EQ(os.calls.size(), 1u);
    EXPECT_EQ(os.calls[0].uMsg, 0);
    table.addMsg(1, 0x201, MSG_AFTER);
    EXPECT_EQ(entry(0).afterTable, (std::vector<std::int32_t>{0x201, 0x113}));
    EXPECT_EQ(os.block(entry(0).thunk).after.count, 2);
    // Growth re-points the block at the moved storage.
    for (int m = 0x300; m < 0x340; ++m) table.addMsg(1, m, MSG_AFTER);
    EXPECT_EQ(os.block(entry(0).thunk).after.table, entry(0).afterTable.data());
    EXPECT_EQ(os.block(entry(0).thunk).after.count, 0x42);
    EXPECT_TRUE(entry(0).beforeTable.empty());
}

TEST_F(SubclassTableTest, AMessageAddedAgainIntoAFreedSlotIsRemovedByOneDelete) {
    table.start(1);
    table.addMsg(1, 0x113, MSG_AFTER);
    table.addMsg(1, 0x200, MSG_AFTER);
    table.delMsg(1, 0x113, MSG_AFTER);
    table.addMsg(1, 0x200, MSG_AFTER);  // already in slot 2: the freed slot 1 stays free
    EXPECT_EQ(entry(0).afterTable, (std::vector<std::int32_t>{0, 0x200}));
    table.delMsg(1, 0x200, MSG_AFTER);
    os.send(1, 0x200);
    EXPECT_TRUE(os.calls.empty());
}

TEST_F(SubclassTableTest, AllMessagesValue) {
    table.start(1);
    table.addMsg(1, 0x113, MSG_AFTER);
    table.addMsg(1, kAllMessages, MSG_BEFORE_AND_AFTER);
    EXPECT_EQ(entry(0).beforeCount, -1);
    EXPECT_EQ(entry(0).afterCount, -1);
    os.send(1, 0x1234);
    EXPECT_EQ(os.calls.size(), 2u);
    // A specific message on an every-message table is error 9 and changes nothing.
    EXPECT_EQ(errorOf([&] { table.addMsg(1, 0x200, MSG_BEFORE); }), 9);
    EXPECT_EQ(entry(0).beforeCount, -1);
    EXPECT_EQ(errorOf([&] { table.delMsg(1, 0x200, MSG_BEFORE); }), 0);
    // Removing every message from one phase leaves the other alone; the table keeps its contents.
    table.delMsg(1, kAllMessages, MSG_BEFORE);
    os.calls.clear();
    os.send(1, 0x1234);
    ASSERT_EQ(os.calls.size(), 1u);
    EXPECT_FALSE(os.calls[0].before);
    table.delMsg(1, kAllMessages, MSG_AFTER);
    EXPECT_EQ(entry(0).afterCount, 0);
    EXPECT_EQ(entry(0).afterTable, std::vector<std::int32_t>{0x113});
    // Adding after that regrows from slot 1.
    table.addMsg(1, 0x200, MSG_AFTER);
    EXPECT_EQ(entry(0).afterTable, std::vector<std::int32_t>{0x200});
    EXPECT_EQ(entry(0).afterCount, 1);
}

TEST_F(SubclassTableTest, UnknownWindowsAreError9AndChangeNothing) {
    EXPECT_EQ(errorOf([&] { table.addMsg(1, 0x200, MSG_AFTER); }), 9);  // no table yet
    EXPECT_EQ(errorOf([&] { table.stopWnd(1); }), 9);
    table.stopAll();  // nothing to stop
    table.start(1);
    EXPECT_EQ(errorOf([&] { table.addMsg(2, 0x200, MSG_AFTER); }), 9);
    EXPECT_EQ(errorOf([&] { table.delMsg(2, 0x200, MSG_AFTER); }), 9);
    EXPECT_EQ(errorOf([&] { table.stopWnd(2); }), 9);
    // Handle 0 must not match a free entry.
    table.stopWnd(1);
    EXPECT_EQ(errorOf([&] { table.addMsg(0, 0x200, MSG_AFTER); }), 9);
    EXPECT_EQ(errorOf([&] { table.stopWnd(0); }), 9);
    EXPECT_TRUE(entry(0).afterTable.empty());
}

TEST_F(SubclassTableTest, WindowsThatCannotBeWatchedAreRefused) {
    os.windows[5000] = kBase;  // another thread's window
    EXPECT_EQ(errorOf([&] { table.start(0); }), 5);
    EXPECT_EQ(errorOf([&] { table.start(77); }), 5);
    EXPECT_EQ(errorOf([&] { table.start(5000); }), 5);
    EXPECT_EQ(os.windows[5000], kBase);
    os.failAllocation = true;
    EXPECT_EQ(errorOf([&] { table.start(1); }), 7);
    EXPECT_EQ(os.windows[1], kBase);
    EXPECT_TRUE(os.blocks.empty());
}

TEST_F(SubclassTableTest, StopRestoresFreesAndReusesEntries) {
    EXPECT_EQ(table.start(1), 0);
    EXPECT_EQ(table.start(2), 1);
    table.addMsg(1, 0x200, MSG_BEFORE_AND_AFTER);
    table.stopWnd(1);
    EXPECT_EQ(os.windows[1], kBase);
    EXPECT_EQ(os.freed, 1);
    EXPECT_EQ(entry(0).hWnd, 0u);
    EXPECT_EQ(entry(0).beforeCount, 0);
    EXPECT_TRUE(entry(0).beforeTable.empty());
    // The free entry is reused, the table does not grow.
    EXPECT_EQ(table.start(1), 0);
    EXPECT_EQ(table.entries().size(), 2u);
    EXPECT_EQ(table.start(1), 2);
    table.stopAll();
    EXPECT_EQ(os.windows[1], kBase);
    EXPECT_EQ(os.windows[2], kBase);
    EXPECT_TRUE(os.blocks.empty());
}

TEST_F(SubclassTableTest, TwoStartsOnOneWindowChain) {
    EXPECT_EQ(table.start(1), 0);
    EXPECT_EQ(table.start(1), 1);
    EXPECT_EQ(entry(1).previousProc, entry(0).thunk);
    table.addMsg(1, 0x200, MSG_AFTER);  // the later entry
    EXPECT_EQ(entry(1).afterCount, 1);
    EXPECT_EQ(entry(0).afterCount, 0);
    EXPECT_EQ(os.send(1, 0x200), 0x2000);
    EXPECT_EQ(os.calls.size(), 1u);
    table.stopWnd(1);
    EXPECT_EQ(os.windows[1], entry(0).thunk);
    table.stopWnd(1);
    EXPECT_EQ(os.windows[1], kBase);
}

TEST_F(SubclassTableTest, AReusedLowerEntryOnTopOfTheChainComesOffFirst) {
    table.start(1);  // 0
    table.start(2);  // 1
    table.start(1);  // 2, over 0
    table.stopWnd(2);
    EXPECT_EQ(table.start(1), 1);  // reused, now on top of 2
    table.stopWnd(1);              // must take entry 1, the window's procedure now
    EXPECT_EQ(entry(1).hWnd, 0u);
    EXPECT_EQ(os.windows[1], entry(2).thunk);
    table.stopAll();
    EXPECT_EQ(os.windows[1], kBase);
    EXPECT_TRUE(os.blocks.empty());
    EXPECT_EQ(os.send(1, 3), 0x30);
}

TEST_F(SubclassTableTest, ABlockUnderAForeignProcedureIsKeptPassingThrough) {
    table.start(1);
    table.addMsg(1, 0x200, MSG_AFTER);
    const Address ours = entry(0).thunk;
    // Someone else subclasses over us and keeps calling our block.
    auto foreign = std::make_unique<FakeBlock>();
    foreign->previous = ours;
    const auto f = reinterpret_cast<Address>(foreign.get());
    os.blocks[f] = std::move(foreign);
    os.windows[1] = f;
    table.stopWnd(1);
    EXPECT_EQ(os.windows[1], f);
    EXPECT_EQ(os.blocks.count(ours), 1u);
    EXPECT_EQ(table.retired(), std::vector<Address>{ours});
    EXPECT_EQ(os.codeKept, 1);  // it still calls into the module
    EXPECT_EQ(os.send(1, 0x200), 0x2000);
    EXPECT_TRUE(os.calls.empty());
}

TEST_F(SubclassTableTest, ADestroyedWindowsBlockIsFreedOnStop) {
    table.start(1);
    os.windows.erase(1);
    table.stopWnd(1);
    EXPECT_TRUE(os.blocks.empty());
    EXPECT_TRUE(table.retired().empty());
}


TEST_F(SubclassTableTest, StoppingFromInsideACallbackBuriesTheRunningBlock) {
    table.start(1);
    table.addMsg(1, 0x200, MSG_BEFORE);
    os.callback = [&](bool, bool&, std::int64_t&, Args&) {
        table.stopAll();
        EXPECT_EQ(os.blocks.size(), 1u);  // the running block is still there
    };
    EXPECT_EQ(os.send(1, 0x200), 0x2000);
    EXPECT_EQ(os.windows[1], kBase);
    EXPECT_EQ(BlockGraveyard::thisThread().buried(), 1u);
    EXPECT_EQ(os.flushRequests, 1);
    table.start(2);  // the next operation outside every block frees it
    EXPECT_EQ(os.blocks.size(), 1u);
    EXPECT_EQ(os.freed, 1);
}

namespace {

enum class ReleasedIn { BeforeCallback, PreviousProcedure, AfterCallback };

// The table's owner goes away inside a message its block is handling: the
// block returns through code and tables that must still be there, and must
// call nothing of the owner any more.
struct ReleaseCase {
    ReleasedIn where;
    int windows;
    bool nested;  // the release comes in a message sent re-entrantly from the window's own procedure
};

}  // namespace

TEST(SubclassTableRelease, TheOwnerReleasedInsideAMessageOfItsOwnBlock) {
    for (const ReleaseCase c : {ReleaseCase{ReleasedIn::BeforeCallback, 1, false},
                                ReleaseCase{ReleasedIn::PreviousProcedure, 1, false},
                                ReleaseCase{ReleasedIn::AfterCallback, 1, false},
                                ReleaseCase{ReleasedIn::BeforeCallback, 2, true},
                                ReleaseCase{ReleasedIn::PreviousProcedure, 2, false},
                                ReleaseCase{ReleasedIn::PreviousProcedure, 2, true},
                                ReleaseCase{ReleasedIn::AfterCallback, 2, true}}) {
        SCOPED_TRACE(testing::Message() << "released in " << static_cast<int>(c.where) << ", " << c.windows
                                        << " windows" << (c.nested ? ", nested" : ""));
        FakePlatform os;
        auto table = std::make_unique<SubclassTable>(os);
        for (Address w = 1; w <= static_cast<Address>(c.windows); ++w) {
            os.windows[w] = kBase;
            table->start(w);
            table->addMsg(w, 0x200, MSG_BEFORE_AND_AFTER);
        }
        int callsAfterRelease = 0;
        auto releaseHere = [&](bool inPhase, const Args& a) {
            // In the nested case only the inner message (wParam 0) releases.
            if (!inPhase || !table || (c.nested && a.wParam != 0)) return;
            table->stopAll();  // what the owner's end does
            table.reset();
            EXPECT_EQ(os.windows[1], kBase);
            EXPECT_EQ(os.blocks.size(), static_cast<std::size_t>(c.windows));  // buried, not freed
            // The window answers with its own procedure at once.
            EXPECT_EQ(os.send(1, 0x7), 0x70);
        };
        os.callback = [&](bool before, bool&, std::int64_t&, Args& a) {
            if (!table) ++callsAfterRelease;
            releaseHere(c.where == (before ? ReleasedIn::BeforeCallback : ReleasedIn::AfterCallback), a);
        };
        os.onBase = [&](Args& a) {
            if (a.uMsg != 0x200) return;
            if (c.nested && a.wParam == 1) {
                EXPECT_EQ(os.send(1, 0x200, 0), 0x2000);  // through the same block, once more
                if (c.windows > 1) {
                    EXPECT_EQ(os.send(2, 0x200), 0x2000);
                }
                EXPECT_FALSE(table);
                EXPECT_EQ(BlockGraveyard::thisThread().buried(), static_cast<std::size_t>(c.windows));
                return;
            }
            releaseHere(c.where == ReleasedIn::PreviousProcedure, a);
        };
        EXPECT_EQ(os.send(1, 0x200, c.nested ? 1 : 0), 0x2000);
        EXPECT_FALSE(table);
        EXPECT_EQ(callsAfterRelease, 0);
        EXPECT_TRUE(os.running.empty());
        // Back outside every block: the graveyard lets them go, each once.
        EXPECT_EQ(BlockGraveyard::thisThread().buried(), static_cast<std::size_t>(c.windows));
        EXPECT_GE(os.flushRequests, 1);
        EXPECT_GE(os.codeKept, 1);
        EXPECT_TRUE(BlockGraveyard::thisThread().flush());
        EXPECT_TRUE(os.blocks.empty());
        EXPECT_EQ(os.freed, c.windows);
        for (Address w = 1; w <= static_cast<Address>(c.windows); ++w) EXPECT_EQ(os.send(w, 0x200), 0x2000);
    }
}
