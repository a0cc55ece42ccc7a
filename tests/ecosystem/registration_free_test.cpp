// Registration-free use, run in a prefix where nothing of the project is
// registered: every class of every library in the deliverables folder
// (FRAME_DIST_DIR) is created by class identifier and by programmatic
// identifier through an activation context made from the library's
// manifest, and its type library is found through the same context.
#include <windows.h>
#include <ocidl.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "common/testing/type_library.h"
#include "tests/sweep/type_walk.h"

using frame::ComPtr;

namespace {

std::string narrow(const std::u16string& s) { return std::string(s.begin(), s.end()); }

std::string distFolder() {
    const char* folder = std::getenv("FRAME_DIST_DIR");
    return folder ? folder : "";
}

std::wstring windowsPath(const std::string& path) {
    std::wstring out = path.size() && path[0] == '/' ? L"Z:" : L"";
    for (char c : path) out += c == '/' ? L'\\' : static_cast<wchar_t>(static_cast<unsigned char>(c));
    return out;
}

// The libraries of the folder: one per manifest.
std::vector<std::string> libraryNames() {
    std::vector<std::string> names;
    WIN32_FIND_DATAW found;
    frame::UniqueFindHandle find(FindFirstFileW((windowsPath(distFolder()) + L"\\*.manifest").c_str(), &found));
    if (!find) return names;
    do {
        std::wstring file = found.cFileName;
        file.resize(file.size() - 9);
        names.emplace_back(file.begin(), file.end());
    } while (FindNextFileW(find.get(), &found));
    return names;
}

class ActivationContext {
public:
    explicit ActivationContext(const std::wstring& manifest) {
        const std::wstring folder = windowsPath(distFolder());
        ACTCTXW context{};
        context.cbSize = sizeof(context);
        context.dwFlags = ACTCTX_FLAG_ASSEMBLY_DIRECTORY_VALID;
        context.lpSource = manifest.c_str();
        context.lpAssemblyDirectory = folder.c_str();
        handle_ = CreateActCtxW(&context);
        if (handle_ != INVALID_HANDLE_VALUE && !ActivateActCtx(handle_, &cookie_)) cookie_ = 0;
    }
    ~ActivationContext() {
        if (cookie_) DeactivateActCtx(0, cookie_);
        if (handle_ != INVALID_HANDLE_VALUE) ReleaseActCtx(handle_);
    }
    bool active() const { return cookie_ != 0; }

private:
    HANDLE handle_ = INVALID_HANDLE_VALUE;
    ULONG_PTR cookie_ = 0;
};

}  // namespace

TEST(RegistrationFree, EveryClassOfEveryLibraryThroughItsManifest) {
    const std::vector<std::string> names = libraryNames();
    ASSERT_FALSE(names.empty()) << "no manifest in " << distFolder();
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        const sweep::Library library = sweep::readLibrary(distFolder() + "/" + name + ".dll");
        ASSERT_FALSE(library.classes.empty());
        ComPtr<ITypeLib> types;
        ASSERT_EQ(LoadTypeLibEx(library.path.c_str(), REGKIND_NONE, types.put()), S_OK);
        TLIBATTR* attr = nullptr;
        ASSERT_EQ(types->GetLibAttr(&attr), S_OK);
        const TLIBATTR libraryAttributes = *attr;
        types->ReleaseTLibAttr(attr);

        // Nothing is registered here.
        for (const sweep::Class& cls : library.classes) {
            const std::u16string progId = library.name + u"." + cls.name;
            CLSID found{};
            EXPECT_TRUE(FAILED(CLSIDFromProgID(reinterpret_cast<LPCOLESTR>(progId.c_str()), &found)));
            ComPtr<IDispatch> object;
            EXPECT_EQ(CoCreateInstance(cls.clsid, nullptr, CLSCTX_INPROC_SERVER, __uuidof(IDispatch), object.putVoid()),
                      REGDB_E_CLASSNOTREG);
        }

        ActivationContext context(windowsPath(distFolder() + "/" + name + ".manifest"));
        ASSERT_TRUE(context.active()) << "activation context: error " << GetLastError();
        for (const sweep::Class& cls : library.classes) {
            const std::u16string progId = library.name + u"." + cls.name;
            SCOPED_TRACE(narrow(progId));
            // The context may answer a programmatic identifier with an alias
            // of the class identifier (Wine does): what counts is the object.
            CLSID found{};
            ASSERT_EQ(CLSIDFromProgID(reinterpret_cast<LPCOLESTR>(progId.c_str()), &found), S_OK);
            ComPtr<IDispatch> byClass = frame::createObject(cls.clsid);
            ComPtr<IDispatch> byName = frame::createObject(progId.c_str());
            ASSERT_TRUE(byClass && byName);
            // A working object of the class asked for.
            EXPECT_TRUE(IsEqualGUID(frame::testing::identityOf(frame::testing::providedClass(byName.get()).get()).guid,
                                    cls.clsid));
            if (!cls.members.empty()) {
                DISPID id = 0;
                LPOLESTR member = const_cast<LPOLESTR>(reinterpret_cast<LPCOLESTR>(cls.members[0].name.c_str()));
                EXPECT_EQ(byClass->GetIDsOfNames(IID_NULL, &member, 1, LOCALE_USER_DEFAULT, &id), S_OK);
                EXPECT_EQ(id, cls.members[0].id);
            }
        }
        // Early-bound hosts find the type library through the same context.
        ComPtr<ITypeLib> registered;
        EXPECT_EQ(LoadRegTypeLib(libraryAttributes.guid, libraryAttributes.wMajorVerNum,
                                 libraryAttributes.wMinorVerNum, libraryAttributes.lcid, registered.put()),
                  S_OK);
    }
}
