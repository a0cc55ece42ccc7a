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
    static Argument byRef(Variant& target) { return byRef(target.raw()); }
    // A caller's own variant passed on by reference; one that itself refers
    // to another variable is passed as a copy of the value it refers to.
    static Argument byRef(VARIANT& target);
    VARIANTARG arg() const;

private:
    Variant value_;
    VARIANT* ref_ = nullptr;
};

// The dispatch identifier of a member name: GetIDsOfNames, or for an object
// that answers it with E_NOTIMPL, IDispatchEx::GetDispID (case-insensitive).
HRESULT dispatchIdOf(IDispatch* object, const char16_t* name, DISPID* id);

InvokeOutcome invokeByName(IDispatch* object, const char16_t* name, WORD flags, std::initializer_list<Argument> args);
InvokeOutcome invokeById(IDispatch* object, DISPID id, WORD flags, std::initializer_list<Argument> args);

// A member called by DISPID: its name is looked up at the first call and the
// DISPID kept. DISPIDs belong to an object's type, so keep one per object.
class DispatchMember {
public:
    explicit DispatchMember(const char16_t* name) : name_(name) {}
    // Raises 438 when the object has no member of this name.
    DISPID id(IDispatch* object);

private:
    const char16_t* name_;
    DISPID id_ = DISPID_UNKNOWN;
};

class LateBound {
public:
    explicit LateBound(ComPtr<IDispatch> object) : object_(std::move(object)) {}
    Variant get(const char16_t* name, std::initializer_list<Argument> args = {}) const;
    Variant call(const char16_t* name, std::initializer_list<Argument> args = {}) const;
    void put(const char16_t* name, Argument value) const;
    Variant get(DispatchMember& member, std::initializer_list<Argument> args = {}) const;
    Variant call(DispatchMember& member, std::initializer_list<Argument> args = {}) const;
    void put(DispatchMember& member, Argument value) const;
    IDispatch* get() const { return object_.get(); }

private:
    Variant invoke(const char16_t* name, WORD flags, std::initializer_list<Argument> args) const;
    Variant invoke(DispatchMember& member, WORD flags, std::initializer_list<Argument> args) const;
    ComPtr<IDispatch> object_;
};

// The dispatch reference a result holds; raises "Object required" otherwise.
LateBound objectOf(const Variant& value);
// A result as a boolean or a Long by the automation conversion rules.
bool booleanOf(const Variant& value);
int32_t longOf(const Variant& value);

// The elements of a one-dimensional array of variants that a result holds
// (a dictionary's Keys or Items), locked in place while the view lives.
// A value that is no such array is a type mismatch.
class VariantElements {
public:
    explicit VariantElements(const Variant& array);
    VariantElements(const VariantElements&) = delete;
    VariantElements& operator=(const VariantElements&) = delete;
    ~VariantElements();
    const VARIANT* begin() const { return data_; }
    const VARIANT* end() const { return data_ + size_; }
    size_t size() const { return size_; }
    const VARIANT& operator[](size_t index) const { return data_[index]; }

private:
    SAFEARRAY* array_ = nullptr;
    const VARIANT* data_ = nullptr;
    size_t size_ = 0;
};

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
