// The walk from a control up through its containers to the form.
#include "sondrel/ExtraFunctions.h"

#include <algorithm>
#include <vector>

#include "common/convert.h"
#include "common/late.h"

namespace sondrel {
namespace {

using frame::ComPtr;
using frame::Variant;

// The host's forms package marks its top-level and multiple-document forms
// with these interfaces.
constexpr IID formInterfaces[] = {
    {0x33AD4F39, 0x6699, 0x11CF, {0xB7, 0x0C, 0x00, 0xAA, 0x00, 0x60, 0xD3, 0x93}},
    {0x33AD4F71, 0x6699, 0x11CF, {0xB7, 0x0C, 0x00, 0xAA, 0x00, 0x60, 0xD3, 0x93}},
};

bool isForm(IDispatch* object) {
    return object && std::any_of(std::begin(formInterfaces), std::end(formInterfaces), [&](const IID& iid) {
               ComPtr<IUnknown> form;
               return SUCCEEDED(object->QueryInterface(iid, form.putVoid()));
           });
}

// Object identity: the IUnknown every interface of one object answers.
ComPtr<IUnknown> identity(IDispatch* object) {
    ComPtr<IUnknown> unknown;
    if (object) object->QueryInterface(IID_IUnknown, unknown.putVoid());
    return unknown;
}

// `a Is b`: one object, whichever interfaces the two references are (Nothing Is Nothing).
bool sameObject(IDispatch* a, IDispatch* b) { return identity(a).get() == identity(b).get(); }

bool contains(const std::vector<ComPtr<IUnknown>>& objects, IUnknown* object) {
    return std::any_of(objects.begin(), objects.end(), [&](const auto& o) { return o.get() == object; });
}

// The object a property gave, Nothing included; any other value is
// "Object required", as assigning it to an object variable would be.
ComPtr<IDispatch> objectIn(const Variant& value) {
    ComPtr<IDispatch> object;
    if (value.type() == VT_DISPATCH) return V_DISPATCH(&value.get());
    if (value.type() == VT_UNKNOWN) {
        IUnknown* unknown = V_UNKNOWN(&value.get());
        if (!unknown || SUCCEEDED(unknown->QueryInterface(IID_IDispatch, object.putVoid()))) return object;
    }
    frame::raise(frame::errObjectRequired);
}

// The caller's object variable now refers to another object.
void assign(IDispatch** variable, IDispatch* object) {
    if (object) object->AddRef();
    if (IDispatch* previous = std::exchange(*variable, object)) previous->Release();
}

// value + offset as a variant addition, stored into a Long: rounded half to
// even, overflow beyond the Long range.
long added(const Variant& value, long offset) {
    Variant right(static_cast<int32_t>(offset)), sum, stored;
    frame::check(VarAdd(const_cast<VARIANT*>(&value.get()), &right.raw(), sum.put()));
    frame::check(VariantChangeType(stored.put(), &sum.raw(), 0, VT_I4));
    return V_I4(&stored.get());
}

// value = 1 as the comparison of a variant with the number 1 (Null is not).
bool isOne(const Variant& value) {
    if (value.type() == VT_NULL) return false;
    Variant number;
    frame::check(VariantChangeType(number.put(), const_cast<VARIANT*>(&value.get()), 0, VT_R8));
    return V_R8(&number.get()) == 1.0;
}

}  // namespace

HRESULT ExtraFunctions::CalcContainerOffset(IDispatch** obj, long* OffsetX, long* OffsetY, VARIANT* result) {
    if (!obj || !OffsetX || !OffsetY) return E_POINTER;
    return member(u"CalcContainerOffset", Caller, result, [&](Variant&) {
        // Objects the walk has stood on: a container met again would send it
        // round for ever.
        std::vector<ComPtr<IUnknown>> reached{identity(*obj)};
        for (;;) {
            const frame::LateBound current(*obj);
            const ComPtr<IDispatch> container = objectIn(current.get(u"Container"));
            if (sameObject(container.get(), objectIn(current.get(u"Parent")).get())) return;
            ComPtr<IUnknown> next = identity(container.get());
            if (next && contains(reached, next.get()))
                frame::raise(frame::errInvalidProcedureCall, u"The chain of containers loops back on itself");
            reached.push_back(std::move(next));
            assign(obj, container.get());
            if (container) {
                const frame::LateBound placed(container);
                *OffsetX = added(placed.get(u"Left"), *OffsetX);
                *OffsetY = added(placed.get(u"Top"), *OffsetY);
                if (isOne(placed.get(u"BorderStyle"))) {
                    const int32_t border = isOne(placed.get(u"Appearance")) ? 30 : 15;
                    *OffsetX = frame::narrow<int32_t>(int64_t{*OffsetX} + border);
                    *OffsetY = frame::narrow<int32_t>(int64_t{*OffsetY} + border);
                }
            }
            if (isForm(container.get())) return;
        }
    });
}

}  // namespace sondrel
