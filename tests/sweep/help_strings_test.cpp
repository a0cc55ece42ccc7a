// Every item the libraries under test publish in their type libraries
// carries a help string, as object browsers and developers' editors show it:
// the library, each type (classes, interfaces, enumerations), each function
// and each enumeration constant. A member added later without one fails here.
#include <windows.h>
#include <oleauto.h>

#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "common/testing/type_library.h"
#include "tests/sweep/type_walk.h"

namespace sweep {
namespace {

using frame::Bstr;
using frame::ComPtr;

// Long enough for a plain sentence, short enough for one line of a browser.
constexpr size_t kLongestHelp = 160;

std::string ascii(std::u16string_view text) {
    std::string out;
    for (char16_t c : text) out.push_back(c >= 32 && c < 127 ? static_cast<char>(c) : '?');
    return out;
}

struct Walk {
    std::vector<std::string> faults;
    int functions = 0;
    int constants = 0;

    // Name and help string as GetDocumentation gives them.
    void check(const std::string& where, const Bstr& name, const Bstr& help) {
        const std::string item = where + ascii(name.view());
        const std::u16string_view text = help.view();
        if (text.empty()) {
            faults.push_back(item + ": no help string");
        } else if (text.size() > kLongestHelp) {
            faults.push_back(item + ": help string of " + std::to_string(text.size()) + " characters");
        } else {
            for (char16_t c : text)
                if (c < 32) {
                    faults.push_back(item + ": help string with a control character");
                    break;
                }
        }
    }

    void member(ITypeInfo* info, MEMBERID id, const std::string& where) {
        Bstr name, help;
        if (FAILED(info->GetDocumentation(id, name.put(), help.put(), nullptr, nullptr)))
            faults.push_back(where + "member " + std::to_string(id) + ": no documentation");
        else
            check(where, name, help);
    }

    // The members of one type, a dual interface's own through its vtable
    // view. The get and the let of a property share one identifier and one
    // entry in a browser: the documentation of the identifier is what it shows.
    void members(ITypeInfo* type, const std::string& where) {
        const ComPtr<ITypeInfo> info = frame::testing::vtableView(type);
        TYPEATTR* attr = nullptr;
        if (FAILED(info->GetTypeAttr(&attr))) return faults.push_back(where + ": no type attributes");
        const WORD functionCount = attr->cFuncs, variableCount = attr->cVars;
        info->ReleaseTypeAttr(attr);
        std::set<MEMBERID> seen;
        for (UINT k = 0; k < functionCount; ++k) {
            FUNCDESC* function = nullptr;
            if (FAILED(info->GetFuncDesc(k, &function))) continue;
            const MEMBERID id = function->memid;
            info->ReleaseFuncDesc(function);
            if (!seen.insert(id).second) continue;
            member(info.get(), id, where);
            ++functions;
        }
        for (UINT k = 0; k < variableCount; ++k) {
            VARDESC* variable = nullptr;
            if (FAILED(info->GetVarDesc(k, &variable))) continue;
            const MEMBERID id = variable->memid;
            info->ReleaseVarDesc(variable);
            member(info.get(), id, where);
            ++constants;
        }
    }

    void library(const Library& library) {
        ComPtr<ITypeLib> types;
        if (FAILED(LoadTypeLibEx(library.path.c_str(), REGKIND_NONE, types.put())))
            return faults.push_back(ascii(library.name) + ": no type library");
        Bstr name, help;
        types->GetDocumentation(-1, name.put(), help.put(), nullptr, nullptr);
        check("library ", name, help);
        const std::string prefix = ascii(name.view()) + ".";
        for (UINT i = 0; i < types->GetTypeInfoCount(); ++i) {
            Bstr typeName, typeHelp;
            ComPtr<ITypeInfo> type;
            if (FAILED(types->GetTypeInfo(i, type.put())) ||
                FAILED(types->GetDocumentation(static_cast<INT>(i), typeName.put(), typeHelp.put(), nullptr, nullptr))) {
                faults.push_back(prefix + "type " + std::to_string(i) + ": unreadable");
                continue;
            }
            check(prefix, typeName, typeHelp);
            members(type.get(), prefix + ascii(typeName.view()) + ".");
        }
    }
};

TEST(HelpStrings, EveryPublishedItemHasOneShortLine) {
    const std::vector<Library> libraries = librariesUnderTest();
    ASSERT_FALSE(libraries.empty()) << "SWEEP_LIBRARIES names no library";
    Walk walk;
    for (const Library& library : libraries) walk.library(library);
    // The walk reached members of both kinds, so a pass means something.
    EXPECT_GT(walk.functions, 0);
    EXPECT_GT(walk.constants, 0);
    std::ostringstream list;
    for (const std::string& fault : walk.faults) list << "\n  " << fault;
    EXPECT_TRUE(walk.faults.empty()) << walk.faults.size() << " items without a proper help string:" << list.str();
}

}  // namespace
}  // namespace sweep
