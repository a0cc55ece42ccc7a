#pragma once
// When the tooltip appears and goes: the arming on mouse moves and the
// counting of timer ticks. The caller carries out the actions it returns.
#include <cstdint>
#include <functional>

#include "lanthor/tooltips/layout.h"

namespace lanthor {

struct TipActions {
    bool setTimer = false;
    bool killTimer = false;
    bool show = false;         // create and show now; call shownDone() afterwards
    bool destroyTip = false;   // destroy the tooltip window
    bool forgetTip = false;    // and clear its handle
    bool resetProperties = false;
};

class TipTimer {
public:
    // ShowToolTip arming: neither armed nor shown (the tick count is kept).
    void arm() {
        armed_ = false;
        shown_ = false;
    }
    TipActions mouseMove(bool overTarget);
    // overTarget is asked only when the tick needs it, after reading cursor.
    TipActions tick(layout::Point cursor, const std::function<bool()>& overTarget,
                    std::int32_t delayTime, std::int32_t killTime, bool haveTip);
    void shownDone() { shown_ = true; }

    bool armed() const { return armed_; }
    bool shown() const { return shown_; }
    std::int32_t tickCount() const { return tickCount_; }
    layout::Point cursorPos() const { return cursorPos_; }

private:
    bool armed_ = false;
    bool shown_ = false;
    std::int32_t tickCount_ = 0;
    layout::Point cursorPos_, lastCursorPos_;
};

}  // namespace lanthor
