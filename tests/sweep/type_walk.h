#pragma once
// Every creatable class of a library and every member of its interface, read
// from the library's own type library, for tests that call them all.
#include <windows.h>
#include <oleauto.h>

#include <string>
#include <vector>

#include "common/com.h"
#include "common/late.h"

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

// A new object of the class, straight from the library's class factory.
frame::ComPtr<IDispatch> create(const Library& library, const Class& cls);

std::string describe(const Class& cls, const Member& member);

}  // namespace sweep
