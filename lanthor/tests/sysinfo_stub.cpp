// Stands in for the system-information tool in StartSysInfo's tests: leaves
// "<its own path>.started" holding how it was asked to show its window.
#include <windows.h>

#include <string>

int main() {
    wchar_t own[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, own, MAX_PATH);
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    GetStartupInfoW(&startup);
    const std::string shown = std::to_string((startup.dwFlags & STARTF_USESHOWWINDOW) ? startup.wShowWindow : -1);
    HANDLE marker = CreateFileW((std::wstring(own) + L".started").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (marker == INVALID_HANDLE_VALUE) return 1;
    DWORD written = 0;
    WriteFile(marker, shown.data(), static_cast<DWORD>(shown.size()), &written, nullptr);
    CloseHandle(marker);
    return 0;
}
