#pragma once
#include "common/frame.h"
#include "lanthor/tooltips/control_tip.h"
#include "lanthor_h.h"

namespace lanthor {

// A common-controls tooltip attached to one window of the client. No member
// has an error report of its own: a failure reaches the caller.
class CToolTip final : public frame::Object<CToolTip, _CToolTip, ::CToolTip> {
public:
    static constexpr const char16_t* kName = u"CToolTip";

    FRAME_STORED_PROPERTY(Style, ttStyleEnum, tip_.settings.style)
    HRESULT STDMETHODCALLTYPE put_Centered(VARIANT_BOOL value) override;
    HRESULT STDMETHODCALLTYPE get_Centered(VARIANT_BOOL* value) override;
    HRESULT STDMETHODCALLTYPE Create(long ParentHwnd, VARIANT_BOOL* result) override;
    HRESULT STDMETHODCALLTYPE put_Icon(ttIconType value) override;
    HRESULT STDMETHODCALLTYPE get_Icon(ttIconType* value) override { return frame::readStored(tip_.settings.icon, value); }
    HRESULT STDMETHODCALLTYPE put_ForeColor(long value) override;
    HRESULT STDMETHODCALLTYPE get_ForeColor(long* value) override { return frame::readStored(tip_.settings.foreColor, value); }
    HRESULT STDMETHODCALLTYPE put_Title(BSTR value) override;
    HRESULT STDMETHODCALLTYPE get_Title(BSTR* value) override;
    HRESULT STDMETHODCALLTYPE put_BackColor(long value) override;
    HRESULT STDMETHODCALLTYPE get_BackColor(long* value) override { return frame::readStored(tip_.settings.backColor, value); }
    HRESULT STDMETHODCALLTYPE put_TipText(BSTR value) override;
    HRESULT STDMETHODCALLTYPE get_TipText(BSTR* value) override;
    HRESULT STDMETHODCALLTYPE Destroy() override;
    FRAME_STORED_PROPERTY(VisibleTime, long, tip_.settings.visibleTime)
    FRAME_STORED_PROPERTY(DelayTime, long, tip_.settings.delayTime)

private:
    // Stores a let's value and gives the live window what the change calls for.
    template <class Field, class Value>
    HRESULT let(const char16_t* name, ctip::Change change, Field& field, const Value& value) {
        return member(name, Caller, [&] {
            field = static_cast<Field>(value);
            tip_.changed(change);
        });
    }

    ControlTip tip_;
};

}  // namespace lanthor
