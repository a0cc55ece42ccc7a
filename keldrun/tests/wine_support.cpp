#include "keldrun/tests/wine_support.h"

#include <filesystem>
#include <fstream>

namespace keldrun::testing {

std::u16string nativeSystemFolder() {
    wchar_t windows[MAX_PATH] = {};
    GetWindowsDirectoryW(windows, MAX_PATH);
    BOOL wow64 = FALSE;
    IsWow64Process(GetCurrentProcess(), &wow64);
    return std::u16string(reinterpret_cast<const char16_t*>(windows)) + (wow64 ? u"\\Sysnative" : u"\\system32");
}

std::u16string tempFolder() {
    wchar_t buffer[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, buffer);
    std::u16string folder = reinterpret_cast<const char16_t*>(buffer);
    folder += sizeof(void*) == 8 ? u"keldrun64" : u"keldrun32";
    CreateDirectoryW(frame::wide(folder), nullptr);
    return folder;
}

std::vector<unsigned char> fileBytes(const std::u16string& path) {
    std::ifstream in(std::filesystem::path(frame::wide(path)), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeBytes(const std::u16string& path, const std::string& bytes) {
    std::ofstream out(std::filesystem::path(frame::wide(path)), std::ios::binary | std::ios::trunc);
    out << bytes;
}

}  // namespace keldrun::testing
