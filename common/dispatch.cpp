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

}  // namespace

HRESULT invokeThroughTypeInfo(ITypeInfo* info, void* instance, DISPID id, WORD flags, DISPPARAMS* params,
                              VARIANT* result, EXCEPINFO* exception, UINT* argumentError) {
    if (!params || !hasByRefScalars(info, id, flags))
        return info->Invoke(instance, id, flags, params, result, exception, argumentError);

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
    if (converted.empty()) return info->Invoke(instance, id, flags, params, result, exception, argumentError);

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
    const uint32_t errorsBefore = memberErrorCount();
    const HRESULT hr = info->Invoke(instance, id, flags, &adapted, result, exception, argumentError);
    const bool ranToItsEnd = SUCCEEDED(hr) && memberErrorCount() == errorsBefore;

    // A member that ran to its end gives the caller every by-reference
    // argument in its declared type (an Empty output variable receives the 0
    // assigned to it); after an error only those it changed reach the caller.
    for (Converted& c : converted) {
        if (!c.caller || (!ranToItsEnd && sameValue(c.value.get(), c.before.get()))) continue;
        VariantClear(c.caller);
        *c.caller = c.value.detach();
    }
    return hr;
}

}  // namespace frame
