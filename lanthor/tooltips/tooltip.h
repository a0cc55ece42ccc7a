#pragma once
// The owner-drawn tooltip behind ExpToolTip: its properties, the watching of
// the target window, the tick logic's actions, and creating, placing and
// showing the tooltip window.
#include <windows.h>
#include <ole2.h>
#include <olectl.h>

#include <cstdint>
#include <memory>
#include <string>

#include "common/com.h"
#include "common/window.h"
#include "lanthor/tooltips/tip_painter.h"
#include "lanthor/tooltips/tip_timer.h"
#include "lanthor/tooltips/window_subclasser.h"

namespace lanthor {

struct TipProperties {
    bool shadow = false;
    frame::ComPtr<IFontDisp> font;
    std::int32_t iconSize = 16;
    std::int32_t toolTipStyle = 0;
    std::int32_t textColor = 0;
    std::int32_t gradientColorStart = 0;
    std::int32_t gradientColorEnd = 0;
    std::int32_t backColor = 0;
    std::int32_t backStyle = 1;
    std::int32_t delayTime = 100;
    std::int32_t killTime = 500;
    frame::ComPtr<IPictureDisp> picture;

    // Every property back at its default, a new font included; Picture is kept.
    void reset();
};

// The tooltip window's class and name.
inline constexpr const char* kTipClass = "#32770";
inline constexpr const char* kTipName = "ZVQ-EXTOOLTIP";

class Tooltip {
public:
    // callbackObject: the interface pointer whose first own entry the window blocks call.
    explicit Tooltip(void* callbackObject);
    ~Tooltip();
    Tooltip(const Tooltip&) = delete;
    Tooltip& operator=(const Tooltip&) = delete;

    TipProperties properties;
    SubclassTable& subclasses() { return subclasser_.table(); }

    void showToolTip(HWND window, std::u16string_view title, std::u16string_view text, std::int32_t icon,
                     std::int32_t transparentAlpha);
    // The target's WM_MOUSEMOVE and WM_TIMER, after its own procedure.
    void targetMessage(UINT message);

    // Creating, placing and painting the tooltip at the current pointer
    // position; false when the window could not be made or placed.
    bool createAndShow(const PhaseMark& mark = {});
    HWND tipWindow() const { return tipWindow_.handle(); }
    const TipTimer& timer() const { return timer_; }

private:
    bool pointerOverTarget() const;
    void carryOut(const TipActions& actions);
    void killTimer();

    WindowSubclasser subclasser_;
    TipTimer timer_;
    TipPainter painter_;
    // Stays stored after the window is gone (the next ShowToolTip looks at
    // it), yet reaches only this object's own tooltip window.
    frame::OwnedWindow tipWindow_;
    HWND targetWindow_ = nullptr;
    HWND timerWindow_ = nullptr;  // the window whose timer 1 is ours
    std::string titleText_, bodyText_;
    std::int32_t alpha_ = 100;
    std::int32_t iconRef_ = 0;
    std::int32_t tipWidth_ = 0, tipHeight_ = 0;
};

}  // namespace lanthor
