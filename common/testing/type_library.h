#pragma once
// A class's contract as its type library carries it, as text a test compares
// with the class's member table: one line per interface slot, in slot order.
#include <windows.h>
#include <oleauto.h>

#include <string>
#include <utility>
#include <vector>

#include "common/com.h"

namespace frame::testing {

// The interface's own members in slot order, each as
//   "Name get 0x68030010 long"             a property get and its result type
//   "Name let 0x6803000C long"             a let and its value's type ("long byref" when by reference)
//   "Name method 0x60030000 (obj IDispatch byref, n long) Variant"
// Types: long, short, bool, String, Variant, IDispatch, or a user type's name.
// A dual interface is read through its vtable view.
std::vector<std::string> memberLines(ITypeInfo* info);

// A property table's rows as memberLines gives them: each get, then its let.
enum class Access { get, getLet, getLetByRef };
struct PropertyRow {
    const char* name;
    DISPID id;
    const char* type;
    Access access;
};
std::vector<std::string> propertyLines(const std::vector<PropertyRow>& rows);

// "dual hidden nonextensible oleautomation" as far as the interface has them.
std::string interfaceFlags(ITypeInfo* info);

// An enumeration of the library by its identifier: "Name: a=1, b=2".
std::string enumerationText(ITypeLib* library, REFGUID id);

// A type's identifier, kind and name.
struct TypeIdentity {
    GUID guid{};
    TYPEKIND kind = TKIND_MAX;
    std::u16string name;
};
TypeIdentity identityOf(ITypeInfo* info);

// The class an object names through IProvideClassInfo; null when it names none.
ComPtr<ITypeInfo> providedClass(IUnknown* object);

// The vtable view of a dual interface, which lists only the interface's own
// members (its dispatch view lists IDispatch's too); other type information
// as it is.
ComPtr<ITypeInfo> vtableView(ITypeInfo* info);

}  // namespace frame::testing
