#include "keldrun/files/shell_execute.h"

#include <shellapi.h>

#include "common/text.h"

namespace keldrun {
namespace {

// Wide entry points, so that names outside the ANSI code page reach the shell intact.
const frame::DllFunction<decltype(::ShellExecuteW)> ShellExecuteW{"shell32", "ShellExecuteW"};
const frame::DllFunction<decltype(::ShellExecuteExW)> ShellExecuteExW{"shell32", "ShellExecuteExW"};
const frame::DllFunction<decltype(::GetExitCodeProcess)> GetExitCodeProcess{"kernel32", "GetExitCodeProcess"};

static_assert(sizeof(SHELLEXECUTEINFOW) == (sizeof(void*) == 8 ? 112 : 60), "the record as the shell expects it");

// The caller's window is a 32-bit handle; window handles sign-extend to 64 bits.
HWND windowOf(const long* handle) { return handle ? reinterpret_cast<HWND>(static_cast<LONG_PTR>(*handle)) : nullptr; }

// An omitted window state reaches an early-bound caller's call as a null pointer.
int32_t showStyleOf(const EnumShellExecuteShowStyles* style) { return style ? *style : kShowDefault; }

EnumShellExecuteErrors resultOf(intptr_t instance) { return static_cast<EnumShellExecuteErrors>(shellResult(instance)); }

// The length of a text once the shell has put in its environment variables.
size_t expandedLength(const std::u16string& text) {
    const DWORD needed = ExpandEnvironmentStringsW(frame::wide(text), nullptr, 0);
    return needed > 0 ? needed - 1 : text.size();
}

const wchar_t* orNull(const char16_t* text) { return text ? frame::wide(text) : nullptr; }

using frame::textOf;

// Wine names itself through an export of its ntdll.
bool wineShell() {
    static const bool wine = GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
    return wine;
}

}  // namespace

HRESULT CShellExecute::simpleLaunch(const char16_t* name, const SimpleLaunch& how, long* window, BSTR* target,
                                    EnumShellExecuteShowStyles* showStyle, EnumShellExecuteErrors* result) {
    return member(name, Report, result, [&] {
        launchResult_ = 0;
        process_.reset();
        const std::u16string file = launchFile(how, textOf(target));
        if (!shellTakes(file.size(), wineShell())) return resultOf(kFileNotFound);
        const HINSTANCE instance = ShellExecuteW(windowOf(window), orNull(how.verb), frame::wide(file), nullptr,
                                                 nullptr, launchShowStyle(how, showStyleOf(showStyle)));
        return resultOf(reinterpret_cast<intptr_t>(instance));
    });
}

EnumShellExecuteErrors CShellExecute::processLaunch(long* window, BSTR* file, const std::u16string& parameters,
                                                    BSTR* startIn, EnumShellExecuteShowStyles* showStyle) {
    launchResult_ = 0;
    process_.reset();
    const std::u16string fileText = textOf(file);
    const std::u16string folder = textOf(startIn);
    if (!shellTakes(expandedLength(fileText), wineShell())) {
        launchResult_ = kFileNotFound;
        return resultOf(launchResult_);
    }
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof(info);
    info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_DOENVSUBST;
    info.hwnd = windowOf(window);
    info.lpVerb = L"Open";
    info.lpFile = frame::wide(fileText);
    info.lpParameters = frame::wide(parameters);
    info.lpDirectory = frame::wide(folder);
    info.nShow = showStyleOf(showStyle);
    ShellExecuteExW(&info);  // the record's instance result tells the outcome
    launchResult_ = reinterpret_cast<intptr_t>(info.hInstApp);
    process_.reset(info.hProcess);
    return resultOf(launchResult_);
}

HRESULT CShellExecute::get_StillExecuting(VARIANT_BOOL* result) {
    return member(u"StillExecuting", Report, result, [&] {
        if (launchResult_ == 0) return false;
        DWORD exitCode = 0;
        return GetExitCodeProcess(process_.get(), &exitCode) && exitCode == STILL_ACTIVE;
    });
}

HRESULT CShellExecute::Explore(long* lnghWnd, BSTR* strFolder, EnumShellExecuteShowStyles* eShowStyle,
                               EnumShellExecuteErrors* result) {
    return simpleLaunch(u"Explore", kExplore, lnghWnd, strFolder, eShowStyle, result);
}

HRESULT CShellExecute::LaunchDocument(long* lnghWnd, BSTR* strDocument, BSTR* strStartIn,
                                      EnumShellExecuteShowStyles* eShowStyle, EnumShellExecuteErrors* result) {
    return member(u"LaunchDocument", Report, result,
                  [&] { return processLaunch(lnghWnd, strDocument, u"", strStartIn, eShowStyle); });
}

HRESULT CShellExecute::LaunchEmail(long* lnghWnd, BSTR* strAddress, EnumShellExecuteShowStyles* eShowStyle,
                                   EnumShellExecuteErrors* result) {
    return simpleLaunch(u"LaunchEmail", kEmail, lnghWnd, strAddress, eShowStyle, result);
}

HRESULT CShellExecute::LaunchFolder(long* lnghWnd, BSTR* strFolder, EnumShellExecuteShowStyles* eShowStyle,
                                    EnumShellExecuteErrors* result) {
    return simpleLaunch(u"LaunchFolder", kOpenFolder, lnghWnd, strFolder, eShowStyle, result);
}

HRESULT CShellExecute::LaunchProgram(long* lnghWnd, BSTR* strProgram, BSTR* strParameters, BSTR* strStartIn,
                                     EnumShellExecuteShowStyles* eShowStyle, EnumShellExecuteErrors* result) {
    return member(u"LaunchProgram", Report, result, [&] {
        return processLaunch(lnghWnd, strProgram, textOf(strParameters), strStartIn, eShowStyle);
    });
}

HRESULT CShellExecute::LaunchURL(long* lnghWnd, BSTR* strURL, EnumShellExecuteShowStyles* eShowStyle,
                                 EnumShellExecuteErrors* result) {
    return simpleLaunch(u"LaunchURL", kUrl, lnghWnd, strURL, eShowStyle, result);
}

HRESULT CShellExecute::PrintDocument(long* lnghWnd, BSTR* strDocument, EnumShellExecuteErrors* result) {
    return simpleLaunch(u"PrintDocument", kPrint, lnghWnd, strDocument, nullptr, result);
}

}  // namespace keldrun
