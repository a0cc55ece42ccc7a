#include <windows.h>

#include <atomic>

#include "common/frame.h"

namespace frame {
namespace {

HINSTANCE g_instance = nullptr;
std::atomic<long> g_objects{0};
std::atomic<long> g_locks{0};
thread_local uint32_t t_lastDllError = 0;
thread_local uint32_t t_memberErrors = 0;

}  // namespace

namespace module {

HINSTANCE instance() { return g_instance ? g_instance : GetModuleHandleW(nullptr); }
void setInstance(HINSTANCE instance) { g_instance = instance; }
void objectCreated() { ++g_objects; }
void objectDestroyed() { --g_objects; }
void lock() { ++g_locks; }
void unlock() { --g_locks; }
bool canUnload() { return g_objects == 0 && g_locks == 0; }

std::u16string path() {
    std::u16string buffer(MAX_PATH, u'\0');
    for (;;) {
        DWORD length = GetModuleFileNameW(instance(), reinterpret_cast<wchar_t*>(buffer.data()),
                                          static_cast<DWORD>(buffer.size()));
        if (length < buffer.size()) {
            buffer.resize(length);
            return buffer;
        }
        buffer.resize(buffer.size() * 2);
    }
}

ComPtr<ITypeLib> typeLibrary() {
    // Loaded once from the module's own resource; the library lives as long as the module.
    static const ComPtr<ITypeLib> library = [] {
        ComPtr<ITypeLib> loaded;
        LoadTypeLibEx(wide(path()), REGKIND_NONE, loaded.put());
        return loaded;
    }();
    return library;
}

ComPtr<ITypeInfo> typeInfo(REFGUID guid) {
    ComPtr<ITypeInfo> info;
    if (ComPtr<ITypeLib> library = typeLibrary()) library->GetTypeInfoOfGuid(guid, info.put());
    return info;
}

HRESULT classInfo(REFCLSID clsid, ITypeInfo** info) {
    if (!info) return E_POINTER;
    *info = typeInfo(clsid).detach();
    return *info ? S_OK : TYPE_E_ELEMENTNOTFOUND;
}

HRESULT classGuid(REFCLSID clsid, DWORD kind, GUID* guid) {
    if (!guid) return E_POINTER;
    *guid = GUID{};
    if (kind != GUIDKIND_DEFAULT_SOURCE_DISP_IID) return E_INVALIDARG;
    ComPtr<ITypeInfo> coclass = typeInfo(clsid);
    TYPEATTR* attr = nullptr;
    if (!coclass || FAILED(coclass->GetTypeAttr(&attr))) return E_FAIL;
    const UINT implemented = attr->cImplTypes;
    coclass->ReleaseTypeAttr(attr);
    constexpr INT defaultSource = IMPLTYPEFLAG_FDEFAULT | IMPLTYPEFLAG_FSOURCE;
    for (UINT i = 0; i < implemented; ++i) {
        INT flags = 0;
        HREFTYPE reference = 0;
        ComPtr<ITypeInfo> source;
        if (FAILED(coclass->GetImplTypeFlags(i, &flags)) || (flags & defaultSource) != defaultSource ||
            FAILED(coclass->GetRefTypeOfImplType(i, &reference)) ||
            FAILED(coclass->GetRefTypeInfo(reference, source.put())) || FAILED(source->GetTypeAttr(&attr)))
            continue;
        *guid = attr->guid;
        source->ReleaseTypeAttr(attr);
        return S_OK;
    }
    // No event set: nothing to name.
    return E_FAIL;
}

}  // namespace module

uint32_t lastDllError() { return t_lastDllError; }
void setLastDllError(uint32_t code) { t_lastDllError = code; }

uint32_t memberErrorCount() { return t_memberErrors; }
void countMemberError() { ++t_memberErrors; }

bool bindingsFailForTests() {
    static const bool fail = GetEnvironmentVariableW(L"FRAME_TEST_UNBIND", nullptr, 0) > 0;
    return fail;
}

void* resolveDllFunction(const char* moduleName, const char* entryName) {
    if (bindingsFailForTests())
        raise(errDllEntryPoint, u"Can't find DLL entry point " + ascii(entryName) + u" in " + ascii(moduleName));
    // Modules bound by name stay loaded for the life of the process, as the
    // functions taken from them are kept.
    HMODULE handle = GetModuleHandleA(moduleName);
    if (!handle) handle = LoadLibraryA(moduleName);
    if (!handle) raise(errFileNotFound, u"File not found: " + ascii(moduleName));
    void* function = reinterpret_cast<void*>(GetProcAddress(handle, entryName));
    if (!function)
        raise(errDllEntryPoint, u"Can't find DLL entry point " + ascii(entryName) + u" in " + ascii(moduleName));
    return function;
}

}  // namespace frame
