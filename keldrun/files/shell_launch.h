#pragma once
// What the shell launcher decides without the shell: which verb, file and
// window state each simple launcher hands over, and how the shell's instance
// result becomes the launcher's result.
#include <cstdint>
#include <string>

namespace keldrun {

constexpr int32_t kShowDefault = 10;  // the window state of an omitted eShowStyle
constexpr int32_t kShowHidden = 0;
constexpr int32_t kNoError = -1;
constexpr int32_t kFileNotFound = 2;

// Wine's shell copies the file text into a fixed buffer of its own and
// overruns it from about 970 characters on, taking the calling process down.
// Where the shell is Wine's, a longer text (a URL too) is answered as a file
// not found without asking it; Windows' shell answers long texts itself.
constexpr size_t kLongestWineShellFile = 900;
constexpr bool shellTakes(size_t fileLength, bool wineShell) {
    return !wineShell || fileLength <= kLongestWineShellFile;
}

// A shell result above 32 is success; 32 or less is an error value, passed on unchanged.
constexpr int32_t shellResult(intptr_t instance) {
    return instance > 32 ? kNoError : static_cast<int32_t>(instance);
}

// One simple launcher: a single shell call with no parameters and no folder.
struct SimpleLaunch {
    const char16_t* verb;        // null: the file's default verb
    const char16_t* filePrefix;  // put before the caller's text
    bool alwaysHidden;           // ignores the caller's window state
};

inline constexpr SimpleLaunch kExplore{u"explore", u"", false};
inline constexpr SimpleLaunch kOpenFolder{u"open", u"", false};
inline constexpr SimpleLaunch kEmail{nullptr, u"mailto:", false};
inline constexpr SimpleLaunch kUrl{nullptr, u"", false};
inline constexpr SimpleLaunch kPrint{u"print", u"", true};

inline std::u16string launchFile(const SimpleLaunch& launch, std::u16string_view text) {
    return std::u16string(launch.filePrefix) + std::u16string(text);
}

inline int32_t launchShowStyle(const SimpleLaunch& launch, int32_t requested) {
    return launch.alwaysHidden ? kShowHidden : requested;
}

}  // namespace keldrun
