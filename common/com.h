#pragma once
// RAII owners for COM references, automation strings and variants.
#include <windows.h>
#include <oleauto.h>

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace frame {

// Windows' wide characters are 16-bit, so UTF-16 text is shared without copying.
inline const wchar_t* wide(const std::u16string& text) { return reinterpret_cast<const wchar_t*>(text.c_str()); }
inline const wchar_t* wide(const char16_t* text) { return reinterpret_cast<const wchar_t*>(text); }
inline std::u16string_view u16(const wchar_t* text, size_t length) {
    return {reinterpret_cast<const char16_t*>(text), length};
}

template <class T>
class ComPtr {
public:
    ComPtr() = default;
    ComPtr(T* p) : p_(p) { if (p_) p_->AddRef(); }
    ComPtr(const ComPtr& other) : ComPtr(other.p_) {}
    ComPtr(ComPtr&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
    ComPtr& operator=(ComPtr other) noexcept { std::swap(p_, other.p_); return *this; }
    ~ComPtr() { reset(); }

    // Takes over a reference the caller already owns.
    static ComPtr attach(T* p) { ComPtr c; c.p_ = p; return c; }

    void reset() { if (T* old = std::exchange(p_, nullptr)) old->Release(); }
    T* get() const { return p_; }
    T* operator->() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }
    T** put() { reset(); return &p_; }
    void** putVoid() { return reinterpret_cast<void**>(put()); }
    // Hands the reference to an out parameter.
    T* detach() { return std::exchange(p_, nullptr); }

    template <class U>
    ComPtr<U> as() const {
        ComPtr<U> other;
        if (p_) p_->QueryInterface(__uuidof(U), other.putVoid());
        return other;
    }

private:
    T* p_ = nullptr;
};

class Bstr {
public:
    Bstr() = default;
    Bstr(std::u16string_view text)
        : s_(SysAllocStringLen(reinterpret_cast<const OLECHAR*>(text.data()), static_cast<UINT>(text.size()))) {
        if (!s_ && !text.empty()) throw std::bad_alloc();
    }
    Bstr(const char16_t* text) : Bstr(std::u16string_view(text)) {}
    Bstr(const std::u16string& text) : Bstr(std::u16string_view(text)) {}
    Bstr(const Bstr& other) : Bstr(other.view()) {}
    Bstr(Bstr&& other) noexcept : s_(std::exchange(other.s_, nullptr)) {}
    Bstr& operator=(Bstr other) noexcept { std::swap(s_, other.s_); return *this; }
    ~Bstr() { SysFreeString(s_); }

    static Bstr attach(BSTR s) { Bstr b; b.s_ = s; return b; }
    // A copy of a string the caller keeps.
    static Bstr copy(BSTR s) { return Bstr(view(s)); }
    static std::u16string_view view(BSTR s) {
        return s ? std::u16string_view(reinterpret_cast<const char16_t*>(s), SysStringLen(s)) : std::u16string_view();
    }

    BSTR get() const { return s_; }
    BSTR* put() { SysFreeString(std::exchange(s_, nullptr)); return &s_; }
    BSTR detach() { return std::exchange(s_, nullptr); }
    std::u16string_view view() const { return view(s_); }
    std::u16string str() const { return std::u16string(view()); }
    size_t size() const { return s_ ? SysStringLen(s_) : 0; }
    bool empty() const { return size() == 0; }

private:
    BSTR s_ = nullptr;
};

class Variant {
public:
    Variant() { VariantInit(&v_); }
    Variant(const Variant& other) : Variant() { check(VariantCopy(&v_, const_cast<VARIANT*>(&other.v_))); }
    Variant(Variant&& other) noexcept : v_(other.v_) { VariantInit(&other.v_); }
    Variant& operator=(Variant other) noexcept { std::swap(v_, other.v_); return *this; }
    ~Variant() { VariantClear(&v_); }

    explicit Variant(const VARIANT& other) : Variant() { check(VariantCopy(&v_, const_cast<VARIANT*>(&other))); }
    Variant(int32_t value) : Variant() { V_VT(&v_) = VT_I4; V_I4(&v_) = value; }
    Variant(Bstr text) : Variant() { V_VT(&v_) = VT_BSTR; V_BSTR(&v_) = text.detach(); }
    Variant(std::u16string_view text) : Variant(Bstr(text)) {}
    Variant(const std::u16string& text) : Variant(Bstr(text)) {}
    Variant(const char16_t* text) : Variant(Bstr(text)) {}
    static Variant boolean(bool value) {
        Variant v; V_VT(&v.v_) = VT_BOOL; V_BOOL(&v.v_) = value ? VARIANT_TRUE : VARIANT_FALSE; return v;
    }
    static Variant object(IDispatch* object) {
        Variant v; V_VT(&v.v_) = VT_DISPATCH; V_DISPATCH(&v.v_) = object; if (object) object->AddRef(); return v;
    }
    // A missing optional argument.
    static Variant missing() { Variant v; V_VT(&v.v_) = VT_ERROR; V_ERROR(&v.v_) = DISP_E_PARAMNOTFOUND; return v; }

    const VARIANT& get() const { return v_; }
    VARIANT& raw() { return v_; }
    VARIANT* put() { VariantClear(&v_); return &v_; }
    VARIANT detach() { VARIANT out = v_; VariantInit(&v_); return out; }
    VARTYPE type() const { return V_VT(&v_); }

private:
    static void check(HRESULT hr);
    VARIANT v_;
};

// A safe array, destroyed unless handed on with detach().
class SafeArray {
public:
    SafeArray() = default;
    SafeArray(SafeArray&& other) noexcept : a_(std::exchange(other.a_, nullptr)) {}
    SafeArray& operator=(SafeArray other) noexcept { std::swap(a_, other.a_); return *this; }
    SafeArray(const SafeArray&) = delete;
    ~SafeArray() { if (a_) SafeArrayDestroy(a_); }

    static SafeArray attach(SAFEARRAY* a) { SafeArray s; s.a_ = a; return s; }
    // One dimension, lower bound 0, a String per item.
    static SafeArray ofStrings(const std::vector<std::u16string>& items);

    SAFEARRAY* get() const { return a_; }
    SAFEARRAY** put() { *this = SafeArray(); return &a_; }
    SAFEARRAY* detach() { return std::exchange(a_, nullptr); }

private:
    SAFEARRAY* a_ = nullptr;
};

// Kernel, registry and GDI handles owned with traits chosen per kind.
template <class Traits>
class UniqueHandle {
public:
    using type = typename Traits::type;
    UniqueHandle() = default;
    explicit UniqueHandle(type h) : h_(h) {}
    UniqueHandle(UniqueHandle&& other) noexcept : h_(std::exchange(other.h_, Traits::invalid())) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        reset(std::exchange(other.h_, Traits::invalid()));
        return *this;
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    ~UniqueHandle() { reset(); }

    void reset(type h = Traits::invalid()) {
        if (h_ != Traits::invalid()) Traits::close(h_);
        h_ = h;
    }
    type get() const { return h_; }
    type* put() { reset(); return &h_; }
    type release() { return std::exchange(h_, Traits::invalid()); }
    explicit operator bool() const { return h_ != Traits::invalid(); }

private:
    type h_ = Traits::invalid();
};

template <class H, auto Close>
struct NullHandleTraits {
    using type = H;
    static type invalid() { return nullptr; }
    static void close(type h) { Close(h); }
};

// A handle whose invalid value is INVALID_HANDLE_VALUE (files, find handles).
template <auto Close>
struct InvalidValueHandleTraits {
    using type = HANDLE;
    static type invalid() { return INVALID_HANDLE_VALUE; }
    static void close(type h) { Close(h); }
};

using UniqueKernelHandle = UniqueHandle<NullHandleTraits<HANDLE, CloseHandle>>;
using UniqueFileHandle = UniqueHandle<InvalidValueHandleTraits<CloseHandle>>;
using UniqueFindHandle = UniqueHandle<InvalidValueHandleTraits<FindClose>>;
using UniqueHkey = UniqueHandle<NullHandleTraits<HKEY, RegCloseKey>>;
using UniqueGlobal = UniqueHandle<NullHandleTraits<HGLOBAL, GlobalFree>>;
using UniqueModule = UniqueHandle<NullHandleTraits<HMODULE, FreeLibrary>>;
using UniqueWindow = UniqueHandle<NullHandleTraits<HWND, DestroyWindow>>;
using UniqueIcon = UniqueHandle<NullHandleTraits<HICON, DestroyIcon>>;
using UniqueHookHandle = UniqueHandle<NullHandleTraits<HHOOK, UnhookWindowsHookEx>>;
using UniqueGdiObject = UniqueHandle<NullHandleTraits<HGDIOBJ, DeleteObject>>;
using UniqueRegion = UniqueHandle<NullHandleTraits<HRGN, DeleteObject>>;
using UniqueBitmap = UniqueHandle<NullHandleTraits<HBITMAP, DeleteObject>>;
using UniqueBrush = UniqueHandle<NullHandleTraits<HBRUSH, DeleteObject>>;
using UniquePen = UniqueHandle<NullHandleTraits<HPEN, DeleteObject>>;
using UniqueDc = UniqueHandle<NullHandleTraits<HDC, DeleteDC>>;

// A device context from GetDC, given back to its window.
class WindowDc {
public:
    explicit WindowDc(HWND window) : window_(window), dc_(GetDC(window)) {}
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    ~WindowDc() { if (dc_) ReleaseDC(window_, dc_); }
    HDC get() const { return dc_; }

private:
    HWND window_;
    HDC dc_;
};

// Selects an object into a device context and selects the previous one back.
class SelectedObject {
public:
    SelectedObject(HDC dc, HGDIOBJ object) : dc_(dc), previous_(SelectObject(dc, object)) {}
    SelectedObject(const SelectedObject&) = delete;
    SelectedObject& operator=(const SelectedObject&) = delete;
    ~SelectedObject() { if (previous_) SelectObject(dc_, previous_); }

private:
    HDC dc_;
    HGDIOBJ previous_;
};

}  // namespace frame
