#pragma once
// Support for the device classes' Wine tests: objects from the DLL beside the
// test program, late-bound reads and writes by name, and round trips of real
// settings that always put the original value back.
#include <windows.h>
#include <oleauto.h>

#include <initializer_list>
#include <string>

#include "common/errors.h"
#include "common/testing/harness.h"
#include "common/testing/type_library.h"
#include "sondrel_h.h"

namespace sondrel::testing {

template <class I, class Coclass>
frame::ComPtr<I> create() {
    return frame::testing::createFromDll<I>(L"Sondrel.dll", __uuidof(Coclass));
}

// A property read by name; a failed read is a test failure and reads as Empty.
frame::Variant get(IDispatch* object, const char16_t* name);
void put(IDispatch* object, const char16_t* name, frame::Variant value);
// A number or Boolean result as a 32-bit integer (True is -1).
int32_t number(const frame::Variant& value);

// Sets a property by name to each value in turn and reads it back after each,
// then sets the value it had before and checks that it reads back too.
void expectRoundTrips(IDispatch* object, const char16_t* name, std::initializer_list<int32_t> values);

// The interface's members against its table, and its flags.
void expectPropertyTable(IDispatch* object, const std::vector<frame::testing::PropertyRow>& rows);
// The library's enumeration with this identifier, as enumerationText gives it.
std::string enumerationOf(IDispatch* object, REFGUID id);

}  // namespace sondrel::testing
