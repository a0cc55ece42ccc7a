#pragma once
#include "common/frame.h"
#include "lanthor/tooltips/tooltip.h"
#include "lanthor_h.h"

namespace lanthor {

class ExpToolTip final : public frame::Object<ExpToolTip, _ExpToolTip, ::ExpToolTip> {
public:
    static constexpr const char16_t* kName = u"ExpToolTip";

    ExpToolTip() : tooltip_(std::make_unique<Tooltip>(self())) {}

    // The window blocks call this for the target's selected messages.
    HRESULT STDMETHODCALLTYPE zSubclass_Proc(VARIANT_BOOL bBefore, VARIANT_BOOL* bHandled, long* lReturn,
                                             long* lng_hWnd, long* uMsg, long* wParam, long* lParam) override;
    HRESULT STDMETHODCALLTYPE AddMsg(long lng_hWnd, long uMsg, eMsgWhen When) override;
    HRESULT STDMETHODCALLTYPE DelMsg(long lng_hWnd, long uMsg, eMsgWhen When) override;
    HRESULT STDMETHODCALLTYPE InIDE(VARIANT_BOOL* result) override;
    HRESULT STDMETHODCALLTYPE Start(long lng_hWnd, long* result) override;
    HRESULT STDMETHODCALLTYPE StopAll() override;
    HRESULT STDMETHODCALLTYPE StopWnd(long lng_hWnd) override;

    HRESULT STDMETHODCALLTYPE put_Shadow(VARIANT_BOOL value) override;
    HRESULT STDMETHODCALLTYPE get_Shadow(VARIANT_BOOL* value) override;
    HRESULT STDMETHODCALLTYPE get_Font(IFontDisp** value) override { return frame::readStored(properties().font, value); }
    HRESULT STDMETHODCALLTYPE putref_Font(IFontDisp* value) override { return frame::writeStored(properties().font, value); }
    HRESULT STDMETHODCALLTYPE put_Font(IFontDisp* value) override { return frame::writeStored(properties().font, value); }
    FRAME_STORED_PROPERTY(IconSize, ttIconSize, properties().iconSize)
    FRAME_STORED_PROPERTY(ToolTipStyle, ttStyleEnum, properties().toolTipStyle)
    FRAME_STORED_PROPERTY(TextColor, long, properties().textColor)
    FRAME_STORED_PROPERTY(GradientColorStart, long, properties().gradientColorStart)
    FRAME_STORED_PROPERTY(GradientColorEnd, long, properties().gradientColorEnd)
    FRAME_STORED_PROPERTY(BackColor, long, properties().backColor)
    FRAME_STORED_PROPERTY(BackStyle, long, properties().backStyle)
    FRAME_STORED_PROPERTY(DelayTime, long, properties().delayTime)
    FRAME_STORED_PROPERTY(KillTime, long, properties().killTime)
    HRESULT STDMETHODCALLTYPE putref_Picture(IPictureDisp* value) override {
        return frame::writeStored(properties().picture, value);
    }
    HRESULT STDMETHODCALLTYPE get_Picture(IPictureDisp** value) override {
        return frame::readStored(properties().picture, value);
    }
    HRESULT STDMETHODCALLTYPE ShowToolTip(long aWnd, BSTR Title, BSTR Text, long cIcon,
                                          long* TransparentAlpha) override;

private:
    TipProperties& properties() { return tooltip_->properties; }
    std::unique_ptr<Tooltip> tooltip_;
};

}  // namespace lanthor
