// The four in-process server entry points and the class factory.
#include <windows.h>
#include <oleauto.h>

#include <iterator>
#include <memory>

#include "common/frame.h"
#include "common/registration.h"

namespace frame {
namespace {

// One factory per class, living as long as the module; its references count
// as server locks so the DLL stays loaded while a client holds one.
class ClassFactory final : public IClassFactory {
public:
    explicit ClassFactory(const ClassEntry& entry) : entry_(entry) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (!object) return E_POINTER;
        if (iid == __uuidof(IUnknown) || iid == __uuidof(IClassFactory)) {
            *object = static_cast<IClassFactory*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { module::lock(); return 2; }
    ULONG STDMETHODCALLTYPE Release() override { module::unlock(); return 1; }
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** object) override {
        if (!object) return E_POINTER;
        *object = nullptr;
        if (outer) return CLASS_E_NOAGGREGATION;
        return entry_.create(iid, object);
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override {
        if (lock) module::lock();
        else module::unlock();
        return S_OK;
    }

private:
    const ClassEntry& entry_;
};

}  // namespace
}  // namespace frame

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        frame::module::setInstance(instance);
        DisableThreadLibraryCalls(instance);
    }
    return TRUE;
}

extern "C" HRESULT WINAPI DllGetClassObject(REFCLSID clsid, REFIID iid, void** object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    const frame::Library& library = frame::thisLibrary();
    for (size_t i = 0; i < library.classCount; ++i) {
        const frame::ClassEntry& entry = library.classes[i];
        if (*entry.clsid != clsid) continue;
        // Factories are made on first request and kept for the module's life.
        static std::unique_ptr<frame::ClassFactory> factories[32];
        if (i >= std::size(factories)) return E_UNEXPECTED;
        if (!factories[i]) factories[i] = std::make_unique<frame::ClassFactory>(entry);
        return factories[i]->QueryInterface(iid, object);
    }
    return CLASS_E_CLASSNOTAVAILABLE;
}

extern "C" HRESULT WINAPI DllCanUnloadNow() { return frame::module::canUnload() ? S_OK : S_FALSE; }

extern "C" HRESULT WINAPI DllRegisterServer() { return frame::registerServer(); }

extern "C" HRESULT WINAPI DllUnregisterServer() { return frame::unregisterServer(); }

// regsvr32 /n /i:user registers for the current user alone, /u /n /i:user
// removes that registration; /i alone (empty command line) is machine-wide.
extern "C" HRESULT WINAPI DllInstall(BOOL install, LPCWSTR commandLine) {
    frame::RegistrationScope scope;
    if (!frame::installScope(commandLine, scope)) return E_INVALIDARG;
    return install ? frame::registerServer(scope) : frame::unregisterServer(scope);
}
