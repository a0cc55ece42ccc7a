// Linked into each library DLL in place of two parts of the static C++
// runtime that would make up about half of the DLL:
//  - the verbose terminate handler, which prints the demangled type of the
//    exception to the console (a DLL in a windowed host has none) and brings
//    the demangler and a printf along;
//  - the standard library's error throwers, whose logic_error family carries
//    its message in a reference-counted std::string, which brings a second
//    string implementation along.
// What a member sees does not change: a standard library failure reaches the
// frame as before (out of memory as std::bad_alloc, error 7; anything else,
// which the frame never tells apart, as internal error 51). Code in a library
// must not catch std::out_of_range, std::invalid_argument and their kin:
// check bounds and input instead.
#include <cstdlib>
#include <exception>
#include <new>
#include <typeinfo>

#include "common/errors.h"

namespace {
[[noreturn]] void internalError() { frame::raise(51); }
}  // namespace

namespace __gnu_cxx {
void __verbose_terminate_handler() { std::abort(); }
}  // namespace __gnu_cxx

namespace std {
void __throw_bad_alloc() { throw bad_alloc(); }
void __throw_bad_array_new_length() { throw bad_array_new_length(); }
void __throw_bad_cast() { throw bad_cast(); }
void __throw_bad_typeid() { throw bad_typeid(); }
void __throw_bad_exception() { throw bad_exception(); }
void __throw_logic_error(const char*) { internalError(); }
void __throw_domain_error(const char*) { internalError(); }
void __throw_invalid_argument(const char*) { internalError(); }
void __throw_length_error(const char*) { internalError(); }
void __throw_out_of_range(const char*) { internalError(); }
void __throw_out_of_range_fmt(const char*, ...) { internalError(); }
void __throw_runtime_error(const char*) { internalError(); }
void __throw_range_error(const char*) { internalError(); }
void __throw_overflow_error(const char*) { internalError(); }
void __throw_underflow_error(const char*) { internalError(); }
}  // namespace std
