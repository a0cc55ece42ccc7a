// The program the shell tests launch:
//   shell_child.exe <record file | -> sleep <milliseconds> | exit <code> | record [anything]
// It first writes how it was started into the record file (UTF-16 with
// byte-order mark, one line each: command line, STARTUPINFO.wShowWindow or
// "none", current folder, process id), then sleeps or ends with the code.
#include <windows.h>

#include <cstdlib>
#include <string>

namespace {

void record(const wchar_t* path) {
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    GetStartupInfoW(&startup);
    wchar_t folder[MAX_PATH * 4] = {};
    GetCurrentDirectoryW(MAX_PATH * 4, folder);
    std::wstring text = L"\xFEFF";
    text += GetCommandLineW();
    text += L"\r\n";
    text += (startup.dwFlags & STARTF_USESHOWWINDOW) ? std::to_wstring(startup.wShowWindow) : L"none";
    text += L"\r\n";
    text += folder;
    text += L"\r\n" + std::to_wstring(GetCurrentProcessId()) + L"\r\n";
    // Written aside and moved into place, so that a reader never sees half of it.
    const std::wstring part = std::wstring(path) + L".part";
    HANDLE file = CreateFileW(part.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    WriteFile(file, text.data(), static_cast<DWORD>(text.size() * sizeof(wchar_t)), &written, nullptr);
    CloseHandle(file);
    MoveFileExW(part.c_str(), path, MOVEFILE_REPLACE_EXISTING);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    const int count = __argc;
    wchar_t** args = __wargv;
    if (count < 3) return 1;
    if (std::wstring(args[1]) != L"-") record(args[1]);
    const std::wstring action = args[2];
    const unsigned long value = count > 3 ? std::wcstoul(args[3], nullptr, 10) : 0;
    if (action == L"sleep") Sleep(value);
    if (action == L"exit") ExitProcess(value);
    return 0;
}
