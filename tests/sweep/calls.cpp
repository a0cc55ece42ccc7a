#include "tests/sweep/calls.h"

#include <tlhelp32.h>

#include <functional>
#include <limits>

namespace sweep {
namespace {

using frame::Bstr;
using frame::ComPtr;
using frame::Variant;
using frame::testing::MessageBoxCapture;

struct Value {
    const char* label;
    std::function<Variant()> make;
    bool wrap = true;  // also passed by reference, as a script host passes a variable
};

Variant longValue(int32_t n) { return Variant(n); }
Variant doubleValue(double d) {
    Variant v;
    V_VT(&v.raw()) = VT_R8;
    V_R8(&v.raw()) = d;
    return v;
}
Variant nullValue() {
    Variant v;
    V_VT(&v.raw()) = VT_NULL;
    return v;
}
Variant nullBstr() {
    Variant v;
    V_VT(&v.raw()) = VT_BSTR;
    V_BSTR(&v.raw()) = nullptr;
    return v;
}
Variant variantArray() {
    SAFEARRAYBOUND bound{2, 0};
    SAFEARRAY* array = SafeArrayCreate(VT_VARIANT, 1, &bound);
    LONG index = 0;
    Variant one(1);
    SafeArrayPutElement(array, &index, &one.raw());
    index = 1;
    Variant text(u"a");
    SafeArrayPutElement(array, &index, &text.raw());
    Variant v;
    V_VT(&v.raw()) = VT_ARRAY | VT_VARIANT;
    V_ARRAY(&v.raw()) = array;
    return v;
}
ComPtr<IDispatch> unrelatedObject() {
    static ComPtr<IDispatch> dictionary = frame::createObject(u"Scripting.Dictionary");
    return dictionary;
}

const std::vector<Value>& battery() {
    static const std::vector<Value> values = {
        {"Empty", [] { return Variant(); }},
        {"Null", nullValue},
        {"missing", [] { return Variant::missing(); }, false},
        {"null BSTR", nullBstr},
        {"empty BSTR", [] { return Variant(u""); }},
        {"1 MiB BSTR", [] { return Variant(Bstr(std::u16string(512 * 1024, u'A'))); }, false},
        {"BSTR with NUL and non-ANSI", [] { return Variant(Bstr(std::u16string(u"a\0b\u4E2D\u00E9\U0001F600z", 8))); }},
        {"Long 0", [] { return longValue(0); }},
        {"Long -1", [] { return longValue(-1); }},
        {"Long 2^31-1", [] { return longValue(std::numeric_limits<int32_t>::max()); }},
        {"Long -2^31", [] { return longValue(std::numeric_limits<int32_t>::min()); }, false},
        {"Double 1e300", [] { return doubleValue(1e300); }, false},
        {"Double NaN", [] { return doubleValue(std::numeric_limits<double>::quiet_NaN()); }, false},
        {"Boolean", [] { return Variant::boolean(true); }},
        {"Nothing", [] { return Variant::object(nullptr); }},
        {"unrelated object", [] { return Variant::object(unrelatedObject().get()); }},
        {"array of variants", variantArray, false},
    };
    return values;
}

}  // namespace

std::vector<Call> callsFor(const Member& member) {
    std::vector<Call> calls;
    const size_t n = member.parameters.size();
    auto base = [&](const std::string& label) {
        Call call{label, {}, {}, false};
        for (const Parameter& p : member.parameters) {
            call.arguments.push_back(neutral(p));
            call.byReference.push_back(p.byRef);
        }
        return call;
    };
    calls.push_back(base("plain values"));
    if (n > 0) {
        Call fewer = base("one argument too few");
        fewer.arguments.pop_back();
        fewer.byReference.pop_back();
        calls.push_back(fewer);
        Call none = base("no arguments");
        none.arguments.clear();
        none.byReference.clear();
        calls.push_back(none);
    }
    Call more = base("one argument too many");
    more.arguments.push_back(Variant());
    more.byReference.push_back(false);
    calls.push_back(more);
    Call named = base("more named arguments than arguments");
    named.arguments.clear();
    named.byReference.clear();
    named.namedBeyondCount = true;
    calls.push_back(named);

    for (size_t i = 0; i < n; ++i) {
        const std::string where = " as " + frame::testing::narrow(member.parameters[i].name);
        for (const Value& value : battery()) {
            Call direct = base(std::string(value.label) + where);
            direct.arguments[i] = value.make();
            direct.byReference[i] = false;
            calls.push_back(direct);
            if (value.wrap) {
                Call wrapped = base(std::string(value.label) + " by reference" + where);
                wrapped.arguments[i] = value.make();
                wrapped.byReference[i] = true;
                calls.push_back(wrapped);
            }
        }
        if (member.windowHandle(i)) {
            Call alive = base("a real window" + where);
            alive.windowIndex = i;
            calls.push_back(alive);
            Call destroyed = base("a destroyed window" + where);
            destroyed.windowIndex = i;
            destroyed.destroyedWindow = true;
            calls.push_back(destroyed);
            Call random = base("a random number" + where);
            random.arguments[i] = longValue(0x1234567);
            calls.push_back(random);
        }
    }
    return calls;
}

SavedSettings::SavedSettings(const Library& library, const Class& cls) : library_(library), class_(cls) {
    ComPtr<IDispatch> object = create(library, cls);
    if (!object) return;
    MessageBoxCapture capture;
    for (const Member& let : cls.members) {
        if (let.invokeKind != DISPATCH_PROPERTYPUT || let.parameters.size() != 1) continue;
        for (const Member& get : cls.members) {
            if (get.id != let.id || get.invokeKind != DISPATCH_PROPERTYGET || !get.parameters.empty()) continue;
            Variant value;
            DISPPARAMS none{nullptr, nullptr, 0, 0};
            if (SUCCEEDED(object->Invoke(get.id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none,
                                         value.put(), nullptr, nullptr)))
                saved_.emplace_back(&let, value);
        }
    }
}

SavedSettings::~SavedSettings() {
    ComPtr<IDispatch> object = create(library_, class_);
    if (!object) return;
    MessageBoxCapture capture;
    for (const auto& [let, value] : saved_) {
        Variant copy = value;
        DISPID putId = DISPID_PROPERTYPUT;
        DISPPARAMS params{&copy.raw(), &putId, 1, 1};
        object->Invoke(let->id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYPUT, &params, nullptr, nullptr,
                       nullptr);
    }
}

// Programs a member launched are ended with the test.
void endLaunchedPrograms() {
    frame::UniqueKernelHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    const DWORD self = GetCurrentProcessId();
    for (BOOL more = Process32FirstW(snapshot.get(), &entry); more; more = Process32NextW(snapshot.get(), &entry)) {
        if (entry.th32ParentProcessID != self) continue;
        frame::UniqueKernelHandle process(OpenProcess(PROCESS_TERMINATE, FALSE, entry.th32ProcessID));
        if (process) TerminateProcess(process.get(), 0);
    }
}

std::vector<Variant> argumentsWithWindow(const Call& call, const Windows& windows) {
    std::vector<Variant> arguments = call.arguments;
    if (call.windowIndex < arguments.size()) {
        HWND window = call.destroyedWindow ? windows.destroyed : windows.alive;
        arguments[call.windowIndex] = longValue(static_cast<int32_t>(reinterpret_cast<intptr_t>(window)));
    }
    return arguments;
}

}  // namespace sweep
