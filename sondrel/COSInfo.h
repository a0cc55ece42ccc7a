#pragma once
// The operating system, the machine and the user: names, folders, registry
// information, version, display and a few settings, asked afresh on every call.
#include <windows.h>
#include <objbase.h>

#include <string>

#include "common/frame.h"
#include "common/text.h"
#include "sondrel/os_info_core.h"
#include "sondrel/system_values.h"
#include "sondrel_h.h"

namespace sondrel {

// The operating-system functions COSInfo calls, bound by name at first use.
namespace os {
using frame::DllFunction;
inline const DllFunction<decltype(::GetComputerNameA)> GetComputerNameA{"kernel32", "GetComputerNameA"};
inline const DllFunction<decltype(::SetComputerNameA)> SetComputerNameA{"kernel32", "SetComputerNameA"};
inline const DllFunction<decltype(::GetUserNameA)> GetUserNameA{"advapi32", "GetUserNameA"};
inline const DllFunction<decltype(::GetSystemDirectoryA)> GetSystemDirectoryA{"kernel32", "GetSystemDirectoryA"};
inline const DllFunction<decltype(::GetWindowsDirectoryA)> GetWindowsDirectoryA{"kernel32", "GetWindowsDirectoryA"};
inline const DllFunction<decltype(::GetTempPathA)> GetTempPathA{"kernel32", "GetTempPathA"};
inline const DllFunction<decltype(::GetTempFileNameA)> GetTempFileNameA{"kernel32", "GetTempFileNameA"};
inline const DllFunction<decltype(::GetLocaleInfoA)> GetLocaleInfoA{"kernel32", "GetLocaleInfoA"};
inline const DllFunction<decltype(::GetUserDefaultLCID)> GetUserDefaultLCID{"kernel32", "GetUserDefaultLCID"};
inline const DllFunction<decltype(::GetCurrentHwProfileA)> GetCurrentHwProfileA{"advapi32", "GetCurrentHwProfileA"};
inline const DllFunction<decltype(::GetVersionExA)> GetVersionExA{"kernel32", "GetVersionExA"};
inline const DllFunction<decltype(::GetDeviceCaps)> GetDeviceCaps{"gdi32", "GetDeviceCaps"};
inline const DllFunction<decltype(::CoCreateGuid)> CoCreateGuid{"ole32", "CoCreateGuid"};
}  // namespace os

class COSInfo final : public frame::Object<COSInfo, _COSInfo, ::COSInfo> {
public:
    static constexpr const char16_t* kName = u"COSInfo";

    // Settings: get action, set action (with the broadcast alone, never saved to the profile).
    FRAME_GET_LET(Beep, bool, parameter(SPI_GETBEEP), setParameter(SPI_SETBEEP, value))
    FRAME_GET_LET(ScreenSaverActive, bool, parameter(SPI_GETSCREENSAVEACTIVE),
                  setParameter(SPI_SETSCREENSAVEACTIVE, value))
    FRAME_GET_LET(ScreenSaverTimeout, long, parameter(SPI_GETSCREENSAVETIMEOUT),
                  setParameter(SPI_SETSCREENSAVETIMEOUT, value))

    // Text buffers: member, buffer (characters, fill), call.
    FRAME_GET(ComputerName, BSTR, filledBy(100, '\0', [](char* b, DWORD n) { os::GetComputerNameA(b, &n); }))
    FRAME_GET(UserName, BSTR, filledBy(100, '\0', [](char* b, DWORD n) { os::GetUserNameA(b, &n); }))
    FRAME_GET(SystemDirectory, BSTR, filledBy(260, '\0', [](char* b, DWORD n) { os::GetSystemDirectoryA(b, n); }))
    FRAME_GET(WindowsDirectory, BSTR, filledBy(260, '\0', [](char* b, DWORD n) { os::GetWindowsDirectoryA(b, n); }))
    FRAME_GET(TempPath, BSTR, filledBy(255, ' ', [](char* b, DWORD n) { os::GetTempPathA(n, b); }))
    FRAME_GET(Language, BSTR, filledBy(100, ' ', [](char* b, DWORD n) {
        os::GetLocaleInfoA(os::GetUserDefaultLCID(), LOCALE_SENGLANGUAGE, b, static_cast<int>(n));
    }))

    FRAME_LET(ComputerName, BSTR, setComputerName(frame::Bstr::view(value)))
    FRAME_GET(CurrentHardwareProfile, BSTR, hardwareProfileName())
    FRAME_GET(DefaultCompanyName, BSTR, userInfo(u"DefCompany"))
    FRAME_GET(DefaultUserName, BSTR, userInfo(u"DefName"))
    FRAME_GET(GUID, BSTR, newGuidText())

    // The version record, one field each.
    FRAME_GET(OSMajorVersion, long, frame::asLong(version().dwMajorVersion))
    FRAME_GET(OSMinorVersion, long, frame::asLong(version().dwMinorVersion))
    FRAME_GET(OSBuild, long, osBuild(version().dwBuildNumber))
    FRAME_GET(OSAdditional, BSTR, TrimNulls(frame::fromAnsi({version().szCSDVersion, 128})))
    FRAME_GET(WindowsType, EnumWindowsType, frame::asLong(version().dwPlatformId))

    // The screen's device capabilities.
    FRAME_GET(DisplayColors, long, onScreen([](HDC dc) {
        return displayColors(os::GetDeviceCaps(dc, BITSPIXEL), os::GetDeviceCaps(dc, PLANES));
    }))
    FRAME_GET(LargeFonts, bool, onScreen([](HDC dc) { return os::GetDeviceCaps(dc, LOGPIXELSX); }) == 120)

    HRESULT STDMETHODCALLTYPE get_TempFile(BSTR* strPrefix, BSTR* result) override;
    HRESULT STDMETHODCALLTYPE GetWorkArea(short* intLeft, short* intTop, short* intWidth,
                                          short* intHeight) override;

private:
    // The private procedures, each with the usual error report under its own name.
    static std::u16string TrimNulls(std::u16string_view text);
    static RegistryValue RegistryGetKeyValue(HKEY root, const std::u16string& keyPath,
                                             const std::u16string& valueName);

    // A buffer of `length` characters set to `fill`, filled by one call and
    // read back up to its first NUL; the call's own result is not looked at.
    template <class Call>
    static std::u16string filledBy(size_t length, char fill, Call call) {
        std::string buffer(length, fill);
        call(buffer.data(), static_cast<DWORD>(length));
        return TrimNulls(frame::fromAnsi(buffer));
    }
    // Runs `read` on the screen's device context.
    template <class Read>
    static int32_t onScreen(Read read) {
        const frame::WindowDc screen(nullptr);
        return read(screen.get());
    }
    static OSVERSIONINFOA version();
    static std::u16string userInfo(const std::u16string& valueName);
    static std::u16string hardwareProfileName();
    static std::u16string newGuidText();
    static void setComputerName(std::u16string_view name);
};

}  // namespace sondrel
