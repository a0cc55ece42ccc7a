#include "lanthor/utilities/get_windows_information.h"

#include <cstring>

#include "common/text.h"
#include "lanthor/utilities/system_texts.h"

namespace lanthor {
namespace {

const frame::DllFunction<decltype(::GetVersionExA)> GetVersionExA{"kernel32", "GetVersionExA"};
const frame::DllFunction<decltype(::GetUserNameA)> GetUserNameA{"advapi32", "GetUserNameA"};
const frame::DllFunction<decltype(::RegOpenKeyExA)> RegOpenKeyExA{"advapi32", "RegOpenKeyExA"};
const frame::DllFunction<decltype(::RegQueryValueExA)> RegQueryValueExA{"advapi32", "RegQueryValueExA"};
const frame::DllFunction<decltype(::GetWindow)> GetWindow{"user32", "GetWindow"};
const frame::DllFunction<decltype(::ShowWindow)> ShowWindow{"user32", "ShowWindow"};

// Read control and the six specific key rights: a key the caller may not
// change is not opened.
constexpr REGSAM kKeyAccess = 0x2003F;
constexpr DWORD kValueBufferBytes = 1024;
constexpr long kLocalMachine = static_cast<long>(0x80000002);

// 32-bit handle values from a client, widened as the system widens them.
HWND windowOf(long value) { return reinterpret_cast<HWND>(static_cast<LONG_PTR>(value)); }
HKEY keyOf(long value) { return reinterpret_cast<HKEY>(static_cast<LONG_PTR>(value)); }

void showOwner(long window, int command) {
    if (HWND owner = GetWindow(windowOf(window), GW_OWNER)) ShowWindow(owner, command);
}

bool fileExists(const std::u16string& path) {
    const DWORD attributes = GetFileAttributesW(frame::wide(path));
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Starts a program in a normal window with the focus. The path is quoted, so
// that one with spaces cannot start another program named by its first words.
void startProgram(const std::u16string& path) {
    std::u16string commandLine = !path.empty() && path.front() == u'"' ? path : u"\"" + path + u"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION started{};
    if (path.empty() || !CreateProcessW(nullptr, reinterpret_cast<wchar_t*>(commandLine.data()), nullptr, nullptr,
                                        FALSE, 0, nullptr, nullptr, &startup, &started))
        frame::raise(frame::errFileNotFound);
    frame::UniqueKernelHandle process(started.hProcess), thread(started.hThread);
}

// StartSysInfo's one report for every failure.
void sysInfoUnavailable(const frame::RuntimeError&) {
    frame::messageBox(u"System Information Is Unavailable At This Time", frame::thisLibrary().name, MB_OK);
}

}  // namespace

HRESULT GetWindowsInformation::getwinOS(BSTR* result) {
    return member(u"getwinOS", Caller, result, [] {
        OSVERSIONINFOA version{};
        version.dwOSVersionInfoSize = sizeof(version);
        std::memset(version.szCSDVersion, ' ', sizeof(version.szCSDVersion));
        GetVersionExA(&version);
        return frame::Bstr(windowsName(version.dwPlatformId, version.dwMajorVersion, version.dwMinorVersion));
    });
}

HRESULT GetWindowsInformation::UserName(BSTR* result) {
    return member(u"UserName", Caller, result, [] {
        char buffer[255];
        std::memset(buffer, ' ', sizeof(buffer));
        DWORD size = sizeof(buffer);
        if (!GetUserNameA(buffer, &size)) return frame::Bstr();
        return frame::Bstr(frame::fromAnsiBuffer(buffer, sizeof(buffer)));
    });
}

HRESULT GetWindowsInformation::GetKeyValue(long* KeyRoot, BSTR* KeyName, BSTR* SubKeyRef, BSTR* KeyVal,
                                           VARIANT_BOOL* result) {
    if (!KeyRoot) return E_POINTER;
    return member(u"GetKeyValue", Caller, result, [&] {
        frame::UniqueHkey key;
        if (RegOpenKeyExA(keyOf(*KeyRoot), frame::toAnsi(frame::textOf(KeyName)).c_str(), 0, kKeyAccess,
                          key.put()) != ERROR_SUCCESS) {
            frame::assignText(KeyVal, u"");
            return false;
        }
        std::string buffer(kValueBufferBytes, '\0');
        DWORD type = 0;
        DWORD size = kValueBufferBytes;
        if (RegQueryValueExA(key.get(), frame::toAnsi(frame::textOf(SubKeyRef)).c_str(), nullptr, &type,
                             reinterpret_cast<BYTE*>(buffer.data()), &size) != ERROR_SUCCESS) {
            frame::assignText(KeyVal, u"");
            return false;
        }
        const std::string_view data = trimmedData(buffer, size);
        if (type == REG_SZ) frame::assignText(KeyVal, frame::fromAnsi(data));
        else if (type == REG_DWORD) frame::assignText(KeyVal, numberValueText(buffer, size));
        return true;
    });
}

std::optional<std::u16string> GetWindowsInformation::machineValue(const char16_t* key, const char16_t* value) {
    long root = kLocalMachine;
    frame::Bstr keyName(key), valueName(value), text;
    BSTR keyRaw = keyName.get(), valueRaw = valueName.get();
    VARIANT_BOOL found = VARIANT_FALSE;
    frame::check(self()->GetKeyValue(&root, &keyRaw, &valueRaw, text.put(), &found));
    if (found == VARIANT_FALSE) return std::nullopt;
    return text.str();
}

HRESULT GetWindowsInformation::StartSysInfo() {
    return member(u"StartSysInfo", sysInfoUnavailable, [&] {
        std::u16string program;
        if (auto path = machineValue(u"SOFTWARE\\Microsoft\\Shared Tools\\MSINFO", u"PATH")) {
            program = *path;
        } else if (auto folder = machineValue(u"SOFTWARE\\Microsoft\\Shared Tools Location", u"MSINFO")) {
            if (fileExists(*folder + u"\\MSINFO32.EXE")) program = *folder + u"\\MSINFO32.EXE";
        }
        // Without a program (or with an empty path) the start fails into the one report.
        startProgram(program);
    });
}

HRESULT GetWindowsInformation::HideApp(long mainFrmHwnd) {
    return member(u"HideApp", Caller, [&] { showOwner(mainFrmHwnd, SW_HIDE); });
}

HRESULT GetWindowsInformation::ShowApp(long mainFrmHwnd) {
    return member(u"ShowApp", Caller, [&] { showOwner(mainFrmHwnd, SW_SHOW); });
}

}  // namespace lanthor
