#pragma once
#include "common/frame.h"
#include "keldrun_h.h"

namespace keldrun {

// File functions by path. Errors go to the caller.
class FileSysObject final : public frame::Object<FileSysObject, _FileSysObject, ::FileSysObject> {
public:
    static constexpr const char16_t* kName = u"FileSysObject";

    HRESULT STDMETHODCALLTYPE GetFileName(BSTR* filepath, BSTR* result) override;
    HRESULT STDMETHODCALLTYPE GetFiles(BSTR* FromFolder, FilesAttributes* Attributes, SAFEARRAY** result) override;
    HRESULT STDMETHODCALLTYPE GetFileAttribute(BSTR* filepath, BSTR* result) override;
    HRESULT STDMETHODCALLTYPE GetFileSize(BSTR* filepath, BSTR* result) override;
    HRESULT STDMETHODCALLTYPE GetFileExt(BSTR* filepath, BSTR* result) override;
    HRESULT STDMETHODCALLTYPE MarkFileAttributes(BSTR* filepath, FileAttrChangeTo* ChangeAttrTO,
                                                 VARIANT_BOOL* result) override;
    HRESULT STDMETHODCALLTYPE RenameFile(BSTR* filepath, BSTR* NewFileName, VARIANT* result) override;
};

}  // namespace keldrun
