// Registration-free use, run in a prefix where nothing of the project is
// registered: every class of every library in the deliverables folder
// (FRAME_DIST_DIR) is created by class identifier and by programmatic
// identifier through an activation context made from the library's
// manifest, or from a program's manifest that names the libraries, and the
// type library is found through the same context.
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

// Libraries are looked for in the manifest's folder.
class ActivationContext {
public:
    explicit ActivationContext(const std::wstring& manifest) {
        const std::wstring folder = manifest.substr(0, manifest.find_last_of(L'\\'));
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

struct DistLibrary {
    sweep::Library library;
    TLIBATTR attributes{};
};

DistLibrary readDistLibrary(const std::string& name) {
    DistLibrary dist{sweep::readLibrary(distFolder() + "/" + name + ".dll"), {}};
    ComPtr<ITypeLib> types;
    TLIBATTR* attr = nullptr;
    if (SUCCEEDED(LoadTypeLibEx(dist.library.path.c_str(), REGKIND_NONE, types.put())) &&
        SUCCEEDED(types->GetLibAttr(&attr))) {
        dist.attributes = *attr;
        types->ReleaseTLibAttr(attr);
    }
    return dist;
}

std::u16string progIdOf(const sweep::Library& library, const sweep::Class& cls) {
    return library.name + u"." + cls.name;
}

// Every class by class identifier and by programmatic identifier, each a
// working object of its class, and the type library, through the active context.
void expectEveryClassThroughTheContext(const DistLibrary& dist) {
    ASSERT_FALSE(dist.library.classes.empty());
    for (const sweep::Class& cls : dist.library.classes) {
        const std::u16string progId = progIdOf(dist.library, cls);
        SCOPED_TRACE(narrow(progId));
        // The context may answer a programmatic identifier with an alias
        // of the class identifier (Wine does): what counts is the object.
        CLSID found{};
        ASSERT_EQ(CLSIDFromProgID(reinterpret_cast<LPCOLESTR>(progId.c_str()), &found), S_OK);
        ComPtr<IDispatch> byClass = frame::createObject(cls.clsid);
        ComPtr<IDispatch> byName = frame::createObject(progId.c_str());
        ASSERT_TRUE(byClass && byName);
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
    EXPECT_EQ(LoadRegTypeLib(dist.attributes.guid, dist.attributes.wMajorVerNum, dist.attributes.wMinorVerNum,
                             dist.attributes.lcid, registered.put()),
              S_OK);
}

// A program's folder as a developer ships it: the libraries' DLLs and
// manifests copied beside the program's own manifest, which names them.
std::wstring programFolderWithManifest(const std::vector<DistLibrary>& libraries) {
    const char* architecture = sizeof(void*) == 8 ? "amd64" : "x86";
    std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
                      "<assembly xmlns=\"urn:schemas-microsoft-com:asm.v1\" manifestVersion=\"1.0\">\n"
                      "  <assemblyIdentity type=\"win32\" name=\"RegistrationFree.Client\" version=\"1.0.0.0\" "
                      "processorArchitecture=\"" + std::string(architecture) + "\"/>\n";
    for (const DistLibrary& dist : libraries)
        xml += "  <dependency><dependentAssembly><assemblyIdentity type=\"win32\" name=\"" + narrow(dist.library.name) +
               "\" version=\"" + std::to_string(dist.attributes.wMajorVerNum) + "." +
               std::to_string(dist.attributes.wMinorVerNum) + ".0.0\" processorArchitecture=\"" + architecture +
               "\"/></dependentAssembly></dependency>\n";
    xml += "</assembly>\n";
    wchar_t temporary[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temporary);
    const std::wstring folder = std::wstring(temporary) + L"RegistrationFree.Client\\";
    CreateDirectoryW(folder.c_str(), nullptr);
    for (const DistLibrary& dist : libraries) {
        const std::wstring name(dist.library.name.begin(), dist.library.name.end());
        const std::wstring from = windowsPath(distFolder()) + L"\\" + name;
        for (const wchar_t* extension : {L".dll", L".manifest"})
            CopyFileW((from + extension).c_str(), (folder + name + extension).c_str(), FALSE);
    }
    const std::wstring path = folder + L"RegistrationFree.Client.manifest";
    frame::UniqueFileHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    DWORD written = 0;
    if (file) WriteFile(file.get(), xml.data(), static_cast<DWORD>(xml.size()), &written, nullptr);
    return path;
}

}  // namespace

TEST(RegistrationFree, EveryClassOfEveryLibraryThroughItsManifest) {
    const std::vector<std::string> names = libraryNames();
    ASSERT_FALSE(names.empty()) << "no manifest in " << distFolder();
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        const DistLibrary dist = readDistLibrary(name);
        // Nothing is registered here.
        for (const sweep::Class& cls : dist.library.classes) {
            const std::u16string progId = progIdOf(dist.library, cls);
            CLSID found{};
            EXPECT_TRUE(FAILED(CLSIDFromProgID(reinterpret_cast<LPCOLESTR>(progId.c_str()), &found)));
            ComPtr<IDispatch> object;
            EXPECT_EQ(CoCreateInstance(cls.clsid, nullptr, CLSCTX_INPROC_SERVER, __uuidof(IDispatch), object.putVoid()),
                      REGDB_E_CLASSNOTREG);
        }
        ActivationContext context(windowsPath(distFolder() + "/" + name + ".manifest"));
        ASSERT_TRUE(context.active()) << "activation context: error " << GetLastError();
        expectEveryClassThroughTheContext(dist);
    }
}

// What a program does that names the libraries in its own manifest: the
// libraries are found beside it by name.
TEST(RegistrationFree, EveryLibraryNamedInAProgramsManifest) {
    std::vector<DistLibrary> libraries;
    for (const std::string& name : libraryNames()) libraries.push_back(readDistLibrary(name));
    ASSERT_FALSE(libraries.empty());
    ActivationContext context(programFolderWithManifest(libraries));
    ASSERT_TRUE(context.active()) << "activation context: error " << GetLastError();
    for (const DistLibrary& dist : libraries) {
        SCOPED_TRACE(narrow(dist.library.name));
        expectEveryClassThroughTheContext(dist);
    }
}
