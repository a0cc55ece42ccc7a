#include <windows.h>
#include <oleauto.h>

#include <new>

#include "common/frame.h"

namespace frame {

bool showUsualReport(const RuntimeError& error, const char16_t* caption, const char16_t* opening) {
    // Buttons value 0: one OK button, no icon, modal to the application.
    return messageBox(usualReportText(error.number(), error.description(), opening), caption, MB_OK) != 0;
}

HRESULT runGuarded(IUnknown* object, const char16_t* member, OnError policy, REFIID iid, const char16_t* className,
                   BodyRef body) {
    ComPtr<IUnknown> keepAlive(object);
    try {
        body();
        return S_OK;
    } catch (...) {
        countMemberError();
        return memberFailed(member, policy, iid, className);
    }
}

HRESULT memberFailed(const char16_t* member, OnError policy, REFIID iid, const char16_t* className) {
    const RuntimeError error = currentError();
    switch (policy) {
        case OnError::Report:
            if (showUsualReport(error, member)) return S_OK;
            break;
        case OnError::Silent:
            return S_OK;
        case OnError::Caller:
            break;
    }
    return errorToCaller(error, iid, className);
}

HRESULT errorToCaller(const RuntimeError& error, REFIID iid, const char16_t* className) {
    ComPtr<ICreateErrorInfo> create;
    if (SUCCEEDED(CreateErrorInfo(create.put()))) {
        std::u16string source = error.source();
        if (source.empty()) source = std::u16string(thisLibrary().name) + u"." + className;
        create->SetGUID(iid);
        create->SetSource(const_cast<LPOLESTR>(wide(source)));
        create->SetDescription(const_cast<LPOLESTR>(wide(error.description())));
        if (ComPtr<IErrorInfo> info = create.as<IErrorInfo>()) SetErrorInfo(0, info.get());
    }
    return static_cast<HRESULT>(hresultFromError(error.number()));
}

}  // namespace frame
