#include "keldrun/security/crypt_class.h"

#include "common/text.h"
#include "keldrun/security/cipher.h"
#include "keldrun/security/pump.h"

namespace keldrun {
namespace {

// The class's own report: "Program Error!" with the critical-stop icon.
void programError(const frame::RuntimeError& error) {
    std::u16string source = error.source();
    if (source.empty()) source = frame::thisLibrary().name;
    frame::messageBox(u"Error# = " + frame::decimal(error.number()) + u"\r\nDescription = " + error.description() +
                          u"\r\nSource = " + source,
                      u"Program Error!", MB_OK | MB_ICONHAND);
}

// The caller's variable may be reassigned by a handler inside the pump, so
// each call works on its own copy.
using frame::textOf;

}  // namespace

HRESULT SimpleCrypt::DeCode(BSTR* vText, BSTR* result) {
    return member(u"DeCode", programError, result,
                  [&] { return frame::Bstr(decode(textOf(vText), messagePump())); });
}

HRESULT SimpleCrypt::Encode(BSTR* vText, VARIANT* result) {
    return member(u"Encode", programError, result,
                  [&] { return frame::Variant(frame::Bstr(encode(textOf(vText), messagePump()))); });
}

}  // namespace keldrun
