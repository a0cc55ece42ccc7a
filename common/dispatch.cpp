// Late-bound calls go through the type library's own dispatcher. Script hosts
// pass every by-reference argument as a by-reference variant, which that
// dispatcher refuses for a by-reference String, Long or Integer parameter; so
// such arguments are converted into a temporary of the declared type, passed
// by reference, and the member's value is written back into the caller's
// variant afterwards.
#include <windows.h>
#include <oleauto.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "common/frame.h"

namespace frame {
namespace {

bool isScalar(VARTYPE vt) {
    switch (vt) {
        case VT_I1: case VT_UI1: case VT_I2: case VT_UI2: case VT_I4: case VT_UI4: case VT_INT: case VT_UINT:
        case VT_I8: case VT_UI8: case VT_R4: case VT_R8: case VT_CY: case VT_DATE: case VT_BSTR: case VT_BOOL:
            return true;
        default:
            return false;
    }
}

// The type a by-reference parameter points to, with enumerations and
// aliases resolved; VT_EMPTY when the parameter is not a by-reference scalar.
VARTYPE byRefScalarType(ITypeInfo* info, const TYPEDESC& desc) {
    if (desc.vt != VT_PTR || !desc.lptdesc) return VT_EMPTY;
    const TYPEDESC* target = desc.lptdesc;
    if (isScalar(target->vt)) return target->vt;
    if (target->vt != VT_USERDEFINED) return VT_EMPTY;
    ComPtr<ITypeInfo> referenced;
    if (FAILED(info->GetRefTypeInfo(target->hreftype, referenced.put()))) return VT_EMPTY;
    TYPEATTR* attr = nullptr;
    if (FAILED(referenced->GetTypeAttr(&attr))) return VT_EMPTY;
    VARTYPE vt = VT_EMPTY;
    if (attr->typekind == TKIND_ENUM) vt = VT_I4;
    else if (attr->typekind == TKIND_ALIAS && isScalar(attr->tdescAlias.vt)) vt = attr->tdescAlias.vt;
    referenced->ReleaseTypeAttr(attr);
    return vt;
}

bool sameValue(const VARIANT& a, const VARIANT& b) {
    if (V_VT(&a) != V_VT(&b)) return false;
    if (V_VT(&a) == VT_BSTR) {
        const UINT length = SysStringByteLen(V_BSTR(&a));
        return length == SysStringByteLen(V_BSTR(&b)) &&
               (length == 0 || std::memcmp(V_BSTR(&a), V_BSTR(&b), length) == 0);
    }
    return std::memcmp(&V_UI8(&a), &V_UI8(&b), sizeof(V_UI8(&a))) == 0;
}

class FunctionDesc {
public:
    FunctionDesc(ITypeInfo* info, DISPID id, WORD flags) : info_(info) {
        TYPEATTR* attr = nullptr;
        if (FAILED(info->GetTypeAttr(&attr))) return;
        const WORD functions = attr->cFuncs;
        info->ReleaseTypeAttr(attr);
        for (UINT i = 0; i < functions && !desc_; ++i) {
            FUNCDESC* candidate = nullptr;
            if (FAILED(info->GetFuncDesc(i, &candidate))) continue;
            if (candidate->memid == id && (candidate->invkind & flags)) desc_ = candidate;
            else info->ReleaseFuncDesc(candidate);
        }
    }
    FunctionDesc(const FunctionDesc&) = delete;
    FunctionDesc& operator=(const FunctionDesc&) = delete;
    ~FunctionDesc() { if (desc_) info_->ReleaseFuncDesc(desc_); }
    const FUNCDESC* get() const { return desc_; }

private:
    ITypeInfo* info_;
    FUNCDESC* desc_ = nullptr;
};

struct Converted {
    UINT slot;              // position of the argument in call order
    VARIANT* caller;        // the caller's variant, written back; null for a by-value argument
    Variant value;          // what the member sees and may change
    Variant before;         // the value passed in, to tell whether the member assigned
};

// Whether a member has any by-reference scalar parameter, remembered per
// member so that ordinary calls go straight to the type library's dispatcher.
bool hasByRefScalars(ITypeInfo* info, DISPID id, WORD flags) {
    struct Known {
        ITypeInfo* info;
        DISPID id;
        WORD flags;
        bool answer;
    };
    thread_local std::vector<Known> known;
    for (const Known& k : known)
        if (k.info == info && k.id == id && k.flags == flags) return k.answer;
    bool answer = false;
    FunctionDesc function(info, id, flags);
    if (function.get())
        for (SHORT k = 0; k < function.get()->cParams && !answer; ++k)
            answer = byRefScalarType(info, function.get()->lprgelemdescParam[k].tdesc) != VT_EMPTY;
    known.push_back({info, id, flags, answer});
    return answer;
}

// The type library's dispatcher. An object argument that is not of the
// parameter's interface comes back from it as E_NOINTERFACE; to the caller
// that is a type mismatch, as for any other argument of the wrong type.
HRESULT standardInvoke(ITypeInfo* info, void* instance, DISPID id, WORD flags, DISPPARAMS* params, VARIANT* result,
                       EXCEPINFO* exception, UINT* argumentError) {
    const HRESULT hr = info->Invoke(instance, id, flags, params, result, exception, argumentError);
    return hr == E_NOINTERFACE ? DISP_E_TYPEMISMATCH : hr;
}

// A property get that returns an object and declares fewer arguments than a
// call gives: the extra arguments index into the returned object (the
// collection rule). Remembered per member like the by-reference check.
bool isObjectGetWithFewerParameters(ITypeInfo* info, DISPID id, WORD flags, UINT positional) {
    struct Known {
        ITypeInfo* info;
        DISPID id;
        WORD flags;
        bool objectGet;
        UINT declared;
    };
    thread_local std::vector<Known> known;
    for (const Known& k : known)
        if (k.info == info && k.id == id && k.flags == flags) return k.objectGet && positional > k.declared;
    Known entry{info, id, flags, false, 0};
    FunctionDesc function(info, id, flags);
    if (const FUNCDESC* f = function.get(); f && f->invkind == INVOKE_PROPERTYGET) {
        // The dispatch view of a dual interface gives the result as the
        // function's type; the interface view as an [out, retval] parameter.
        const TYPEDESC* resultType = &f->elemdescFunc.tdesc;
        for (SHORT k = 0; k < f->cParams; ++k) {
            const ELEMDESC& param = f->lprgelemdescParam[k];
            if (!(param.paramdesc.wParamFlags & PARAMFLAG_FRETVAL)) ++entry.declared;
            else if (param.tdesc.vt == VT_PTR) resultType = param.tdesc.lptdesc;
        }
        // An interface pointer, or IDispatch / IUnknown.
        entry.objectGet = resultType->vt == VT_PTR || resultType->vt == VT_DISPATCH || resultType->vt == VT_UNKNOWN;
    }
    known.push_back(entry);
    return entry.objectGet && positional > entry.declared;
}

// The collection rule done here rather than by the standard dispatcher,
// which on this platform dereferences the returned object without a check:
// a get that returns Nothing answers that the arguments do not fit.
HRESULT invokeObjectIndex(ITypeInfo* info, void* instance, DISPID id, DISPPARAMS* params, VARIANT* result,
                          EXCEPINFO* exception, UINT* argumentError) {
    DISPPARAMS none{nullptr, nullptr, 0, 0};
    Variant object;
    const HRESULT hr =
        info->Invoke(instance, id, DISPATCH_PROPERTYGET, &none, object.put(), exception, argumentError);
    if (FAILED(hr)) return hr;
    if ((object.type() != VT_DISPATCH && object.type() != VT_UNKNOWN) || !V_UNKNOWN(&object.get()))
        return DISP_E_BADPARAMCOUNT;
    ComPtr<IDispatch> dispatch;
    if (FAILED(V_UNKNOWN(&object.get())->QueryInterface(IID_IDispatch, dispatch.putVoid())))
        return DISP_E_NOTACOLLECTION;
    return dispatch->Invoke(DISPID_VALUE, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET | DISPATCH_METHOD,
                            params, result, exception, argumentError);
}

}  // namespace

HRESULT invokeThroughTypeInfo(ITypeInfo* info, void* instance, DISPID id, WORD flags, DISPPARAMS* params,
                              VARIANT* result, EXCEPINFO* exception, UINT* argumentError) {
    // More named arguments than arguments: what the standard dispatcher answers.
    if (params && params->cNamedArgs > params->cArgs) return E_INVALIDARG;
    if (params && (flags & DISPATCH_PROPERTYGET) && params->cArgs > params->cNamedArgs &&
        isObjectGetWithFewerParameters(info, id, flags, params->cArgs - params->cNamedArgs))
        return invokeObjectIndex(info, instance, id, params, result, exception, argumentError);
    if (!params || !hasByRefScalars(info, id, flags))
        return standardInvoke(info, instance, id, flags, params, result, exception, argumentError);

    std::vector<Converted> converted;
    FunctionDesc function(info, id, flags);
    const UINT positional = params->cArgs - params->cNamedArgs;
    // Arguments in call order (the array holds them last to first).
    // Named arguments come first in the array, the positional ones last to first.
    std::vector<VARIANTARG> callOrder(params->rgvarg + params->cNamedArgs, params->rgvarg + params->cArgs);
    std::reverse(callOrder.begin(), callOrder.end());
    UINT count = positional;
    if (function.get()) {
        const UINT declared = static_cast<UINT>(function.get()->cParams);
        // A missing by-reference argument with a declared default gets that
        // default through a temporary of its own.
        if (params->cNamedArgs == 0) {
            for (UINT k = positional; k < declared; ++k) {
                const ELEMDESC& param = function.get()->lprgelemdescParam[k];
                if ((param.paramdesc.wParamFlags & PARAMFLAG_FHASDEFAULT) &&
                    byRefScalarType(info, param.tdesc) != VT_EMPTY)
                    count = k + 1;
            }
            VARIANTARG missing;
            VariantInit(&missing);
            V_VT(&missing) = VT_ERROR;
            V_ERROR(&missing) = DISP_E_PARAMNOTFOUND;
            callOrder.insert(callOrder.end(), count - positional, missing);
        }
        for (UINT k = 0; k < count && k < declared; ++k) {
            const ELEMDESC& param = function.get()->lprgelemdescParam[k];
            const VARTYPE target = byRefScalarType(info, param.tdesc);
            if (target == VT_EMPTY) continue;
            VARIANTARG& argument = callOrder[k];
            if (V_VT(&argument) == (VT_BYREF | target)) continue;
            const bool absent = V_VT(&argument) == VT_ERROR && V_ERROR(&argument) == DISP_E_PARAMNOTFOUND;
            Converted c{k, nullptr, {}, {}};
            VARIANTARG* source = &argument;
            if (absent) {
                if (!(param.paramdesc.wParamFlags & PARAMFLAG_FHASDEFAULT) || !param.paramdesc.pparamdescex) continue;
                source = &param.paramdesc.pparamdescex->varDefaultValue;
            } else if (V_VT(&argument) == (VT_BYREF | VT_VARIANT)) {
                c.caller = V_VARIANTREF(&argument);
            }
            if (FAILED(VariantChangeType(c.value.put(), source, 0, target))) {
                if (argumentError) *argumentError = params->cArgs - 1 - k;
                return DISP_E_TYPEMISMATCH;
            }
            c.before = c.value;
            converted.push_back(std::move(c));
        }
    }
    if (converted.empty())
        return standardInvoke(info, instance, id, flags, params, result, exception, argumentError);

    for (Converted& c : converted) {
        VARIANTARG& argument = callOrder[c.slot];
        VariantInit(&argument);
        V_VT(&argument) = static_cast<VARTYPE>(VT_BYREF | c.value.type());
        V_BYREF(&argument) = &V_UI8(&c.value.raw());
    }
    std::vector<VARIANTARG> arguments(callOrder.begin(), callOrder.begin() + count);
    std::reverse(arguments.begin(), arguments.end());
    arguments.insert(arguments.begin(), params->rgvarg, params->rgvarg + params->cNamedArgs);
    DISPPARAMS adapted = *params;
    adapted.rgvarg = arguments.data();
    adapted.cArgs = static_cast<UINT>(arguments.size());
    const HRESULT hr = standardInvoke(info, instance, id, flags, &adapted, result, exception, argumentError);

    // By-reference outputs reach the caller also when the member failed
    // after assigning them.
    for (Converted& c : converted) {
        if (!c.caller || sameValue(c.value.get(), c.before.get())) continue;
        VariantClear(c.caller);
        *c.caller = c.value.detach();
    }
    return hr;
}

}  // namespace frame
