// ExtraFunctions.CalcContainerOffset over C++ stand-ins for a host's form,
// frames and controls, called with typed arguments and with by-reference
// variants the way a script host passes its variables.
#include <atomic>
#include <optional>
#include <vector>

#include "device_support.h"

using frame::Argument;
using frame::Bstr;
using frame::ComPtr;
using frame::Variant;
using frame::testing::Access;
using frame::testing::narrow;
using namespace sondrel::testing;

namespace {

constexpr IID formInterface = {0x33AD4F39, 0x6699, 0x11CF, {0xB7, 0x0C, 0x00, 0xAA, 0x00, 0x60, 0xD3, 0x93}};
constexpr IID mdiFormInterface = {0x33AD4F71, 0x6699, 0x11CF, {0xB7, 0x0C, 0x00, 0xAA, 0x00, 0x60, 0xD3, 0x93}};

// A host object with named properties; a form also answers one of the forms
// package's interfaces. It has a second dispatch interface (alias()) whose
// pointer differs from the first but whose IUnknown is the same.
class HostObject : public IDispatch {
public:
    explicit HostObject(const IID* formKind = nullptr) : formKind_(formKind), alias_(*this) {}
    virtual ~HostObject() = default;

    void set(const char16_t* name, Variant value) { properties_.emplace_back(name, std::move(value)); }
    void clear() { properties_.clear(); }
    IDispatch* alias() { return &alias_; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        *object = nullptr;
        if (iid == IID_IUnknown || iid == IID_IDispatch || (formKind_ && iid == *formKind_)) *object = this;
        else return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = --references_;
        if (left == 0) delete this;
        return left;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override { *count = 0; return S_OK; }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT, LCID, DISPID* id) override {
        for (size_t i = 0; i < properties_.size(); ++i)
            if (lstrcmpiW(frame::wide(properties_[i].first), names[0]) == 0) {
                *id = static_cast<DISPID>(i + 1);
                return S_OK;
            }
        *id = DISPID_UNKNOWN;
        return DISP_E_UNKNOWNNAME;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS*, VARIANT* result, EXCEPINFO*,
                                     UINT*) override {
        if (id < 1 || static_cast<size_t>(id) > properties_.size()) return DISP_E_MEMBERNOTFOUND;
        if (!(flags & DISPATCH_PROPERTYGET)) return DISP_E_MEMBERNOTFOUND;
        if (result) VariantCopy(result, &properties_[static_cast<size_t>(id) - 1].second.raw());
        return S_OK;
    }

private:
    struct Alias : IDispatch {
        explicit Alias(HostObject& outer) : outer(outer) {}
        HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
            if (iid == IID_IDispatch) {
                *object = this;
                AddRef();
                return S_OK;
            }
            return outer.QueryInterface(iid, object);
        }
        ULONG STDMETHODCALLTYPE AddRef() override { return outer.AddRef(); }
        ULONG STDMETHODCALLTYPE Release() override { return outer.Release(); }
        HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override { return outer.GetTypeInfoCount(count); }
        HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT i, LCID l, ITypeInfo** t) override { return outer.GetTypeInfo(i, l, t); }
        HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID r, LPOLESTR* n, UINT c, LCID l, DISPID* d) override {
            return outer.GetIDsOfNames(r, n, c, l, d);
        }
        HRESULT STDMETHODCALLTYPE Invoke(DISPID d, REFIID r, LCID l, WORD f, DISPPARAMS* p, VARIANT* v, EXCEPINFO* e,
                                         UINT* a) override {
            return outer.Invoke(d, r, l, f, p, v, e, a);
        }
        HostObject& outer;
    };

    const IID* formKind_;
    Alias alias_;
    std::atomic<ULONG> references_{1};
    std::vector<std::pair<std::u16string, Variant>> properties_;
};

// The objects of one test; their references to each other are dropped at the end.
class Scene {
public:
    ~Scene() {
        for (auto& object : objects_) object->clear();
    }
    // A form, its own parent.
    HostObject* form(const IID* kind = &formInterface) {
        HostObject* form = add(new HostObject(kind));
        form->set(u"Parent", Variant::object(form));
        return form;
    }
    HostObject* bare() { return add(new HostObject()); }
    // A control or frame at (left, top) on its container.
    HostObject* placed(HostObject* parent, IDispatch* container, Variant left, Variant top, int border = 0,
                       int appearance = 0) {
        HostObject* object = bare();
        object->set(u"Parent", Variant::object(parent));
        object->set(u"Container", Variant::object(container));
        object->set(u"Left", std::move(left));
        object->set(u"Top", std::move(top));
        object->set(u"BorderStyle", Variant(border));
        object->set(u"Appearance", Variant(appearance));
        return object;
    }

private:
    HostObject* add(HostObject* object) {
        objects_.push_back(ComPtr<HostObject>::attach(object));
        return object;
    }
    std::vector<ComPtr<HostObject>> objects_;
};

struct Outcome {
    int32_t error = 0;  // run-time error number, 0 for success
    std::u16string description;
    ComPtr<IUnknown> obj;  // identity of what the caller's variable holds afterwards
    long x = 0, y = 0;
    bool resultEmpty = false;
};

ComPtr<IUnknown> identity(IUnknown* object) {
    ComPtr<IUnknown> unknown;
    if (object) object->QueryInterface(IID_IUnknown, unknown.putVoid());
    return unknown;
}

ComPtr<_ExtraFunctions> newExtraFunctions() { return create<_ExtraFunctions, ExtraFunctions>(); }

// Typed arguments, as an early-bound host passes them.
Outcome calcEarly(IDispatch* start, long x, long y) {
    auto extra = newExtraFunctions();
    Outcome out;
    IDispatch* obj = start;
    if (obj) obj->AddRef();
    Variant result;
    const HRESULT hr = extra->CalcContainerOffset(&obj, &x, &y, result.put());
    ComPtr<IDispatch> held = ComPtr<IDispatch>::attach(obj);
    out.obj = identity(held.get());
    out.x = x;
    out.y = y;
    out.resultEmpty = result.type() == VT_EMPTY;
    if (FAILED(hr)) {
        out.error = frame::errorFromHresult(hr);
        ComPtr<IErrorInfo> info;
        Bstr description;
        if (GetErrorInfo(0, info.put()) == S_OK) info->GetDescription(description.put());
        out.description = description.str();
    }
    return out;
}

// By-reference variants, as a script passes its variables.
Outcome calcLate(Variant obj, Variant x, Variant y) {
    auto extra = newExtraFunctions();
    auto call = frame::invokeByName(extra.get(), u"CalcContainerOffset", DISPATCH_METHOD,
                                    {Argument::byRef(obj), Argument::byRef(x), Argument::byRef(y)});
    Outcome out;
    out.error = call.errorNumber;
    out.description = call.description;
    EXPECT_TRUE(obj.type() == VT_DISPATCH || obj.type() == VT_EMPTY || obj.type() == VT_I4) << obj.type();
    if (obj.type() == VT_DISPATCH) out.obj = identity(V_DISPATCH(&obj.get()));
    out.x = number(x);
    out.y = number(y);
    out.resultEmpty = call.result.type() == VT_EMPTY;
    EXPECT_EQ(x.type(), VT_I4);
    EXPECT_EQ(y.type(), VT_I4);
    return out;
}
Outcome calcLate(IDispatch* start, long x, long y) {
    return calcLate(Variant::object(start), Variant(static_cast<int32_t>(x)), Variant(static_cast<int32_t>(y)));
}

// One case through both ways of calling.
void expectOffset(IDispatch* start, long x, long y, IDispatch* expectedObj, long expectedX, long expectedY,
                  int32_t expectedError = 0) {
    for (auto [how, out] : {std::pair{"typed", calcEarly(start, x, y)}, {"by-reference variants", calcLate(start, x, y)}}) {
        EXPECT_EQ(out.error, expectedError) << how << ": " << narrow(out.description);
        EXPECT_EQ(out.x, expectedX) << how;
        EXPECT_EQ(out.y, expectedY) << how;
        EXPECT_EQ(out.obj.get(), identity(expectedObj).get()) << how;
        if (!expectedError) EXPECT_TRUE(out.resultEmpty) << how;
    }
}

TEST(ExtraFunctions, TypeLibraryCarriesTheMethod) {
    auto extra = newExtraFunctions();
    ASSERT_TRUE(extra);
    ComPtr<ITypeInfo> info;
    ASSERT_EQ(extra->GetTypeInfo(0, 0x409, info.put()), S_OK);
    EXPECT_EQ(frame::testing::memberLines(info.get()),
              std::vector<std::string>{"CalcContainerOffset method 0x60030000 (obj IDispatch byref, OffsetX long byref, "
                                       "OffsetY long byref) Variant"});
    EXPECT_EQ(frame::testing::interfaceFlags(info.get()), "dual hidden nonextensible oleautomation");
}

TEST(ExtraFunctions, ControlDirectlyOnTheFormIsLeftAsItIs) {
    Scene scene;
    HostObject* form = scene.form();
    HostObject* control = scene.placed(form, form, 100, 200);
    expectOffset(control, 0, 0, control, 0, 0);
    expectOffset(control, 7, -3, control, 7, -3);
    // Container and Parent are the same object reached through two interfaces.
    HostObject* aliased = scene.placed(form, form->alias(), 100, 200);
    expectOffset(aliased, 0, 0, aliased, 0, 0);
}

TEST(ExtraFunctions, FrameOnTheFormAddsItsPositionAndBorder) {
    Scene scene;
    HostObject* form = scene.form();
    struct Case {
        int border, appearance;
        long x, y;
    } cases[] = {{1, 1, 150, 270}, {1, 0, 135, 255}, {0, 1, 120, 240}, {0, 0, 120, 240}, {2, 1, 120, 240}};
    for (const Case& c : cases) {
        HostObject* frame = scene.placed(form, form, 120, 240, c.border, c.appearance);
        HostObject* control = scene.placed(form, frame, 5, 5);
        SCOPED_TRACE(testing::Message() << "border " << c.border << " appearance " << c.appearance);
        expectOffset(control, 0, 0, frame, c.x, c.y);
    }
    // Offsets passed in are added to, not replaced.
    HostObject* frame = scene.placed(form, form, 120, 240, 1, 1);
    expectOffset(scene.placed(form, frame, 5, 5), 1000, -2000, frame, 1150, -1730);
}

TEST(ExtraFunctions, NestedFramesAddUpToTheOuterFrame) {
    Scene scene;
    HostObject* form = scene.form();
    HostObject* outer = scene.placed(form, form, 120, 240, 1, 0);
    HostObject* inner = scene.placed(form, outer, 50, 60, 1, 1);
    HostObject* control = scene.placed(form, inner, 5, 5);
    expectOffset(control, 0, 0, outer, 50 + 30 + 120 + 15, 60 + 30 + 240 + 15);
}

TEST(ExtraFunctions, AFormInterfaceEndsTheWalk) {
    Scene scene;
    for (const IID* kind : {&formInterface, &mdiFormInterface}) {
        // The control's container is a form that is not its parent: the form's
        // own position is added, then the walk stops at it.
        HostObject* owner = scene.form();
        HostObject* form = scene.form(kind);
        form->set(u"Left", Variant(10));
        form->set(u"Top", Variant(20));
        form->set(u"BorderStyle", Variant(0));
        HostObject* control = scene.placed(owner, form, 5, 5);
        expectOffset(control, 0, 0, form, 10, 20);
    }
}

TEST(ExtraFunctions, SumsAreVariantAdditionsRoundedHalfToEven) {
    Scene scene;
    HostObject* form = scene.form();
    Variant halfDown, halfUp;
    V_VT(&halfDown.raw()) = VT_R8;
    V_R8(&halfDown.raw()) = 120.5;
    V_VT(&halfUp.raw()) = VT_R8;
    V_R8(&halfUp.raw()) = 121.5;
    HostObject* frame = scene.placed(form, form, halfDown, halfUp);
    expectOffset(scene.placed(form, frame, 0, 0), 0, 0, frame, 120, 122);
    HostObject* texts = scene.placed(form, form, Variant(u"7"), Variant(u"8"), 1, 1);
    expectOffset(scene.placed(form, texts, 0, 0), 1, 1, texts, 38, 39);
}

TEST(ExtraFunctions, FailuresReachTheCallerWithTheChangesMadeBeforeThem) {
    Scene scene;
    HostObject* form = scene.form();
    // Nothing to start from.
    expectOffset(nullptr, 3, 4, nullptr, 3, 4, frame::errObjectNotSet);
    // An object without the properties.
    HostObject* bare = scene.bare();
    expectOffset(bare, 3, 4, bare, 3, 4, frame::errNoSuchMember);
    // A container without a container: the variable is left at Nothing.
    HostObject* floating = scene.placed(form, nullptr, 0, 0);
    expectOffset(scene.placed(form, floating, 0, 0), 0, 0, nullptr, 0, 0, frame::errObjectNotSet);
    // A sum beyond the Long range: OffsetX and OffsetY were set, the border overflows.
    HostObject* distant = scene.placed(form, form, 2147483640, 240, 1, 1);
    expectOffset(scene.placed(form, distant, 0, 0), 0, 0, distant, 2147483640, 240, frame::errOverflow);
    HostObject* tooFar = scene.placed(form, form, 2147483600, 240);
    expectOffset(scene.placed(form, tooFar, 0, 0), 100, 0, tooFar, 100, 0, frame::errOverflow);
}

// A frame whose container is itself but whose parent is the form would send
// the walk round for ever; it ends with a run-time error instead, once the
// frame has been added.
TEST(ExtraFunctions, AChainThatLoopsBackOnItselfEndsWithAnError) {
    Scene scene;
    HostObject* form = scene.form();
    HostObject* frame = scene.bare();
    frame->set(u"Parent", Variant::object(form));
    frame->set(u"Container", Variant::object(frame->alias()));
    frame->set(u"Left", Variant(120));
    frame->set(u"Top", Variant(240));
    frame->set(u"BorderStyle", Variant(1));
    frame->set(u"Appearance", Variant(1));
    HostObject* control = scene.placed(form, frame, 0, 0);
    expectOffset(control, 0, 0, frame, 150, 270, frame::errInvalidProcedureCall);
    // Two frames that contain each other.
    HostObject* first = scene.bare();
    HostObject* second = scene.placed(form, first, 1, 2);
    for (auto [name, value] : {std::pair{u"Parent", Variant::object(form)}, {u"Container", Variant::object(second)},
                               {u"Left", Variant(10)}, {u"Top", Variant(20)}, {u"BorderStyle", Variant(0)}})
        first->set(name, value);
    expectOffset(scene.placed(form, first, 0, 0), 0, 0, second, 11, 22, frame::errInvalidProcedureCall);
}

TEST(ExtraFunctions, ScriptArgumentsThatAreNoObjectOrMissingFailTheCall) {
    Outcome out = calcLate(Variant(5), Variant(0), Variant(0));
    EXPECT_EQ(out.error, frame::errTypeMismatch);
    Scene scene;
    HostObject* form = scene.form();
    Variant obj = Variant::object(scene.placed(form, form, 0, 0));
    auto extra = newExtraFunctions();
    auto missing = frame::invokeByName(extra.get(), u"CalcContainerOffset", DISPATCH_METHOD, {Argument::byRef(obj)});
    EXPECT_EQ(missing.errorNumber, frame::errWrongArgumentCount);
}

}  // namespace
