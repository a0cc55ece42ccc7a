#pragma once
// What CToolTip asks of the common-controls tooltip window: the window
// style, the tool record's flags, and the messages each change sends, in
// their order. No window system here: the Win32 shell turns each message
// into one SendMessageA.
#include <cstdint>
#include <string>
#include <vector>

namespace lanthor::ctip {

// The object's stored properties.
struct Settings {
    std::int32_t backColor = 0;
    std::u16string title;
    std::int32_t foreColor = 0;
    std::int32_t icon = 0;  // ttIconType, sent as it is
    bool centered = false;
    std::int32_t style = 0;  // ttStyleEnum
    std::u16string tipText;
    std::int32_t visibleTime = 5000;  // milliseconds
    std::int32_t delayTime = 500;
};

// Tooltip messages, delay kinds, window styles and tool flags of the common controls.
inline constexpr std::uint32_t kSetDelayTime = 0x403, kAddToolA = 0x404, kUpdateTipTextA = 0x40C,
                               kSetTipBkColor = 0x413, kSetTipTextColor = 0x414, kSetTitleA = 0x420;
inline constexpr std::int32_t kDelayAutoPop = 2, kDelayInitial = 3;
inline constexpr std::uint32_t kAlwaysTip = 0x01, kNoPrefix = 0x02, kBalloon = 0x40;
inline constexpr std::uint32_t kIdIsHwnd = 0x01, kCenterTip = 0x02, kSubclass = 0x10;
inline constexpr std::int32_t kBalloonStyle = 1;  // TTBalloon

std::uint32_t windowStyle(std::int32_t style);
std::uint32_t toolFlags(bool centered);

// What a message carries as its lParam.
enum class Payload {
    ToolRecord,  // the address of the ANSI tool record, its text the tip text
    Title,       // the ANSI title
    Zero,        // the address of a 32-bit zero
    Time,        // the value itself, milliseconds
};

struct Message {
    std::uint32_t id;
    std::int32_t wParam;
    Payload payload;
    std::int32_t time = 0;  // the lParam for Payload::Time

    bool operator==(const Message&) const = default;
};

// The stored property a let changed; Create stands for a new tooltip window.
enum class Change { Create, Style, Centered, Icon, ForeColor, Title, BackColor, TipText, VisibleTime, DelayTime };

// The messages due to the tooltip window after a change, with the
// properties as they now are. Only Create and the changes a live window
// sees give any; the caller sends them only to a live window.
std::vector<Message> messagesAfter(Change change, const Settings& settings);

}  // namespace lanthor::ctip
