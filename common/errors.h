#pragma once
// Run-time errors as the libraries' members raise them: a signed number, a
// description and a source. Window-system free, so the texts and the report
// format are tested natively.
#include <cstdint>
#include <exception>
#include <string>

namespace frame {

// The run-time error numbers the classes raise.
enum ErrorNumber : int32_t {
    errInvalidProcedureCall = 5,
    errOverflow = 6,
    errOutOfMemory = 7,
    errSubscriptOutOfRange = 9,
    errDivisionByZero = 11,
    errTypeMismatch = 13,
    errBadFileNameOrNumber = 52,
    errFileNotFound = 53,
    errFileAlreadyExists = 58,
    errDiskFull = 61,
    errPermissionDenied = 70,
    errPathFileAccess = 75,
    errPathNotFound = 76,
    errObjectNotSet = 91,
    errObjectRequired = 424,
    errCantCreateObject = 429,
    errNoSuchInterface = 430,
    errNoSuchMember = 438,
    errArgumentNotOptional = 449,
    errWrongArgumentCount = 450,
    errDllNotFound = 48,
    errDllEntryPoint = 453,
    errAutomation = 440,
};

// The standard description of a run-time error number; empty when the
// number has none of its own.
std::u16string standardDescription(int32_t number);

class RuntimeError : public std::exception {
public:
    RuntimeError(int32_t number, std::u16string description, std::u16string source = {})
        : number_(number), description_(std::move(description)), source_(std::move(source)) {}
    // An error with its standard description.
    explicit RuntimeError(int32_t number) : RuntimeError(number, standardDescription(number)) {}

    int32_t number() const noexcept { return number_; }
    const std::u16string& description() const noexcept { return description_; }
    const std::u16string& source() const noexcept { return source_; }
    void setSource(std::u16string source) { source_ = std::move(source); }
    const char* what() const noexcept override { return "run-time error"; }

private:
    int32_t number_;
    std::u16string description_;
    std::u16string source_;
};

[[noreturn]] inline void raise(int32_t number) { throw RuntimeError(number); }
[[noreturn]] inline void raise(int32_t number, std::u16string description) {
    throw RuntimeError(number, std::move(description));
}

// "Error: " number ". " description: the usual error report's text. A class
// whose report opens with another word gives it as `opening`.
std::u16string usualReportText(int32_t number, const std::u16string& description,
                               const char16_t* opening = u"Error: ");

// Decimal text of a signed number, minus sign included.
std::u16string decimal(int64_t value);

// Plain ASCII to UTF-16, for literals built at run time.
std::u16string ascii(const char* text);

// Run-time error numbers travel through COM as HRESULTs of the control
// facility (0x800A0000 | number); other failures keep their own HRESULT,
// which as a signed number is negative.
int32_t hresultFromError(int32_t number) noexcept;
int32_t errorFromHresult(int32_t hresult) noexcept;

}  // namespace frame
