#pragma once
#include "common/convert.h"
#include "common/frame.h"
#include "sondrel/system_values.h"
#include "sondrel_h.h"

namespace sondrel {

// The mouse hardware and the user's mouse settings; the lets change them
// system-wide without saving them to the user profile.
class CMouseInfo final : public frame::Object<CMouseInfo, _CMouseInfo, ::CMouseInfo> {
public:
    static constexpr const char16_t* kName = u"CMouseInfo";

    FRAME_GET(Buttons, long, metric(SM_CMOUSEBUTTONS))
    FRAME_GET(CursorHeight, long, metric(SM_CYCURSOR))
    FRAME_GET(CursorWidth, long, metric(SM_CXCURSOR))
    FRAME_GET_LET(DoubleClickHeight, long, metric(SM_CYDOUBLECLK), setParameter(SPI_SETDOUBLECLKHEIGHT, value))
    FRAME_GET(DoubleClickSpeed, long, frame::asLong(doubleClickTime()))
    FRAME_LET_BYREF(DoubleClickSpeed, long, setDoubleClickTime(value))
    FRAME_GET_LET(DoubleClickWidth, long, metric(SM_CXDOUBLECLK), setParameter(SPI_SETDOUBLECLKWIDTH, value))
    FRAME_GET_LET(DragHeight, long, metric(SM_CYDRAG), setParameter(SPI_SETDRAGHEIGHT, value))
    FRAME_GET_LET(DragWidth, long, metric(SM_CXDRAG), setParameter(SPI_SETDRAGWIDTH, value))
    FRAME_GET(MousePresent, bool, metric(SM_MOUSEPRESENT))
    FRAME_GET_LET(MouseSpeed, long, mouseParameter(MouseElement::speed),
                  setMouseParameter(MouseElement::speed, value))
    FRAME_GET_LET(MouseThreshold1, long, mouseParameter(MouseElement::threshold1),
                  setMouseParameter(MouseElement::threshold1, value))
    FRAME_GET_LET(MouseThreshold2, long, mouseParameter(MouseElement::threshold2),
                  setMouseParameter(MouseElement::threshold2, value))
    FRAME_GET_LET(MouseTrails, bool, parameter(SPI_GETMOUSETRAILS), setParameter(SPI_SETMOUSETRAILS, value))
    FRAME_GET_LET(SnapToDefault, bool, parameter(SPI_GETSNAPTODEFBUTTON), setParameter(SPI_SETSNAPTODEFBUTTON, value))
    FRAME_GET_LET(SwapButtons, bool, metric(SM_SWAPBUTTON), swapMouseButton(value))
    FRAME_GET_LET(WheelLines, long, parameter(SPI_GETWHEELSCROLLLINES), setParameter(SPI_SETWHEELSCROLLLINES, value))
    FRAME_GET(WheelPresent, bool, metric(SM_MOUSEWHEELPRESENT))
};

}  // namespace sondrel
