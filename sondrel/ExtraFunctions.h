#pragma once
#include "common/frame.h"
#include "sondrel_h.h"

namespace sondrel {

// The offset of a host's control inside its nested containers. Errors go to
// the caller; changes made before an error stay.
class ExtraFunctions final : public frame::Object<ExtraFunctions, _ExtraFunctions, ::ExtraFunctions> {
public:
    static constexpr const char16_t* kName = u"ExtraFunctions";

    HRESULT STDMETHODCALLTYPE CalcContainerOffset(IDispatch** obj, long* OffsetX, long* OffsetY,
                                                  VARIANT* result) override;
};

}  // namespace sondrel
