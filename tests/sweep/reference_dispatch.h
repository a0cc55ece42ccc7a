#pragma once
#include <windows.h>
#include <oleauto.h>

namespace sweep {

// IDispatch::Invoke as the libraries answered it through the type library's
// own dispatcher, for the differential test of the frame's dispatcher.
HRESULT referenceInvoke(ITypeInfo* info, void* instance, DISPID id, WORD flags, DISPPARAMS* params, VARIANT* result,
                        EXCEPINFO* exception, UINT* argumentError);

}  // namespace sweep
