// What a late-bound call costs on every property of every class that takes no
// argument, beside Count of the platform's Scripting.Dictionary in the same
// run. Each member is read early-bound (through its interface slot), by DISPID
// (Invoke, as a script engine calls a name it has bound) and by name
// (GetIDsOfNames and Invoke each call); the dispatch cost is the late-bound
// figure less the early-bound one, so that what the member itself does does
// not count. Prints per class the member whose dispatch costs most, and its
// ratio to the dictionary's. Run under Wine from build/<arch>/tests:
//   SWEEP_LIBRARIES='<dll>|<dll>|...' ../../../scripts/wine-run.sh call_cost_bench.exe [calls]
#include <windows.h>
#include <oleauto.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "common/testing/bench.h"
#include "tests/sweep/type_walk.h"

namespace {

using frame::ComPtr;
using frame::Variant;
using frame::testing::MessageBoxCapture;

struct Cost {
    double early = 0, byId = 0, byName = 0;  // ns per call
    double idOverhead() const { return byId - early; }
    double nameOverhead() const { return byName - early; }
};

void freeResult(VARTYPE type, void* slot) {
    if (type == VT_BSTR) SysFreeString(*static_cast<BSTR*>(slot));
    else if (type == VT_DISPATCH || type == VT_UNKNOWN) {
        if (IUnknown* object = *static_cast<IUnknown**>(slot)) object->Release();
    } else if (type == VT_VARIANT) VariantClear(static_cast<VARIANT*>(slot));
    else if (type == VT_SAFEARRAY) SafeArrayDestroy(*static_cast<SAFEARRAY**>(slot));
}

// ns per call of f over `calls` calls.
template <class F>
double nsPerCall(int calls, F&& f) {
    const double start = frame::testing::seconds();
    for (int i = 0; i < calls; ++i) f();
    return 1e9 * (frame::testing::seconds() - start) / calls;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// The member's three costs; false when it cannot be timed (it fails or shows a box).
bool measure(IDispatch* object, const sweep::Member& member, int calls, Cost& cost) {
    ComPtr<ITypeInfo> info;
    TYPEATTR* attr = nullptr;
    ComPtr<IUnknown> vtable;
    if (FAILED(object->GetTypeInfo(0, LOCALE_USER_DEFAULT, info.put())) || FAILED(info->GetTypeAttr(&attr)))
        return false;
    object->QueryInterface(attr->guid, reinterpret_cast<void**>(vtable.put()));
    info->ReleaseTypeAttr(attr);
    if (!vtable) return false;

    DISPPARAMS none{nullptr, nullptr, 0, 0};
    const WORD flags = DISPATCH_PROPERTYGET | DISPATCH_METHOD;  // as a script engine reads a property
    {
        MessageBoxCapture capture;
        Variant result;
        if (FAILED(object->Invoke(member.id, IID_NULL, LOCALE_USER_DEFAULT, flags, &none, result.put(), nullptr,
                                  nullptr)) ||
            !capture.boxes().empty())
            return false;
    }
    using Get = HRESULT(STDMETHODCALLTYPE*)(IUnknown*, void*);
    const Get get = reinterpret_cast<Get>((*reinterpret_cast<void***>(vtable.get()))[member.vtableOffset /
                                                                                       sizeof(void*)]);
    std::wstring name(member.name.begin(), member.name.end());
    LPOLESTR names[] = {name.data()};
    // Rounds of the three side by side, so that each round's late-bound figures
    // are compared with its own early-bound one; medians over the rounds.
    std::vector<double> early, byId, byName;
    for (int round = 0; round < 7; ++round) {
        early.push_back(nsPerCall(calls, [&] {
            VARIANT slot{};
            get(vtable.get(), &slot);
            freeResult(member.result, &slot);
        }));
        byId.push_back(nsPerCall(calls, [&] {
            Variant result;
            object->Invoke(member.id, IID_NULL, LOCALE_USER_DEFAULT, flags, &none, result.put(), nullptr, nullptr);
        }) - early.back());
        byName.push_back(nsPerCall(calls, [&] {
            DISPID id = 0;
            object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
            Variant result;
            object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &none, result.put(), nullptr, nullptr);
        }) - early.back());
    }
    cost.early = median(early);
    cost.byId = cost.early + median(byId);
    cost.byName = cost.early + median(byName);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    CoInitialize(nullptr);
    const int calls = argc > 1 ? std::atoi(argv[1]) : 2000;
    {
        ComPtr<IDispatch> dictionary = frame::createObject(u"Scripting.Dictionary");
        Cost count;
        for (const sweep::Member& member : sweep::membersOf(dictionary.get()))
            if (member.name == u"Count" && member.invokeKind == DISPATCH_PROPERTYGET)
                measure(dictionary.get(), member, calls, count);
        std::printf("%d-bit, %d calls per round, medians of 7 rounds; ns per call\n\n",
                    static_cast<int>(sizeof(void*) * 8), calls);
        std::printf("Scripting.Dictionary.Count: early-bound %.0f, by DISPID %.0f, by name %.0f; dispatch %.0f by "
                    "DISPID, %.0f by name\n\n",
                    count.early, count.byId, count.byName, count.idOverhead(), count.nameOverhead());
        std::printf("| class | gets timed | costliest by DISPID | early | by DISPID | ratio | costliest by name | "
                    "early | by name | ratio |\n|---|---:|---|---:|---:|---:|---|---:|---:|---:|\n");
        for (const sweep::Library& library : sweep::librariesUnderTest()) {
            for (const sweep::Class& cls : library.classes) {
                ComPtr<IDispatch> object = sweep::create(library, cls);
                if (!object) continue;
                const sweep::Member *worstId = nullptr, *worstName = nullptr;
                Cost idCost, nameCost;
                int timed = 0, slow = 0;
                for (const sweep::Member& member : cls.members) {
                    if (member.invokeKind != DISPATCH_PROPERTYGET || !member.parameters.empty()) continue;
                    Cost cost;
                    if (!measure(object.get(), member, calls, cost)) continue;
                    if (cost.early > 2000) {
                        ++slow;
                        continue;
                    }
                    ++timed;
                    if (!worstId || cost.idOverhead() > idCost.idOverhead()) worstId = &member, idCost = cost;
                    if (!worstName || cost.nameOverhead() > nameCost.nameOverhead()) worstName = &member, nameCost = cost;
                }
                if (!timed) {
                    std::printf("| %s.%s | 0 (%d slower) | | | | | | | | |\n",
                                frame::testing::narrow(library.name).c_str(), frame::testing::narrow(cls.name).c_str(),
                                slow);
                    continue;
                }
                std::printf("| %s.%s | %d (%d slower) | %s | %.0f | %.0f | %.2f | %s | %.0f | %.0f | %.2f |\n",
                            frame::testing::narrow(library.name).c_str(), frame::testing::narrow(cls.name).c_str(),
                            timed, slow, frame::testing::narrow(worstId->name).c_str(), idCost.early, idCost.byId,
                            idCost.idOverhead() / count.idOverhead(), frame::testing::narrow(worstName->name).c_str(),
                            nameCost.early, nameCost.byName, nameCost.nameOverhead() / count.nameOverhead());
                std::fflush(stdout);
            }
        }
    }
    CoUninitialize();
    return 0;
}
