#pragma once
#include <cstdint>

#include "common/frame.h"
#include "keldrun/files/shell_launch.h"
#include "keldrun_h.h"

namespace keldrun {

class CShellExecute final : public frame::Object<CShellExecute, _CShellExecute, ::CShellExecute> {
public:
    static constexpr const char16_t* kName = u"CShellExecute";

    HRESULT STDMETHODCALLTYPE get_StillExecuting(VARIANT_BOOL* result) override;
    HRESULT STDMETHODCALLTYPE Explore(long* lnghWnd, BSTR* strFolder, EnumShellExecuteShowStyles* eShowStyle,
                                      EnumShellExecuteErrors* result) override;
    HRESULT STDMETHODCALLTYPE LaunchDocument(long* lnghWnd, BSTR* strDocument, BSTR* strStartIn,
                                             EnumShellExecuteShowStyles* eShowStyle,
                                             EnumShellExecuteErrors* result) override;
    HRESULT STDMETHODCALLTYPE LaunchEmail(long* lnghWnd, BSTR* strAddress, EnumShellExecuteShowStyles* eShowStyle,
                                          EnumShellExecuteErrors* result) override;
    HRESULT STDMETHODCALLTYPE LaunchFolder(long* lnghWnd, BSTR* strFolder, EnumShellExecuteShowStyles* eShowStyle,
                                           EnumShellExecuteErrors* result) override;
    HRESULT STDMETHODCALLTYPE LaunchProgram(long* lnghWnd, BSTR* strProgram, BSTR* strParameters, BSTR* strStartIn,
                                            EnumShellExecuteShowStyles* eShowStyle,
                                            EnumShellExecuteErrors* result) override;
    HRESULT STDMETHODCALLTYPE LaunchURL(long* lnghWnd, BSTR* strURL, EnumShellExecuteShowStyles* eShowStyle,
                                        EnumShellExecuteErrors* result) override;
    HRESULT STDMETHODCALLTYPE PrintDocument(long* lnghWnd, BSTR* strDocument, EnumShellExecuteErrors* result) override;

private:
    HRESULT simpleLaunch(const char16_t* name, const SimpleLaunch& how, long* window, BSTR* target,
                         EnumShellExecuteShowStyles* showStyle, EnumShellExecuteErrors* result);
    EnumShellExecuteErrors processLaunch(long* window, BSTR* file, const std::u16string& parameters, BSTR* startIn,
                                         EnumShellExecuteShowStyles* showStyle);

    intptr_t launchResult_ = 0;          // the shell's instance result of the latest process launch
    frame::UniqueKernelHandle process_;  // the process it started, if the shell gave one
};

}  // namespace keldrun
