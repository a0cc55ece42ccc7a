// The part of every object that does not depend on its class.
#include "common/frame.h"


namespace frame {

ObjectBase::ObjectBase(IDispatch* primary, const ClassFacts& facts) : primary_(primary), facts_(facts) {
    module::objectCreated();
}

ObjectBase::~ObjectBase() { module::objectDestroyed(); }

HRESULT ObjectBase::query(REFIID iid, void** object) {
    if (!object) return E_POINTER;
    if (iid == __uuidof(IUnknown) || iid == __uuidof(IDispatch) || iid == *facts_.iid) {
        *object = primary_;
    } else if (iid == __uuidof(ISupportErrorInfo)) {
        *object = static_cast<ISupportErrorInfo*>(&extras_);
    } else if (iid == __uuidof(IProvideClassInfo) || iid == __uuidof(IProvideClassInfo2)) {
        *object = static_cast<IProvideClassInfo2*>(&extras_);
    } else {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    addRef();
    return S_OK;
}

ULONG ObjectBase::release() {
    const ULONG left = --references_;
    if (left == 0) delete this;
    return left;
}

HRESULT ObjectBase::typeInfoCount(UINT* count) {
    if (!count) return E_POINTER;
    *count = 1;
    return S_OK;
}

HRESULT ObjectBase::typeInfo(UINT index, ITypeInfo** info) {
    if (!info) return E_POINTER;
    *info = nullptr;
    if (index != 0) return DISP_E_BADINDEX;
    const Dispatcher* found = dispatcher();
    if (!found) return TYPE_E_ELEMENTNOTFOUND;
    *info = dispatchTypeInfo(*found);
    (*info)->AddRef();
    return S_OK;
}

HRESULT ObjectBase::idsOfNames(LPOLESTR* names, UINT count, DISPID* ids) {
    const Dispatcher* found = dispatcher();
    return found ? dispatchIdsOfNames(*found, names, count, ids) : TYPE_E_ELEMENTNOTFOUND;
}

HRESULT ObjectBase::invoke(DISPID id, WORD flags, DISPPARAMS* params, VARIANT* result, EXCEPINFO* exception,
                           UINT* argumentError) {
    const Dispatcher* found = dispatcher();
    return found ? dispatchInvoke(*found, primary_, id, flags, params, result, exception, argumentError)
                 : TYPE_E_ELEMENTNOTFOUND;
}

// The embedded part's interfaces lead back to the object.
HRESULT ObjectBase::Extras::QueryInterface(REFIID iid, void** object) { return owner.query(iid, object); }
ULONG ObjectBase::Extras::AddRef() { return owner.addRef(); }
ULONG ObjectBase::Extras::Release() { return owner.release(); }

HRESULT ObjectBase::Extras::InterfaceSupportsErrorInfo(REFIID iid) {
    return iid == *owner.facts_.iid ? S_OK : S_FALSE;
}

// IProvideClassInfo2: hosts ask an object which class it is.
HRESULT ObjectBase::Extras::GetClassInfo(ITypeInfo** info) { return module::classInfo(*owner.facts_.clsid, info); }
HRESULT ObjectBase::Extras::GetGUID(DWORD kind, GUID* guid) {
    return module::classGuid(*owner.facts_.clsid, kind, guid);
}

}  // namespace frame
