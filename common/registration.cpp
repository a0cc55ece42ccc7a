// Class registration: the type library, and for each class its class
// identifier with this DLL as in-process server (apartment model) and its
// programmatic identifier <library>.<class>. Unregistering removes exactly
// those keys.
//
// Machine-wide, the classes go under HKEY_CLASSES_ROOT and the type library
// through the automation runtime. For the current user alone, everything
// goes under HKEY_CURRENT_USER\Software\Classes, the type library's keys
// included: the runtime's per-user registration is not found everywhere
// (some versions register machine-wide instead), so they are written here
// as it writes them.
#include <windows.h>
#include <oleauto.h>
#include <olectl.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "common/frame.h"
#include "common/registration.h"

namespace frame {
namespace {

// Marshallers of automation interfaces: through the type library, and the
// dispatch-only one for plain dispinterfaces.
constexpr const char16_t* kTypeLibraryMarshaller = u"{00020424-0000-0000-C000-000000000046}";
constexpr const char16_t* kDispatchMarshaller = u"{00020420-0000-0000-C000-000000000046}";

std::u16string guidText(REFGUID guid) {
    wchar_t buffer[40] = {};
    StringFromGUID2(guid, buffer, 40);
    return std::u16string(reinterpret_cast<const char16_t*>(buffer));
}

std::u16string hexadecimal(uint32_t value) {
    std::u16string digits;
    do {
        digits.insert(digits.begin(), u"0123456789abcdef"[value % 16]);
        value /= 16;
    } while (value);
    return digits;
}

// The classes root of a scope, and the hive whose Software\Classes it is.
struct Root {
    UniqueHkey key;
    HKEY hive;
};

// Unregistering opens the root without creating it.
Root openRoot(RegistrationScope scope, bool create) {
    Root root{UniqueHkey(), scope == RegistrationScope::User ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE};
    if (scope == RegistrationScope::Machine)
        RegOpenKeyExW(HKEY_CLASSES_ROOT, nullptr, 0, KEY_ALL_ACCESS, root.key.put());
    else if (create)
        RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Classes", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                        root.key.put(), nullptr);
    else
        RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Classes", 0, KEY_ALL_ACCESS, root.key.put());
    return root;
}

HRESULT setValue(HKEY root, const std::u16string& keyPath, const char16_t* name, const std::u16string& value) {
    UniqueHkey key;
    LONG status = RegCreateKeyExW(root, wide(keyPath), 0, nullptr, 0, KEY_SET_VALUE, nullptr, key.put(), nullptr);
    if (status != ERROR_SUCCESS) return HRESULT_FROM_WIN32(status);
    status = RegSetValueExW(key.get(), name ? wide(name) : nullptr, 0, REG_SZ,
                            reinterpret_cast<const BYTE*>(value.c_str()),
                            static_cast<DWORD>((value.size() + 1) * sizeof(char16_t)));
    return HRESULT_FROM_WIN32(status);
}

// Each step has run (its writes are made in the argument list); the call
// fails with a failing step's result.
HRESULT allOf(std::initializer_list<HRESULT> steps) {
    HRESULT hr = S_OK;
    for (HRESULT step : steps)
        if (FAILED(step)) hr = step;
    return hr;
}

void deleteTree(HKEY root, const std::u16string& keyPath) {
    RegDeleteTreeW(root, wide(keyPath));
    RegDeleteKeyW(root, wide(keyPath));
}

// A key with neither subkeys nor values goes; any other stays.
bool deleteIfEmpty(HKEY root, const std::u16string& keyPath) {
    UniqueHkey key;
    if (RegOpenKeyExW(root, wide(keyPath), 0, KEY_READ, key.put()) != ERROR_SUCCESS) return true;
    DWORD subkeys = 0, values = 0;
    if (RegQueryInfoKeyW(key.get(), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values, nullptr,
                         nullptr, nullptr, nullptr) != ERROR_SUCCESS ||
        subkeys != 0 || values != 0)
        return false;
    key.reset();
    return RegDeleteKeyW(root, wide(keyPath)) == ERROR_SUCCESS;
}

bool hasSubkey(HKEY root, const std::u16string& keyPath) {
    UniqueHkey key;
    return RegOpenKeyExW(root, wide(keyPath), 0, KEY_READ, key.put()) == ERROR_SUCCESS;
}

// The other architecture's build may still be registered for the same
// class: then the programmatic identifier, which both share, stays.
bool registeredInOtherView(HKEY hive, const std::u16string& clsidKey) {
    const REGSAM other = sizeof(void*) == 8 ? KEY_WOW64_32KEY : KEY_WOW64_64KEY;
    UniqueHkey key;
    const std::u16string path = u"Software\\Classes\\" + clsidKey + u"\\InprocServer32";
    return RegOpenKeyExW(hive, wide(path), 0, KEY_READ | other, key.put()) == ERROR_SUCCESS;
}

// Whether a class key names this module as its server. Some systems keep
// one per-user view for both architectures, where the other build's
// registration may have replaced this one's: that one stays.
bool servedHere(HKEY root, const std::u16string& clsidKey) {
    wchar_t server[MAX_PATH * 2] = {};
    DWORD size = sizeof(server) - sizeof(wchar_t);
    if (RegGetValueW(root, wide(clsidKey + u"\\InprocServer32"), nullptr, RRF_RT_REG_SZ, nullptr, server, &size) !=
        ERROR_SUCCESS)
        return true;
    return lstrcmpiW(server, wide(module::path())) == 0;
}

struct LibraryAttributes {
    GUID libid;
    WORD major;
    WORD minor;
    LCID lcid;
    SYSKIND syskind;
    WORD flags;
};

bool libraryAttributes(LibraryAttributes& out) {
    ComPtr<ITypeLib> library = module::typeLibrary();
    if (!library) return false;
    TLIBATTR* attr = nullptr;
    if (FAILED(library->GetLibAttr(&attr))) return false;
    out = {attr->guid, attr->wMajorVerNum, attr->wMinorVerNum, attr->lcid, attr->syskind, attr->wLibFlags};
    library->ReleaseTLibAttr(attr);
    return true;
}

// The per-user type library keys, as the automation runtime writes them.
struct TypeLibraryKeys {
    std::u16string library;   // TypeLib\{libid}
    std::u16string version;   // ...\major.minor
    std::u16string locale;    // ...\lcid
    std::u16string platform;  // ...\win32 or win64
};

TypeLibraryKeys typeLibraryKeys(const LibraryAttributes& attr) {
    TypeLibraryKeys keys;
    keys.library = u"TypeLib\\" + guidText(attr.libid);
    keys.version = keys.library + u"\\" + decimal(attr.major) + u"." + decimal(attr.minor);
    keys.locale = keys.version + u"\\" + hexadecimal(attr.lcid);
    keys.platform = keys.locale + (attr.syskind == SYS_WIN64 ? u"\\win64" : u"\\win32");
    return keys;
}

// The automation interfaces of the library, with the marshaller each is registered with.
struct InterfaceEntry {
    std::u16string iid;
    std::u16string name;
    const char16_t* marshaller;
};

std::vector<InterfaceEntry> automationInterfaces() {
    std::vector<InterfaceEntry> entries;
    ComPtr<ITypeLib> library = module::typeLibrary();
    if (!library) return entries;
    for (UINT i = 0, count = library->GetTypeInfoCount(); i < count; ++i) {
        ComPtr<ITypeInfo> info;
        TYPEATTR* attr = nullptr;
        if (FAILED(library->GetTypeInfo(i, info.put())) || FAILED(info->GetTypeAttr(&attr))) continue;
        const bool dispatch = attr->typekind == TKIND_DISPATCH;
        const bool automation = (attr->wTypeFlags & (TYPEFLAG_FDUAL | TYPEFLAG_FOLEAUTOMATION)) != 0;
        if (dispatch || (attr->typekind == TKIND_INTERFACE && automation)) {
            Bstr name;
            info->GetDocumentation(MEMBERID_NIL, name.put(), nullptr, nullptr, nullptr);
            entries.push_back({guidText(attr->guid), name.str(), automation ? kTypeLibraryMarshaller
                                                                             : kDispatchMarshaller});
        }
        info->ReleaseTypeAttr(attr);
    }
    return entries;
}

std::u16string folderOf(const std::u16string& path) {
    const size_t slash = path.find_last_of(u'\\');
    return slash == std::u16string::npos ? std::u16string() : path.substr(0, slash);
}

HRESULT registerTypeLibraryForUser(HKEY root, const LibraryAttributes& attr, const std::u16string& modulePath) {
    ComPtr<ITypeLib> library = module::typeLibrary();
    Bstr name, help;
    library->GetDocumentation(MEMBERID_NIL, name.put(), help.put(), nullptr, nullptr);
    const TypeLibraryKeys keys = typeLibraryKeys(attr);
    const std::u16string libid = guidText(attr.libid);
    const std::u16string version = decimal(attr.major) + u"." + decimal(attr.minor);
    HRESULT hr = allOf({setValue(root, keys.version, nullptr, help.empty() ? name.str() : help.str()),
                        setValue(root, keys.version + u"\\FLAGS", nullptr, decimal(attr.flags)),
                        setValue(root, keys.version + u"\\HELPDIR", nullptr, folderOf(modulePath)),
                        setValue(root, keys.platform, nullptr, modulePath)});
    for (const InterfaceEntry& entry : automationInterfaces()) {
        const std::u16string key = u"Interface\\" + entry.iid;
        const HRESULT written = allOf({setValue(root, key, nullptr, entry.name),
                                       setValue(root, key + u"\\ProxyStubClsid", nullptr, entry.marshaller),
                                       setValue(root, key + u"\\ProxyStubClsid32", nullptr, entry.marshaller),
                                       setValue(root, key + u"\\TypeLib", nullptr, libid),
                                       setValue(root, key + u"\\TypeLib", u"Version", version)});
        if (FAILED(written)) hr = written;
    }
    return hr;
}

// Removes this architecture's entry and whatever it leaves empty; the
// interface keys go with the last registration of the library's version.
void unregisterTypeLibraryForUser(HKEY root, const LibraryAttributes& attr) {
    const TypeLibraryKeys keys = typeLibraryKeys(attr);
    if (!hasSubkey(root, keys.platform)) return;
    deleteTree(root, keys.platform);
    deleteIfEmpty(root, keys.locale);
    UniqueHkey version;
    DWORD subkeys = 0;
    if (RegOpenKeyExW(root, wide(keys.version), 0, KEY_READ, version.put()) == ERROR_SUCCESS)
        RegQueryInfoKeyW(version.get(), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, nullptr, nullptr,
                         nullptr, nullptr, nullptr);
    version.reset();
    // FLAGS and HELPDIR remain while another locale or platform is registered.
    if (subkeys > 2) return;
    deleteTree(root, keys.version);
    deleteIfEmpty(root, keys.library);
    for (const InterfaceEntry& entry : automationInterfaces()) deleteTree(root, u"Interface\\" + entry.iid);
}

}  // namespace

bool installScope(const wchar_t* commandLine, RegistrationScope& scope) {
    std::u16string word;
    for (const wchar_t* c = commandLine; c && *c; ++c)
        if (*c != L' ' && *c != L'\t') word += static_cast<char16_t>(*c >= L'A' && *c <= L'Z' ? *c + 32 : *c);
    if (word.empty()) scope = RegistrationScope::Machine;
    else if (word == u"user") scope = RegistrationScope::User;
    else return false;
    return true;
}

std::u16string progId(const ClassEntry& entry) {
    return std::u16string(thisLibrary().name) + u"." + entry.name;
}

HRESULT registerServer(RegistrationScope scope) {
    ComPtr<ITypeLib> library = module::typeLibrary();
    LibraryAttributes attr{};
    const Root root = openRoot(scope, true);
    if (!library || !libraryAttributes(attr) || !root.key) return SELFREG_E_TYPELIB;
    const std::u16string modulePath = module::path();
    HRESULT hr = S_OK;
    if (scope == RegistrationScope::Machine) {
        hr = RegisterTypeLib(library.get(), const_cast<LPOLESTR>(wide(modulePath)), nullptr);
        if (FAILED(hr)) return SELFREG_E_TYPELIB;
    } else if (FAILED(hr = registerTypeLibraryForUser(root.key.get(), attr, modulePath))) {
        unregisterServer(scope);
        return SELFREG_E_TYPELIB;
    }

    const std::u16string libid = guidText(attr.libid);
    const std::u16string version = decimal(attr.major) + u"." + decimal(attr.minor);
    const Library& lib = thisLibrary();
    const HKEY classes = root.key.get();
    for (size_t i = 0; i < lib.classCount && SUCCEEDED(hr); ++i) {
        const ClassEntry& entry = lib.classes[i];
        const std::u16string clsidKey = u"CLSID\\" + guidText(*entry.clsid);
        const std::u16string id = progId(entry);
        const HRESULT written = allOf({setValue(classes, clsidKey, nullptr, id),
                                       setValue(classes, clsidKey + u"\\InprocServer32", nullptr, modulePath),
                                       setValue(classes, clsidKey + u"\\InprocServer32", u"ThreadingModel",
                                                u"Apartment"),
                                       setValue(classes, clsidKey + u"\\ProgID", nullptr, id),
                                       setValue(classes, clsidKey + u"\\TypeLib", nullptr, libid),
                                       setValue(classes, clsidKey + u"\\VERSION", nullptr, version),
                                       setValue(classes, id, nullptr, id),
                                       setValue(classes, id + u"\\CLSID", nullptr, guidText(*entry.clsid))});
        if (FAILED(written)) hr = written;
    }
    if (FAILED(hr)) {
        unregisterServer(scope);
        return SELFREG_E_CLASS;
    }
    return S_OK;
}

HRESULT unregisterServer(RegistrationScope scope) {
    const Root root = openRoot(scope, false);
    if (!root.key) return S_OK;
    const Library& lib = thisLibrary();
    for (size_t i = 0; i < lib.classCount; ++i) {
        const ClassEntry& entry = lib.classes[i];
        const std::u16string clsidKey = u"CLSID\\" + guidText(*entry.clsid);
        if (scope == RegistrationScope::User && !servedHere(root.key.get(), clsidKey)) continue;
        deleteTree(root.key.get(), clsidKey);
        if (!registeredInOtherView(root.hive, clsidKey)) deleteTree(root.key.get(), progId(entry));
    }
    LibraryAttributes attr{};
    if (!libraryAttributes(attr)) return S_OK;
    if (scope == RegistrationScope::Machine) {
        UnRegisterTypeLib(attr.libid, attr.major, attr.minor, attr.lcid, attr.syskind);
    } else {
        unregisterTypeLibraryForUser(root.key.get(), attr);
        // The per-user folders registering may have made, when nothing else is in them.
        for (const char16_t* folder : {u"CLSID", u"Interface", u"TypeLib"}) deleteIfEmpty(root.key.get(), folder);
    }
    return S_OK;
}

}  // namespace frame
