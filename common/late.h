#pragma once
// Late-bound calls on other automation objects (by name, as a script host
// makes them). A failed call raises the run-time error it reports.
#include <windows.h>
#include <oleauto.h>
#include <dispex.h>

#include <initializer_list>
#include <vector>

#include "common/com.h"

namespace frame {

struct InvokeOutcome {
    HRESULT hr = S_OK;
    Variant result;
    int32_t errorNumber = 0;      // the run-time error a host would see
    std::u16string description;   // from the exception information
    std::u16string source;
};

// One IDispatch::Invoke by name. Arguments are given in call order; a
// Variant* passed through byRef() goes by reference as VT_BYREF|VT_VARIANT.
class Argument {
public:
    Argument(Variant value) : value_(std::move(value)) {}
    Argument(int32_t value) : value_(value) {}
    Argument(const char16_t* value) : value_(value) {}
    static Argument byRef(Variant& target) {
        Argument a{Variant()};
        a.ref_ = &target;
        return a;
    }
    VARIANTARG arg() const;

private:
    Variant value_;
    Variant* ref_ = nullptr;
};

// The dispatch identifier of a member name: GetIDsOfNames, or for an object
// that answers it with E_NOTIMPL, IDispatchEx::GetDispID (case-insensitive).
HRESULT dispatchIdOf(IDispatch* object, const char16_t* name, DISPID* id);

InvokeOutcome invokeByName(IDispatch* object, const char16_t* name, WORD flags, std::initializer_list<Argument> args);

class LateBound {
public:
    explicit LateBound(ComPtr<IDispatch> object) : object_(std::move(object)) {}
    Variant get(const char16_t* name, std::initializer_list<Argument> args = {}) const;
    Variant call(const char16_t* name, std::initializer_list<Argument> args = {}) const;
    void put(const char16_t* name, Argument value) const;
    IDispatch* get() const { return object_.get(); }

private:
    Variant invoke(const char16_t* name, WORD flags, std::initializer_list<Argument> args) const;
    ComPtr<IDispatch> object_;
};

// The dispatch reference a result holds; raises "Object required" otherwise.
LateBound objectOf(const Variant& value);
// A result as a boolean by the automation conversion rules.
bool booleanOf(const Variant& value);

// A new object of a registered class, by class identifier or programmatic identifier.
ComPtr<IDispatch> createObject(REFCLSID clsid);
ComPtr<IDispatch> createObject(const char16_t* progId);

// Creates an object from a library DLL without registration, through the
// DLL's own class factory. The DLL stays loaded, as its objects need it.
template <class I>
ComPtr<I> createFromDll(const wchar_t* dll, REFCLSID clsid) {
    ComPtr<I> object;
    HMODULE module = LoadLibraryW(dll);
    if (!module) return object;
    using GetClassObject = HRESULT(WINAPI*)(REFCLSID, REFIID, void**);
    auto get = reinterpret_cast<GetClassObject>(reinterpret_cast<void*>(GetProcAddress(module, "DllGetClassObject")));
    ComPtr<IClassFactory> factory;
    if (!get || FAILED(get(clsid, __uuidof(IClassFactory), factory.putVoid()))) return object;
    factory->CreateInstance(nullptr, __uuidof(I), object.putVoid());
    return object;
}

}  // namespace frame
