#include <windows.h>
#include <oleauto.h>

#include <new>

#include "common/frame.h"

namespace frame {

bool showUsualReport(const RuntimeError& error, const char16_t* caption, const char16_t* opening) {
    // Buttons value 0: one OK button, no icon, modal to the application.
    return messageBox(usualReportText(error.number(), error.description(), opening), caption, MB_OK) != 0;
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
