#pragma once
#include "common/convert.h"
#include "common/frame.h"
#include "sondrel/system_values.h"
#include "sondrel_h.h"

namespace sondrel {

// Modifier and lock keys of the calling thread, the keyboard's type, and the
// caret-blink and key-repeat settings.
class CKeyboardInfo final : public frame::Object<CKeyboardInfo, _CKeyboardInfo, ::CKeyboardInfo> {
public:
    static constexpr const char16_t* kName = u"CKeyboardInfo";

    FRAME_GET(Alt, bool, pressed(keyState(VK_MENU)))
    FRAME_GET_LET(BlinkTime, short, frame::asLong(caretBlinkTime()), setCaretBlinkTime(value))
    FRAME_GET_LET(CapsLock, bool, toggled(keyState(VK_CAPITAL)), SetKeyState(VK_CAPITAL, value))
    FRAME_GET(Control, bool, pressed(keyState(VK_CONTROL)))
    FRAME_GET(FunctionKeys, short, keyboardType(2))
    FRAME_GET(KeyboardType, EnumKeyboardType, keyboardType(0))
    FRAME_GET(LAlt, bool, pressed(keyState(VK_LMENU)))
    FRAME_GET(LControl, bool, pressed(keyState(VK_LCONTROL)))
    FRAME_GET(LShift, bool, pressed(keyState(VK_LSHIFT)))
    FRAME_GET_LET(NumLock, bool, toggled(keyState(VK_NUMLOCK)), SetKeyState(VK_NUMLOCK, value))
    FRAME_GET(RAlt, bool, pressed(keyState(VK_RMENU)))
    FRAME_GET(RControl, bool, pressed(keyState(VK_RCONTROL)))
    FRAME_GET_LET(RepeatDelay, EnumKeyboardDelay, parameter(SPI_GETKEYBOARDDELAY),
                  setParameter(SPI_SETKEYBOARDDELAY, value))
    FRAME_GET_LET(RepeatSpeed, short, parameter(SPI_GETKEYBOARDSPEED), setParameter(SPI_SETKEYBOARDSPEED, value))
    FRAME_GET(RShift, bool, pressed(keyState(VK_RSHIFT)))
    FRAME_GET_LET(ScrollLock, bool, toggled(keyState(VK_SCROLL)), SetKeyState(VK_SCROLL, value))
    FRAME_GET(Shift, bool, pressed(keyState(VK_SHIFT)))

private:
    // The lock-key lets' shared procedure, with an error report of its own:
    // its errors end it, not the let that called it.
    void SetKeyState(short keyCode, VARIANT_BOOL state) {
        frame::check(member(u"SetKeyState", Report, [&] { setToggle(keyCode, state != VARIANT_FALSE); }));
    }
};

}  // namespace sondrel
