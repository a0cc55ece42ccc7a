#include "common/late.h"

#include "common/frame.h"

namespace frame {

VARIANTARG Argument::arg() const {
    VARIANTARG a;
    VariantInit(&a);
    if (ref_) {
        V_VT(&a) = VT_BYREF | VT_VARIANT;
        V_VARIANTREF(&a) = &ref_->raw();
    } else {
        a = value_.get();  // a shallow view; the Argument keeps ownership
    }
    return a;
}

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
    InvokeOutcome out;
    if (!object) {
        out.hr = E_POINTER;
        out.errorNumber = errObjectNotSet;
        out.description = standardDescription(errObjectNotSet);
        return out;
    }
    DISPID id = 0;
    out.hr = dispatchIdOf(object, name, &id);
    if (FAILED(out.hr)) {
        out.errorNumber = errNoSuchMember;
        out.description = standardDescription(errNoSuchMember);
        return out;
    }
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
    if (FAILED(out.hr) && out.description.empty()) out.description = standardDescription(out.errorNumber);
    return out;
}

Variant LateBound::invoke(const char16_t* name, WORD flags, std::initializer_list<Argument> args) const {
    InvokeOutcome out = invokeByName(object_.get(), name, flags, args);
    if (FAILED(out.hr)) throw RuntimeError(out.errorNumber, out.description, out.source);
    return std::move(out.result);
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
