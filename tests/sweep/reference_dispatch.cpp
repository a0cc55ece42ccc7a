// The reference the frame's own dispatcher is compared with: the type
// library's dispatcher (ITypeInfo::Invoke) with the frame's documented
// adaptations for script hosts, as the libraries answered before they had a
// dispatcher of their own. A member that reported an error is told by the
// message box it showed.
#include <windows.h>
#include <oleauto.h>

#include <cstring>
#include <deque>
#include <vector>

#include "common/frame.h"
#include "common/testing/harness.h"
#include "tests/sweep/reference_dispatch.h"

namespace sweep {
namespace {

using namespace frame;

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
// aliases resolved; VT_EMPTY when the parameter is not by reference to a
// scalar, an object or a variant.
VARTYPE byRefType(ITypeInfo* info, const TYPEDESC& desc) {
    if (desc.vt != VT_PTR || !desc.lptdesc) return VT_EMPTY;
    const TYPEDESC* target = desc.lptdesc;
    if (isScalar(target->vt) || target->vt == VT_VARIANT || target->vt == VT_DISPATCH || target->vt == VT_UNKNOWN)
        return target->vt;
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

// An argument as a value of the parameter's type (a by-reference argument
// read through); false when it has none.
bool convertArgument(const VARIANTARG& argument, VARTYPE target, Variant& value) {
    VARIANTARG* source = const_cast<VARIANTARG*>(&argument);
    if (target == VT_VARIANT) return SUCCEEDED(VariantCopyInd(value.put(), source));
    return SUCCEEDED(VariantChangeType(value.put(), source, 0, target));
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
    VARIANTARG* slot;       // the argument as the member receives it
    VARTYPE target;         // the type the parameter points to
    VARIANT* caller;        // the caller's variant, written back; null for a by-value argument
    Variant value;          // what the member sees and may change
    Variant before;         // the value passed in, to tell whether the member assigned
};

// A member's parameters as the conversion sees them, remembered per member so
// that calls whose arguments already fit go straight to the type library's
// dispatcher.
struct Parameter {
    VARTYPE target;   // the type a by-reference parameter points to; VT_EMPTY for any other
    // A value when the argument is missing: the declared default, or for an
    // optional without one (widl stores no text default for a BSTR*) the
    // type's zero value. An optional Variant stays missing, as callers test.
    bool hasDefault;
};
struct Shape {
    std::vector<Parameter> parameters;
    bool anyByRef = false;
    bool objectGet = false;  // a property get whose result is an object
};

// Whether a function is a property get that returns an object. The dispatch
// view of a dual interface gives the result as the function's type; the
// interface view as an [out, retval] parameter.
bool returnsObject(const FUNCDESC& f) {
    if (f.invkind != INVOKE_PROPERTYGET) return false;
    const TYPEDESC* result = &f.elemdescFunc.tdesc;
    for (SHORT k = 0; k < f.cParams; ++k)
        if ((f.lprgelemdescParam[k].paramdesc.wParamFlags & PARAMFLAG_FRETVAL) &&
            f.lprgelemdescParam[k].tdesc.vt == VT_PTR)
            result = f.lprgelemdescParam[k].tdesc.lptdesc;
    return result->vt == VT_PTR || result->vt == VT_DISPATCH || result->vt == VT_UNKNOWN;
}

const Shape& shapeOf(ITypeInfo* info, DISPID id, WORD flags) {
    struct Known {
        ITypeInfo* info;
        DISPID id;
        WORD flags;
        Shape shape;
    };
    thread_local std::deque<Known> known;  // references to its elements stay valid as it grows
    for (const Known& k : known)
        if (k.info == info && k.id == id && k.flags == flags) return k.shape;
    Shape shape;
    FunctionDesc function(info, id, flags);
    if (function.get()) shape.objectGet = returnsObject(*function.get());
    if (function.get())
        for (SHORT k = 0; k < function.get()->cParams; ++k) {
            const ELEMDESC& param = function.get()->lprgelemdescParam[k];
            if (param.paramdesc.wParamFlags & PARAMFLAG_FRETVAL) continue;
            const USHORT declaredFlags = param.paramdesc.wParamFlags;
            const VARTYPE target = byRefType(info, param.tdesc);
            const Parameter p{target, (declaredFlags & PARAMFLAG_FHASDEFAULT) != 0 ||
                                          ((declaredFlags & PARAMFLAG_FOPT) && target != VT_VARIANT)};
            shape.parameters.push_back(p);
            shape.anyByRef = shape.anyByRef || p.target != VT_EMPTY;
        }
    known.push_back({info, id, flags, std::move(shape)});
    return known.back().shape;
}

bool isMissing(const VARIANTARG& argument) {
    return V_VT(&argument) == VT_ERROR && V_ERROR(&argument) == DISP_E_PARAMNOTFOUND;
}

// Whether the type library's dispatcher takes an argument as it is: none
// given, a parameter that is not by reference, the exact by-reference type,
// or a missing one without a default of its own.
bool takenAsIs(const VARIANTARG* argument, const Parameter& parameter) {
    return !argument || parameter.target == VT_EMPTY || V_VT(argument) == (VT_BYREF | parameter.target) ||
           (isMissing(*argument) && !parameter.hasDefault);
}

VARIANTARG missingArgument() {
    VARIANTARG missing;
    VariantInit(&missing);
    V_VT(&missing) = VT_ERROR;
    V_ERROR(&missing) = DISP_E_PARAMNOTFOUND;
    return missing;
}

// The type library's dispatcher. An object argument that is not of the
// parameter's interface comes back from it as E_NOINTERFACE; to the caller
// that is a type mismatch, as for any other argument of the wrong type.
HRESULT standardInvoke(ITypeInfo* info, void* instance, DISPID id, WORD flags, DISPPARAMS* params, VARIANT* result,
                       EXCEPINFO* exception, UINT* argumentError) {
    const HRESULT hr = info->Invoke(instance, id, flags, params, result, exception, argumentError);
    return hr == E_NOINTERFACE ? DISP_E_TYPEMISMATCH : hr;
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
    if (FAILED(V_UNKNOWN(&object.get())->QueryInterface(__uuidof(IDispatch), dispatch.putVoid())))
        return DISP_E_NOTACOLLECTION;
    const HRESULT indexed = dispatch->Invoke(DISPID_VALUE, IID_NULL, LOCALE_USER_DEFAULT,
                                             DISPATCH_PROPERTYGET | DISPATCH_METHOD, params, result, exception,
                                             argumentError);
    // The other object's error reaches the caller with a text, as every error of ours does.
    if (indexed == DISP_E_EXCEPTION && exception) {
        if (exception->pfnDeferredFillIn) {
            exception->pfnDeferredFillIn(exception);
            exception->pfnDeferredFillIn = nullptr;
        }
        if (!exception->bstrDescription) {
            const int32_t number = exception->scode ? errorFromHresult(exception->scode) : exception->wCode;
            exception->bstrDescription = Bstr(errorDescription(number)).detach();
        }
    }
    return indexed;
}

}  // namespace

HRESULT referenceInvoke(ITypeInfo* info, void* instance, DISPID id, WORD flags, DISPPARAMS* params, VARIANT* result,
                        EXCEPINFO* exception, UINT* argumentError) {
    // More named arguments than arguments: what the standard dispatcher answers.
    if (params && params->cNamedArgs > params->cArgs) return E_INVALIDARG;
    const Shape& shape = shapeOf(info, id, flags);
    const UINT declared = static_cast<UINT>(shape.parameters.size());
    if (params && shape.objectGet && params->cArgs - params->cNamedArgs > declared)
        return invokeObjectIndex(info, instance, id, params, result, exception, argumentError);
    if (!params || !shape.anyByRef)
        return standardInvoke(info, instance, id, flags, params, result, exception, argumentError);
    const UINT named = params->cNamedArgs;

    // The arguments as the member will receive them: named ones first, then
    // the positional ones last to first.
    std::vector<VARIANTARG> arguments(params->rgvarg, params->rgvarg + params->cArgs);
    UINT positional = params->cArgs - named;
    // A missing by-reference argument with a declared default gets that
    // default through a temporary of its own.
    UINT added = 0;
    if (named == 0) {
        for (UINT k = positional; k < declared; ++k)
            if (shape.parameters[k].hasDefault && shape.parameters[k].target != VT_EMPTY) added = k + 1 - positional;
        arguments.insert(arguments.begin(), added, missingArgument());
        positional += added;
    }
    // The argument of a declared parameter: positional, named by its index,
    // or a property put's value (which belongs to the last parameter).
    auto argumentOf = [&](UINT k) -> VARIANTARG* {
        if (k < positional) return &arguments[arguments.size() - 1 - k];
        for (UINT n = 0; n < named; ++n) {
            const DISPID name = params->rgdispidNamedArgs[n];
            if (name == static_cast<DISPID>(k) || (name == DISPID_PROPERTYPUT && k + 1 == declared))
                return &arguments[n];
        }
        return nullptr;
    };
    bool fits = true;
    for (UINT k = 0; k < declared && fits; ++k) fits = takenAsIs(argumentOf(k), shape.parameters[k]);
    if (fits) return standardInvoke(info, instance, id, flags, params, result, exception, argumentError);

    FunctionDesc function(info, id, flags);
    std::vector<Converted> converted;
    VARIANTARG empty;  // converts to a type's zero value
    VariantInit(&empty);
    for (UINT k = 0; k < declared; ++k) {
        VARIANTARG* argument = argumentOf(k);
        if (takenAsIs(argument, shape.parameters[k])) continue;
        const VARTYPE target = shape.parameters[k].target;
        Converted c{argument, target, nullptr, {}, {}};
        const VARIANTARG* source = argument;
        if (isMissing(*argument)) {
            const PARAMDESC& declaredAs = function.get()->lprgelemdescParam[k].paramdesc;
            if ((declaredAs.wParamFlags & PARAMFLAG_FHASDEFAULT) && declaredAs.pparamdescex)
                source = &declaredAs.pparamdescex->varDefaultValue;
            else
                source = &empty;
        } else if (V_VT(argument) == (VT_BYREF | VT_VARIANT)) {
            c.caller = V_VARIANTREF(argument);
        }
        if (!convertArgument(*source, target, c.value)) {
            if (argumentError) *argumentError = static_cast<UINT>(argument - arguments.data()) - added;
            return DISP_E_TYPEMISMATCH;
        }
        c.before = c.value;
        converted.push_back(std::move(c));
    }

    for (Converted& c : converted) {
        VariantInit(c.slot);
        V_VT(c.slot) = static_cast<VARTYPE>(VT_BYREF | c.target);
        if (c.target == VT_VARIANT) V_VARIANTREF(c.slot) = &c.value.raw();
        else V_BYREF(c.slot) = &V_UI8(&c.value.raw());
    }
    DISPPARAMS adapted = *params;
    adapted.rgvarg = arguments.data();
    adapted.cArgs = static_cast<UINT>(arguments.size());
    const size_t boxesBefore = frame::testing::MessageBoxCapture::boxesSoFar();
    const HRESULT hr = standardInvoke(info, instance, id, flags, &adapted, result, exception, argumentError);
    const bool ranToItsEnd = SUCCEEDED(hr) && frame::testing::MessageBoxCapture::boxesSoFar() == boxesBefore;
    const bool put = flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF);

    // A method or get that ran to its end gives the caller every by-reference
    // argument in its declared type (an Empty output variable receives the 0
    // assigned to it); after an error, and for a let, whose value is its
    // input, only those the member changed reach the caller.
    for (Converted& c : converted) {
        if (!c.caller || ((put || !ranToItsEnd) && sameValue(c.value.get(), c.before.get()))) continue;
        VariantClear(c.caller);
        *c.caller = c.value.detach();
    }
    return hr;
}

}  // namespace sweep
