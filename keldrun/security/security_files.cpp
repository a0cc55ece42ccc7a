#include "keldrun/security/security_files.h"

#include <algorithm>

namespace keldrun {
namespace {

char16_t lowerAscii(char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c; }

bool sameFolder(std::u16string_view a, std::u16string_view b) {
    while (!a.empty() && (a.back() == u'\\' || a.back() == u'/')) a.remove_suffix(1);
    while (!b.empty() && (b.back() == u'\\' || b.back() == u'/')) b.remove_suffix(1);
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char16_t x, char16_t y) { return lowerAscii(x) == lowerAscii(y); });
}

std::u16string withoutTrailingSeparator(std::u16string_view folder) {
    while (!folder.empty() && folder.back() == u'\\') folder.remove_suffix(1);
    return std::u16string(folder);
}

}  // namespace

std::u16string unredirectedSystemFolder(std::u16string_view systemFolder, std::u16string_view windowsFolder,
                                        bool wow64) {
    if (!wow64 || windowsFolder.empty()) return std::u16string(systemFolder);
    const std::u16string windows = withoutTrailingSeparator(windowsFolder);
    if (!sameFolder(systemFolder, windows + u"\\system32")) return std::u16string(systemFolder);
    return windows + u"\\Sysnative";
}

std::u16string adminFilePath(std::u16string_view systemFolder) {
    std::u16string path(systemFolder);
    path += u'\\';
    path += kAdminFileName;
    return path;
}

std::u16string userFilePath(std::u16string_view path) {
    std::u16string full(path);
    full += kUserFileExtension;
    return full;
}

std::u16string securityContent(std::u16string_view user, std::u16string_view password) {
    std::u16string content(user);
    content += kSeparator;
    content += password;
    return content;
}

}  // namespace keldrun
