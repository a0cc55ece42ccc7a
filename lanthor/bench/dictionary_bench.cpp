// Per-call cost of CDictionary's members beside the bare Scripting.Dictionary
// it wraps, in the same run: early-bound and by DISPID on CDictionary, by
// DISPID on the bare dictionary. Then SortDictionary of 100 and 1 000 entries.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <random>
#include <vector>

#include "common/errors.h"
#include "common/late.h"
#include "common/testing/harness.h"
#include "lanthor_h.h"

using frame::Argument;
using frame::ComPtr;
using frame::Variant;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int kEntries = 1000;

constexpr int kRounds = 5;

// Nanoseconds per call of `call(k)`, k cycling through the entries: the best
// of five rounds of `calls` calls, each after `before()`. The best round is
// the one least disturbed by other work on a shared machine.
double nsPerCall(int calls, const std::function<void(int)>& call, const std::function<void()>& before = [] {}) {
    double best = 1e300;
    for (int round = 0; round < kRounds; ++round) {
        before();
        for (int i = 0; i < std::min(calls, kEntries); ++i) call(i);  // warm-up
        const auto start = Clock::now();
        for (int i = 0; i < calls; ++i) call(i % kEntries);
        best = std::min(best, std::chrono::duration<double, std::nano>(Clock::now() - start).count() / calls);
    }
    return best;
}

DISPID idOf(IDispatch* object, const char16_t* name) {
    frame::DispatchMember member(name);
    return member.id(object);
}

// One IDispatch::Invoke as a script engine makes it: arguments by reference
// (a constant by value), last first; nothing else around it.
void invoke(IDispatch* object, DISPID id, WORD flags, std::initializer_list<Argument> args) {
    VARIANTARG arguments[2];
    UINT count = 0;
    for (auto it = std::rbegin(args); it != std::rend(args); ++it) arguments[count++] = it->arg();
    DISPPARAMS params{arguments, nullptr, count, 0};
    VARIANT result;
    VariantInit(&result);
    if (FAILED(object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, &result, nullptr, nullptr)))
        std::abort();
    VariantClear(&result);
}

struct Keys {
    std::vector<Variant> values;
    explicit Keys(int count, const char16_t* prefix) {
        for (int k = 0; k < count; ++k) values.emplace_back(std::u16string(prefix) + frame::decimal(k));
    }
};

}  // namespace

int main(int argc, char** argv) {
    const int calls = argc > 1 ? std::atoi(argv[1]) : 20000;
    CoInitialize(nullptr);
    {
        auto wrapped = frame::testing::createFromDll<_CDictionary>(L"Lanthor.dll", __uuidof(CDictionary));
        ComPtr<IDispatch> bare = frame::createObject(u"Scripting.Dictionary");
        if (!wrapped || !bare) {
            std::fprintf(stderr, "objects could not be created\n");
            return 1;
        }
        IDispatch* wrappedLate = wrapped.get();
        Keys keys(kEntries, u"key "), fresh(calls + kEntries, u"new "), upper(kEntries, u"KEY ");
        Variant item(1);

        // Add: distinct keys into a dictionary emptied before each round.
        const DISPID bareAdd = idOf(bare.get(), u"Add"), wrappedAdd = idOf(wrappedLate, u"Add");
        const DISPID bareRemoveAll = idOf(bare.get(), u"RemoveAll");
        int next = 0;
        auto freshKey = [&]() -> Variant& { return fresh.values[static_cast<size_t>(next++)]; };
        auto emptyBare = [&] { invoke(bare.get(), bareRemoveAll, DISPATCH_METHOD, {}); next = 0; };
        auto emptyWrapped = [&] { wrapped->RemoveAll(); next = 0; };
        const double addBare = nsPerCall(calls, [&](int) {
            invoke(bare.get(), bareAdd, DISPATCH_METHOD, {Argument::byRef(freshKey()), item});
        }, emptyBare);
        const double addEarly = nsPerCall(calls, [&](int) { wrapped->Add(&freshKey().raw(), &item.raw()); }, emptyWrapped);
        const double addLate = nsPerCall(calls, [&](int) {
            invoke(wrappedLate, wrappedAdd, DISPATCH_METHOD, {Argument::byRef(freshKey()), item});
        }, emptyWrapped);
        emptyWrapped();
        emptyBare();

        // The look-ups on 1 000 entries.
        for (Variant& k : keys.values) {
            wrapped->Add(&k.raw(), &item.raw());
            invoke(bare.get(), bareAdd, DISPATCH_METHOD, {Argument::byRef(k), item});
        }
        auto key = [&](int k) -> Variant& { return keys.values[static_cast<size_t>(k)]; };
        auto upperKey = [&](int k) -> Variant& { return upper.values[static_cast<size_t>(k)]; };
        const DISPID bareExists = idOf(bare.get(), u"Exists"), bareItem = idOf(bare.get(), u"Item"),
                     bareCount = idOf(bare.get(), u"Count");
        const DISPID wrappedExists = idOf(wrappedLate, u"Exists"), wrappedItem = idOf(wrappedLate, u"Item"),
                     wrappedCount = idOf(wrappedLate, u"Count");
        VARIANT_BOOL found = VARIANT_FALSE;
        long count = 0;
        struct Row {
            const char* name;
            double bare, early, late;
        };
        std::vector<Row> rows;
        rows.push_back({"Add", addBare, addEarly, addLate});
        rows.push_back({"Exists, binary",
                        nsPerCall(calls, [&](int k) { invoke(bare.get(), bareExists, DISPATCH_METHOD, {Argument::byRef(key(k))}); }),
                        nsPerCall(calls, [&](int k) { wrapped->Exists(&key(k).raw(), &found); }),
                        nsPerCall(calls, [&](int k) { invoke(wrappedLate, wrappedExists, DISPATCH_METHOD, {Argument::byRef(key(k))}); })});
        rows.push_back({"Item",
                        nsPerCall(calls, [&](int k) { invoke(bare.get(), bareItem, DISPATCH_PROPERTYGET, {Argument::byRef(key(k))}); }),
                        nsPerCall(calls, [&](int k) { Variant out; wrapped->get_Item(&key(k).raw(), out.put()); }),
                        nsPerCall(calls, [&](int k) { invoke(wrappedLate, wrappedItem, DISPATCH_PROPERTYGET, {Argument::byRef(key(k))}); })});
        rows.push_back({"Count",
                        nsPerCall(calls, [&](int) { invoke(bare.get(), bareCount, DISPATCH_PROPERTYGET, {}); }),
                        nsPerCall(calls, [&](int) { wrapped->get_Count(&count); }),
                        nsPerCall(calls, [&](int) { invoke(wrappedLate, wrappedCount, DISPATCH_PROPERTYGET, {}); })});
        wrapped->put_CompareMode(dicText);
        const int textCalls = kEntries;
        const double textEarly = nsPerCall(textCalls, [&](int k) { wrapped->Exists(&upperKey(k).raw(), &found); });
        const double textLate = nsPerCall(textCalls, [&](int k) {
            invoke(wrappedLate, wrappedExists, DISPATCH_METHOD, {Argument::byRef(upperKey(k))});
        });
        wrapped->put_CompareMode(dicBinary);

        std::printf("%d-bit, %d entries, ns per call, best of %d rounds of %d calls\n",
                    static_cast<int>(sizeof(void*) * 8), kEntries, kRounds, calls);
        std::printf("%-16s %12s %12s %12s %8s\n", "member", "bare DISPID", "early-bound", "DISPID", "ratio");
        for (const Row& r : rows)
            std::printf("%-16s %12.0f %12.0f %12.0f %8.2f\n", r.name, r.bare, r.early, r.late, r.late / r.bare);
        std::printf("%-16s %12s %12.0f %12.0f   (other case, keys spread over the %d; %d calls)\n", "Exists, text",
                    "-", textEarly, textLate, kEntries, textCalls);

        // SortDictionary of entries in random order, by keys and by items.
        std::mt19937 random(7);
        for (int entries : {100, 1000}) {
            std::vector<int> order(static_cast<size_t>(entries));
            for (int k = 0; k < entries; ++k) order[static_cast<size_t>(k)] = k;
            for (VARIANT_BOOL byKey : {VARIANT_TRUE, VARIANT_FALSE}) {
                double best = 1e300;
                for (int round = 0; round < kRounds; ++round) {
                    wrapped->RemoveAll();
                    std::shuffle(order.begin(), order.end(), random);
                    for (int k : order) {
                        Variant entryKey(u"key " + frame::decimal(k)), entryItem(entries - k);
                        wrapped->Add(&entryKey.raw(), &entryItem.raw());
                    }
                    const auto start = Clock::now();
                    VARIANT_BOOL fKey = byKey;
                    wrapped->SortDictionary(&fKey);
                    best = std::min(best, std::chrono::duration<double, std::milli>(Clock::now() - start).count());
                }
                std::printf("SortDictionary of %4d entries by %-5s %8.2f ms\n", entries,
                            byKey ? "keys" : "items", best);
            }
        }
    }
    CoUninitialize();
    return 0;
}
