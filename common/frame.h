#pragma once
// The class frame: IUnknown and a dual interface's IDispatch driven by the
// library's type information, class factories, and the member runner that
// applies a member's failure policy.
//
// A class says what it is and lists its members:
//
//   class CMemoryStatus final
//       : public frame::Object<CMemoryStatus, _CMemoryStatus, ::CMemoryStatus> {
//   public:
//       static constexpr const char16_t* kName = u"CMemoryStatus";
//       HRESULT STDMETHODCALLTYPE get_MemoryLoad(long* result) override {
//           return member(u"MemoryLoad", Report, result, [&] { return ...; });
//       }
//   };
#include <windows.h>
#include <oleauto.h>
#include <ocidl.h>

#include <atomic>
#include <memory>
#include <new>
#include <string>
#include <type_traits>
#include <utility>

#include "common/com.h"
#include "common/convert.h"
#include "common/errors.h"

namespace frame {

// ---------------------------------------------------------------- module

struct ClassEntry {
    const char16_t* name;                         // class name, also the ProgID's second half
    const CLSID* clsid;
    HRESULT (*create)(REFIID iid, void** object);  // a new object's interface
};

struct Library {
    const char16_t* name;  // ProgID prefix, message-box title, error source
    const ClassEntry* classes;
    size_t classCount;
};

// Each library defines this once, listing its classes.
const Library& thisLibrary();

namespace module {
HINSTANCE instance();
void setInstance(HINSTANCE instance);
// Live objects and server locks: while either is nonzero the DLL stays loaded.
void objectCreated();
void objectDestroyed();
void lock();
void unlock();
bool canUnload();
// Type information of an interface or class from the module's own type library.
ComPtr<ITypeInfo> typeInfo(REFGUID guid);
ComPtr<ITypeLib> typeLibrary();
std::u16string path();
// IProvideClassInfo2 for a class: its coclass's type information, and the
// dispatch interface of its default event set when it declares one.
HRESULT classInfo(REFCLSID clsid, ITypeInfo** info);
HRESULT classGuid(REFCLSID clsid, DWORD kind, GUID* guid);
}  // namespace module

// ---------------------------------------------------------------- errors

// What a member does with a run-time error raised in its body.
enum class OnError {
    Report,  // the usual error report: a message box, then the call succeeds
    Caller,  // an automation error carrying the number and description
    Silent,  // the error is dropped and the call succeeds
};

// The usual error report's message box. Returns false when the box could not be shown.
bool showUsualReport(const RuntimeError& error, const char16_t* caption, const char16_t* opening = u"Error: ");

// The usual error report with another opening than "Error: ", as a member's
// failure policy: member(u"Item", reportOpening(u"Item", u"Item: "), ...).
inline auto reportOpening(const char16_t* caption, const char16_t* opening) {
    return [caption, opening](const RuntimeError& error) {
        if (!showUsualReport(error, caption, opening)) throw error;
    };
}

// Runs a private procedure, or a class's initialisation, under the usual
// error report captioned with its own name. False when an error ended it
// (after the box); an error the box could not report goes on to the caller.
template <class Body>
bool withUsualReport(const char16_t* caption, Body&& body);
// A message box of the calling thread, owned by its active window.
int messageBox(const std::u16string& text, const std::u16string& caption, UINT style);
// Sets the thread's error object and gives the HRESULT a caller receives.
HRESULT errorToCaller(const RuntimeError& error, REFIID iid, const char16_t* className);
// A run-time error for a failed call on another automation object, with the
// description its error object gives.
[[noreturn]] void raiseFromHresult(HRESULT hr);
// The description of an error number: its standard text, or for an HRESULT
// without one the system's text for it ("Automation error" when it has none).
std::u16string errorDescription(int32_t number);
inline void check(HRESULT hr) { if (FAILED(hr)) raiseFromHresult(hr); }

// Last-error code of the latest operating-system call made through DllFunction.
uint32_t lastDllError();
void setLastDllError(uint32_t code);

// Run-time errors that ended a member body on this thread, whatever its
// policy made of them: a member that raised none ran to its end.
uint32_t memberErrorCount();
void countMemberError();

// Translates whatever a member body threw into a RuntimeError.
RuntimeError currentError();

template <class Body>
bool withUsualReport(const char16_t* caption, Body&& body) {
    try {
        body();
        return true;
    } catch (...) {
        RuntimeError error = currentError();
        if (!showUsualReport(error, caption)) throw error;
        return false;
    }
}
// What a member with one of the standard policies returns when its body
// threw: called inside the handler, so that each member carries one call
// rather than its own copy of the report.
HRESULT memberFailed(const char16_t* member, OnError policy, REFIID iid, const char16_t* className);

// A member body passed to the one out-of-line runner below, so that each
// member's code is its body alone and not a copy of the guard around it.
class BodyRef {
public:
    template <class F>
    BodyRef(F& body)
        : body_(const_cast<void*>(static_cast<const void*>(&body))), call_([](void* b) { (*static_cast<F*>(b))(); }) {}
    void operator()() const { call_(body_); }

private:
    void* body_;
    void (*call_)(void*);
};

// Runs a member body under a standard policy, the object held for the call.
HRESULT runGuarded(IUnknown* object, const char16_t* member, OnError policy, REFIID iid, const char16_t* className,
                   BodyRef body);

// ------------------------------------------------------------ result slots

// A member's result while its body runs: starts at the zero value and is
// handed to the caller's out parameter on every way out of the member.
template <class T>
struct Slot {
    using type = T;
    static T zero() { return T{}; }
    static void store(T& value, T* out) { *out = value; }
};
// A Boolean result (True is -1). VARIANT_BOOL and the 16-bit Integer are one
// C type, so the body tells them apart: one that deals in bool fills a
// Boolean, any other an Integer.
struct BooleanSlot {
    using type = bool;
    static bool zero() { return false; }
    static void store(bool value, VARIANT_BOOL* out) { *out = value ? VARIANT_TRUE : VARIANT_FALSE; }
};
template <>
struct Slot<BSTR> {
    using type = Bstr;
    static Bstr zero() { return {}; }
    static void store(Bstr& value, BSTR* out) { *out = value.detach(); }
};
template <>
struct Slot<VARIANT> {
    using type = Variant;
    static Variant zero() { return {}; }
    static void store(Variant& value, VARIANT* out) { *out = value.detach(); }
};
template <>
struct Slot<SAFEARRAY*> {
    using type = SafeArray;
    static SafeArray zero() { return {}; }
    static void store(SafeArray& value, SAFEARRAY** out) { *out = value.detach(); }
};
template <class I>
struct Slot<I*> {
    using type = ComPtr<I>;
    static ComPtr<I> zero() { return {}; }
    static void store(ComPtr<I>& value, I** out) { *out = value.detach(); }
};

template <class Body>
constexpr bool dealsInBool() {
    if constexpr (std::is_invocable_v<Body&, bool&>) return true;
    else if constexpr (std::is_invocable_v<Body&>) return std::is_same_v<std::invoke_result_t<Body&>, bool>;
    else return false;
}
template <class Out, class Body>
struct SlotFor {
    using type = Slot<Out>;
};
template <class Body>
struct SlotFor<VARIANT_BOOL, Body> {
    using type = std::conditional_t<dealsInBool<Body>(), BooleanSlot, Slot<short>>;
};

// A value as the result slot of type T holds it. Integers are narrowed with
// the overflow error, never truncated; a member that wants a reading's bits
// as is says so (frame::asLong).
template <class T, class Value>
T slotValue(Value&& value) {
    using V = std::decay_t<Value>;
    if constexpr (std::is_same_v<T, bool> || std::is_same_v<T, V>) {
        return static_cast<T>(std::forward<Value>(value));
    } else if constexpr (std::is_enum_v<T> && std::is_integral_v<V>) {
        return static_cast<T>(narrow<int32_t>(value));
    } else if constexpr (std::is_integral_v<T> && std::is_integral_v<V>) {
        return narrow<T>(value);
    } else {
        return T(std::forward<Value>(value));
    }
}

// The C type of an accessor's value in the interface: `bool` stands for the
// automation Boolean, every other type for itself.
template <class T>
struct AutomationTypeOf {
    using type = T;
};
template <>
struct AutomationTypeOf<bool> {
    using type = VARIANT_BOOL;
};
template <class T>
using AutomationType = typename AutomationTypeOf<T>::type;

// The value behind a by-reference argument that a caller must pass; a null
// pointer from an early-bound caller is "Argument not optional".
template <class T>
T requiredValue(const T* argument) {
    if (!argument) raise(errArgumentNotOptional);
    return *argument;
}

// ---------------------------------------------------------------- objects

// IDispatch of an interface from tables built once from its type information
// (common/dispatch.cpp): the dispatcher kept in `slot`, built at its first use.
struct Dispatcher;
const Dispatcher* dispatcherOf(std::atomic<const Dispatcher*>& slot, const IID& iid);
ITypeInfo* dispatchTypeInfo(const Dispatcher& dispatcher);
HRESULT dispatchIdsOfNames(const Dispatcher& dispatcher, LPOLESTR* names, UINT count, DISPID* ids);
HRESULT dispatchInvoke(const Dispatcher& dispatcher, IDispatch* instance, DISPID id, WORD flags, DISPPARAMS* params,
                       VARIANT* result, EXCEPINFO* exception, UINT* argumentError);

// What every object shares, compiled once for all classes rather than once
// per class: the reference count, QueryInterface's identity rules, IDispatch
// through the type library, and error and class information (answered by a
// part embedded in the object, whose interfaces lead back to it).
class ObjectBase {
public:
    ObjectBase(const ObjectBase&) = delete;
    ObjectBase& operator=(const ObjectBase&) = delete;

protected:
    // The class as the base sees it: its interface and coclass.
    struct ClassFacts {
        const IID* iid;
        const CLSID* clsid;
        mutable std::atomic<const Dispatcher*> dispatcher{nullptr};
    };
    ObjectBase(IDispatch* primary, const ClassFacts& facts);
    virtual ~ObjectBase();

    HRESULT query(REFIID iid, void** object);
    ULONG addRef() { return ++references_; }
    ULONG release();
    HRESULT typeInfoCount(UINT* count);
    HRESULT typeInfo(UINT index, ITypeInfo** info);
    HRESULT idsOfNames(LPOLESTR* names, UINT count, DISPID* ids);
    HRESULT invoke(DISPID id, WORD flags, DISPPARAMS* params, VARIANT* result, EXCEPINFO* exception,
                   UINT* argumentError);
    IDispatch* primary() const { return primary_; }
    const ClassFacts& facts() const { return facts_; }

private:
    struct Extras final : ISupportErrorInfo, IProvideClassInfo2 {
        explicit Extras(ObjectBase& owner) : owner(owner) {}
        HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
        ULONG STDMETHODCALLTYPE AddRef() override;
        ULONG STDMETHODCALLTYPE Release() override;
        HRESULT STDMETHODCALLTYPE InterfaceSupportsErrorInfo(REFIID iid) override;
        HRESULT STDMETHODCALLTYPE GetClassInfo(ITypeInfo** info) override;
        HRESULT STDMETHODCALLTYPE GetGUID(DWORD kind, GUID* guid) override;
        ObjectBase& owner;
    };
    const Dispatcher* dispatcher() const { return dispatcherOf(facts_.dispatcher, *facts_.iid); }

    IDispatch* const primary_;
    const ClassFacts& facts_;
    Extras extras_{*this};
    std::atomic<ULONG> references_{1};
};

template <class Derived, class Interface, class Coclass>
class Object : public Interface, public ObjectBase {
public:
    static constexpr OnError Report = OnError::Report;
    static constexpr OnError Caller = OnError::Caller;
    static constexpr OnError Silent = OnError::Silent;
    // The policy of accessors declared by rows (FRAME_GET, FRAME_LET); a class may hide it with its own.
    static constexpr OnError accessorPolicy = OnError::Report;

    static HRESULT create(REFIID iid, void** object) {
        *object = nullptr;
        try {
            // From here on the object owns itself through its reference count.
            ComPtr<Interface> created = ComPtr<Interface>::attach(std::make_unique<Derived>().release());
            return created->QueryInterface(iid, object);
        } catch (...) {
            return E_OUTOFMEMORY;
        }
    }
    static ClassEntry entry() { return {Derived::kName, &__uuidof(Coclass), &create}; }

    // IUnknown and IDispatch, each a call into the shared base.
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override { return query(iid, object); }
    ULONG STDMETHODCALLTYPE AddRef() override { return addRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return release(); }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override { return typeInfoCount(count); }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID, ITypeInfo** info) override {
        return typeInfo(index, info);
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
        return idsOfNames(names, count, ids);
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                                     EXCEPINFO* exception, UINT* argumentError) override {
        return invoke(id, flags, params, result, exception, argumentError);
    }

    Interface* self() { return static_cast<Interface*>(this); }

protected:
    Object() : ObjectBase(static_cast<Interface*>(this), classFacts()) {}

    // Runs a member body under a failure policy. The body either returns the
    // result or takes the result slot by reference and assigns it as it goes;
    // what the slot holds when the body ends, normally or by an error, is what
    // the caller receives (for Caller, only on success).
    template <class Policy, class Out, class Body>
    HRESULT member(const char16_t* name, Policy policy, Out* out, Body&& body) {
        if (!out) return E_POINTER;
        using S = typename SlotFor<Out, Body>::type;
        typename S::type value = S::zero();
        HRESULT hr = guarded(name, policy, [&] {
            if constexpr (std::is_invocable_v<Body&, typename S::type&>) {
                body(value);
            } else {
                value = slotValue<typename S::type>(body());
            }
        });
        if (SUCCEEDED(hr)) {
            S::store(value, out);
        } else {
            typename S::type zero = S::zero();
            S::store(zero, out);
        }
        return hr;
    }

    // The same for a member without a result.
    template <class Policy, class Body>
    HRESULT member(const char16_t* name, Policy policy, Body&& body) {
        return guarded(name, policy, body);
    }

private:
    template <class Policy, class Body>
    HRESULT guarded(const char16_t* name, Policy policy, Body&& body) {
        if constexpr (std::is_same_v<Policy, OnError>) {
            return runGuarded(static_cast<Interface*>(this), name, policy, __uuidof(Interface), Derived::kName,
                              BodyRef(body));
        } else {
            ComPtr<Interface> keepAlive(static_cast<Interface*>(this));
            try {
                body();
                return S_OK;
            } catch (...) {
                countMemberError();
                // A class's own report: shows what it likes, then the call succeeds.
                try {
                    policy(currentError());
                    return S_OK;
                } catch (...) {
                    return errorToCaller(currentError(), __uuidof(Interface), Derived::kName);
                }
            }
        }
    }

    static const ClassFacts& classFacts() {
        static const ClassFacts facts{&__uuidof(Interface), &__uuidof(Coclass)};
        return facts;
    }
};

// ------------------------------------------------------- accessor rows

// What a row's expression becomes before it reaches the result slot: a
// String is held as Bstr, a Variant as Variant, every other type as itself.
template <class T>
using RowValue = typename Slot<T>::type;

// Accessors that are one row of a class's table: the get's expression, the
// let's statement (which sees the new value as `value`). Both run under the
// class's `accessorPolicy` (the usual error report unless the class says
// otherwise) with the property's name as the report's caption. `bool` names
// a Boolean property (VARIANT_BOOL in the interface):
//   FRAME_GET(MousePresent, bool, metric(SM_MOUSEPRESENT))
//   FRAME_GET_LET(WheelLines, long, parameter(SPI_GETWHEELSCROLLLINES),
//                 setParameter(SPI_SETWHEELSCROLLLINES, value))
#define FRAME_GET(Name, Type, expression)                                                       \
    HRESULT STDMETHODCALLTYPE get_##Name(frame::AutomationType<Type>* result) override {        \
        return member(u"" #Name, accessorPolicy, result,                                        \
                      [&] { return frame::slotValue<frame::RowValue<Type>>(expression); });     \
    }
#define FRAME_LET(Name, Type, statement)                                                        \
    HRESULT STDMETHODCALLTYPE put_##Name(frame::AutomationType<Type> value) override {          \
        return member(u"" #Name, accessorPolicy, [&] { statement; });                           \
    }
#define FRAME_GET_LET(Name, Type, expression, statement) \
    FRAME_GET(Name, Type, expression)                    \
    FRAME_LET(Name, Type, statement)
// A let whose value the type library passes by reference ([in, out] Type*):
// the statement sees a copy, so the caller's variable is never written.
#define FRAME_LET_BYREF(Name, Type, statement)                                                  \
    HRESULT STDMETHODCALLTYPE put_##Name(frame::AutomationType<Type>* valueRef) override {      \
        if (!valueRef) return E_POINTER;                                                        \
        return member(u"" #Name, accessorPolicy, [&] {                                          \
            const frame::AutomationType<Type> value = *valueRef;                                \
            statement;                                                                          \
        });                                                                                     \
    }

// ------------------------------------------------------ private procedures

// A class's private procedure with the usual error report under its own
// name: after the box it returns its zero value and the member that called
// it goes on. An error the report cannot show goes on to that member.
template <class Body>
auto reportedProcedure(const char16_t* name, Body&& body) -> std::decay_t<decltype(body())> {
    try {
        return body();
    } catch (...) {
        const RuntimeError error = currentError();
        if (!showUsualReport(error, name)) throw error;
        return {};
    }
}

// ------------------------------------------------------ stored properties

// A property that is a plain stored value: neither accessor validates,
// converts beyond the type, or fails.
template <class T, class Out>
HRESULT readStored(const T& field, Out* out) {
    if (!out) return E_POINTER;
    *out = static_cast<Out>(field);
    return S_OK;
}
template <class T, class In>
HRESULT writeStored(T& field, In value) {
    field = static_cast<T>(value);
    return S_OK;
}
template <class I>
HRESULT readStored(const ComPtr<I>& field, I** out) {
    if (!out) return E_POINTER;
    ComPtr<I> copy = field;
    *out = copy.detach();
    return S_OK;
}
// An object reference: held as interface I, or a type mismatch for an object that is not one.
template <class I>
HRESULT writeStored(ComPtr<I>& field, I* value) {
    ComPtr<I> held;
    if (value && FAILED(value->QueryInterface(__uuidof(I), held.putVoid()))) return DISP_E_TYPEMISMATCH;
    field = std::move(held);
    return S_OK;
}

// Declares both accessors of a stored property inside a class.
#define FRAME_STORED_PROPERTY(Name, Type, field)                                                  \
    HRESULT STDMETHODCALLTYPE put_##Name(Type value) override { return frame::writeStored(field, value); } \
    HRESULT STDMETHODCALLTYPE get_##Name(Type* value) override { return frame::readStored(field, value); }

// ------------------------------------------------- operating-system functions

// A test switch: with FRAME_TEST_UNBIND set in the environment of the process
// that loads the library, no function binds by name, so that every member's
// way of reporting that failure can be seen.
bool bindingsFailForTests();

// An operating-system function bound by module and entry name at its first
// call. A function that cannot be bound raises a run-time error in the member
// that called it; after each call the thread's last-error code is kept.
template <class Signature>
class DllFunction {
public:
    constexpr DllFunction(const char* moduleName, const char* entryName) : module_(moduleName), entry_(entryName) {}

    template <class... Args>
    auto operator()(Args&&... args) const {
        Signature* fn = bind();
        if constexpr (std::is_void_v<decltype(fn(std::forward<Args>(args)...))>) {
            fn(std::forward<Args>(args)...);
            setLastDllError(GetLastError());
        } else {
            auto result = fn(std::forward<Args>(args)...);
            setLastDllError(GetLastError());
            return result;
        }
    }

private:
    Signature* bind() const {
        if (!function_ || bindingsFailForTests()) function_ = reinterpret_cast<Signature*>(resolve(module_, entry_));
        return function_;
    }
    static void* resolve(const char* moduleName, const char* entryName);

    const char* module_;
    const char* entry_;
    mutable Signature* function_ = nullptr;
};

void* resolveDllFunction(const char* moduleName, const char* entryName);
template <class Signature>
void* DllFunction<Signature>::resolve(const char* moduleName, const char* entryName) {
    return resolveDllFunction(moduleName, entryName);
}

}  // namespace frame
