#include "lanthor/tooltips/tip_timer.h"

namespace lanthor {

TipActions TipTimer::mouseMove(bool overTarget) {
    TipActions a;
    if (!overTarget) {
        armed_ = false;
    } else if (!armed_) {
        armed_ = true;
        a.setTimer = true;
    }
    return a;
}

TipActions TipTimer::tick(layout::Point cursor, const std::function<bool()>& overTarget,
                          std::int32_t delayTime, std::int32_t killTime, bool haveTip) {
    TipActions a;
    if (armed_ && !shown_) {
        lastCursorPos_ = cursorPos_;
        cursorPos_ = cursor;
        if (cursorPos_.x != lastCursorPos_.x) {
            tickCount_ = 0;
        } else if (cursorPos_.y == lastCursorPos_.y) {
            ++tickCount_;
            if (tickCount_ > delayTime) {
                tickCount_ = 0;
                a.show = true;
                return a;
            }
        } else {
            tickCount_ = 0;
        }
    }
    if (overTarget()) {
        if (tickCount_ >= killTime) {
            a.destroyTip = true;
            a.resetProperties = true;
        } else if (armed_ && haveTip) {
            ++tickCount_;
        }
    } else {
        a.killTimer = true;
        a.destroyTip = true;
        a.forgetTip = true;
        a.resetProperties = true;
        armed_ = false;
        shown_ = false;
    }
    return a;
}

}  // namespace lanthor
