#include "lanthor/tooltips/ctooltip.h"

#include "common/window.h"

namespace lanthor {

using ctip::Change;

HRESULT CToolTip::put_Centered(VARIANT_BOOL value) { return frame::writeStored(tip_.settings.centered, value != VARIANT_FALSE); }
HRESULT CToolTip::get_Centered(VARIANT_BOOL* value) {
    return frame::readStored(tip_.settings.centered ? VARIANT_TRUE : VARIANT_FALSE, value);
}

HRESULT CToolTip::Create(long ParentHwnd, VARIANT_BOOL* result) {
    // False whatever happens: neither the window nor the messages are checked.
    return member(u"Create", Caller, result, [&] {
        tip_.create(frame::windowOf(ParentHwnd));
        return false;
    });
}

HRESULT CToolTip::put_Icon(ttIconType value) { return let(u"Icon", Change::Icon, tip_.settings.icon, value); }
HRESULT CToolTip::put_ForeColor(long value) {
    return let(u"ForeColor", Change::ForeColor, tip_.settings.foreColor, value);
}
HRESULT CToolTip::put_BackColor(long value) {
    return let(u"BackColor", Change::BackColor, tip_.settings.backColor, value);
}
HRESULT CToolTip::put_Title(BSTR value) {
    return let(u"Title", Change::Title, tip_.settings.title, frame::Bstr::view(value));
}
HRESULT CToolTip::get_Title(BSTR* value) {
    return member(u"Title", Caller, value, [&] { return frame::Bstr(tip_.settings.title); });
}
HRESULT CToolTip::put_TipText(BSTR value) {
    return let(u"TipText", Change::TipText, tip_.settings.tipText, frame::Bstr::view(value));
}
HRESULT CToolTip::get_TipText(BSTR* value) {
    return member(u"TipText", Caller, value, [&] { return frame::Bstr(tip_.settings.tipText); });
}

HRESULT CToolTip::Destroy() {
    return member(u"Destroy", Caller, [&] { tip_.destroy(); });
}

}  // namespace lanthor
