#include "common/late.h"

#include "common/frame.h"

namespace frame {

Argument Argument::byRef(VARIANT& target) {
    Argument a{Variant()};
    if (V_VT(&target) & VT_BYREF) {
        check(VariantCopyInd(a.value_.put(), &target));
    } else {
        a.ref_ = &target;
    }
    return a;
}

VARIANTARG Argument::arg() const {
    VARIANTARG a;
    VariantInit(&a);
    if (ref_) {
        V_VT(&a) = VT_BYREF | VT_VARIANT;
        V_VARIANTREF(&a) = ref_;
    } else {
        a = value_.get();  // a shallow view; the Argument keeps ownership
    }
    return a;
}

namespace {

InvokeOutcome failure(HRESULT hr, int32_t number) {
    InvokeOutcome out;
    out.hr = hr;
    out.errorNumber = number;
    out.description = errorDescription(number);
    return out;
}

}  // namespace

HRESULT dispatchIdOf(IDispatch* object, const char16_t* name, DISPID* id) {
    LPOLESTR names[] = {const_cast<LPOLESTR>(wide(name))};
    const HRESULT hr = object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, id);
    if (hr != E_NOTIMPL) return hr;
    // Script objects (a VBScript class, say) look names up only through IDispatchEx.
    ComPtr<IDispatchEx> extended;
    if (FAILED(object->QueryInterface(__uuidof(IDispatchEx), extended.putVoid()))) return hr;
    return extended->GetDispID(Bstr(name).get(), fdexNameCaseInsensitive, id);
}

InvokeOutcome invokeByName(IDispatch* object, const char16_t* name, WORD flags,
                           std::initializer_list<Argument> args) {
    if (!object) return failure(E_POINTER, errObjectNotSet);
    DISPID id = 0;
    const HRESULT hr = dispatchIdOf(object, name, &id);
    if (FAILED(hr)) return failure(hr, errNoSuchMember);
    return invokeById(object, id, flags, args);
}

DISPID DispatchMember::id(IDispatch* object) {
    if (id_ == DISPID_UNKNOWN) {
        if (!object) raise(errObjectNotSet);
        if (FAILED(dispatchIdOf(object, name_, &id_))) {
            id_ = DISPID_UNKNOWN;
            raise(errNoSuchMember);
        }
    }
    return id_;
}

InvokeOutcome invokeById(IDispatch* object, DISPID id, WORD flags, std::initializer_list<Argument> args) {
    if (!object) return failure(E_POINTER, errObjectNotSet);
    InvokeOutcome out;
    std::vector<VARIANTARG> arguments;
    for (auto it = std::rbegin(args); it != std::rend(args); ++it) arguments.push_back(it->arg());
    DISPID putId = DISPID_PROPERTYPUT;
    DISPPARAMS params{arguments.data(), nullptr, static_cast<UINT>(arguments.size()), 0};
    if (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) {
        params.rgdispidNamedArgs = &putId;
        params.cNamedArgs = 1;
    }
    EXCEPINFO exception{};
    UINT argumentError = 0;
    out.hr = object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, out.result.put(), &exception,
                            &argumentError);
    if (out.hr == DISP_E_EXCEPTION) {
        if (exception.pfnDeferredFillIn) exception.pfnDeferredFillIn(&exception);
        const HRESULT code = exception.scode ? exception.scode : static_cast<HRESULT>(hresultFromError(exception.wCode));
        out.errorNumber = errorFromHresult(code);
        Bstr description = Bstr::attach(exception.bstrDescription);
        Bstr source = Bstr::attach(exception.bstrSource);
        Bstr help = Bstr::attach(exception.bstrHelpFile);
        out.description = description.str();
        out.source = source.str();
    } else if (FAILED(out.hr)) {
        out.errorNumber = errorFromHresult(out.hr);
    }
    if (FAILED(out.hr) && out.description.empty()) out.description = errorDescription(out.errorNumber);
    return out;
}

namespace {

Variant resultOf(InvokeOutcome out) {
    if (FAILED(out.hr)) throw RuntimeError(out.errorNumber, out.description, out.source);
    return std::move(out.result);
}

}  // namespace

Variant LateBound::invoke(const char16_t* name, WORD flags, std::initializer_list<Argument> args) const {
    return resultOf(invokeByName(object_.get(), name, flags, args));
}

Variant LateBound::invoke(DispatchMember& member, WORD flags, std::initializer_list<Argument> args) const {
    return resultOf(invokeById(object_.get(), member.id(object_.get()), flags, args));
}

Variant LateBound::get(DispatchMember& member, std::initializer_list<Argument> args) const {
    return invoke(member, DISPATCH_PROPERTYGET | DISPATCH_METHOD, args);
}

Variant LateBound::call(DispatchMember& member, std::initializer_list<Argument> args) const {
    return invoke(member, DISPATCH_METHOD | DISPATCH_PROPERTYGET, args);
}

void LateBound::put(DispatchMember& member, Argument value) const {
    invoke(member, DISPATCH_PROPERTYPUT, {std::move(value)});
}

Variant LateBound::get(const char16_t* name, std::initializer_list<Argument> args) const {
    return invoke(name, DISPATCH_PROPERTYGET | DISPATCH_METHOD, args);
}

Variant LateBound::call(const char16_t* name, std::initializer_list<Argument> args) const {
    return invoke(name, DISPATCH_METHOD | DISPATCH_PROPERTYGET, args);
}

void LateBound::put(const char16_t* name, Argument value) const {
    invoke(name, DISPATCH_PROPERTYPUT, {std::move(value)});
}

LateBound objectOf(const Variant& value) {
    if (value.type() != VT_DISPATCH || !V_DISPATCH(&value.get())) raise(errObjectRequired);
    return LateBound(V_DISPATCH(&value.get()));
}

bool booleanOf(const Variant& value) {
    Variant converted;
    check(VariantChangeType(converted.put(), const_cast<VARIANT*>(&value.get()), 0, VT_BOOL));
    return V_BOOL(&converted.get()) != VARIANT_FALSE;
}

int32_t longOf(const Variant& value) {
    if (value.type() == VT_I4) return V_I4(&value.get());
    Variant converted;
    check(VariantChangeType(converted.put(), const_cast<VARIANT*>(&value.get()), 0, VT_I4));
    return V_I4(&converted.get());
}

VariantElements::VariantElements(const Variant& array) {
    if (array.type() != (VT_ARRAY | VT_VARIANT) || !V_ARRAY(&array.get()) ||
        SafeArrayGetDim(V_ARRAY(&array.get())) != 1)
        raise(errTypeMismatch);
    SAFEARRAY* locked = V_ARRAY(&array.get());
    void* data = nullptr;
    check(SafeArrayAccessData(locked, &data));
    array_ = locked;
    data_ = static_cast<const VARIANT*>(data);
    size_ = locked->rgsabound[0].cElements;
}

VariantElements::~VariantElements() {
    if (array_) SafeArrayUnaccessData(array_);
}

ComPtr<IDispatch> createObject(REFCLSID clsid) {
    ComPtr<IDispatch> object;
    check(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, __uuidof(IDispatch), object.putVoid()));
    return object;
}

ComPtr<IDispatch> createObject(const char16_t* progId) {
    CLSID clsid{};
    if (FAILED(CLSIDFromProgID(wide(progId), &clsid))) raise(errCantCreateObject);
    return createObject(clsid);
}

}  // namespace frame
