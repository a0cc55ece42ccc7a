#pragma once
#include "common/frame.h"
#include "common/late.h"
#include "keldrun_h.h"

namespace keldrun {

class Security final : public frame::Object<Security, _SecurityClass, ::SecurityClass> {
public:
    static constexpr const char16_t* kName = u"SecurityClass";

    HRESULT STDMETHODCALLTYPE get_fso(IDispatch** result) override;
    HRESULT STDMETHODCALLTYPE putref_fso(IDispatch* value) override;
    HRESULT STDMETHODCALLTYPE get_crypt(_cSimpleCrypt** result) override;
    HRESULT STDMETHODCALLTYPE putref_crypt(_cSimpleCrypt* value) override;
    HRESULT STDMETHODCALLTYPE FindSecurityFile(VARIANT_BOOL* result) override;
    HRESULT STDMETHODCALLTYPE SaveSecurityFile(VARIANT* usr, BSTR* pss, VARIANT_BOOL* result) override;
    HRESULT STDMETHODCALLTYPE ReadSecurityFile(BSTR* result) override;
    HRESULT STDMETHODCALLTYPE SaveFile(BSTR* filepath, BSTR* content, VARIANT_BOOL* result) override;
    HRESULT STDMETHODCALLTYPE OpenFile(BSTR* filepath, BSTR* result) override;
    HRESULT STDMETHODCALLTYPE SaveSecurityFileUser(VARIANT* filenamepath, VARIANT* usr, BSTR* pss,
                                                   VARIANT_BOOL* result) override;
    HRESULT STDMETHODCALLTYPE ReadSecurityFileUser(BSTR* filena, BSTR* result) override;

private:
    IDispatch* fileSystem();  // made on demand
    frame::LateBound files();  // the same, for calls by name
    std::u16string adminFile();
    bool saveThroughInterface(const std::u16string& path, const std::u16string& content);
    std::u16string openThroughInterface(const std::u16string& path);

    frame::ComPtr<IDispatch> fso_;
    frame::ComPtr<_cSimpleCrypt> crypt_;
};

}  // namespace keldrun
