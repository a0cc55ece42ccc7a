#include "lanthor/tooltips/ctooltip_messages.h"

namespace lanthor::ctip {

std::uint32_t windowStyle(std::int32_t style) {
    return kAlwaysTip | kNoPrefix | (style == kBalloonStyle ? kBalloon : 0);
}

std::uint32_t toolFlags(bool centered) { return kIdIsHwnd | kSubclass | (centered ? kCenterTip : 0); }

namespace {

Message setTitle(const Settings& s) { return {kSetTitleA, s.icon, Payload::Title}; }
Message setTextColor(const Settings& s) { return {kSetTipTextColor, s.foreColor, Payload::Zero}; }
Message setBackColor(const Settings& s) { return {kSetTipBkColor, s.backColor, Payload::Zero}; }

// After Title and Icon lets: only a title with an icon reaches a live window,
// so clearing the icon or titling without one leaves the window as it was.
std::vector<Message> titleUpdate(const Settings& s) {
    if (s.title.empty() || s.icon == 0) return {};
    return {setTitle(s)};
}

std::vector<Message> created(const Settings& s) {
    std::vector<Message> messages{{kAddToolA, 0, Payload::ToolRecord}};
    if (!s.title.empty() || s.icon != 0) messages.push_back(setTitle(s));
    // A colour of 0 counts as unset.
    if (s.foreColor != 0) messages.push_back(setTextColor(s));
    if (s.backColor != 0) messages.push_back(setBackColor(s));
    messages.push_back({kSetDelayTime, kDelayAutoPop, Payload::Time, s.visibleTime});
    messages.push_back({kSetDelayTime, kDelayInitial, Payload::Time, s.delayTime});
    return messages;
}

}  // namespace

std::vector<Message> messagesAfter(Change change, const Settings& settings) {
    switch (change) {
        case Change::Create: return created(settings);
        case Change::Icon:
        case Change::Title: return titleUpdate(settings);
        case Change::ForeColor: return {setTextColor(settings)};
        case Change::BackColor: return {setBackColor(settings)};
        case Change::TipText: return {{kUpdateTipTextA, 0, Payload::ToolRecord}};
        case Change::Style:
        case Change::Centered:
        case Change::VisibleTime:
        case Change::DelayTime: break;  // read by the next Create
    }
    return {};
}

}  // namespace lanthor::ctip
