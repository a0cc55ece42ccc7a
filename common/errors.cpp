#include "common/errors.h"

#include <algorithm>
#include <iterator>

namespace frame {
namespace {

struct Entry {
    int32_t number;
    const char* text;
};

constexpr Entry kStandardTexts[] = {
    {3, "Return without GoSub"},
    {5, "Invalid procedure call or argument"},
    {6, "Overflow"},
    {7, "Out of memory"},
    {9, "Subscript out of range"},
    {10, "This array is fixed or temporarily locked"},
    {11, "Division by zero"},
    {13, "Type mismatch"},
    {14, "Out of string space"},
    {28, "Out of stack space"},
    {35, "Sub or Function not defined"},
    {48, "Error in loading DLL"},
    {51, "Internal error"},
    {52, "Bad file name or number"},
    {53, "File not found"},
    {54, "Bad file mode"},
    {55, "File already open"},
    {57, "Device I/O error"},
    {58, "File already exists"},
    {61, "Disk full"},
    {62, "Input past end of file"},
    {67, "Too many files"},
    {68, "Device unavailable"},
    {70, "Permission denied"},
    {71, "Disk not ready"},
    {74, "Can't rename with different drive"},
    {75, "Path/File access error"},
    {76, "Path not found"},
    {91, "Object variable or With block variable not set"},
    {92, "For loop not initialized"},
    {94, "Invalid use of Null"},
    {380, "Invalid property value"},
    {424, "Object required"},
    {429, "ActiveX component can't create object"},
    {430, "Class does not support Automation or does not support expected interface"},
    {438, "Object doesn't support this property or method"},
    {440, "Automation error"},
    {445, "Object doesn't support this action"},
    {446, "Object doesn't support named arguments"},
    {448, "Named argument not found"},
    {449, "Argument not optional"},
    {450, "Wrong number of arguments or invalid property assignment"},
    {451, "Property let procedure not defined and property get procedure did not return an object"},
    {453, "Specified DLL function not found"},
    {457, "This key is already associated with an element of this collection"},
    {458, "Variable uses an Automation type not supported in Visual Basic"},
    {32811, "Element not found"},
};

}  // namespace

std::u16string ascii(const char* text) {
    std::u16string out;
    for (; *text; ++text) out.push_back(static_cast<unsigned char>(*text));
    return out;
}

std::u16string standardDescription(int32_t number) {
    auto it = std::find_if(std::begin(kStandardTexts), std::end(kStandardTexts),
                           [number](const Entry& e) { return e.number == number; });
    if (it == std::end(kStandardTexts)) return {};
    return ascii(it->text);
}

std::u16string decimal(int64_t value) {
    std::u16string digits;
    uint64_t magnitude = value < 0 ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
    do {
        digits.insert(digits.begin(), static_cast<char16_t>(u'0' + magnitude % 10));
        magnitude /= 10;
    } while (magnitude != 0);
    if (value < 0) digits.insert(digits.begin(), u'-');
    return digits;
}

std::u16string usualReportText(int32_t number, const std::u16string& description, const char16_t* opening) {
    return opening + decimal(number) + u". " + description;
}

int32_t hresultFromError(int32_t number) noexcept {
    if (number > 0 && number <= 0xFFFF) return static_cast<int32_t>(0x800A0000u | static_cast<uint32_t>(number));
    return number;
}

int32_t errorFromHresult(int32_t hresult) noexcept {
    const uint32_t h = static_cast<uint32_t>(hresult);
    // 0x800A0000 itself carries no number: error 0 would read as success.
    if ((h & 0xFFFF0000u) == 0x800A0000u && (h & 0xFFFFu) != 0) return static_cast<int32_t>(h & 0xFFFFu);
    // Well-known automation failures become the run-time errors a host shows for them.
    switch (h) {
        case 0x80020005u: return errTypeMismatch;         // DISP_E_TYPEMISMATCH
        case 0x8002000Au: return errOverflow;             // DISP_E_OVERFLOW
        case 0x8002000Bu: return errSubscriptOutOfRange;  // DISP_E_BADINDEX
        case 0x80020012u: return errDivisionByZero;       // DISP_E_DIVBYZERO
        case 0x8007000Eu: return errOutOfMemory;          // E_OUTOFMEMORY
        case 0x80020003u:                                 // DISP_E_MEMBERNOTFOUND
        case 0x80020006u: return errNoSuchMember;         // DISP_E_UNKNOWNNAME
        case 0x8002000Fu: return errArgumentNotOptional;  // DISP_E_PARAMNOTOPTIONAL
        case 0x8002000Eu: return errWrongArgumentCount;   // DISP_E_BADPARAMCOUNT
        case 0x80020007u: return 446;                     // DISP_E_NONAMEDARGS
        case 0x80040154u:                                 // REGDB_E_CLASSNOTREG
        case 0x800401F3u: return errCantCreateObject;     // CO_E_CLASSSTRING
        case 0x80004002u: return errNoSuchInterface;      // E_NOINTERFACE
        case 0x80070005u: return errPermissionDenied;     // E_ACCESSDENIED
        case 0x80070002u: return errFileNotFound;         // ERROR_FILE_NOT_FOUND
        case 0x80070003u: return errPathNotFound;         // ERROR_PATH_NOT_FOUND
        default: return hresult;
    }
}

}  // namespace frame
