#pragma once
#include <optional>
#include <string>

#include "common/frame.h"
#include "lanthor_h.h"

namespace lanthor {

// The system's and the user's names, registry values, the system-information
// tool and an application's owner window. Keeps no state between calls.
class GetWindowsInformation final
    : public frame::Object<GetWindowsInformation, _GetWindowsInformation, ::GetWindowsInformation> {
public:
    static constexpr const char16_t* kName = u"GetWindowsInformation";

    HRESULT STDMETHODCALLTYPE getwinOS(BSTR* result) override;
    HRESULT STDMETHODCALLTYPE UserName(BSTR* result) override;
    HRESULT STDMETHODCALLTYPE StartSysInfo() override;
    HRESULT STDMETHODCALLTYPE GetKeyValue(long* KeyRoot, BSTR* KeyName, BSTR* SubKeyRef, BSTR* KeyVal,
                                          VARIANT_BOOL* result) override;
    HRESULT STDMETHODCALLTYPE HideApp(long mainFrmHwnd) override;
    HRESULT STDMETHODCALLTYPE ShowApp(long mainFrmHwnd) override;

private:
    // A local-machine value read through this object's own GetKeyValue; none when it returns false.
    std::optional<std::u16string> machineValue(const char16_t* key, const char16_t* value);
};

}  // namespace lanthor
