#pragma once
// Names and help strings in a built type library that widl does not accept.
//
// An identifier in IDL cannot hold characters such as '+', yet a type
// library may carry them. A type, function or constant that should carry
// such a name is written in the IDL with a C spelling and the attribute
// [custom(<kLibraryNameKey>, "real name")] (common/frame.idl: LIBRARY_NAME);
// after widl has built the library, applyLibraryNames() gives each such
// item its real name and drops the attribute. The C/C++ header keeps the
// C spelling.
//
// widl takes no helpstring on an enumeration constant either. Such an item
// carries [custom(<kLibraryHelpKey>, "text")] (LIBRARY_HELP), and
// applyLibraryHelp() makes the text its help string and drops the attribute.
//
// The library is the MSFT format widl writes. Window-system free, so that
// the build runs it on the host and its tests run natively.
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace frame::typelib {

using Bytes = std::vector<uint8_t>;

// {9D5DDD7E-1872-4702-B2C3-6554BF1C6D12}, in the byte order a type library stores it.
extern const uint8_t kLibraryNameKey[16];
// {17BA291E-D4C6-45A9-BF75-700E973A1319}, likewise.
extern const uint8_t kLibraryHelpKey[16];

struct Rename {
    std::string from;
    std::string to;
};

class FormatError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Renames in place every item that carries kLibraryNameKey with a text value
// and removes that custom data. Names left unused are taken out of the name
// look-up. A library without such items is left byte for byte as it was.
std::vector<Rename> applyLibraryNames(Bytes& library);

// Gives every item that carries kLibraryHelpKey with a text value (printable
// ASCII, 1 to 1024 characters) that text as its help string and removes the
// custom data; returns how many items it changed. A library without such
// items is left byte for byte as it was.
int applyLibraryHelp(Bytes& library);

// The low 16 bits of LHashValOfNameSys for the Latin-based locales (0x409
// among them), which a type library stores with each name. Defined for
// printable ASCII; other characters raise FormatError.
uint16_t nameHash(std::string_view name);

// What a reader of the library sees, for checks and tests.
struct NameEntry {
    int32_t offset;
    std::string name;
    uint16_t storedHash;
    bool inLookup;  // reachable through the name hash table
};
struct ItemNames {
    std::string type;
    std::vector<std::string> functions;
    std::vector<std::string> variables;
    std::vector<std::string> parameters;
    int customDataCount = 0;  // custom data items on the type and its members
    int kind = 0;             // TYPEKIND
    int32_t flags = 0;        // TYPEFLAGS
    std::string guid;         // "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}", empty when it has none
    // Help strings, empty where an item has none.
    std::string typeHelp;
    std::vector<std::string> functionHelp;
    std::vector<std::string> variableHelp;
};
struct LibraryView {
    std::string name;
    std::string help;
    std::vector<ItemNames> types;
    std::vector<NameEntry> nameTable;
    int32_t headerNameCount = 0;
    int32_t headerNameChars = 0;
    std::string guid;
    uint16_t majorVersion = 0;
    uint16_t minorVersion = 0;
    uint32_t lcid = 0;
    int syskind = 0;  // SYSKIND: 1 for 32-bit, 3 for 64-bit Windows
};
// TYPEKIND and TYPEFLAGS values a reader of the view needs.
enum : int { kindInterface = 3, kindDispatch = 4, kindCoclass = 5 };
enum : int32_t { flagCanCreate = 0x2, flagDual = 0x40, flagOleAutomation = 0x100 };
LibraryView readLibrary(const Bytes& library);

}  // namespace frame::typelib
