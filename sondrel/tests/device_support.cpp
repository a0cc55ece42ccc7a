#include "device_support.h"

namespace sondrel::testing {

using frame::Variant;
using frame::testing::narrow;

Variant get(IDispatch* object, const char16_t* name) {
    auto out = frame::invokeByName(object, name, DISPATCH_PROPERTYGET, {});
    EXPECT_EQ(out.hr, S_OK) << "reading " << narrow(name);
    return std::move(out.result);
}

void put(IDispatch* object, const char16_t* name, Variant value) {
    auto out = frame::invokeByName(object, name, DISPATCH_PROPERTYPUT, {std::move(value)});
    EXPECT_EQ(out.hr, S_OK) << "setting " << narrow(name);
}

int32_t number(const Variant& value) {
    Variant converted;
    if (FAILED(VariantChangeType(converted.put(), const_cast<VARIANT*>(&value.get()), 0, VT_I4))) {
        ADD_FAILURE() << "not a number: vt " << value.type();
        return 0;
    }
    return V_I4(&converted.get());
}

void expectRoundTrips(IDispatch* object, const char16_t* name, std::initializer_list<int32_t> values) {
    const Variant original = get(object, name);
    for (int32_t value : values) {
        Variant typed(value);
        if (original.type() != VT_I4) VariantChangeType(&typed.raw(), &typed.raw(), 0, original.type());
        put(object, name, typed);
        EXPECT_EQ(number(get(object, name)), value) << narrow(name) << " set to " << value;
    }
    put(object, name, original);
    EXPECT_EQ(number(get(object, name)), number(original)) << narrow(name) << " restored";
}

void expectPropertyTable(IDispatch* object, const std::vector<frame::testing::PropertyRow>& rows) {
    frame::ComPtr<ITypeInfo> info;
    ASSERT_EQ(object->GetTypeInfo(0, 0x409, info.put()), S_OK);
    EXPECT_EQ(frame::testing::memberLines(info.get()), frame::testing::propertyLines(rows));
    EXPECT_EQ(frame::testing::interfaceFlags(info.get()), "dual hidden nonextensible oleautomation");
}

std::string enumerationOf(IDispatch* object, REFGUID id) {
    frame::ComPtr<ITypeInfo> info;
    frame::ComPtr<ITypeLib> library;
    UINT index = 0;
    if (FAILED(object->GetTypeInfo(0, 0x409, info.put())) ||
        FAILED(info->GetContainingTypeLib(library.put(), &index)))
        return "no type library";
    return frame::testing::enumerationText(library.get(), id);
}

}  // namespace sondrel::testing
