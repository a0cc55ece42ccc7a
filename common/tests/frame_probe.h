#pragma once
#include "common/frame.h"
#include "frameprobe_h.h"

namespace probe {

class FrameProbe final : public frame::Object<FrameProbe, _FrameProbe, ::FrameProbe> {
public:
    static constexpr const char16_t* kName = u"FrameProbe";

    HRESULT STDMETHODCALLTYPE get_Value(long* result) override;
    HRESULT STDMETHODCALLTYPE put_Value(long value) override;
    HRESULT STDMETHODCALLTYPE get_StatementsRun(long* result) override;
    HRESULT STDMETHODCALLTYPE Fail(long number, BSTR description, long* result) override;
    HRESULT STDMETHODCALLTYPE FailToCaller(long number, BSTR description) override;
    HRESULT STDMETHODCALLTYPE FillThenFail(BSTR* text, long* count, BSTR* untouched, BSTR* result) override;
    HRESULT STDMETHODCALLTYPE CallUnbound(long* result) override;
    HRESULT STDMETHODCALLTYPE Twice(long* value, short* narrowValue, BSTR* text) override;
    HRESULT STDMETHODCALLTYPE Defaulted(long* amount, BSTR label, BSTR* result) override;
    HRESULT STDMETHODCALLTYPE Undefaulted(BSTR* text, long* count, BSTR* result) override;
    HRESULT STDMETHODCALLTYPE FailSilently(VARIANT_BOOL* result) override;
    HRESULT STDMETHODCALLTYPE NestedFailure(long* result) override;
    HRESULT STDMETHODCALLTYPE ReplaceObject(IDispatch** target, IDispatch* with) override;
    HRESULT STDMETHODCALLTYPE ReadProperty(IDispatch* target, BSTR name, VARIANT* result) override;
    HRESULT STDMETHODCALLTYPE Bracket(VARIANT* value) override;
    FRAME_GET(Limit, long, limit_)
    FRAME_LET_BYREF(Limit, long, limit_ = value)
    HRESULT STDMETHODCALLTYPE Names(long count, SAFEARRAY** result) override;

private:
    long value_ = 0;
    long statements_ = 0;
    long limit_ = 0;
};

}  // namespace probe
