#include "common/testing/harness.h"

#include <atomic>
#include <cstdint>
#include <optional>

#include "common/screen.h"

namespace frame::testing {
namespace {

thread_local MessageBoxCapture* t_capture = nullptr;

std::u16string windowText(HWND window) {
    const int length = GetWindowTextLengthW(window);
    std::u16string text(static_cast<size_t>(length) + 1, u'\0');
    GetWindowTextW(window, reinterpret_cast<wchar_t*>(text.data()), length + 1);
    text.resize(static_cast<size_t>(length));
    return text;
}

BOOL CALLBACK readChild(HWND child, LPARAM lParam) {
    auto* box = reinterpret_cast<CapturedBox*>(lParam);
    wchar_t className[32] = {};
    GetClassNameW(child, className, 32);
    const LONG style = GetWindowLongW(child, GWL_STYLE);
    if (lstrcmpiW(className, L"Button") == 0) {
        box->buttons.push_back(GetDlgCtrlID(child));
    } else if (lstrcmpiW(className, L"Static") == 0) {
        if ((style & SS_TYPEMASK) == SS_ICON) {
            box->hasIcon = SendMessageW(child, STM_GETICON, 0, 0) != 0;
        } else if (GetDlgCtrlID(child) == 0xFFFF || box->text.empty()) {
            box->text = windowText(child);
        }
    }
    return TRUE;
}

class HostObject final : public IDispatch {
public:
    HostObject(std::vector<HostProperty> properties, std::optional<Variant> defaultValue)
        : properties_(std::move(properties)), default_(std::move(defaultValue)) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        *out = iid == IID_IUnknown || iid == IID_IDispatch ? static_cast<IDispatch*>(this) : nullptr;
        if (!*out) return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = --references_;
        if (left == 0) delete this;
        return left;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
        HRESULT hr = S_OK;
        for (UINT k = 0; k < count; ++k) {
            ids[k] = DISPID_UNKNOWN;
            for (size_t p = 0; p < properties_.size(); ++p)
                if (lstrcmpiW(names[k], wide(properties_[p].name)) == 0) ids[k] = static_cast<DISPID>(p + 1);
            if (ids[k] == DISPID_UNKNOWN) hr = DISP_E_UNKNOWNNAME;
        }
        return hr;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS*, VARIANT* result,
                                     EXCEPINFO*, UINT*) override {
        const Variant* value = nullptr;
        if (id == DISPID_VALUE && default_) value = &*default_;
        if (id >= 1 && static_cast<size_t>(id) <= properties_.size()) value = &properties_[id - 1].value;
        if (!value || !(flags & (DISPATCH_PROPERTYGET | DISPATCH_METHOD))) return DISP_E_MEMBERNOTFOUND;
        return result ? VariantCopy(result, const_cast<VARIANT*>(&value->get())) : S_OK;
    }

private:
    std::atomic<ULONG> references_{1};
    std::vector<HostProperty> properties_;
    std::optional<Variant> default_;
};

}  // namespace

ComPtr<IDispatch> makeHostObject(std::vector<HostProperty> properties) {
    return ComPtr<IDispatch>::attach(new HostObject(std::move(properties), std::nullopt));
}

ComPtr<IDispatch> makeHostObject(std::vector<HostProperty> properties, Variant defaultValue) {
    return ComPtr<IDispatch>::attach(new HostObject(std::move(properties), std::move(defaultValue)));
}

MessageBoxCapture::MessageBoxCapture() : previous_(t_capture) {
    t_capture = this;
    hook_.reset(SetWindowsHookExW(WH_CBT, &MessageBoxCapture::hook, nullptr, GetCurrentThreadId()));
}

size_t MessageBoxCapture::boxesSoFar() { return t_capture ? t_capture->boxes_.size() : 0; }

MessageBoxCapture::~MessageBoxCapture() {
    hook_.reset();
    t_capture = previous_;
}

LRESULT CALLBACK MessageBoxCapture::hook(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_ACTIVATE && t_capture) {
        HWND window = reinterpret_cast<HWND>(wParam);
        wchar_t className[16] = {};
        GetClassNameW(window, className, 16);
        if (lstrcmpW(className, L"#32770") == 0 && GetDlgItem(window, 0xFFFF)) {
            CapturedBox box;
            box.caption = windowText(window);
            EnumChildWindows(window, readChild, reinterpret_cast<LPARAM>(&box));
            box.text = windowText(GetDlgItem(window, 0xFFFF));
            const int first = box.buttons.empty() ? IDOK : box.buttons.front();
            t_capture->boxes_.push_back(std::move(box));
            PostMessageW(window, WM_COMMAND, MAKEWPARAM(first, BN_CLICKED), 0);
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

void pumpMessages(DWORD milliseconds) {
    const DWORD start = GetTickCount();
    do {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        if (milliseconds) MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    } while (GetTickCount() - start < milliseconds);
}

bool pumpUntil(const std::function<bool()>& condition, DWORD milliseconds) {
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < milliseconds) {
        if (condition()) return true;
        pumpMessages(5);
    }
    return condition();
}

COLORREF screenPixel(int x, int y) {
    WindowDc screen(nullptr);
    return GetPixel(screen.get(), x, y);
}

std::vector<COLORREF> screenArea(const RECT& area) {
    std::vector<COLORREF> pixels;
    for (std::uint32_t p : captureScreen(area)) pixels.push_back(RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF));
    return pixels;
}

void registerPlainWindowClass(const char* name, COLORREF background) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hbrBackground = CreateSolidBrush(background);  // the class's for the program's life
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.lpszClassName = name;
    RegisterClassA(&wc);
}

std::string narrow(const std::u16string& text) {
    std::string out;
    for (char16_t c : text) out.push_back(c < 128 ? static_cast<char>(c) : '?');
    return out;
}

}  // namespace frame::testing
