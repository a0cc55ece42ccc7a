// IDispatch of every class, answered from tables built once per interface
// from the library's own type library: member names for GetIDsOfNames, and
// for each member its vtable slot, parameter types, flags and defaults, so
// that Invoke converts the arguments and calls the member directly.
//
// The conversions are the automation rules (VariantChangeType), with what
// script hosts need beyond the type library's own dispatcher: a by-reference
// String, Long, Integer, Boolean, enumeration or object parameter also takes
// a script's by-reference Variant, converted into a temporary of the declared
// type and written back into the script's variable afterwards; a property
// put's value, which scripts pass by value, reaches a let that takes it by
// reference; and a missing by-reference optional gets its declared default.
#include <windows.h>
#include <oleauto.h>

#include <atomic>
#include <cstring>
#include <new>
#include <utility>
#include <vector>

#include "common/frame.h"

namespace frame {

namespace {

constexpr UINT kMaxParameters = 15;
constexpr USHORT kStandardCall = 0xFFFF;  // a member the type library's dispatcher calls

struct ParameterPlan {
    VARTYPE type;         // as the member takes it (VT_BYREF | the type for a pointer)
    USHORT flags;         // PARAMFLAG_*
    short defaultValue;   // index into the defaults, or -1
    bool checkInterface;  // an object that must answer `iid`
    GUID iid;
};

struct FunctionPlan {
    DISPID id;
    WORD kind;            // INVOKEKIND
    USHORT vtableOffset;  // or kStandardCall
    VARTYPE result;       // VT_EMPTY when the member returns nothing
    USHORT first;         // its parameters in Dispatcher::parameters
    USHORT count;
    bool direct;          // every argument one machine word: called without DispCallFunc
};

// Arguments that are one machine word on the stack or in a register, as the
// member's own C types take them: integers up to 32 bits, Booleans, strings,
// objects, arrays and every by-reference argument.
bool oneWord(VARTYPE vt) {
    if (vt & (VT_BYREF | VT_ARRAY)) return true;
    switch (vt) {
        case VT_I2: case VT_I4: case VT_BOOL: case VT_BSTR: case VT_DISPATCH: case VT_UNKNOWN: case VT_ERROR:
        case VT_UI2: case VT_UI4: case VT_INT: case VT_UINT: case VT_I1: case VT_UI1:
            return true;
        default:
            return false;
    }
}

bool isObject(VARTYPE vt) { return vt == VT_DISPATCH || vt == VT_UNKNOWN; }

// The automation type of a declared type: enumerations as Long, aliases as
// what they name, an interface pointer as an object (with the interface it
// must answer when that is neither IDispatch nor IUnknown), a pointer to
// anything else as VT_BYREF; VT_EMPTY for what no argument can be.
VARTYPE automationType(ITypeInfo* info, const TYPEDESC& desc, ParameterPlan& plan) {
    if (desc.vt == VT_PTR || desc.vt == VT_SAFEARRAY) {
        const VARTYPE to = automationType(info, *desc.lptdesc, plan);
        if (to == VT_EMPTY || (to & VT_BYREF) || (desc.vt == VT_SAFEARRAY && (to & VT_ARRAY))) return VT_EMPTY;
        if (desc.vt == VT_SAFEARRAY) return VT_ARRAY | to;
        // An interface type is its pointer already.
        if (desc.lptdesc->vt == VT_USERDEFINED && isObject(to)) return to;
        return VT_BYREF | to;
    }
    if (desc.vt != VT_USERDEFINED) return desc.vt;
    ComPtr<ITypeInfo> named;
    TYPEATTR* attr = nullptr;
    if (FAILED(info->GetRefTypeInfo(desc.hreftype, named.put())) || FAILED(named->GetTypeAttr(&attr)))
        return VT_EMPTY;
    VARTYPE vt = VT_EMPTY;
    switch (attr->typekind) {
        case TKIND_ENUM: vt = VT_I4; break;
        case TKIND_ALIAS: vt = automationType(named.get(), attr->tdescAlias, plan); break;
        case TKIND_DISPATCH: case TKIND_INTERFACE:
            vt = (attr->typekind == TKIND_DISPATCH || (attr->wTypeFlags & TYPEFLAG_FDUAL)) ? VT_DISPATCH : VT_UNKNOWN;
            plan.checkInterface = true;
            plan.iid = attr->guid;
            break;
        default: break;
    }
    named->ReleaseTypeAttr(attr);
    return vt;
}

bool isMissing(const VARIANTARG* argument) {
    return !argument || (V_VT(argument) == VT_ERROR && V_ERROR(argument) == DISP_E_PARAMNOTFOUND);
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

bool sameNameIgnoringCase(BSTR known, const OLECHAR* asked) {
    const UINT length = SysStringLen(known);
    for (UINT i = 0; i < length; ++i) {
        OLECHAR a = known[i], b = asked[i];
        if (a >= 'A' && a <= 'Z') a += 'a' - 'A';
        if (b >= 'A' && b <= 'Z') b += 'a' - 'A';
        if (a != b) return false;
    }
    return asked[length] == 0;
}

// What one call holds: the arguments as the member takes them, the values
// converted for it (cleared on the way out), and the script variables that
// receive by-reference values after the call.
struct CallFrame {
    VARIANTARG arguments[kMaxParameters + 1];
    VARIANTARG* pointers[kMaxParameters + 1];
    VARTYPE types[kMaxParameters + 1];
    struct WriteBack {
        VARIANT* value;
        VARIANT* before;
        VARIANT* caller;
    } writeBacks[kMaxParameters];
    UINT writeBackCount = 0;
    VARIANT held[2 * kMaxParameters + 1];
    UINT heldCount = 0;

    CallFrame() = default;
    CallFrame(const CallFrame&) = delete;
    CallFrame& operator=(const CallFrame&) = delete;
    ~CallFrame() {
        for (UINT i = 0; i < heldCount; ++i) VariantClear(&held[i]);
    }
    VARIANT* hold() {
        VARIANT* v = &held[heldCount++];
        std::memset(v, 0, sizeof(*v));
        return v;
    }
    // Passes `value` by reference as `type`.
    void passByReference(UINT k, VARTYPE type, VARIANT* value) {
        V_VT(&arguments[k]) = type;
        if (type == (VT_BYREF | VT_VARIANT)) V_VARIANTREF(&arguments[k]) = value;
        else V_BYREF(&arguments[k]) = &V_UI1(value);
    }
};

constexpr UINT kDirectWords = 4;

ULONG_PTR wordOf(VARTYPE type, const VARIANTARG& argument) {
    if (type & (VT_BYREF | VT_ARRAY)) return reinterpret_cast<ULONG_PTR>(V_BYREF(&argument));
    switch (type) {
        case VT_I2: case VT_BOOL: return static_cast<ULONG_PTR>(static_cast<LONG_PTR>(V_I2(&argument)));
        case VT_I1: return static_cast<ULONG_PTR>(static_cast<LONG_PTR>(V_I1(&argument)));
        case VT_UI1: return V_UI1(&argument);
        case VT_UI2: return V_UI2(&argument);
        case VT_I4: case VT_INT: case VT_ERROR: return static_cast<ULONG_PTR>(static_cast<LONG_PTR>(V_I4(&argument)));
        case VT_UI4: case VT_UINT: return V_UI4(&argument);
        default: return reinterpret_cast<ULONG_PTR>(V_BYREF(&argument));  // a string or an object
    }
}

// The member called through its vtable slot with its arguments as words: what
// DispCallFunc does, without the platform's copy of the arguments to the heap.
HRESULT callDirect(IDispatch* instance, USHORT offset, UINT count, const CallFrame& call) {
    using W = ULONG_PTR;
    W w[kDirectWords] = {};
    for (UINT i = 0; i < count; ++i) w[i] = wordOf(call.types[i], call.arguments[i]);
    void* entry = (*reinterpret_cast<void***>(instance))[offset / sizeof(void*)];
    switch (count) {
        case 0: return reinterpret_cast<HRESULT(STDMETHODCALLTYPE*)(void*)>(entry)(instance);
        case 1: return reinterpret_cast<HRESULT(STDMETHODCALLTYPE*)(void*, W)>(entry)(instance, w[0]);
        case 2: return reinterpret_cast<HRESULT(STDMETHODCALLTYPE*)(void*, W, W)>(entry)(instance, w[0], w[1]);
        case 3:
            return reinterpret_cast<HRESULT(STDMETHODCALLTYPE*)(void*, W, W, W)>(entry)(instance, w[0], w[1], w[2]);
        default:
            return reinterpret_cast<HRESULT(STDMETHODCALLTYPE*)(void*, W, W, W, W)>(entry)(instance, w[0], w[1], w[2],
                                                                                           w[3]);
    }
}

}  // namespace

struct Dispatcher {
    ComPtr<ITypeInfo> info;  // the dispatch view, as GetTypeInfo gives it
    std::vector<FunctionPlan> functions;
    std::vector<ParameterPlan> parameters;
    std::vector<Variant> defaults;
    std::vector<Bstr> names;  // of each function
    Dispatcher* next = nullptr;

    bool build(ComPtr<ITypeInfo> dispatchView);
    const FunctionPlan* find(DISPID id, WORD flags) const {
        for (const FunctionPlan& f : functions)
            if (f.id == id && (f.kind & flags)) return &f;
        return nullptr;
    }
    HRESULT prepare(CallFrame& call, WORD kind, UINT k, const ParameterPlan& p, VARIANTARG* source) const;
    HRESULT invoke(IDispatch* instance, DISPID id, WORD flags, DISPPARAMS* params, VARIANT* result,
                   EXCEPINFO* exception, UINT* argumentError) const;
    HRESULT invokeObjectIndex(IDispatch* instance, DISPID id, DISPPARAMS* params, VARIANT* result,
                              EXCEPINFO* exception, UINT* argumentError) const;
};

bool Dispatcher::build(ComPtr<ITypeInfo> dispatchView) {
    info = dispatchView;
    // A dual interface's functions have their vtable slots in its interface view.
    ComPtr<ITypeInfo> calls;
    HREFTYPE reference = 0;
    if (FAILED(info->GetRefTypeOfImplType(static_cast<UINT>(-1), &reference)) ||
        FAILED(info->GetRefTypeInfo(reference, calls.put())))
        return false;
    TYPEATTR* attr = nullptr;
    if (FAILED(calls->GetTypeAttr(&attr))) return false;
    const WORD count = attr->cFuncs;
    calls->ReleaseTypeAttr(attr);
    for (UINT i = 0; i < count; ++i) {
        FUNCDESC* desc = nullptr;
        if (FAILED(calls->GetFuncDesc(i, &desc))) return false;
        FunctionPlan f{desc->memid, static_cast<WORD>(desc->invkind), static_cast<USHORT>(desc->oVft), VT_EMPTY,
                       static_cast<USHORT>(parameters.size()), 0, true};
        for (SHORT k = 0; k < desc->cParams; ++k) {
            const ELEMDESC& element = desc->lprgelemdescParam[k];
            ParameterPlan p{VT_EMPTY, element.paramdesc.wParamFlags, -1, false, GUID{}};
            p.type = automationType(calls.get(), element.tdesc, p);
            f.direct = f.direct && oneWord(p.type);
            if (p.flags & PARAMFLAG_FRETVAL) {
                f.result = static_cast<VARTYPE>(p.type & ~VT_BYREF);
                if (!(p.type & VT_BYREF) || f.result == VT_EMPTY) f.vtableOffset = kStandardCall;
                continue;
            }
            if ((p.flags & PARAMFLAG_FHASDEFAULT) && element.paramdesc.pparamdescex) {
                p.defaultValue = static_cast<short>(defaults.size());
                defaults.emplace_back();
                VariantCopy(defaults.back().put(), &element.paramdesc.pparamdescex->varDefaultValue);
            }
            if (p.type == VT_EMPTY || (p.flags & PARAMFLAG_FLCID) || f.count == kMaxParameters)
                f.vtableOffset = kStandardCall;
            parameters.push_back(p);
            ++f.count;
        }
        BSTR name = nullptr;
        UINT named = 0;
        calls->GetNames(desc->memid, &name, 1, &named);
        names.push_back(Bstr::attach(name));
        calls->ReleaseFuncDesc(desc);
        functions.push_back(f);
    }
    return true;
}

// One argument as the member takes it: `source` is the caller's argument,
// null when none was given.
HRESULT Dispatcher::prepare(CallFrame& call, WORD kind, UINT k, const ParameterPlan& p, VARIANTARG* source) const {
    VARIANTARG& passed = call.arguments[k];
    call.pointers[k] = &passed;
    call.types[k] = p.type;
    const VARTYPE target = static_cast<VARTYPE>(p.type & ~VT_BYREF);
    const bool byReference = p.type & VT_BYREF;
    static VARIANT zero;  // converts to a type's zero value
    if (isMissing(source)) {
        if (p.defaultValue >= 0) {
            source = const_cast<VARIANT*>(&defaults[static_cast<size_t>(p.defaultValue)].get());
        } else if (!(p.flags & PARAMFLAG_FOPT)) {
            // A let's value is a named argument of its own.
            if (!source) return (kind & (INVOKE_PROPERTYPUT | INVOKE_PROPERTYPUTREF)) ? DISP_E_PARAMNOTFOUND
                                                                                       : DISP_E_BADPARAMCOUNT;
        } else if (target == VT_VARIANT || !byReference) {
            // An optional Variant stays missing, as callers test.
            VARIANT* missing = call.hold();
            V_VT(missing) = VT_ERROR;
            V_ERROR(missing) = DISP_E_PARAMNOTFOUND;
            if (byReference) call.passByReference(k, p.type, missing);
            else passed = *missing;
            return S_OK;
        } else {
            // widl stores no text default for a by-reference String: its zero value.
            source = &zero;
        }
    }
    if (!byReference || V_VT(source) == p.type) {
        passed = *source;  // a view: the caller keeps ownership
        if (!byReference && target != VT_VARIANT && V_VT(source) != target) {
            VARIANT* converted = call.hold();
            const HRESULT hr = VariantChangeType(converted, source, 0, target);
            if (FAILED(hr)) return hr;
            passed = *converted;
        }
        if (p.checkInterface && !byReference && V_UNKNOWN(&passed)) {
            // The object the member receives is the interface it declares.
            VARIANT* object = call.hold();
            if (FAILED(V_UNKNOWN(&passed)->QueryInterface(p.iid, reinterpret_cast<void**>(&V_UNKNOWN(object)))))
                return DISP_E_TYPEMISMATCH;
            V_VT(object) = VT_UNKNOWN;
            V_UNKNOWN(&passed) = V_UNKNOWN(object);
        }
        return S_OK;
    }
    // By reference through a value of the declared type.
    VARIANT* value = call.hold();
    const HRESULT converted =
        target == VT_VARIANT ? VariantCopyInd(value, source) : VariantChangeType(value, source, 0, target);
    if (FAILED(converted)) return DISP_E_TYPEMISMATCH;
    if (V_VT(source) == (VT_BYREF | VT_VARIANT) && target != VT_VARIANT) {
        VARIANT* before = call.hold();
        VariantCopy(before, value);
        call.writeBacks[call.writeBackCount++] = {value, before, V_VARIANTREF(source)};
    }
    call.passByReference(k, p.type, value);
    return S_OK;
}

HRESULT Dispatcher::invoke(IDispatch* instance, DISPID id, WORD flags, DISPPARAMS* params, VARIANT* result,
                           EXCEPINFO* exception, UINT* argumentError) const {
    DISPPARAMS none{nullptr, nullptr, 0, 0};
    if (!params) params = &none;
    // More named arguments than arguments: what the standard dispatcher answers.
    if (params->cNamedArgs > params->cArgs) return E_INVALIDARG;
    const FunctionPlan* f = find(id, flags);
    if (!f || f->vtableOffset == kStandardCall) {
        const HRESULT hr = info->Invoke(instance, id, flags, params, result, exception, argumentError);
        return hr == E_NOINTERFACE ? DISP_E_TYPEMISMATCH : hr;
    }
    const UINT named = params->cNamedArgs;
    const UINT positional = params->cArgs - named;
    const bool put = flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF);
    if (positional + (put && named) > f->count) {
        // Arguments a get without parameters does not take index what it returns.
        if (f->kind != INVOKE_PROPERTYGET || f->count) return DISP_E_BADPARAMCOUNT;
        return invokeObjectIndex(instance, id, params, result, exception, argumentError);
    }

    CallFrame call;
    for (UINT k = 0; k < f->count; ++k) {
        // Positional arguments come last to first; a named one by its index,
        // and a property put's value belongs to the last parameter.
        VARIANTARG* source = nullptr;
        if (k < positional) source = &params->rgvarg[params->cArgs - 1 - k];
        for (UINT n = 0; n < named && !source; ++n) {
            const DISPID name = params->rgdispidNamedArgs[n];
            if (name == static_cast<DISPID>(k) || (name == DISPID_PROPERTYPUT && k + 1 == f->count))
                source = &params->rgvarg[n];
        }
        const HRESULT hr = prepare(call, f->kind, k, parameters[f->first + k], source);
        if (FAILED(hr)) {
            if (argumentError && source) *argumentError = static_cast<UINT>(source - params->rgvarg);
            return hr;
        }
    }
    UINT count = f->count;
    VARIANT* returned = nullptr;
    if (f->result != VT_EMPTY) {
        returned = call.hold();
        call.types[count] = static_cast<VARTYPE>(VT_BYREF | f->result);
        call.pointers[count] = &call.arguments[count];
        call.passByReference(count, call.types[count], returned);
        ++count;
    }

    const uint32_t errorsBefore = call.writeBackCount ? memberErrorCount() : 0;
    HRESULT hr = S_OK;
    if (count <= kDirectWords && f->direct) {
        hr = callDirect(instance, f->vtableOffset, count, call);
    } else {
        VARIANT outcome;
        VariantInit(&outcome);
        const HRESULT called =
            DispCallFunc(instance, f->vtableOffset, CC_STDCALL, VT_ERROR, count, call.types, call.pointers, &outcome);
        if (FAILED(called)) return called;
        hr = V_ERROR(&outcome);
    }
    if (returned && f->result != VT_VARIANT) V_VT(returned) = f->result;  // so that the frame clears it

    // A method or get that ran to its end gives the caller every by-reference
    // argument in its declared type (an Empty output variable receives the 0
    // assigned to it); after an error, and for a let, whose value is its
    // input, only those the member changed reach the caller.
    const bool ranToItsEnd = SUCCEEDED(hr) && (!call.writeBackCount || memberErrorCount() == errorsBefore);
    for (UINT i = 0; i < call.writeBackCount; ++i) {
        const CallFrame::WriteBack& w = call.writeBacks[i];
        if ((put || !ranToItsEnd) && sameValue(*w.value, *w.before)) continue;
        VariantClear(w.caller);
        *w.caller = *w.value;
        V_VT(w.value) = VT_EMPTY;
    }

    // What the member left in its result reaches the caller also when it failed.
    if (returned && result) {
        *result = *returned;
        V_VT(returned) = VT_EMPTY;
    }
    if (FAILED(hr)) {
        if (exception) {
            *exception = EXCEPINFO{};
            exception->scode = hr;
            ComPtr<IErrorInfo> error;
            if (GetErrorInfo(0, error.put()) == S_OK) {
                error->GetSource(&exception->bstrSource);
                error->GetDescription(&exception->bstrDescription);
                error->GetHelpFile(&exception->bstrHelpFile);
                error->GetHelpContext(&exception->dwHelpContext);
            }
        }
        return DISP_E_EXCEPTION;
    }
    return S_OK;
}

// The collection rule: a get given arguments it does not take runs, and
// passes them to the default member of the object it returns. A value that is
// not an object is no collection; for Nothing the arguments do not fit.
HRESULT Dispatcher::invokeObjectIndex(IDispatch* instance, DISPID id, DISPPARAMS* params, VARIANT* result,
                                      EXCEPINFO* exception, UINT* argumentError) const {
    Variant object;
    const HRESULT hr = invoke(instance, id, DISPATCH_PROPERTYGET, nullptr, object.put(), exception, argumentError);
    if (FAILED(hr)) return hr;
    if (!isObject(object.type())) return DISP_E_NOTACOLLECTION;
    if (!V_UNKNOWN(&object.get())) return DISP_E_BADPARAMCOUNT;
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

namespace {

// Every dispatcher built, freed with the module.
struct Built {
    std::atomic<Dispatcher*> first{nullptr};
    ~Built() {
        for (Dispatcher* d = first.load(); d;) delete std::exchange(d, d->next);
    }
} g_built;

}  // namespace

const Dispatcher* dispatcherOf(std::atomic<const Dispatcher*>& slot, const IID& iid) {
    if (const Dispatcher* known = slot.load(std::memory_order_acquire)) return known;
    ComPtr<ITypeInfo> info = module::typeInfo(iid);
    Dispatcher* built = info ? new (std::nothrow) Dispatcher : nullptr;
    if (!built) return nullptr;
    try {
        if (!built->build(info)) {
            // Every call then goes to the type library's dispatcher.
            built->functions.clear();
            built->names.clear();
        }
    } catch (const std::bad_alloc&) {
        delete built;
        return nullptr;
    }
    const Dispatcher* expected = nullptr;
    if (!slot.compare_exchange_strong(expected, built)) {
        delete built;  // another thread's is in place
        return expected;
    }
    built->next = g_built.first.load();
    while (!g_built.first.compare_exchange_weak(built->next, built)) {
    }
    return built;
}

ITypeInfo* dispatchTypeInfo(const Dispatcher& dispatcher) { return dispatcher.info.get(); }

HRESULT dispatchIdsOfNames(const Dispatcher& dispatcher, LPOLESTR* names, UINT count, DISPID* ids) {
    if (names && ids && count == 1 && names[0])
        for (size_t i = 0; i < dispatcher.names.size(); ++i)
            if (sameNameIgnoringCase(dispatcher.names[i].get(), names[0])) {
                ids[0] = dispatcher.functions[i].id;
                return S_OK;
            }
    // Parameter names, and names that are not the interface's own members.
    return dispatcher.info->GetIDsOfNames(names, count, ids);
}

HRESULT dispatchInvoke(const Dispatcher& dispatcher, IDispatch* instance, DISPID id, WORD flags, DISPPARAMS* params,
                       VARIANT* result, EXCEPINFO* exception, UINT* argumentError) {
    return dispatcher.invoke(instance, id, flags, params, result, exception, argumentError);
}

}  // namespace frame
