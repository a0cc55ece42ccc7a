#pragma once
// Names and content of the security files. Window-system free.
#include <string>
#include <string_view>

namespace keldrun {

inline constexpr std::u16string_view kAdminFileName = u"Users.SecurityFile";
inline constexpr std::u16string_view kUserFileExtension = u".SecurityFile";
inline constexpr std::u16string_view kSeparator = u"//";

// The system folder the file operations must use so that every build of the
// library reaches the one folder the system names. A 32-bit process on a
// 64-bit system (wow64) is redirected from <windows>\system32 to the 32-bit
// folder; the "Sysnative" alias reaches the real one. Other paths pass as they are.
std::u16string unredirectedSystemFolder(std::u16string_view systemFolder, std::u16string_view windowsFolder,
                                        bool wow64);

// <folder>\Users.SecurityFile
std::u16string adminFilePath(std::u16string_view systemFolder);
// The caller's path with ".SecurityFile" appended; nothing else is added.
std::u16string userFilePath(std::u16string_view path);
// user // password
std::u16string securityContent(std::u16string_view user, std::u16string_view password);

}  // namespace keldrun
