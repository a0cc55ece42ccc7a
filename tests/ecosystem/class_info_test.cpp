// What every class of every library says about itself, read from the
// library's own type library: the class it names through IProvideClassInfo,
// and the version resource of its DLL.
#include <windows.h>
#include <ocidl.h>

#include <vector>

#include "common/errors.h"
#include "common/testing/type_library.h"
#include "tests/sweep/type_walk.h"

using frame::ComPtr;

namespace {

std::string narrow(const std::u16string& s) { return std::string(s.begin(), s.end()); }

struct TypeLibraryFacts {
    GUID libid{};
    WORD major = 0;
    WORD minor = 0;
};

TypeLibraryFacts factsOf(ITypeLib* library) {
    TypeLibraryFacts facts;
    TLIBATTR* attr = nullptr;
    if (SUCCEEDED(library->GetLibAttr(&attr))) {
        facts = {attr->guid, attr->wMajorVerNum, attr->wMinorVerNum};
        library->ReleaseTLibAttr(attr);
    }
    return facts;
}

std::u16string versionString(const std::vector<BYTE>& block, const wchar_t* name) {
    void* value = nullptr;
    UINT length = 0;
    const std::wstring path = std::wstring(L"\\StringFileInfo\\040904B0\\") + name;
    if (!VerQueryValueW(block.data(), path.c_str(), &value, &length) || length == 0) return {};
    return std::u16string(static_cast<const char16_t*>(value), length - 1);
}

}  // namespace

TEST(ClassInfo, EveryClassNamesItsOwnCoclass) {
    const auto libraries = sweep::librariesUnderTest();
    ASSERT_FALSE(libraries.empty());
    for (const sweep::Library& library : libraries) {
        for (const sweep::Class& cls : library.classes) {
            SCOPED_TRACE(narrow(library.name + u"." + cls.name));
            ComPtr<IDispatch> object = sweep::create(library, cls);
            ASSERT_TRUE(object);
            // Hosts ask for either interface.
            ASSERT_TRUE(object.as<IProvideClassInfo2>());
            ComPtr<ITypeInfo> info = frame::testing::providedClass(object.get());
            ASSERT_TRUE(info);
            const frame::testing::TypeIdentity named = frame::testing::identityOf(info.get());
            EXPECT_EQ(named.kind, TKIND_COCLASS);
            EXPECT_TRUE(IsEqualGUID(named.guid, cls.clsid));
            EXPECT_EQ(named.name, cls.name);
            // The class of the library's own type library, whose default interface is the object's.
            ComPtr<ITypeLib> containing;
            UINT index = 0;
            ASSERT_EQ(info->GetContainingTypeLib(containing.put(), &index), S_OK);
            frame::Bstr libraryName;
            containing->GetDocumentation(MEMBERID_NIL, libraryName.put(), nullptr, nullptr, nullptr);
            EXPECT_EQ(libraryName.str(), library.name);
            HREFTYPE reference = 0;
            ComPtr<ITypeInfo> defaultInterface, objectInterface;
            ASSERT_EQ(info->GetRefTypeOfImplType(0, &reference), S_OK);
            ASSERT_EQ(info->GetRefTypeInfo(reference, defaultInterface.put()), S_OK);
            ASSERT_EQ(object->GetTypeInfo(0, LOCALE_USER_DEFAULT, objectInterface.put()), S_OK);
            EXPECT_TRUE(IsEqualGUID(frame::testing::identityOf(defaultInterface.get()).guid,
                                    frame::testing::identityOf(objectInterface.get()).guid));
        }
    }
}

TEST(VersionResource, AgreesWithTheTypeLibraryAndDescribesTheFile) {
    for (const sweep::Library& library : sweep::librariesUnderTest()) {
        SCOPED_TRACE(narrow(library.name));
        ComPtr<ITypeLib> types;
        ASSERT_EQ(LoadTypeLibEx(library.path.c_str(), REGKIND_NONE, types.put()), S_OK);
        const TypeLibraryFacts facts = factsOf(types.get());
        DWORD ignored = 0;
        const DWORD size = GetFileVersionInfoSizeW(library.path.c_str(), &ignored);
        ASSERT_GT(size, 0u);
        std::vector<BYTE> block(size);
        ASSERT_TRUE(GetFileVersionInfoW(library.path.c_str(), 0, size, block.data()));
        VS_FIXEDFILEINFO* fixed = nullptr;
        UINT length = 0;
        ASSERT_TRUE(VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
        EXPECT_EQ(fixed->dwFileVersionMS, MAKELONG(facts.minor, facts.major));
        EXPECT_EQ(fixed->dwFileVersionLS, 0u);
        EXPECT_EQ(fixed->dwProductVersionMS, fixed->dwFileVersionMS);
        EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_DLL));
        const std::u16string version = frame::decimal(facts.major) + u"." + frame::decimal(facts.minor);
        EXPECT_EQ(versionString(block, L"FileVersion"), version + u".0.0");
        EXPECT_EQ(versionString(block, L"ProductVersion"), version);
        EXPECT_EQ(versionString(block, L"OriginalFilename"), library.name + u".dll");
        EXPECT_EQ(versionString(block, L"InternalName"), library.name);
        EXPECT_EQ(versionString(block, L"ProductName").rfind(library.name, 0), 0u);
        EXPECT_GT(versionString(block, L"FileDescription").size(), library.name.size());
    }
}

TEST(Entries, EveryLibraryExportsTheFiveServerEntries) {
    for (const sweep::Library& library : sweep::librariesUnderTest()) {
        SCOPED_TRACE(narrow(library.name));
        HMODULE module = LoadLibraryW(library.path.c_str());
        ASSERT_TRUE(module);
        for (const char* entry :
             {"DllGetClassObject", "DllCanUnloadNow", "DllRegisterServer", "DllUnregisterServer", "DllInstall"})
            EXPECT_TRUE(GetProcAddress(module, entry)) << entry;
        // An unknown command line changes nothing.
        using Install = HRESULT(WINAPI*)(BOOL, LPCWSTR);
        auto install = reinterpret_cast<Install>(reinterpret_cast<void*>(GetProcAddress(module, "DllInstall")));
        ASSERT_TRUE(install);
        EXPECT_EQ(install(TRUE, L"everyone"), E_INVALIDARG);
    }
}
