#pragma once
#include "common/frame.h"
#include "keldrun_h.h"

namespace keldrun {

// Folder functions by path. Errors go to the caller, except in FolderExists.
class FolderSysObject final : public frame::Object<FolderSysObject, _FolderSysObject, ::FolderSysObject> {
public:
    static constexpr const char16_t* kName = u"FolderSysObject";

    HRESULT STDMETHODCALLTYPE GetFolderName(BSTR* path, BSTR* result) override;
    HRESULT STDMETHODCALLTYPE GetDirectories(BSTR* path, FolderAttributes* Attributes, VARIANT_BOOL* IncludePath,
                                             SAFEARRAY** result) override;
    HRESULT STDMETHODCALLTYPE RenameFolder(BSTR* path, BSTR* NewFileName, VARIANT* result) override;
    HRESULT STDMETHODCALLTYPE MarkFolderAttributes(BSTR* FolderPath, FolderAttrChangeTo* ChangeAttrTO,
                                                   VARIANT_BOOL* result) override;
    HRESULT STDMETHODCALLTYPE FolderExists(BSTR* path, VARIANT_BOOL* result) override;
};

}  // namespace keldrun
