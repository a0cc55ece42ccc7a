#include "lanthor/tooltips/tooltip.h"

#include "common/convert.h"
#include "common/frame.h"
#include "common/text.h"

namespace lanthor {

namespace {

constexpr UINT_PTR kTimerId = 1;

Address addressOf(HWND window) { return reinterpret_cast<Address>(window); }

// A new standard font object with its own defaults.
frame::ComPtr<IFontDisp> newStandardFont() {
    frame::ComPtr<IFontDisp> font;
    FONTDESC desc{};
    desc.cbSizeofstruct = sizeof(desc);
    desc.lpstrName = const_cast<LPOLESTR>(L"MS Sans Serif");
    desc.cySize.int64 = 82500;  // 8.25 points
    desc.sWeight = FW_NORMAL;
    desc.sCharset = DEFAULT_CHARSET;
    frame::check(OleCreateFontIndirect(&desc, IID_IFontDisp, font.putVoid()));
    return font;
}

}  // namespace

void TipProperties::reset() {
    font = newStandardFont();
    delayTime = 100;
    killTime = 500;
    backStyle = 1;
    toolTipStyle = 0;
    shadow = false;
    iconSize = 16;
    textColor = static_cast<std::int32_t>(0x80000012u);
    backColor = static_cast<std::int32_t>(0x80000018u);
    gradientColorStart = static_cast<std::int32_t>(0x80000018u);
    gradientColorEnd = static_cast<std::int32_t>(0x80000001u);
}

Tooltip::Tooltip(void* callbackObject) : subclasser_(callbackObject) { properties.reset(); }

Tooltip::~Tooltip() {
    subclasses().stopAll();
    killTimer();
    tipWindow_.destroy();
}

void Tooltip::showToolTip(HWND window, std::u16string_view title, std::u16string_view text, std::int32_t icon,
                          std::int32_t transparentAlpha) {
    subclasses().stopAll();
    targetWindow_ = window;
    titleText_ = frame::toAnsi(title);
    bodyText_ = frame::toAnsi(text);
    alpha_ = frame::narrow<std::uint8_t>(transparentAlpha);
    iconRef_ = icon;
    layout::Measure sums;
    painter_.measure(titleText_, true, properties.font.get(), iconRef_, properties.iconSize, sums);
    painter_.measure(bodyText_, false, properties.font.get(), 0, 0, sums);
    tipHeight_ = sums.tipHeight(layout::titleIsBlank(titleText_));
    tipWidth_ = sums.tipWidth();

    if (tipWindow_.handle()) {
        killTimer();
        tipWindow_.adopt(nullptr);
        return;
    }
    timer_.arm();
    subclasses().start(addressOf(targetWindow_));
    subclasses().addMsg(addressOf(targetWindow_), WM_MOUSEMOVE, MSG_AFTER);
    subclasses().addMsg(addressOf(targetWindow_), WM_TIMER, MSG_AFTER);
}

bool Tooltip::pointerOverTarget() const {
    POINT p{};
    GetCursorPos(&p);
    return WindowFromPoint(p) == targetWindow_;
}

void Tooltip::killTimer() {
    if (timerWindow_) KillTimer(timerWindow_, kTimerId);
    timerWindow_ = nullptr;
}

void Tooltip::targetMessage(UINT message) {
    if (message == WM_MOUSEMOVE) {
        carryOut(timer_.mouseMove(pointerOverTarget()));
    } else if (message == WM_TIMER) {
        POINT p{};
        GetCursorPos(&p);
        const TipActions actions = timer_.tick({p.x, p.y}, [this] { return pointerOverTarget(); },
                                               properties.delayTime, properties.killTime,
                                               tipWindow_.handle() != nullptr);
        if (actions.show) {
            createAndShow();
            timer_.shownDone();
            return;
        }
        carryOut(actions);
    }
}

void Tooltip::carryOut(const TipActions& actions) {
    if (actions.setTimer) {
        SetTimer(targetWindow_, kTimerId, 1, nullptr);
        timerWindow_ = targetWindow_;
    }
    if (actions.killTimer) {
        KillTimer(targetWindow_, kTimerId);
        if (timerWindow_ == targetWindow_) timerWindow_ = nullptr;
    }
    if (actions.forgetTip)
        tipWindow_.adopt(nullptr);
    else if (actions.destroyTip)
        tipWindow_.destroy();
    if (actions.resetProperties) properties.reset();
}

bool Tooltip::createAndShow(const PhaseMark& mark) {
    const layout::Point cursor = timer_.cursorPos();
    const bool balloon = properties.toolTipStyle == 1;
    const layout::Placement place = layout::place(cursor, tipWidth_, tipHeight_, GetSystemMetrics(SM_CXSCREEN),
                                                  GetSystemMetrics(SM_CYSCREEN), balloon);
    // Made borderless where it goes, at its size: no frame to take off and no
    // move afterwards. A retry after a failed show replaces the window it left.
    std::int32_t creationData = 0;
    tipWindow_.adopt(CreateWindowExA(WS_EX_TOOLWINDOW, kTipClass, kTipName, WS_POPUP, place.window.left,
                                     place.window.top, place.window.right - place.window.left,
                                     place.window.bottom - place.window.top, nullptr, nullptr,
                                     frame::module::instance(), &creationData));
    const HWND window = tipWindow_.handle();
    if (!window) return false;
    // The dialog class is shared by the whole process: only the shadow bit is ours to change.
    const DWORD classStyle = GetClassLongA(window, GCL_STYLE);
    const DWORD wanted = properties.shadow ? classStyle | CS_DROPSHADOW : classStyle & ~static_cast<DWORD>(CS_DROPSHADOW);
    if (wanted != classStyle) SetClassLongA(window, GCL_STYLE, wanted);

    RECT windowRect{};
    GetWindowRect(window, &windowRect);
    const std::int32_t w = windowRect.right - windowRect.left, h = windowRect.bottom - windowRect.top;
    if (mark) mark("window");
    TipLook look;
    look.style = properties.toolTipStyle;
    look.backStyle = properties.backStyle;
    look.backColor = properties.backColor;
    look.textColor = properties.textColor;
    look.gradientStart = &properties.gradientColorStart;
    look.gradientEnd = &properties.gradientColorEnd;
    look.iconSize = properties.iconSize;
    look.iconRef = iconRef_;
    look.font = properties.font.get();
    look.picture = properties.picture.get();
    const TipGeometry geometry{window, windowRect, place.arrowX, place.arrowY, alpha_};
    HDC picture = painter_.compose(w, h, look, geometry, titleText_, bodyText_, mark);
    if (!picture) return false;
    // Shown without the dialog class's erasing and frame painting: every
    // pixel they would draw is covered by the copy that follows at once.
    SetWindowPos(window, nullptr, 0, 0, 0, 0,
                 SWP_SHOWWINDOW | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW);
    if (mark) mark("show");
    frame::WindowDc dc(window);
    BitBlt(dc.get(), 0, 0, w, h, picture, 0, 0, SRCCOPY);
    if (mark) mark("copy");
    return true;
}

}  // namespace lanthor
