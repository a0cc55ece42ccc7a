#include "frame_probe.h"

#include "common/convert.h"
#include "common/late.h"
#include "common/text.h"

namespace probe {

const frame::DllFunction<int WINAPI()> NoSuchFunction{"kernel32", "NoSuchFunctionInKernel32"};

HRESULT FrameProbe::get_Value(long* result) {
    return member(u"Value", Report, result, [&] { return value_; });
}

HRESULT FrameProbe::put_Value(long value) {
    return member(u"Value", Report, [&] {
        if (value < 0) frame::raise(frame::errInvalidProcedureCall);
        value_ = value;
    });
}

HRESULT FrameProbe::get_StatementsRun(long* result) {
    return member(u"StatementsRun", Report, result, [&] { return statements_; });
}

HRESULT FrameProbe::Fail(long number, BSTR description, long* result) {
    return member(u"Fail", Report, result, [&](long& out) {
        statements_ = 0;
        out = 7;
        ++statements_;
        frame::raise(number, frame::Bstr::copy(description).str());
        ++statements_;
        out = 8;
    });
}

HRESULT FrameProbe::FailToCaller(long number, BSTR description) {
    return member(u"FailToCaller", Caller, [&] { frame::raise(number, frame::Bstr::copy(description).str()); });
}

HRESULT FrameProbe::FillThenFail(BSTR* text, long* count, BSTR* untouched, BSTR* result) {
    return member(u"FillThenFail", Report, result, [&](frame::Bstr& out) {
        out = frame::Bstr(u"partial");
        SysFreeString(*text);
        *text = frame::Bstr(u"filled").detach();
        *count = 42;
        frame::raise(frame::errTypeMismatch);
        SysFreeString(*untouched);
        *untouched = frame::Bstr(u"reached").detach();
    });
}

HRESULT FrameProbe::CallUnbound(long* result) {
    return member(u"CallUnbound", Report, result, [&](long& out) {
        out = 1;
        out = NoSuchFunction();
    });
}

HRESULT FrameProbe::Twice(long* value, short* narrowValue, BSTR* text) {
    return member(u"Twice", Caller, [&] {
        *value = frame::narrow<long>(static_cast<int64_t>(*value) * 2);
        *narrowValue = frame::narrow<short>(*narrowValue * 2);
        frame::Bstr doubled(frame::Bstr::view(*text));
        doubled = frame::Bstr(doubled.str() + doubled.str());
        SysFreeString(*text);
        *text = doubled.detach();
    });
}

HRESULT FrameProbe::Defaulted(long* amount, BSTR label, BSTR* result) {
    return member(u"Defaulted", Caller, result, [&] {
        return frame::decimal(amount ? *amount : -1) + u" " + frame::Bstr::copy(label).str();
    });
}

HRESULT FrameProbe::Undefaulted(BSTR* text, long* count, BSTR* result) {
    return member(u"Undefaulted", Caller, result, [&] {
        return u"[" + frame::textOf(text) + u"] " + frame::decimal(count ? *count : -1);
    });
}

HRESULT FrameProbe::FailSilently(VARIANT_BOOL* result) {
    return member(u"FailSilently", Silent, result, [&](bool& out) {
        out = true;
        frame::raise(frame::errDivisionByZero);
    });
}

HRESULT FrameProbe::NestedFailure(long* result) {
    // A failure of another automation object comes back as a run-time error
    // with that object's negative number.
    return member(u"NestedFailure", Report, result, [&] {
        frame::LateBound self(frame::ComPtr<IDispatch>(static_cast<IDispatch*>(this->self())));
        self.call(u"FailToCaller", {static_cast<int32_t>(0x80004005), u"inner failure"});
        return 1L;
    });
}

HRESULT FrameProbe::ReplaceObject(IDispatch** target, IDispatch* with) {
    return member(u"ReplaceObject", Caller, [&] {
        if (with) with->AddRef();
        if (IDispatch* previous = std::exchange(*target, with)) previous->Release();
    });
}

HRESULT FrameProbe::ReadProperty(IDispatch* target, BSTR name, VARIANT* result) {
    return member(u"ReadProperty", Caller, result, [&] {
        return frame::LateBound(target).get(frame::Bstr::copy(name).str().c_str());
    });
}

HRESULT FrameProbe::Bracket(VARIANT* value) {
    return member(u"Bracket", Caller, [&] {
        frame::Variant text(frame::Bstr(u"[" + frame::variantText(*value) + u"]"));
        VariantClear(value);
        *value = text.detach();
    });
}

HRESULT FrameProbe::Names(long count, SAFEARRAY** result) {
    return member(u"Names", Caller, result, [&] {
        if (count < 0) frame::raise(frame::errInvalidProcedureCall);
        std::vector<std::u16string> names;
        for (long k = 0; k < count; ++k) names.push_back(frame::decimal(k));
        return frame::SafeArray::ofStrings(names);
    });
}

}  // namespace probe

const frame::Library& frame::thisLibrary() {
    static const frame::ClassEntry classes[] = {probe::FrameProbe::entry()};
    static const frame::Library library{u"FrameProbe", classes, std::size(classes)};
    return library;
}
