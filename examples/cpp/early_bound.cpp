// An early-bound C++ client of Sondrel, Lanthor and Keldrun: objects created
// by class identifier and called through the interfaces of the headers that
// come with the libraries (<library>_h.h and <library>_i.c in x86\ or x64\).
// Register the libraries first (register.cmd), then build and run, e.g.
//   cl /EHsc /I..\..\x64 early_bound.cpp ..\..\x64\sondrel_i.c ..\..\x64\lanthor_i.c ..\..\x64\keldrun_i.c
//      ole32.lib oleaut32.lib
//   x86_64-w64-mingw32-g++ -I../../x64 early_bound.cpp ../../x64/*_i.c -lole32 -loleaut32
#include <windows.h>

#include <cstdio>
#include <string>

#include "keldrun_h.h"
#include "lanthor_h.h"
#include "sondrel_h.h"

namespace {

// An interface pointer, released when it goes out of scope.
template <class T>
class Ref {
public:
    Ref() = default;
    Ref(const Ref&) = delete;
    Ref& operator=(const Ref&) = delete;
    ~Ref() {
        if (p_) p_->Release();
    }
    void** put() { return reinterpret_cast<void**>(&p_); }
    T* operator->() const { return p_; }

private:
    T* p_ = nullptr;
};

// An automation string, freed when it goes out of scope.
class Text {
public:
    explicit Text(const wchar_t* text = nullptr) : s_(text ? SysAllocString(text) : nullptr) {}
    Text(const Text&) = delete;
    Text& operator=(const Text&) = delete;
    ~Text() { SysFreeString(s_); }
    BSTR* put() {
        SysFreeString(s_);
        s_ = nullptr;
        return &s_;
    }
    BSTR* ref() { return &s_; }  // for [in, out] parameters
    const wchar_t* c_str() const { return s_ ? s_ : L""; }
    UINT length() const { return SysStringLen(s_); }

private:
    BSTR s_;
};

// Each call's result, reported when it fails.
bool ok(HRESULT hr, const char* what) {
    if (FAILED(hr)) std::printf("%s failed: 0x%08lX\n", what, static_cast<unsigned long>(hr));
    return SUCCEEDED(hr);
}

template <class T>
bool create(REFCLSID clsid, REFIID iid, Ref<T>& object, const char* name) {
    return ok(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, iid, object.put()), name);
}

bool sondrel() {
    Ref<_CMemoryStatus> memory;
    Ref<_CComputerInfo> computer;
    long load = 0, processors = 0, pageSize = 0;
    if (!create(CLSID_CMemoryStatus, IID__CMemoryStatus, memory, "Sondrel.CMemoryStatus") ||
        !create(CLSID_CComputerInfo, IID__CComputerInfo, computer, "Sondrel.CComputerInfo") ||
        !ok(memory->get_MemoryLoad(&load), "MemoryLoad") ||
        !ok(computer->get_NumberOfProcessors(&processors), "NumberOfProcessors") ||
        !ok(computer->get_PageSize(&pageSize), "PageSize"))
        return false;
    std::printf("Sondrel: memory in use %ld%%, %ld processor(s), page size %ld\n", load, processors, pageSize);
    return true;
}

bool keldrun() {
    Ref<_cSimpleCrypt> crypt;
    Ref<_FileSysObject> files;
    Text plain(L"Meet me at noon"), back;
    VARIANT scrambled;
    VariantInit(&scrambled);
    if (!create(CLSID_cSimpleCrypt, IID__cSimpleCrypt, crypt, "Keldrun.cSimpleCrypt") ||
        !ok(crypt->Encode(plain.ref(), &scrambled), "Encode") || V_VT(&scrambled) != VT_BSTR ||
        !ok(crypt->DeCode(&V_BSTR(&scrambled), back.put()), "DeCode")) {
        VariantClear(&scrambled);
        return false;
    }
    std::printf("Keldrun: \"%ls\" scrambled to %u characters and back to \"%ls\"\n", plain.c_str(),
                SysStringLen(V_BSTR(&scrambled)), back.c_str());
    VariantClear(&scrambled);

    // GetFiles gives an array of names: the programs in the Windows folder.
    wchar_t windows[MAX_PATH] = {};
    GetWindowsDirectoryW(windows, MAX_PATH);
    Text pattern((std::wstring(windows) + L"\\*.exe").c_str());
    FilesAttributes any = static_cast<FilesAttributes>(0);
    SAFEARRAY* names = nullptr;
    if (!create(CLSID_FileSysObject, IID__FileSysObject, files, "Keldrun.FileSysObject") ||
        !ok(files->GetFiles(pattern.ref(), &any, &names), "GetFiles"))
        return false;
    // Index 0 is left empty; the names are at 1 to the upper bound.
    LONG last = 0, index = 1;
    SafeArrayGetUBound(names, 1, &last);
    BSTR name = nullptr;
    if (last >= 1) SafeArrayGetElement(names, &index, &name);
    std::printf("Keldrun: %ld programs in %ls, the first %ls\n", last, windows, name ? name : L"");
    SysFreeString(name);
    SafeArrayDestroy(names);
    return true;
}

bool lanthor() {
    Ref<_CToolTip> tip;
    Text title(L"Lanthor"), text(L"Shown over the control you attach it to"), readBack;
    ttStyleEnum style = TTStandard;
    if (!create(CLSID_CToolTip, IID__CToolTip, tip, "Lanthor.CToolTip") || !ok(tip->put_Style(TTBalloon), "Style") ||
        !ok(tip->put_Title(*title.ref()), "Title") || !ok(tip->put_TipText(*text.ref()), "TipText") ||
        !ok(tip->get_Style(&style), "Style") || !ok(tip->get_Title(readBack.put()), "Title"))
        return false;
    // A host attaches it to one of its windows with tip->Create(HandleToLong(window), &created).
    std::printf("Lanthor: a %s tooltip titled \"%ls\"\n", style == TTBalloon ? "balloon" : "standard",
                readBack.c_str());
    return true;
}

}  // namespace

int main() {
    if (FAILED(CoInitialize(nullptr))) return 1;
    bool all = sondrel();
    all = keldrun() && all;
    all = lanthor() && all;
    CoUninitialize();
    return all ? 0 : 1;
}
