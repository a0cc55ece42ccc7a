// The subclass table under any sequence of starts, message selections and
// stops, with other subclassers stacking on the same windows, windows
// destroyed and re-made and callbacks in progress: no window procedure, other
// subclasser or block of ours ever leads to a freed block, each table
// matches its count, and at the end every block is freed or retired.
#include <list>
#include <map>
#include <set>

#include "common/testing/fuzz.h"
#include "lanthor/tooltips/subclass_table.h"

using namespace lanthor;

namespace {

constexpr Address kForeignWindow = 101;

class FakeWindows : public SubclassPlatform {
public:
    std::map<Address, Address> procedure;          // window -> its procedure now
    std::map<Address, Address> replaced;           // another subclasser's procedure -> the one it calls
    std::map<Address, Address> previousOfBlock;    // our live blocks -> the one they call
    struct Patched {
        const std::int32_t* table = nullptr;
        std::int32_t count = 0;
    };
    std::map<std::pair<Address, bool>, Patched> patched;  // what a block reads, before and after
    Address nextAddress = 0x10000;
    bool failAllocation = false;

    // A window's own procedure; other subclassers' and our blocks are above 0x10000.
    void make(Address hWnd) { procedure[hWnd] = 0x1000 + hWnd; }
    bool callable(Address proc) const {
        return (proc >= 0x1000 && proc < 0x10000) || replaced.count(proc) || previousOfBlock.count(proc);
    }

    bool isWindow(Address h) override { return procedure.count(h) != 0; }
    bool isOwnWindow(Address h) override { return isWindow(h) && h != kForeignWindow; }
    Address newBlock() override {
        if (failAllocation) return 0;
        previousOfBlock[++nextAddress] = 0;
        return nextAddress;
    }
    void freeBlock(Address b) override { FUZZ_CHECK(previousOfBlock.erase(b) == 1); }
    Address windowProc(Address h) override { return isWindow(h) ? procedure[h] : 0; }
    Address setWindowProc(Address h, Address proc) override {
        return isWindow(h) ? std::exchange(procedure[h], proc) : 0;
    }
    void patchPrevious(Address b, Address, Address previous) override { live(b) = previous; }
    void patchTable(Address b, bool before, const std::int32_t* table) override {
        live(b);
        patched[{b, before}].table = table;
    }
    void patchCount(Address b, bool before, std::int32_t count) override {
        live(b);
        patched[{b, before}].count = count;
    }
    Address& live(Address b) {
        FUZZ_CHECK(previousOfBlock.count(b) == 1);
        return previousOfBlock[b];
    }
};

// Every window's chain of procedures, through other subclassers and our
// blocks, reaches the window's own procedure over live code only.
void checkNothingCallsFreedCode(const FakeWindows& w) {
    for (const auto& [window, first] : w.procedure) {
        Address proc = first;
        for (int steps = 0; proc >= 0x10000; ++steps) {
            FUZZ_CHECK(w.callable(proc) && steps < 1000);
            const auto other = w.replaced.find(proc);
            proc = other != w.replaced.end() ? other->second : w.previousOfBlock.at(proc);
        }
        FUZZ_CHECK(proc >= 0x1000);
    }
}

void checkEntries(const FakeWindows& w, const SubclassTable& table) {
    for (const SubclassEntry& e : table.entries()) {
        if (e.hWnd == 0) continue;
        FUZZ_CHECK(w.previousOfBlock.count(e.thunk) == 1);
        // The block reads count slots from the table it was given, which must be the live one.
        for (bool before : {true, false}) {
            const auto found = w.patched.find({e.thunk, before});
            const FakeWindows::Patched p = found == w.patched.end() ? FakeWindows::Patched{} : found->second;
            const auto& table = before ? e.beforeTable : e.afterTable;
            FUZZ_CHECK(p.count == (before ? e.beforeCount : e.afterCount));
            if (p.count > 0) FUZZ_CHECK(p.table == table.data() && static_cast<size_t>(p.count) <= table.size());
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    FakeWindows w;
    for (Address h : std::initializer_list<Address>{1, 2, 3, kForeignWindow}) w.make(h);
    std::set<Address> retired;
    {
        SubclassTable table(w);
        std::list<SubclassTable::CallbackScope> callbacks;
        while (in.remaining_bytes() > 0) {
            const Address h = in.PickValueInArray<Address>({0, 1, 2, 3, 4, kForeignWindow});
            const std::int32_t msg = in.ConsumeIntegralInRange(-1, 4), when = in.ConsumeIntegralInRange(0, 3);
            const int error = frame::fuzz::errorOf([&] {
                switch (in.ConsumeIntegralInRange(0, 10)) {
                    case 0: table.start(h); break;
                    case 1: table.addMsg(h, msg, when); break;
                    case 2: table.delMsg(h, msg, when); break;
                    case 3: table.stopWnd(h); break;
                    case 4: table.stopAll(); break;
                    case 5:  // another subclasser goes on top
                        if (w.isWindow(h)) {
                            const Address proc = ++w.nextAddress;
                            w.replaced[proc] = w.setWindowProc(h, proc);
                        }
                        break;
                    case 6:  // and comes off again, when it is still on top
                        if (w.isWindow(h) && w.replaced.count(w.procedure[h])) {
                            const Address top = w.procedure[h];
                            w.procedure[h] = w.replaced[top];
                            w.replaced.erase(top);
                        }
                        break;
                    case 7:  // destroyed, with whatever it was subclassed by
                        for (Address p = w.windowProc(h); w.replaced.count(p);) p = w.replaced.extract(p).mapped();
                        w.procedure.erase(h);
                        break;
                    case 8: if (!w.isWindow(h) && h != 0) w.make(h); break;
                    case 9:
                        if (callbacks.size() < 2 && in.ConsumeBool()) callbacks.emplace_back(table);
                        else if (!callbacks.empty()) callbacks.pop_back();
                        break;
                    default: w.failAllocation = !w.failAllocation;
                }
            });
            FUZZ_CHECK(error == 0 || error == frame::errInvalidProcedureCall || error == frame::errOutOfMemory ||
                       error == frame::errSubscriptOutOfRange);
            checkNothingCallsFreedCode(w);
            checkEntries(w, table);
        }
        callbacks.clear();
        table.stopAll();
        for (const SubclassEntry& e : table.entries()) FUZZ_CHECK(e.hWnd == 0);
        retired.insert(table.retired().begin(), table.retired().end());
    }
    checkNothingCallsFreedCode(w);
    for (const auto& [block, previous] : w.previousOfBlock) FUZZ_CHECK(retired.count(block) == 1);
    return 0;
}
