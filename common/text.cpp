#include "common/text.h"

#include <cstring>

#include "common/frame.h"

namespace frame {

std::string toAnsi(std::u16string_view text) {
    if (text.empty()) return {};
    const auto* source = reinterpret_cast<const wchar_t*>(text.data());
    const int length = static_cast<int>(text.size());
    const int needed = WideCharToMultiByte(CP_ACP, 0, source, length, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(needed), '\0');
    WideCharToMultiByte(CP_ACP, 0, source, length, out.data(), needed, nullptr, nullptr);
    return out;
}

std::u16string fromAnsi(std::string_view text) {
    if (text.empty()) return {};
    const int length = static_cast<int>(text.size());
    const int needed = MultiByteToWideChar(CP_ACP, 0, text.data(), length, nullptr, 0);
    std::u16string out(static_cast<size_t>(needed), u'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), length, reinterpret_cast<wchar_t*>(out.data()), needed);
    return out;
}

std::u16string fromAnsiBuffer(const char* buffer, size_t capacity) {
    const void* end = std::memchr(buffer, 0, capacity);
    return fromAnsi({buffer, end ? static_cast<size_t>(static_cast<const char*>(end) - buffer) : capacity});
}

std::u16string variantText(const VARIANT& value) {
    const VARIANT* v = &value;
    while (V_VT(v) == (VT_BYREF | VT_VARIANT)) v = V_VARIANTREF(v);
    const VARTYPE vt = V_VT(v) & ~VT_BYREF;
    if (vt == VT_EMPTY || vt == VT_NULL) return {};
    if (V_VT(v) & VT_ARRAY) raise(errTypeMismatch);
    Variant text;
    const HRESULT hr = VariantChangeType(text.put(), const_cast<VARIANT*>(v), VARIANT_ALPHABOOL, VT_BSTR);
    if (hr == DISP_E_TYPEMISMATCH || hr == DISP_E_MEMBERNOTFOUND || hr == DISP_E_BADVARTYPE) raise(errTypeMismatch);
    check(hr);
    return Bstr::view(V_BSTR(&text.get())).data() ? std::u16string(Bstr::view(V_BSTR(&text.get()))) : std::u16string();
}

}  // namespace frame
