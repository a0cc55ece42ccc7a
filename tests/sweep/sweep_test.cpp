// The bad-input sweep: every member of every creatable class of the libraries
// under test, called through IDispatch::Invoke with argument lists a careless
// or hostile host might pass. A call passes when it succeeds, answers a
// dispatcher argument error, or fails with an automation error that carries a
// number and a description; every message box it shows has a caption and a
// text; and the object still answers afterwards.
#include <windows.h>
#include <oleauto.h>
#include <tlhelp32.h>

#include <atomic>
#include <cstdlib>
#include <cmath>
#include <functional>
#include <mutex>
#include <limits>
#include <set>
#include <sstream>
#include <thread>

#include "common/testing/harness.h"
#include "tests/sweep/type_walk.h"

namespace sweep {
namespace {

using frame::Bstr;
using frame::ComPtr;
using frame::Variant;
using frame::testing::MessageBoxCapture;

// ------------------------------------------------------------- the values

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

// ------------------------------------------------------------ the windows

// Windows for window-handle parameters: one alive, one destroyed.
struct Windows {
    HWND alive = nullptr;
    HWND destroyed = nullptr;
    WNDPROC aliveProcedure = nullptr;
    Windows() {
        alive = CreateWindowExW(0, L"STATIC", L"sweep", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr, nullptr,
                                nullptr, nullptr);
        destroyed = CreateWindowExW(0, L"STATIC", L"gone", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr, nullptr,
                                    nullptr, nullptr);
        DestroyWindow(destroyed);
        aliveProcedure = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(alive, GWLP_WNDPROC));
    }
    ~Windows() { DestroyWindow(alive); }
    // Subclassed by something other than the common controls: this
    // platform's comctl32 keeps its own subclass procedure on a window after
    // its tooltip tool is deleted, until the window itself goes.
    bool subclassed() const {
        const auto procedure = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(alive, GWLP_WNDPROC));
        if (procedure == aliveProcedure) return false;
        HMODULE owner = nullptr;
        GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                           reinterpret_cast<LPCWSTR>(procedure), &owner);
        return !owner || owner != GetModuleHandleW(L"comctl32.dll");
    }
};

// ------------------------------------------------------------- the watchdog

// Ends the process with the call's name when one call runs too long.
class Watchdog {
public:
    Watchdog() : thread_([this] { watch(); }) {}
    ~Watchdog() {
        stop_ = true;
        thread_.join();
    }
    void begin(const std::string& call) {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            call_ = call;
        }
        started_ = GetTickCount();
        running_ = true;
    }
    void end() { running_ = false; }

private:
    void watch() {
        while (!stop_) {
            Sleep(200);
            if (running_ && GetTickCount() - started_ > kLimitMs) {
                std::lock_guard<std::mutex> lock(mutex_);
                std::fprintf(stderr, "HANG: %s ran longer than %lu s\n", call_.c_str(), kLimitMs / 1000);
                std::fflush(stderr);
                TerminateProcess(GetCurrentProcess(), 3);
            }
        }
    }
    static constexpr DWORD kLimitMs = 120000;
    std::mutex mutex_;
    std::string call_;
    std::atomic<DWORD> started_{0};
    std::atomic<bool> running_{false};
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

// ---------------------------------------------------------------- a call

struct Call {
    std::string label;
    std::vector<Variant> arguments;  // call order
    std::vector<bool> byReference;   // passed as VT_BYREF|VT_VARIANT to a variable of the call's own
    bool namedBeyondCount = false;   // one named argument and none given
    size_t windowIndex = SIZE_MAX;   // the argument that gets one of the call's windows
    bool destroyedWindow = false;
};

bool argumentError(HRESULT hr) {
    switch (hr) {
        case DISP_E_BADPARAMCOUNT: case DISP_E_TYPEMISMATCH: case DISP_E_PARAMNOTFOUND:
        case DISP_E_PARAMNOTOPTIONAL: case DISP_E_BADVARTYPE: case DISP_E_OVERFLOW: case DISP_E_NONAMEDARGS:
        case DISP_E_NOTACOLLECTION: case DISP_E_BADINDEX: case DISP_E_MEMBERNOTFOUND:
        case E_INVALIDARG:  // the standard dispatcher's answer to named arguments it cannot place
            return true;
        default:
            return false;
    }
}

class Sweeper {
public:
    explicit Sweeper(const Library& library) : library_(library) {}

    void run() {
        for (const Class& cls : library_.classes) sweepClass(cls);
        expectUnloadable();
    }

private:
    void sweepClass(const Class& cls) {
        const std::vector<std::pair<const Member*, Variant>> saved = saveSettings(cls);
        const char* only = std::getenv("SWEEP_ONLY");  // e.g. "ExpToolTip.Picture get", for a closer look
        for (const Member& member : cls.members) {
            if (only && describe(cls, member) != only) continue;
            const DWORD started = GetTickCount();
            for (const Call& call : callsFor(member)) {
                if (only) std::printf("    %s\n", call.label.c_str());
                Windows windows;
                ComPtr<IDispatch> object = create(library_, cls);
                ASSERT_TRUE(object) << narrow(cls.name) << " cannot be created";
                invoke(cls, member, object.get(), call, windows);
                object.reset();
                frame::testing::pumpMessages(0);
                EXPECT_FALSE(windows.subclassed())
                    << describe(cls, member) << " (" << call.label << ") left a window subclassed after release";
            }
            std::printf("  %s: %lu ms\n", describe(cls, member).c_str(), GetTickCount() - started);
            std::fflush(stdout);
        }
        restoreSettings(cls, saved);
    }

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
            const std::string where = " as " + narrow(member.parameters[i].name);
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

    void invoke(const Class& cls, const Member& member, IDispatch* object, Call call, const Windows& windows) {
        const std::string name = describe(cls, member) + " (" + call.label + ")";
        if (call.windowIndex < call.arguments.size()) {
            HWND window = call.destroyedWindow ? windows.destroyed : windows.alive;
            call.arguments[call.windowIndex] = longValue(static_cast<int32_t>(reinterpret_cast<intptr_t>(window)));
        }

        watchdog_.begin(name);
        const Outcome out = sweep::invoke(object, member, call.arguments, call.byReference, call.namedBeyondCount);
        watchdog_.end();
        ++calls_;

        if (out.hr == DISP_E_EXCEPTION) {
            EXPECT_NE(out.number, 0) << name << ": an error without a number";
            EXPECT_FALSE(out.description.empty()) << name << ": an error without a description";
        } else {
            EXPECT_TRUE(SUCCEEDED(out.hr) || argumentError(out.hr)) << name << ": HRESULT 0x" << std::hex << out.hr;
        }
        for (const auto& box : out.boxes) {
            EXPECT_FALSE(box.caption.empty()) << name << ": a message box without a caption";
            EXPECT_FALSE(box.text.empty()) << name << ": a message box without a text";
        }
        UINT count = 0;
        EXPECT_EQ(object->GetTypeInfoCount(&count), S_OK) << name << ": the object no longer answers";
    }

    // Settings a let changes system-wide are read before the class's sweep
    // and put back after it.
    std::vector<std::pair<const Member*, Variant>> saveSettings(const Class& cls) {
        std::vector<std::pair<const Member*, Variant>> saved;
        ComPtr<IDispatch> object = create(library_, cls);
        if (!object) return saved;
        MessageBoxCapture capture;
        for (const Member& let : cls.members) {
            if (let.invokeKind != DISPATCH_PROPERTYPUT || let.parameters.size() != 1) continue;
            for (const Member& get : cls.members) {
                if (get.id != let.id || get.invokeKind != DISPATCH_PROPERTYGET || !get.parameters.empty()) continue;
                Variant value;
                DISPPARAMS none{nullptr, nullptr, 0, 0};
                if (SUCCEEDED(object->Invoke(get.id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none,
                                             value.put(), nullptr, nullptr)))
                    saved.emplace_back(&let, value);
            }
        }
        return saved;
    }

    void restoreSettings(const Class& cls, const std::vector<std::pair<const Member*, Variant>>& saved) {
        ComPtr<IDispatch> object = create(library_, cls);
        if (!object) return;
        MessageBoxCapture capture;
        for (const auto& [let, value] : saved) {
            Variant copy = value;
            DISPID putId = DISPID_PROPERTYPUT;
            DISPPARAMS params{&copy.raw(), &putId, 1, 1};
            object->Invoke(let->id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYPUT, &params, nullptr, nullptr,
                           nullptr);
        }
    }

    void expectUnloadable() {
        HMODULE module = GetModuleHandleW(library_.path.c_str());
        ASSERT_TRUE(module);
        using CanUnload = HRESULT(WINAPI*)();
        auto canUnload = reinterpret_cast<CanUnload>(reinterpret_cast<void*>(GetProcAddress(module, "DllCanUnloadNow")));
        ASSERT_TRUE(canUnload);
        EXPECT_EQ(canUnload(), S_OK) << narrow(library_.name) << " holds objects after every one was released";
    }

    static std::string narrow(const std::u16string& s) { return frame::testing::narrow(s); }

    const Library& library_;
    Watchdog watchdog_;
    size_t calls_ = 0;

public:
    size_t calls() const { return calls_; }
};

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

TEST(Sweep, EveryMemberOfEveryClassTakesBadInput) {
    // Members that name files work in a folder of the sweep's own.
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    const std::wstring folder = std::wstring(temp) + L"sweep-" + std::to_wstring(GetCurrentProcessId());
    CreateDirectoryW(folder.c_str(), nullptr);
    SetCurrentDirectoryW(folder.c_str());

    const std::vector<Library> libraries = librariesUnderTest();
    ASSERT_FALSE(libraries.empty()) << "SWEEP_LIBRARIES names no library";
    for (const Library& library : libraries) {
        SCOPED_TRACE(frame::testing::narrow(library.name));
        EXPECT_FALSE(library.classes.empty());
        Sweeper sweeper(library);
        sweeper.run();
        std::printf("%s: %zu classes, %zu calls\n", frame::testing::narrow(library.name).c_str(),
                    library.classes.size(), sweeper.calls());
    }
    endLaunchedPrograms();
}

}  // namespace
}  // namespace sweep
