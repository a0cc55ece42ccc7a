// Keldrun's type library as loaders and early-bound clients see it: the
// file and folder enumerations with their names as published (plus signs
// included), the member tables, and registration.
#include <type_traits>

#include "keldrun/tests/wine_support.h"

using frame::Bstr;
using frame::ComPtr;

namespace {

// The header spells each '+' as '_', and the folder enumerations are other
// names for the file ones there.
static_assert(Archive_ReadOnly_Hidden == 35 && Hidden_Archive == 34 && isAlias == 64);
static_assert(std::is_same_v<FolderAttrChangeTo, FileAttrChangeTo> && std::is_same_v<FolderAttributes, FilesAttributes>);

struct Constant {
    const wchar_t* name;
    int32_t value;
};
const std::vector<Constant> kAttributes = {{L"isAlias", 64},   {L"isNormal", 0}, {L"isArchive", 32},
                                           {L"isHidden", 2},   {L"isReadOnly", 1}, {L"isSystem", 4},
                                           {L"isDirectory", 16}};
const std::vector<Constant> kChanges = {
    {L"Archive", 32},  {L"Archive+ReadOnly", 33}, {L"Archive+Hidden", 34},          {L"Archive+ReadOnly+Hidden", 35},
    {L"ReadOnly", 1},  {L"ReadOnly+Hidden", 3},   {L"ReadOnly+Archive", 33},        {L"ReadOnly+Archive+Hidden", 35},
    {L"Hidden", 2},    {L"Hidden+ReadOnly", 3},   {L"Hidden+Archive", 34},          {L"Hidden+Archive+ReadOnly", 35}};

ComPtr<ITypeLib> library() {
    wchar_t path[MAX_PATH];
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring dll(path);
    dll = dll.substr(0, dll.rfind(L'\\') + 1) + L"Keldrun.dll";
    ComPtr<ITypeLib> lib;
    EXPECT_EQ(LoadTypeLibEx(dll.c_str(), REGKIND_NONE, lib.put()), S_OK);
    return lib;
}

ComPtr<ITypeInfo> typeNamed(ITypeLib* lib, const wchar_t* name) {
    for (UINT k = 0; k < lib->GetTypeInfoCount(); ++k) {
        Bstr n;
        lib->GetDocumentation(static_cast<INT>(k), n.put(), nullptr, nullptr, nullptr);
        if (n.view() == frame::u16(name, wcslen(name))) {
            ComPtr<ITypeInfo> info;
            lib->GetTypeInfo(k, info.put());
            return info;
        }
    }
    ADD_FAILURE() << "no type " << std::string(name, name + wcslen(name));
    return {};
}

void expectEnumeration(ITypeLib* lib, const wchar_t* name, const std::vector<Constant>& expected) {
    SCOPED_TRACE(std::string(name, name + wcslen(name)));
    ComPtr<ITypeInfo> info = typeNamed(lib, name);
    ASSERT_TRUE(info);
    TYPEATTR* attr = nullptr;
    ASSERT_EQ(info->GetTypeAttr(&attr), S_OK);
    EXPECT_EQ(attr->typekind, TKIND_ENUM);
    ASSERT_EQ(attr->cVars, expected.size());
    info->ReleaseTypeAttr(attr);
    for (UINT k = 0; k < expected.size(); ++k) {
        VARDESC* var = nullptr;
        ASSERT_EQ(info->GetVarDesc(k, &var), S_OK);
        Bstr names[1];
        UINT count = 0;
        ASSERT_EQ(info->GetNames(var->memid, reinterpret_cast<BSTR*>(names), 1, &count), S_OK);
        EXPECT_EQ(names[0].view(), frame::u16(expected[k].name, wcslen(expected[k].name)));
        EXPECT_EQ(var->varkind, VAR_CONST);
        EXPECT_EQ(V_VT(var->lpvarValue), VT_I4);
        EXPECT_EQ(V_I4(var->lpvarValue), expected[k].value);
        info->ReleaseVarDesc(var);
    }
}

// Name, dispatch identifier and parameter names of each member, in order.
void expectMembers(ITypeLib* lib, REFGUID iid, const std::vector<std::vector<std::wstring>>& members) {
    ComPtr<ITypeInfo> info;
    ASSERT_EQ(lib->GetTypeInfoOfGuid(iid, info.put()), S_OK);
    TYPEATTR* attr = nullptr;
    info->GetTypeAttr(&attr);
    EXPECT_EQ(attr->typekind, TKIND_DISPATCH);
    EXPECT_TRUE(attr->wTypeFlags & TYPEFLAG_FDUAL);
    EXPECT_TRUE(attr->wTypeFlags & TYPEFLAG_FHIDDEN);
    const WORD functions = attr->cFuncs;
    info->ReleaseTypeAttr(attr);
    ASSERT_EQ(functions, 7 + members.size());  // IUnknown and IDispatch first
    for (size_t k = 0; k < members.size(); ++k) {
        FUNCDESC* f = nullptr;
        ASSERT_EQ(info->GetFuncDesc(static_cast<UINT>(7 + k), &f), S_OK);
        EXPECT_EQ(f->memid, static_cast<MEMBERID>(0x60030000 + k));
        Bstr names[8];
        UINT count = 0;
        info->GetNames(f->memid, reinterpret_cast<BSTR*>(names), 8, &count);
        ASSERT_EQ(count, members[k].size());
        for (UINT n = 0; n < count; ++n) EXPECT_EQ(std::wstring(frame::wide(names[n].str())), members[k][n]);
        for (SHORT p = 0; p < f->cParams; ++p)  // every argument by reference
            EXPECT_TRUE(f->lprgelemdescParam[p].paramdesc.wParamFlags & PARAMFLAG_FOUT) << k << "/" << p;
        info->ReleaseFuncDesc(f);
    }
}

// The optional mask: of the library's own attribute enumeration, default 0.
void expectOptionalMask(ITypeLib* lib, REFGUID iid, const wchar_t* enumeration) {
    ComPtr<ITypeInfo> info;
    lib->GetTypeInfoOfGuid(iid, info.put());
    FUNCDESC* f = nullptr;
    ASSERT_EQ(info->GetFuncDesc(8, &f), S_OK);
    const ELEMDESC& mask = f->lprgelemdescParam[1];
    EXPECT_TRUE(mask.paramdesc.wParamFlags & PARAMFLAG_FOPT);
    ASSERT_TRUE(mask.paramdesc.wParamFlags & PARAMFLAG_FHASDEFAULT);
    EXPECT_EQ(V_I4(&mask.paramdesc.pparamdescex->varDefaultValue), 0);
    ASSERT_EQ(mask.tdesc.vt, VT_PTR);
    ASSERT_EQ(mask.tdesc.lptdesc->vt, VT_USERDEFINED);
    ComPtr<ITypeInfo> type;
    info->GetRefTypeInfo(mask.tdesc.lptdesc->hreftype, type.put());
    Bstr name;
    type->GetDocumentation(MEMBERID_NIL, name.put(), nullptr, nullptr, nullptr);
    EXPECT_EQ(std::wstring(frame::wide(name.str())), enumeration);
    EXPECT_EQ(f->elemdescFunc.tdesc.vt, VT_SAFEARRAY);
    EXPECT_EQ(f->elemdescFunc.tdesc.lptdesc->vt, VT_BSTR);
    info->ReleaseFuncDesc(f);
}

}  // namespace

TEST(TypeLibrary, EnumerationsCarryTheirNamesExactly) {
    ComPtr<ITypeLib> lib = library();
    ASSERT_TRUE(lib);
    expectEnumeration(lib.get(), L"FilesAttributes", kAttributes);
    expectEnumeration(lib.get(), L"FolderAttributes", kAttributes);
    expectEnumeration(lib.get(), L"FileAttrChangeTo", kChanges);
    expectEnumeration(lib.get(), L"FolderAttrChangeTo", kChanges);
    // No trace of the header's spelling.
    wchar_t placeholder[] = L"Archive_ReadOnly";
    BOOL found = TRUE;
    ASSERT_EQ(lib->IsName(placeholder, 0, &found), S_OK);
    EXPECT_FALSE(found);
}

TEST(TypeLibrary, NamesWithPlusSignsCanBeLookedUp) {
    ComPtr<ITypeLib> lib = library();
    wchar_t name[] = L"Hidden+Archive+ReadOnly";
    ITypeInfo* infos[4] = {};
    MEMBERID ids[4] = {};
    USHORT count = 4;
    ASSERT_EQ(lib->FindName(name, 0, infos, ids, &count), S_OK);
    EXPECT_EQ(count, 2);  // in the file and the folder enumeration
    for (USHORT k = 0; k < count; ++k) infos[k]->Release();
    ComPtr<ITypeComp> comp;
    ASSERT_EQ(lib->GetTypeComp(comp.put()), S_OK);
    ComPtr<ITypeInfo> bound;
    DESCKIND kind = DESCKIND_NONE;
    BINDPTR bind{};
    ASSERT_EQ(comp->Bind(name, LHashValOfNameSys(SYS_WIN32, 0x409, name), 0, bound.put(), &kind, &bind), S_OK);
    ASSERT_EQ(kind, DESCKIND_VARDESC);
    EXPECT_EQ(V_I4(bind.lpvardesc->lpvarValue), 35);
    bound->ReleaseVarDesc(bind.lpvardesc);
}

TEST(TypeLibrary, MemberTablesOfTheFileAndFolderClasses) {
    ComPtr<ITypeLib> lib = library();
    expectMembers(lib.get(), __uuidof(_FileSysObject),
                  {{L"GetFileName", L"filepath"},
                   {L"GetFiles", L"FromFolder", L"Attributes"},
                   {L"GetFileAttribute", L"filepath"},
                   {L"GetFileSize", L"filepath"},
                   {L"GetFileExt", L"filepath"},
                   {L"MarkFileAttributes", L"filepath", L"ChangeAttrTO"},
                   {L"RenameFile", L"filepath", L"NewFileName"}});
    expectMembers(lib.get(), __uuidof(_FolderSysObject),
                  {{L"GetFolderName", L"path"},
                   {L"GetDirectories", L"path", L"Attributes", L"IncludePath"},
                   {L"RenameFolder", L"path", L"NewFileName"},
                   {L"MarkFolderAttributes", L"FolderPath", L"ChangeAttrTO"},
                   {L"FolderExists", L"path"}});
    expectOptionalMask(lib.get(), __uuidof(_FileSysObject), L"FilesAttributes");
    expectOptionalMask(lib.get(), __uuidof(_FolderSysObject), L"FolderAttributes");
}

TEST(TypeLibrary, RegisteredLibraryAndClassesByName) {
    HMODULE dll = LoadLibraryW(L"Keldrun.dll");
    ASSERT_TRUE(dll);
    auto registerServer = reinterpret_cast<HRESULT(WINAPI*)()>(
        reinterpret_cast<void*>(GetProcAddress(dll, "DllRegisterServer")));
    ASSERT_TRUE(registerServer);
    ASSERT_EQ(registerServer(), S_OK);
    const GUID libid = {0xE2B39062, 0xFF2B, 0x4CA4, {0x94, 0xF7, 0x44, 0x64, 0x49, 0x9F, 0x37, 0x7E}};
    ComPtr<ITypeLib> registered;
    ASSERT_EQ(LoadRegTypeLib(libid, 22, 0, 0x409, registered.put()), S_OK);
    expectEnumeration(registered.get(), L"FolderAttrChangeTo", kChanges);
    for (const wchar_t* progId : {L"Keldrun.FileSysObject", L"Keldrun.FolderSysObject"}) {
        CLSID clsid;
        ASSERT_EQ(CLSIDFromProgID(progId, &clsid), S_OK);
        ComPtr<IDispatch> object;
        EXPECT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch, object.putVoid()), S_OK);
    }
}
