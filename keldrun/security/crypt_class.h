#pragma once
#include "common/frame.h"
#include "keldrun_h.h"

namespace keldrun {

class SimpleCrypt final : public frame::Object<SimpleCrypt, _cSimpleCrypt, ::cSimpleCrypt> {
public:
    static constexpr const char16_t* kName = u"cSimpleCrypt";

    HRESULT STDMETHODCALLTYPE DeCode(BSTR* vText, BSTR* result) override;
    HRESULT STDMETHODCALLTYPE Encode(BSTR* vText, VARIANT* result) override;
};

}  // namespace keldrun
