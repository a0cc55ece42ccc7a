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
    if (description.empty()) description = errorDescription(number);
    throw RuntimeError(number, description, source);
}

std::u16string errorDescription(int32_t number) {
    std::u16string text = standardDescription(number);
    if (!text.empty() || number >= 0) return text;
    // A failed call's HRESULT: the system's own text for it, else "Automation error".
    wchar_t* message = nullptr;
    const DWORD length = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                            FORMAT_MESSAGE_IGNORE_INSERTS,
                                        nullptr, static_cast<DWORD>(number), 0,
                                        reinterpret_cast<wchar_t*>(&message), 0, nullptr);
    if (message) {
        text.assign(reinterpret_cast<const char16_t*>(message), length);
        LocalFree(message);
        while (!text.empty() && (text.back() == u'\n' || text.back() == u'\r' || text.back() == u' ')) text.pop_back();
    }
    return text.empty() ? standardDescription(errAutomation) : text;
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
