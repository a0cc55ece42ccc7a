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
//
// Key paths are built in a fixed buffer rather than in strings: every path
// here is short and of a known shape, and registration runs once, so the
// code stays small (it is in every DLL) and allocates only the module path.
#include <windows.h>
#include <oleauto.h>
#include <olectl.h>

#include <new>
#include <string>
#include <string_view>

#include "common/frame.h"
#include "common/registration.h"

namespace frame {
namespace {

// Marshallers of automation interfaces: through the type library, and the
// dispatch-only one for plain dispinterfaces.
constexpr const wchar_t* kTypeLibraryMarshaller = L"{00020424-0000-0000-C000-000000000046}";
constexpr const wchar_t* kDispatchMarshaller = L"{00020420-0000-0000-C000-000000000046}";

// A registry key path or a short value. A text that would not fit marks the
// path overlong, and every write through it fails rather than writing a cut name.
class Path {
public:
    Path() = default;
    explicit Path(const wchar_t* text) { add(text); }
    Path& add(const wchar_t* text) {
        while (text && *text) put(*text++);
        return *this;
    }
    Path& add(const char16_t* text) { return add(wide(text)); }
    Path& add(REFGUID guid) {
        wchar_t text[40] = {};
        StringFromGUID2(guid, text, 40);
        return add(text);
    }
    Path& number(uint32_t value, uint32_t base = 10) {
        wchar_t digits[12];
        int count = 0;
        do digits[count++] = L"0123456789abcdef"[value % base];
        while ((value /= base) != 0);
        while (count) put(digits[--count]);
        return *this;
    }
    Path plus(const wchar_t* text) const { return Path(*this).add(text); }
    bool fits() const { return !overlong_; }
    const wchar_t* get() const { return text_; }

private:
    void put(wchar_t c) {
        if (length_ + 1 < kCapacity) {
            text_[length_++] = c;
            text_[length_] = 0;
        } else {
            overlong_ = true;
        }
    }
    static constexpr size_t kCapacity = 160;
    wchar_t text_[kCapacity] = {};
    size_t length_ = 0;
    bool overlong_ = false;
};

Path classKey(const ClassEntry& entry) { return Path(L"CLSID\\").add(*entry.clsid); }
Path progIdOf(const ClassEntry& entry) { return Path().add(thisLibrary().name).add(L".").add(entry.name); }

// The classes root of a scope, and the hive whose Software\Classes it is.
// Unregistering opens the root without creating it.
struct Root {
    UniqueHkey key;
    HKEY hive;
};

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

// One value to write: key, value name (null for the default) and text.
struct Write {
    Path key;
    const wchar_t* name;
    const wchar_t* value;
};

HRESULT setValue(HKEY root, const Write& write) {
    if (!write.key.fits()) return HRESULT_FROM_WIN32(ERROR_FILENAME_EXCED_RANGE);
    UniqueHkey key;
    LONG status =
        RegCreateKeyExW(root, write.key.get(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, key.put(), nullptr);
    if (status != ERROR_SUCCESS) return HRESULT_FROM_WIN32(status);
    status = RegSetValueExW(key.get(), write.name, 0, REG_SZ, reinterpret_cast<const BYTE*>(write.value),
                            static_cast<DWORD>((lstrlenW(write.value) + 1) * sizeof(wchar_t)));
    return HRESULT_FROM_WIN32(status);
}

// Every write is made; the result is a failing one's, if any.
template <size_t N>
HRESULT setValues(HKEY root, const Write (&writes)[N]) {
    HRESULT hr = S_OK;
    for (const Write& write : writes)
        if (const HRESULT step = setValue(root, write); FAILED(step)) hr = step;
    return hr;
}

void deleteTree(HKEY root, const Path& path) {
    if (!path.fits()) return;
    RegDeleteTreeW(root, path.get());
    RegDeleteKeyW(root, path.get());
}

DWORD subkeyCount(HKEY root, const Path& path, DWORD* values = nullptr) {
    UniqueHkey key;
    DWORD subkeys = 0;
    if (path.fits() && RegOpenKeyExW(root, path.get(), 0, KEY_READ, key.put()) == ERROR_SUCCESS)
        RegQueryInfoKeyW(key.get(), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, values, nullptr,
                         nullptr, nullptr, nullptr);
    return subkeys;
}

// A key with neither subkeys nor values goes; any other stays.
void deleteIfEmpty(HKEY root, const Path& path) {
    DWORD values = 1;
    if (subkeyCount(root, path, &values) == 0 && values == 0) RegDeleteKeyW(root, path.get());
}

bool hasKey(HKEY root, const Path& path, REGSAM view = 0) {
    UniqueHkey key;
    return path.fits() && RegOpenKeyExW(root, path.get(), 0, KEY_READ | view, key.put()) == ERROR_SUCCESS;
}

// The other architecture's build may still be registered for the same
// class: then the programmatic identifier, which both share, stays.
bool registeredInOtherView(HKEY hive, const ClassEntry& entry) {
    const REGSAM other = sizeof(void*) == 8 ? KEY_WOW64_32KEY : KEY_WOW64_64KEY;
    return hasKey(hive, Path(L"Software\\Classes\\").add(classKey(entry).get()).add(L"\\InprocServer32"), other);
}

// Whether a class key names this module as its server. Some systems keep
// one per-user view for both architectures, where the other build's
// registration may have replaced this one's: that one stays.
bool servedHere(HKEY root, const ClassEntry& entry, const wchar_t* modulePath) {
    wchar_t server[MAX_PATH * 2] = {};
    DWORD size = sizeof(server) - sizeof(wchar_t);
    if (RegGetValueW(root, classKey(entry).add(L"\\InprocServer32").get(), nullptr, RRF_RT_REG_SZ, nullptr, server,
                     &size) != ERROR_SUCCESS)
        return true;
    return lstrcmpiW(server, modulePath) == 0;
}

struct LibraryAttributes {
    GUID libid;
    WORD major;
    WORD minor;
    LCID lcid;
    SYSKIND syskind;
    WORD flags;
};

bool libraryAttributes(ITypeLib* library, LibraryAttributes& out) {
    TLIBATTR* attr = nullptr;
    if (!library || FAILED(library->GetLibAttr(&attr))) return false;
    out = {attr->guid, attr->wMajorVerNum, attr->wMinorVerNum, attr->lcid, attr->syskind, attr->wLibFlags};
    library->ReleaseTLibAttr(attr);
    return true;
}

// The per-user type library keys, as the automation runtime writes them:
// TypeLib\{libid}, ...\major.minor, ...\lcid, ...\win32 or win64.
struct TypeLibraryKeys {
    Path library, version, locale, platform;
    Path versionText;  // major.minor
    Path libid;
};

TypeLibraryKeys typeLibraryKeys(const LibraryAttributes& attr) {
    TypeLibraryKeys keys;
    keys.libid.add(attr.libid);
    keys.versionText.number(attr.major).add(L".").number(attr.minor);
    keys.library.add(L"TypeLib\\").add(keys.libid.get());
    keys.version = keys.library.plus(L"\\").add(keys.versionText.get());
    keys.locale = keys.version.plus(L"\\").number(attr.lcid, 16);
    keys.platform = keys.locale.plus(attr.syskind == SYS_WIN64 ? L"\\win64" : L"\\win32");
    return keys;
}

// Calls visit(interface key, name, marshaller) for each automation interface of the library.
template <class Visit>
void forEachAutomationInterface(ITypeLib* library, Visit&& visit) {
    for (UINT i = 0, count = library->GetTypeInfoCount(); i < count; ++i) {
        ComPtr<ITypeInfo> info;
        TYPEATTR* attr = nullptr;
        if (FAILED(library->GetTypeInfo(i, info.put())) || FAILED(info->GetTypeAttr(&attr))) continue;
        const bool dispatch = attr->typekind == TKIND_DISPATCH;
        const bool automation = (attr->wTypeFlags & (TYPEFLAG_FDUAL | TYPEFLAG_FOLEAUTOMATION)) != 0;
        const bool dual = attr->typekind == TKIND_INTERFACE && automation;
        const Path key = Path(L"Interface\\").add(attr->guid);
        info->ReleaseTypeAttr(attr);
        if (dispatch || dual) {
            Bstr name;
            info->GetDocumentation(MEMBERID_NIL, name.put(), nullptr, nullptr, nullptr);
            visit(key, name.get() ? name.get() : L"", automation ? kTypeLibraryMarshaller : kDispatchMarshaller);
        }
    }
}

HRESULT registerTypeLibraryForUser(HKEY root, ITypeLib* library, const LibraryAttributes& attr,
                                   const wchar_t* modulePath) {
    Bstr name, help;
    library->GetDocumentation(MEMBERID_NIL, name.put(), help.put(), nullptr, nullptr);
    const TypeLibraryKeys keys = typeLibraryKeys(attr);
    // The help folder is the module's.
    const std::wstring_view path(modulePath);
    const size_t slash = path.find_last_of(L'\\');
    const std::wstring folder(path.substr(0, slash == path.npos ? 0 : slash));
    const Path flags = Path().number(attr.flags);
    const BSTR description = help.empty() ? name.get() : help.get();
    HRESULT hr = setValues(root, {Write{keys.version, nullptr, description ? description : L""},
                                  Write{keys.version.plus(L"\\FLAGS"), nullptr, flags.get()},
                                  Write{keys.version.plus(L"\\HELPDIR"), nullptr, folder.c_str()},
                                  Write{keys.platform, nullptr, modulePath}});
    forEachAutomationInterface(library, [&](const Path& key, const wchar_t* interfaceName, const wchar_t* marshaller) {
        const HRESULT written = setValues(root, {Write{key, nullptr, interfaceName},
                                                 Write{key.plus(L"\\ProxyStubClsid"), nullptr, marshaller},
                                                 Write{key.plus(L"\\ProxyStubClsid32"), nullptr, marshaller},
                                                 Write{key.plus(L"\\TypeLib"), nullptr, keys.libid.get()},
                                                 Write{key.plus(L"\\TypeLib"), L"Version", keys.versionText.get()}});
        if (FAILED(written)) hr = written;
    });
    return hr;
}

// Removes this architecture's entry and whatever it leaves empty; the
// interface keys go with the last registration of the library's version.
void unregisterTypeLibraryForUser(HKEY root, ITypeLib* library, const LibraryAttributes& attr) {
    const TypeLibraryKeys keys = typeLibraryKeys(attr);
    if (!hasKey(root, keys.platform)) return;
    deleteTree(root, keys.platform);
    deleteIfEmpty(root, keys.locale);
    // FLAGS and HELPDIR remain while another locale or platform is registered.
    if (subkeyCount(root, keys.version) > 2) return;
    deleteTree(root, keys.version);
    deleteIfEmpty(root, keys.library);
    forEachAutomationInterface(library, [&](const Path& key, const wchar_t*, const wchar_t*) { deleteTree(root, key); });
}

HRESULT registerClasses(RegistrationScope scope) {
    ComPtr<ITypeLib> library = module::typeLibrary();
    LibraryAttributes attr{};
    const Root root = openRoot(scope, true);
    if (!libraryAttributes(library.get(), attr) || !root.key) return SELFREG_E_TYPELIB;
    const std::u16string modulePath = module::path();
    if (scope == RegistrationScope::Machine) {
        if (FAILED(RegisterTypeLib(library.get(), const_cast<LPOLESTR>(wide(modulePath)), nullptr)))
            return SELFREG_E_TYPELIB;
    } else if (FAILED(registerTypeLibraryForUser(root.key.get(), library.get(), attr, wide(modulePath)))) {
        unregisterServer(scope);
        return SELFREG_E_TYPELIB;
    }

    const TypeLibraryKeys keys = typeLibraryKeys(attr);
    const Library& lib = thisLibrary();
    HRESULT hr = S_OK;
    for (size_t i = 0; i < lib.classCount && SUCCEEDED(hr); ++i) {
        const ClassEntry& entry = lib.classes[i];
        const Path clsidKey = classKey(entry);
        const Path clsid = Path().add(*entry.clsid);
        const Path id = progIdOf(entry);
        hr = setValues(root.key.get(), {Write{clsidKey, nullptr, id.get()},
                                        Write{clsidKey.plus(L"\\InprocServer32"), nullptr, wide(modulePath)},
                                        Write{clsidKey.plus(L"\\InprocServer32"), L"ThreadingModel", L"Apartment"},
                                        Write{clsidKey.plus(L"\\ProgID"), nullptr, id.get()},
                                        Write{clsidKey.plus(L"\\TypeLib"), nullptr, keys.libid.get()},
                                        Write{clsidKey.plus(L"\\VERSION"), nullptr, keys.versionText.get()},
                                        Write{id, nullptr, id.get()},
                                        Write{id.plus(L"\\CLSID"), nullptr, clsid.get()}});
    }
    if (FAILED(hr)) {
        unregisterServer(scope);
        return SELFREG_E_CLASS;
    }
    return S_OK;
}

HRESULT unregisterClasses(RegistrationScope scope) {
    const Root root = openRoot(scope, false);
    if (!root.key) return S_OK;
    const std::u16string modulePath = module::path();
    const Library& lib = thisLibrary();
    for (size_t i = 0; i < lib.classCount; ++i) {
        const ClassEntry& entry = lib.classes[i];
        if (scope == RegistrationScope::User && !servedHere(root.key.get(), entry, wide(modulePath))) continue;
        deleteTree(root.key.get(), classKey(entry));
        if (!registeredInOtherView(root.hive, entry)) deleteTree(root.key.get(), progIdOf(entry));
    }
    ComPtr<ITypeLib> library = module::typeLibrary();
    LibraryAttributes attr{};
    if (!libraryAttributes(library.get(), attr)) return S_OK;
    if (scope == RegistrationScope::Machine) {
        UnRegisterTypeLib(attr.libid, attr.major, attr.minor, attr.lcid, attr.syskind);
    } else {
        unregisterTypeLibraryForUser(root.key.get(), library.get(), attr);
        // The per-user folders registering may have made, when nothing else is in them.
        for (const wchar_t* folder : {L"CLSID", L"Interface", L"TypeLib"}) deleteIfEmpty(root.key.get(), Path(folder));
    }
    return S_OK;
}

}  // namespace

bool installScope(const wchar_t* commandLine, RegistrationScope& scope) {
    Path word;
    for (const wchar_t* c = commandLine; c && *c; ++c)
        if (*c != L' ' && *c != L'\t') {
            const wchar_t lower[2] = {static_cast<wchar_t>(*c >= L'A' && *c <= L'Z' ? *c + 32 : *c), 0};
            word.add(lower);
        }
    if (!word.fits()) return false;
    if (!*word.get()) scope = RegistrationScope::Machine;
    else if (lstrcmpW(word.get(), L"user") == 0) scope = RegistrationScope::User;
    else return false;
    return true;
}

// Registration runs from regsvr32 and installers: nothing may escape into them.
HRESULT registerServer(RegistrationScope scope) {
    try {
        return registerClasses(scope);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

HRESULT unregisterServer(RegistrationScope scope) {
    try {
        return unregisterClasses(scope);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

}  // namespace frame
