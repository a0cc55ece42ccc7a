#pragma once
// Every creatable class of a library and every member of its interface, read
// from the library's own type library, for tests that call them all.
#include <windows.h>
#include <oleauto.h>

#include <string>
#include <vector>

#include "common/com.h"
#include "common/late.h"
#include "common/testing/harness.h"

namespace sweep {

struct Parameter {
    std::u16string name;
    TYPEDESC type;       // as declared (VT_PTR for by-reference), user types resolved
    VARTYPE target;      // the type it points to or is, enumerations and aliases as their base type
    bool byRef = false;
    bool optional = false;  // optional or with a default
};

struct Member {
    std::u16string name;
    DISPID id = 0;
    WORD invokeKind = 0;  // DISPATCH_METHOD, DISPATCH_PROPERTYGET, ...
    std::vector<Parameter> parameters;  // without the result
    VARTYPE result = VT_EMPTY;
    SHORT vtableOffset = 0;  // the member's slot in the interface, in bytes
    bool windowHandle(size_t index) const;
};

struct Class {
    std::u16string name;
    CLSID clsid{};
    std::vector<Member> members;
};

struct Library {
    std::u16string name;
    std::wstring path;
    std::vector<Class> classes;
};

// The library DLL at a path (a Unix path is taken as one on drive Z:).
Library readLibrary(const std::string& path);

// Each library the tests were given in SWEEP_LIBRARIES (paths separated by '|').
std::vector<Library> librariesUnderTest();

// The members of an object's own interface, as its type information gives them.
std::vector<Member> membersOf(IDispatch* object);

// A new object of the class, straight from the library's class factory.
frame::ComPtr<IDispatch> create(const Library& library, const Class& cls);

std::string describe(const Class& cls, const Member& member);

// A value of the parameter's own type that no member should mind.
frame::Variant neutral(const Parameter& parameter);

// What one IDispatch::Invoke of a member gave.
struct Outcome {
    HRESULT hr = S_OK;
    frame::Variant result;
    int32_t number = 0;  // the error's number, from the exception information
    std::u16string description;
    std::vector<frame::testing::CapturedBox> boxes;  // message boxes shown, each dismissed
    std::vector<frame::Variant> references;  // the variables passed by reference, after the call
};

// Calls the member with the arguments in call order; those marked go by
// reference (VT_BYREF|VT_VARIANT to a variable of the call's own), as a
// script host passes its variables. A put names its value DISPID_PROPERTYPUT.
// namedBeyondCount gives one named argument and no arguments at all.
Outcome invoke(IDispatch* object, const Member& member, const std::vector<frame::Variant>& arguments,
               const std::vector<bool>& byReference, bool namedBeyondCount = false);

}  // namespace sweep
