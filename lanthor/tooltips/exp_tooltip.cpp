#include "lanthor/tooltips/exp_tooltip.h"

#include "common/text.h"
#include "common/window.h"

namespace lanthor {

namespace {

using frame::windowOf;

Address addressOf(long value) { return reinterpret_cast<Address>(windowOf(value)); }

}  // namespace

HRESULT ExpToolTip::zSubclass_Proc(VARIANT_BOOL, VARIANT_BOOL* bHandled, long* lReturn, long*, long* uMsg, long*,
                                   long*) {
    if (!bHandled || !lReturn || !uMsg) return E_POINTER;
    // The host may release its last reference while the message is handled
    // (from a hook, or an object of its own that the painting calls); the
    // object then ends here, after the handling, and its blocks are buried.
    const frame::ComPtr<_ExpToolTip> keepAlive(self());
    return member(u"zSubclass_Proc", Silent, [&] { tooltip_->targetMessage(static_cast<UINT>(*uMsg)); });
}

HRESULT ExpToolTip::AddMsg(long lng_hWnd, long uMsg, eMsgWhen When) {
    return member(u"AddMsg", Caller, [&] { tooltip_->subclasses().addMsg(addressOf(lng_hWnd), uMsg, When); });
}

HRESULT ExpToolTip::DelMsg(long lng_hWnd, long uMsg, eMsgWhen When) {
    return member(u"DelMsg", Caller, [&] { tooltip_->subclasses().delMsg(addressOf(lng_hWnd), uMsg, When); });
}

HRESULT ExpToolTip::InIDE(VARIANT_BOOL* result) {
    return member(u"InIDE", Caller, result, [] { return false; });
}

HRESULT ExpToolTip::Start(long lng_hWnd, long* result) {
    return member(u"Start", Caller, result, [&] { return tooltip_->subclasses().start(addressOf(lng_hWnd)); });
}

HRESULT ExpToolTip::StopAll() {
    tooltip_->subclasses().stopAll();
    return S_OK;
}

HRESULT ExpToolTip::StopWnd(long lng_hWnd) {
    return member(u"StopWnd", Caller, [&] { tooltip_->subclasses().stopWnd(addressOf(lng_hWnd)); });
}

HRESULT ExpToolTip::put_Shadow(VARIANT_BOOL value) {
    properties().shadow = value != VARIANT_FALSE;
    return S_OK;
}
HRESULT ExpToolTip::get_Shadow(VARIANT_BOOL* value) {
    return frame::readStored(properties().shadow ? VARIANT_TRUE : VARIANT_FALSE, value);
}

HRESULT ExpToolTip::ShowToolTip(long aWnd, BSTR Title, BSTR Text, long cIcon, long* TransparentAlpha) {
    return member(u"ShowToolTip", Caller, [&] {
        tooltip_->showToolTip(windowOf(aWnd), frame::Bstr::view(Title), frame::Bstr::view(Text), cIcon,
                              TransparentAlpha ? *TransparentAlpha : 100);
    });
}

}  // namespace lanthor
