// The frame's rules, seen through a probe class: the usual error report,
// errors passed to the caller, by-reference outputs and late binding.
#include "common/testing/error_of.h"
#include "common/testing/harness.h"
#include "common/testing/type_library.h"
#include "common/text.h"
#include "frame_probe.h"

using frame::Argument;
using frame::Bstr;
using frame::ComPtr;
using frame::Variant;
using frame::invokeByName;
using frame::testing::MessageBoxCapture;

namespace {

ComPtr<_FrameProbe> newProbe() {
    ComPtr<_FrameProbe> probe;
    probe::FrameProbe::create(__uuidof(_FrameProbe), probe.putVoid());
    return probe;
}

TEST(UsualReport, OneBoxWithMemberCaptionAndExactText) {
    MessageBoxCapture capture;
    auto probe = newProbe();
    long result = -5;
    EXPECT_EQ(probe->Fail(13, Bstr(u"Type mismatch").get(), &result), S_OK);
    ASSERT_EQ(capture.boxes().size(), 1u);
    EXPECT_EQ(capture.boxes()[0].caption, u"Fail");
    EXPECT_EQ(capture.boxes()[0].text, u"Error: 13. Type mismatch");
    EXPECT_FALSE(capture.boxes()[0].hasIcon);
    EXPECT_EQ(capture.boxes()[0].buttons, std::vector<int>{IDOK});
    // The value assigned before the failure is returned; nothing after it ran.
    EXPECT_EQ(result, 7);
    long statements = 0;
    probe->get_StatementsRun(&statements);
    EXPECT_EQ(statements, 1);
}

TEST(UsualReport, NegativeNumberKeepsItsSignAndEmptyDescriptionEndsWithDot) {
    MessageBoxCapture capture;
    auto probe = newProbe();
    long result = 0;
    probe->Fail(-2147024891, Bstr(u"Access is denied.").get(), &result);
    probe->Fail(1001, Bstr(u"").get(), &result);
    ASSERT_EQ(capture.boxes().size(), 2u);
    EXPECT_EQ(capture.boxes()[0].text, u"Error: -2147024891. Access is denied.");
    EXPECT_EQ(capture.boxes()[1].text, u"Error: 1001. ");
}

TEST(UsualReport, PropertyLetUsesThePropertyName) {
    MessageBoxCapture capture;
    auto probe = newProbe();
    EXPECT_EQ(probe->put_Value(-1), S_OK);
    EXPECT_EQ(probe->put_Value(3), S_OK);
    ASSERT_EQ(capture.boxes().size(), 1u);
    EXPECT_EQ(capture.boxes()[0].caption, u"Value");
    EXPECT_EQ(capture.boxes()[0].text, u"Error: 5. Invalid procedure call or argument");
    long value = 0;
    probe->get_Value(&value);
    EXPECT_EQ(value, 3);
}

TEST(UsualReport, ByReferenceOutputsAssignedBeforeTheFailureSurvive) {
    MessageBoxCapture capture;
    auto probe = newProbe();
    Bstr text(u"in"), untouched(u"keep"), result;
    long count = 1;
    BSTR textRaw = text.detach(), untouchedRaw = untouched.detach();
    EXPECT_EQ(probe->FillThenFail(&textRaw, &count, &untouchedRaw, result.put()), S_OK);
    text = Bstr::attach(textRaw);
    untouched = Bstr::attach(untouchedRaw);
    EXPECT_EQ(text.str(), u"filled");
    EXPECT_EQ(count, 42);
    EXPECT_EQ(untouched.str(), u"keep");
    EXPECT_EQ(result.str(), u"partial");
    ASSERT_EQ(capture.boxes().size(), 1u);
    EXPECT_EQ(capture.boxes()[0].caption, u"FillThenFail");
}

TEST(UsualReport, FunctionThatCannotBeBoundReachesTheReport) {
    MessageBoxCapture capture;
    auto probe = newProbe();
    long result = 0;
    EXPECT_EQ(probe->CallUnbound(&result), S_OK);
    EXPECT_EQ(result, 1);
    ASSERT_EQ(capture.boxes().size(), 1u);
    EXPECT_EQ(capture.boxes()[0].caption, u"CallUnbound");
    EXPECT_EQ(capture.boxes()[0].text,
              u"Error: 453. Can't find DLL entry point NoSuchFunctionInKernel32 in kernel32");
}

TEST(UsualReport, FailureOfAnotherObjectKeepsItsNegativeNumber) {
    MessageBoxCapture capture;
    auto probe = newProbe();
    long result = 9;
    probe->NestedFailure(&result);
    EXPECT_EQ(result, 0);
    ASSERT_EQ(capture.boxes().size(), 1u);
    EXPECT_EQ(capture.boxes()[0].text, u"Error: -2147467259. inner failure");
}

TEST(Silent, ErrorIsDroppedAndResultKept) {
    MessageBoxCapture capture;
    auto probe = newProbe();
    VARIANT_BOOL result = VARIANT_FALSE;
    EXPECT_EQ(probe->FailSilently(&result), S_OK);
    EXPECT_EQ(result, VARIANT_TRUE);
    EXPECT_TRUE(capture.boxes().empty());
}

TEST(Caller, EarlyBoundCallerGetsTheHresultAndErrorObject) {
    MessageBoxCapture capture;
    auto probe = newProbe();
    EXPECT_EQ(probe->FailToCaller(9, Bstr(u"Subscript out of range").get()), static_cast<HRESULT>(0x800A0009));
    ComPtr<IErrorInfo> info;
    ASSERT_EQ(GetErrorInfo(0, info.put()), S_OK);
    Bstr description, source;
    info->GetDescription(description.put());
    info->GetSource(source.put());
    EXPECT_EQ(description.str(), u"Subscript out of range");
    EXPECT_EQ(source.str(), u"FrameProbe.FrameProbe");
    EXPECT_TRUE(capture.boxes().empty());
}

TEST(Caller, LateBoundCallerSeesNumberAndDescription) {
    auto probe = newProbe();
    auto positive = invokeByName(probe.get(), u"FailToCaller", DISPATCH_METHOD, {6, u"Overflow"});
    EXPECT_EQ(positive.hr, DISP_E_EXCEPTION);
    EXPECT_EQ(positive.errorNumber, 6);
    EXPECT_EQ(positive.description, u"Overflow");
    auto negative = invokeByName(probe.get(), u"FailToCaller", DISPATCH_METHOD,
                                 {static_cast<int32_t>(0x80004005), u"unspecified"});
    EXPECT_EQ(negative.errorNumber, static_cast<int32_t>(0x80004005));
    EXPECT_EQ(negative.description, u"unspecified");
}

TEST(LateBound, ReportedFailureStillSucceedsWithOneBox) {
    MessageBoxCapture capture;
    auto probe = newProbe();
    auto out = invokeByName(probe.get(), u"Fail", DISPATCH_METHOD, {11, u"Division by zero"});
    EXPECT_EQ(out.hr, S_OK);
    EXPECT_EQ(V_VT(&out.result.get()), VT_I4);
    EXPECT_EQ(V_I4(&out.result.get()), 7);
    ASSERT_EQ(capture.boxes().size(), 1u);
    EXPECT_EQ(capture.boxes()[0].text, u"Error: 11. Division by zero");
}

TEST(ByReferenceVariants, ScriptVariablesReachTypedByReferenceParameters) {
    auto probe = newProbe();
    // As a script host passes variables: by-reference variants holding other types.
    Variant value(21), small(Bstr(u"4")), text(u"ab");
    auto out = invokeByName(probe.get(), u"Twice", DISPATCH_METHOD,
                            {Argument::byRef(value), Argument::byRef(small), Argument::byRef(text)});
    ASSERT_EQ(out.hr, S_OK);
    EXPECT_EQ(V_VT(&value.get()), VT_I4);
    EXPECT_EQ(V_I4(&value.get()), 42);
    EXPECT_EQ(V_VT(&small.get()), VT_I2);
    EXPECT_EQ(V_I2(&small.get()), 8);
    EXPECT_EQ(V_VT(&text.get()), VT_BSTR);
    EXPECT_EQ(Bstr::view(V_BSTR(&text.get())), u"abab");
}

TEST(ByReferenceVariants, OutputsAssignedBeforeAFailureReachTheScript) {
    MessageBoxCapture capture;
    auto probe = newProbe();
    Variant text(u"in"), count(1), untouched(u"keep");
    auto out = invokeByName(probe.get(), u"FillThenFail", DISPATCH_METHOD,
                            {Argument::byRef(text), Argument::byRef(count), Argument::byRef(untouched)});
    EXPECT_EQ(out.hr, S_OK);
    EXPECT_EQ(Bstr::view(V_BSTR(&text.get())), u"filled");
    EXPECT_EQ(V_I4(&count.get()), 42);
    EXPECT_EQ(Bstr::view(V_BSTR(&untouched.get())), u"keep");
    EXPECT_EQ(capture.boxes().size(), 1u);
}

TEST(ByReferenceVariants, ValueThatCannotBeConvertedIsTypeMismatchAndOverflowReachesCaller) {
    auto probe = newProbe();
    Variant value(u"not a number"), small(1), text(u"x");
    auto mismatch = invokeByName(probe.get(), u"Twice", DISPATCH_METHOD,
                                 {Argument::byRef(value), Argument::byRef(small), Argument::byRef(text)});
    EXPECT_EQ(mismatch.hr, DISP_E_TYPEMISMATCH);
    EXPECT_EQ(Bstr::view(V_BSTR(&value.get())), u"not a number");

    Variant big(20000);
    Variant one(1);
    auto overflow = invokeByName(probe.get(), u"Twice", DISPATCH_METHOD,
                                 {Argument::byRef(one), Argument::byRef(big), Argument::byRef(text)});
    EXPECT_EQ(overflow.errorNumber, 6);
    // The Long was doubled before the Integer overflowed.
    EXPECT_EQ(V_I4(&one.get()), 2);
    EXPECT_EQ(V_I4(&big.get()), 20000);
}

TEST(OptionalArguments, MissingArgumentsTakeTheirDeclaredDefaults) {
    auto probe = newProbe();
    auto none = invokeByName(probe.get(), u"Defaulted", DISPATCH_METHOD, {});
    ASSERT_EQ(none.hr, S_OK);
    EXPECT_EQ(Bstr::view(V_BSTR(&none.result.get())), u"100 none");
    Variant amount(5);
    auto one = invokeByName(probe.get(), u"Defaulted", DISPATCH_METHOD, {Argument::byRef(amount)});
    ASSERT_EQ(one.hr, S_OK);
    EXPECT_EQ(Bstr::view(V_BSTR(&one.result.get())), u"5 none");
    auto skipped = invokeByName(probe.get(), u"Defaulted", DISPATCH_METHOD, {Variant::missing(), u"x"});
    ASSERT_EQ(skipped.hr, S_OK);
    EXPECT_EQ(Bstr::view(V_BSTR(&skipped.result.get())), u"100 x");
}

TEST(ByReferenceVariants, ObjectVariablesAreReplacedThroughTheirVariant) {
    auto probe = newProbe();
    auto other = newProbe();
    Variant variable = Variant::object(probe.get());
    auto out = invokeByName(probe.get(), u"ReplaceObject", DISPATCH_METHOD,
                            {Argument::byRef(variable), Variant::object(other.get())});
    ASSERT_EQ(out.hr, S_OK);
    ASSERT_EQ(variable.type(), VT_DISPATCH);
    EXPECT_EQ(V_DISPATCH(&variable.get()), static_cast<IDispatch*>(other.get()));
    // Nothing in, an object out; and back to Nothing.
    Variant nothing = Variant::object(nullptr);
    invokeByName(probe.get(), u"ReplaceObject", DISPATCH_METHOD, {Argument::byRef(nothing), Variant::object(other.get())});
    EXPECT_EQ(V_DISPATCH(&nothing.get()), static_cast<IDispatch*>(other.get()));
    invokeByName(probe.get(), u"ReplaceObject", DISPATCH_METHOD, {Argument::byRef(nothing), Variant::object(nullptr)});
    EXPECT_EQ(nothing.type(), VT_DISPATCH);
    EXPECT_EQ(V_DISPATCH(&nothing.get()), nullptr);
    // A number is no object.
    Variant number(5);
    auto mismatch = invokeByName(probe.get(), u"ReplaceObject", DISPATCH_METHOD,
                                 {Argument::byRef(number), Variant::object(other.get())});
    EXPECT_EQ(mismatch.hr, DISP_E_TYPEMISMATCH);
    EXPECT_EQ(V_I4(&number.get()), 5);
}

TEST(ByReferenceVariants, VariantParametersTakeVariablesAndValues) {
    auto probe = newProbe();
    Variant variable(42);
    ASSERT_EQ(invokeByName(probe.get(), u"Bracket", DISPATCH_METHOD, {Argument::byRef(variable)}).hr, S_OK);
    EXPECT_EQ(Bstr::view(V_BSTR(&variable.get())), u"[42]");
    // A value has no variable to write back to; the call still works.
    EXPECT_EQ(invokeByName(probe.get(), u"Bracket", DISPATCH_METHOD, {Variant(u"x")}).hr, S_OK);
}

TEST(ByReferenceLet, ValueArrivesByValueOrAsAVariableAndIsNeverWritten) {
    auto probe = newProbe();
    auto limit = [&] { return V_I4(&invokeByName(probe.get(), u"Limit", DISPATCH_PROPERTYGET, {}).result.get()); };
    // By value, of another type (a literal in JScript or VBScript).
    ASSERT_EQ(invokeByName(probe.get(), u"Limit", DISPATCH_PROPERTYPUT, {Variant(u"12")}).hr, S_OK);
    EXPECT_EQ(limit(), 12);
    // As a script variable.
    Variant variable(13);
    ASSERT_EQ(invokeByName(probe.get(), u"Limit", DISPATCH_PROPERTYPUT, {Argument::byRef(variable)}).hr, S_OK);
    EXPECT_EQ(limit(), 13);
    EXPECT_EQ(V_I4(&variable.get()), 13);
    // Early-bound.
    long value = 14;
    EXPECT_EQ(probe->put_Limit(&value), S_OK);
    EXPECT_EQ(value, 14);
    EXPECT_EQ(limit(), 14);
    EXPECT_EQ(probe->put_Limit(nullptr), E_POINTER);
    auto mismatch = invokeByName(probe.get(), u"Limit", DISPATCH_PROPERTYPUT, {Variant(u"many")});
    EXPECT_EQ(mismatch.errorNumber, frame::errTypeMismatch);
    EXPECT_EQ(limit(), 14);
}

// An object that, like a VBScript class object, answers GetIDsOfNames with
// E_NOTIMPL and looks names up through IDispatchEx.
class ScriptObject : public IDispatchEx {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        *object = nullptr;
        if (iid != IID_IUnknown && iid != IID_IDispatch && iid != __uuidof(IDispatchEx)) return E_NOINTERFACE;
        *object = this;
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references; }
    ULONG STDMETHODCALLTYPE Release() override { return --references; }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override { *count = 0; return S_OK; }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                                     EXCEPINFO* exception, UINT*) override {
        return InvokeEx(id, 0, flags, params, result, exception, nullptr);
    }
    HRESULT STDMETHODCALLTYPE GetDispID(BSTR name, DWORD flags, DISPID* id) override {
        lastFlags = flags;
        if (lstrcmpiW(name, L"Size") != 0) return DISP_E_UNKNOWNNAME;
        *id = 7;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE InvokeEx(DISPID id, LCID, WORD, DISPPARAMS*, VARIANT* result, EXCEPINFO*,
                                       IServiceProvider*) override {
        if (id != 7) return DISP_E_MEMBERNOTFOUND;
        V_VT(result) = VT_I4;
        V_I4(result) = 99;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE DeleteMemberByName(BSTR, DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE DeleteMemberByDispID(DISPID) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetMemberProperties(DISPID, DWORD, DWORD*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetMemberName(DISPID, BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetNextDispID(DWORD, DISPID, DISPID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetNameSpaceParent(IUnknown**) override { return E_NOTIMPL; }

    ULONG references = 1;
    DWORD lastFlags = 0;
};

TEST(LateBound, ScriptObjectsAreReachedThroughIDispatchEx) {
    ScriptObject script;
    frame::LateBound object(&script);
    EXPECT_EQ(V_I4(&object.get(u"size").get()), 99);
    EXPECT_TRUE(script.lastFlags & fdexNameCaseInsensitive);
    auto missing = invokeByName(&script, u"Colour", DISPATCH_PROPERTYGET, {});
    EXPECT_EQ(missing.errorNumber, frame::errNoSuchMember);
    // And through a member of a class that reads a property by name.
    auto probe = newProbe();
    auto read = invokeByName(probe.get(), u"ReadProperty", DISPATCH_METHOD, {Variant::object(&script), u"Size"});
    ASSERT_EQ(read.hr, S_OK);
    EXPECT_EQ(V_I4(&read.result.get()), 99);
}

TEST(SafeArrays, StringArrayResultEarlyAndLateBound) {
    auto probe = newProbe();
    frame::SafeArray names;
    ASSERT_EQ(probe->Names(3, names.put()), S_OK);
    LONG low = -1, high = -1;
    SafeArrayGetLBound(names.get(), 1, &low);
    SafeArrayGetUBound(names.get(), 1, &high);
    EXPECT_EQ(low, 0);
    EXPECT_EQ(high, 2);
    for (LONG k = 0; k <= 2; ++k) {
        Bstr item;
        ASSERT_EQ(SafeArrayGetElement(names.get(), &k, item.put()), S_OK);
        EXPECT_EQ(item.str(), frame::decimal(k));
    }
    auto late = invokeByName(probe.get(), u"Names", DISPATCH_METHOD, {0});
    ASSERT_EQ(late.hr, S_OK);
    ASSERT_EQ(late.result.type(), VT_ARRAY | VT_BSTR);
    SafeArrayGetUBound(V_ARRAY(&late.result.get()), 1, &high);
    EXPECT_EQ(high, -1);
    // A failed member hands out no array.
    SAFEARRAY* failed = reinterpret_cast<SAFEARRAY*>(1);
    EXPECT_EQ(probe->Names(-1, &failed), static_cast<HRESULT>(0x800A0005));
    EXPECT_EQ(failed, nullptr);
}

TEST(OptionalArguments, MissingByReferenceOptionalsWithoutDefaultAreTheZeroValue) {
    auto probe = newProbe();
    auto none = invokeByName(probe.get(), u"Undefaulted", DISPATCH_METHOD, {});
    ASSERT_EQ(none.hr, S_OK);
    EXPECT_EQ(Bstr::view(V_BSTR(&none.result.get())), u"[] 0");
    Variant text(u"abc");
    auto one = invokeByName(probe.get(), u"Undefaulted", DISPATCH_METHOD, {Argument::byRef(text)});
    ASSERT_EQ(one.hr, S_OK);
    EXPECT_EQ(Bstr::view(V_BSTR(&one.result.get())), u"[abc] 0");
    auto skipped = invokeByName(probe.get(), u"Undefaulted", DISPATCH_METHOD, {Variant::missing(), 7});
    ASSERT_EQ(skipped.hr, S_OK);
    EXPECT_EQ(Bstr::view(V_BSTR(&skipped.result.get())), u"[] 7");
}

TEST(UsualReport, AnotherOpeningAndAPrivateProcedureOfItsOwn) {
    MessageBoxCapture capture;
    frame::reportOpening(u"Item", u"Item: ")(frame::RuntimeError(5, u"Invalid procedure call or argument"));
    int statements = 0;
    EXPECT_FALSE(frame::withUsualReport(u"DoSort", [&] {
        ++statements;
        frame::raise(frame::errOverflow);
        ++statements;
    }));
    EXPECT_TRUE(frame::withUsualReport(u"DoSort", [&] { ++statements; }));
    EXPECT_EQ(statements, 2);
    ASSERT_EQ(capture.boxes().size(), 2u);
    EXPECT_EQ(capture.boxes()[0].caption, u"Item");
    EXPECT_EQ(capture.boxes()[0].text, u"Item: 5. Invalid procedure call or argument");
    EXPECT_EQ(capture.boxes()[1].caption, u"DoSort");
    EXPECT_EQ(capture.boxes()[1].text, u"Error: 6. Overflow");
}

TEST(LateBound, MembersByCachedDispatchIdentifier) {
    auto probe = newProbe();
    frame::LateBound late(ComPtr<IDispatch>(probe.get()));
    frame::DispatchMember value(u"Value"), missing(u"NoSuchMember");
    late.put(value, 12);
    EXPECT_EQ(V_I4(&late.get(value).get()), 12);
    EXPECT_EQ(frame::testing::errorOf([&] { late.get(missing); }), frame::errNoSuchMember);
}

TEST(HostObjects, AnswerTheirPropertiesByNameAndTheirDefaultValue) {
    frame::LateBound plain(frame::testing::makeHostObject({{u"Key", Variant(u"k")}, {u"Left", Variant(3)}}));
    EXPECT_EQ(frame::variantText(plain.get(u"key").get()), u"k");
    EXPECT_EQ(frame::longOf(plain.get(u"Left")), 3);
    EXPECT_EQ(frame::testing::errorOf([&] { plain.get(u"Top"); }), frame::errNoSuchMember);
    Variant noValue = Variant::object(plain.get());
    Variant text;
    EXPECT_TRUE(FAILED(VariantChangeType(text.put(), &noValue.raw(), 0, VT_BSTR)));
    auto valued = frame::testing::makeHostObject({}, Variant(42));
    Variant withValue = Variant::object(valued.get());
    ASSERT_EQ(VariantChangeType(text.put(), &withValue.raw(), 0, VT_BSTR), S_OK);
    EXPECT_EQ(Bstr::view(V_BSTR(&text.get())), u"42");
}

TEST(ByReferenceVariants, AVariantThatRefersToAnotherIsPassedAsItsValue) {
    auto probe = newProbe();
    Variant target(21), small(2), text(u"x");
    VARIANT reference;
    VariantInit(&reference);
    V_VT(&reference) = VT_BYREF | VT_VARIANT;
    V_VARIANTREF(&reference) = &target.raw();
    auto out = invokeByName(probe.get(), u"Twice", DISPATCH_METHOD,
                            {Argument::byRef(reference), Argument::byRef(small), Argument::byRef(text)});
    ASSERT_EQ(out.hr, S_OK);
    EXPECT_EQ(V_I4(&target.get()), 21);  // the callee worked on a copy
    EXPECT_EQ(V_I2(&small.get()), 4);
}

TEST(Lifetime, ObjectsAreCountedForUnloading) {
    EXPECT_TRUE(frame::module::canUnload());
    {
        auto probe = newProbe();
        EXPECT_FALSE(frame::module::canUnload());
    }
    EXPECT_TRUE(frame::module::canUnload());
}

TEST(ClassInfo, ObjectNamesItsCoclassAndHasNoEventSet) {
    auto probe = newProbe();
    const frame::testing::TypeIdentity named = frame::testing::identityOf(frame::testing::providedClass(probe.get()).get());
    EXPECT_EQ(named.kind, TKIND_COCLASS);
    EXPECT_TRUE(IsEqualGUID(named.guid, __uuidof(FrameProbe)));
    EXPECT_EQ(named.name, u"FrameProbe");
    ComPtr<IProvideClassInfo2> provider = probe.as<IProvideClassInfo2>();
    ASSERT_TRUE(provider);
    GUID source = __uuidof(FrameProbe);
    EXPECT_EQ(provider->GetGUID(GUIDKIND_DEFAULT_SOURCE_DISP_IID, &source), E_FAIL);
    EXPECT_TRUE(IsEqualGUID(source, GUID_NULL));
    EXPECT_EQ(provider->GetGUID(7, &source), E_INVALIDARG);
    EXPECT_EQ(provider->GetClassInfo(nullptr), E_POINTER);
}

}  // namespace

TEST(AccessorRows, ResultsNarrowWithOverflowAndBooleansTestNonZero) {
    EXPECT_EQ(frame::slotValue<short>(int32_t{-1}), -1);
    EXPECT_EQ(frame::slotValue<long>(frame::asLong(0xFFFEFFFFu)), -65537);
    EXPECT_TRUE(frame::slotValue<bool>(0x4));
    EXPECT_FALSE(frame::slotValue<bool>(0));
    // VARIANT_BOOL and Integer share a C type: the body decides the slot.
    auto boolean = [] { return true; };
    auto integer = [] { return short{-2}; };
    static_assert(std::is_same_v<frame::SlotFor<VARIANT_BOOL, decltype(boolean)>::type, frame::BooleanSlot>);
    static_assert(std::is_same_v<frame::SlotFor<short, decltype(integer)>::type, frame::Slot<short>>);
    for (auto narrowing : {+[] { frame::slotValue<short>(int32_t{40000}); },
                           +[] { frame::slotValue<long>(uint32_t{0x80000000u}); }}) {
        try {
            narrowing();
            ADD_FAILURE() << "no overflow";
        } catch (const frame::RuntimeError& e) {
            EXPECT_EQ(e.number(), frame::errOverflow);
        }
    }
}

TEST(PrivateProcedures, ReportUnderTheirOwnNameAndTheMemberGoesOn) {
    MessageBoxCapture capture;
    int statementsAfter = 0;
    const std::u16string text = frame::reportedProcedure(u"TrimNulls", []() -> std::u16string {
        frame::raise(frame::errOutOfMemory);
    });
    ++statementsAfter;
    EXPECT_EQ(text, u"");
    EXPECT_EQ(frame::reportedProcedure(u"Twice", [] { return 21 * 2; }), 42);
    EXPECT_EQ(statementsAfter, 1);
    ASSERT_EQ(capture.boxes().size(), 1u);
    EXPECT_EQ(capture.boxes()[0].caption, u"TrimNulls");
    EXPECT_EQ(capture.boxes()[0].text, u"Error: 7. Out of memory");
}

TEST(ByReferenceVariants, MemberThatRanToItsEndGivesEveryArgumentItsDeclaredType) {
    auto probe = newProbe();
    // Doubling 0 leaves the values as they were; the Empty variables still receive the member's 0.
    Variant value, small, text(u"");
    auto out = invokeByName(probe.get(), u"Twice", DISPATCH_METHOD,
                            {Argument::byRef(value), Argument::byRef(small), Argument::byRef(text)});
    ASSERT_EQ(out.hr, S_OK);
    EXPECT_EQ(value.type(), VT_I4);
    EXPECT_EQ(small.type(), VT_I2);
    EXPECT_EQ(text.type(), VT_BSTR);
}

TEST(AccessorRows, StringRowsHoldTheirTextAsBstr) {
    static_assert(std::is_same_v<frame::RowValue<BSTR>, frame::Bstr>);
    static_assert(std::is_same_v<frame::RowValue<bool>, bool>);
    EXPECT_EQ(frame::slotValue<frame::RowValue<BSTR>>(std::u16string(u"C:\\windows")).view(), u"C:\\windows");
}
