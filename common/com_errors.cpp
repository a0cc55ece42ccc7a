// Errors of calls into other automation objects, shared by servers and clients.
#include <windows.h>
#include <oleauto.h>

#include <new>

#include "common/frame.h"

namespace frame {

int messageBox(const std::u16string& text, const std::u16string& caption, UINT style) {
    return MessageBoxW(GetActiveWindow(), wide(text), wide(caption), style);
}

[[noreturn]] void raiseFromHresult(HRESULT hr) {
    const int32_t number = errorFromHresult(hr);
    std::u16string description;
    std::u16string source;
    ComPtr<IErrorInfo> info;
    if (GetErrorInfo(0, info.put()) == S_OK && info) {
        Bstr text;
        if (SUCCEEDED(info->GetDescription(text.put()))) description = text.str();
        Bstr from;
        if (SUCCEEDED(info->GetSource(from.put()))) source = from.str();
    }
    if (description.empty()) description = standardDescription(number);
    if (description.empty()) description = standardDescription(errAutomation);
    throw RuntimeError(number, description, source);
}

RuntimeError currentError() {
    try {
        throw;
    } catch (const RuntimeError& error) {
        return error;
    } catch (const std::bad_alloc&) {
        return RuntimeError(errOutOfMemory);
    } catch (...) {
        return RuntimeError(51);  // internal error
    }
}

SafeArray SafeArray::ofStrings(const std::vector<std::u16string>& items) {
    SafeArray array = attach(SafeArrayCreateVector(VT_BSTR, 0, static_cast<ULONG>(items.size())));
    if (!array.a_) throw std::bad_alloc();
    BSTR* data = nullptr;
    check(SafeArrayAccessData(array.a_, reinterpret_cast<void**>(&data)));
    bool complete = true;
    for (size_t k = 0; k < items.size() && complete; ++k) {
        data[k] = SysAllocStringLen(reinterpret_cast<const OLECHAR*>(items[k].data()), static_cast<UINT>(items[k].size()));
        complete = data[k] != nullptr;
    }
    SafeArrayUnaccessData(array.a_);
    if (!complete) throw std::bad_alloc();
    return array;
}

void Variant::check(HRESULT hr) {
    if (FAILED(hr)) raiseFromHresult(hr);
}

}  // namespace frame
