// Class registration: the type library through the automation runtime, and
// for each class its class identifier with this DLL as in-process server
// (apartment model) and its programmatic identifier <library>.<class>.
// Unregistering removes exactly those keys.
#include <windows.h>
#include <oleauto.h>
#include <olectl.h>

#include <string>

#include "common/frame.h"
#include "common/registration.h"

namespace frame {
namespace {

std::u16string guidText(REFGUID guid) {
    wchar_t buffer[40] = {};
    StringFromGUID2(guid, buffer, 40);
    return std::u16string(reinterpret_cast<const char16_t*>(buffer));
}

HRESULT setValue(const std::u16string& keyPath, const char16_t* name, const std::u16string& value) {
    UniqueHkey key;
    LONG status = RegCreateKeyExW(HKEY_CLASSES_ROOT, wide(keyPath), 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                                  key.put(), nullptr);
    if (status != ERROR_SUCCESS) return HRESULT_FROM_WIN32(status);
    status = RegSetValueExW(key.get(), name ? wide(name) : nullptr, 0, REG_SZ,
                            reinterpret_cast<const BYTE*>(value.c_str()),
                            static_cast<DWORD>((value.size() + 1) * sizeof(char16_t)));
    return HRESULT_FROM_WIN32(status);
}

void deleteTree(HKEY root, const std::u16string& keyPath, REGSAM view = 0) {
    UniqueHkey key;
    if (RegOpenKeyExW(root, nullptr, 0, KEY_ALL_ACCESS | view, key.put()) != ERROR_SUCCESS) return;
    RegDeleteTreeW(key.get(), wide(keyPath));
    RegDeleteKeyExW(key.get(), wide(keyPath), view, 0);
}

// The other architecture's build may still be registered for the same
// class: then the programmatic identifier, which both share, stays.
bool registeredInOtherView(const std::u16string& clsidKey) {
    const REGSAM other = sizeof(void*) == 8 ? KEY_WOW64_32KEY : KEY_WOW64_64KEY;
    UniqueHkey key;
    const std::u16string path = u"Software\\Classes\\" + clsidKey + u"\\InprocServer32";
    return RegOpenKeyExW(HKEY_LOCAL_MACHINE, wide(path), 0, KEY_READ | other, key.put()) == ERROR_SUCCESS;
}

struct LibraryAttributes {
    GUID libid;
    WORD major;
    WORD minor;
    LCID lcid;
    SYSKIND syskind;
};

bool libraryAttributes(LibraryAttributes& out) {
    ComPtr<ITypeLib> library = module::typeLibrary();
    if (!library) return false;
    TLIBATTR* attr = nullptr;
    if (FAILED(library->GetLibAttr(&attr))) return false;
    out = {attr->guid, attr->wMajorVerNum, attr->wMinorVerNum, attr->lcid, attr->syskind};
    library->ReleaseTLibAttr(attr);
    return true;
}

}  // namespace

std::u16string progId(const ClassEntry& entry) {
    return std::u16string(thisLibrary().name) + u"." + entry.name;
}

HRESULT registerServer() {
    ComPtr<ITypeLib> library = module::typeLibrary();
    LibraryAttributes attr{};
    if (!library || !libraryAttributes(attr)) return SELFREG_E_TYPELIB;
    const std::u16string modulePath = module::path();
    HRESULT hr = RegisterTypeLib(library.get(), const_cast<LPOLESTR>(wide(modulePath)), nullptr);
    if (FAILED(hr)) return SELFREG_E_TYPELIB;

    const std::u16string libid = guidText(attr.libid);
    const std::u16string version = decimal(attr.major) + u"." + decimal(attr.minor);
    const Library& lib = thisLibrary();
    for (size_t i = 0; i < lib.classCount && SUCCEEDED(hr); ++i) {
        const ClassEntry& entry = lib.classes[i];
        const std::u16string clsidKey = u"CLSID\\" + guidText(*entry.clsid);
        const std::u16string id = progId(entry);
        for (HRESULT step : {setValue(clsidKey, nullptr, id),
                             setValue(clsidKey + u"\\InprocServer32", nullptr, modulePath),
                             setValue(clsidKey + u"\\InprocServer32", u"ThreadingModel", u"Apartment"),
                             setValue(clsidKey + u"\\ProgID", nullptr, id),
                             setValue(clsidKey + u"\\TypeLib", nullptr, libid),
                             setValue(clsidKey + u"\\VERSION", nullptr, version),
                             setValue(id, nullptr, id),
                             setValue(id + u"\\CLSID", nullptr, guidText(*entry.clsid))}) {
            if (FAILED(step)) hr = step;
        }
    }
    if (FAILED(hr)) {
        unregisterServer();
        return SELFREG_E_CLASS;
    }
    return S_OK;
}

HRESULT unregisterServer() {
    const Library& lib = thisLibrary();
    for (size_t i = 0; i < lib.classCount; ++i) {
        const ClassEntry& entry = lib.classes[i];
        const std::u16string clsidKey = u"CLSID\\" + guidText(*entry.clsid);
        deleteTree(HKEY_CLASSES_ROOT, clsidKey);
        if (!registeredInOtherView(clsidKey)) deleteTree(HKEY_CLASSES_ROOT, progId(entry));
    }
    LibraryAttributes attr{};
    if (libraryAttributes(attr)) UnRegisterTypeLib(attr.libid, attr.major, attr.minor, attr.lcid, attr.syskind);
    return S_OK;
}

}  // namespace frame
