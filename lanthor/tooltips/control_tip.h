#pragma once
// CToolTip's common-controls tooltip window: created on a parent window,
// given the tool record and the messages the stored properties call for.
#include <windows.h>

#include "common/window.h"
#include "lanthor/tooltips/ctooltip_messages.h"

namespace lanthor {

class ControlTip {
public:
    ControlTip();  // the common controls' classes registered
    ~ControlTip() { destroy(); }
    ControlTip(const ControlTip&) = delete;
    ControlTip& operator=(const ControlTip&) = delete;

    ctip::Settings settings;

    // A new tooltip window on the parent (the previous one destroyed), the
    // tool registered and the stored title, colours and times given to it.
    void create(HWND parent);
    // Sends what a property let calls for, while the window is this object's own.
    void changed(ctip::Change change);
    // Destroys the window; the handle stays stored. The tool is taken off
    // first, so that the parent window gets its own window procedure back
    // from the common controls' subclass.
    void destroy();
    HWND window() const { return window_.handle(); }

private:
    void send(const ctip::Message& message);
    void sendRecord(UINT message);

    frame::OwnedWindow window_;
    HWND parent_ = nullptr;  // the tool record's window and identifier
    UINT toolFlags_ = 0;
};

}  // namespace lanthor
