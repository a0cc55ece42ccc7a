#include "lanthor/tooltips/control_tip.h"

#include <commctrl.h>

#include <cstddef>
#include <string>

#include "common/frame.h"
#include "common/text.h"

namespace lanthor {

namespace {

// The tool record up to lParam: 44 bytes in a 32-bit process, 64 in a 64-bit one.
constexpr UINT kRecordSize = offsetof(TTTOOLINFOA, lParam) + sizeof(LPARAM);
static_assert(kRecordSize == (sizeof(void*) == 4 ? 44 : 64));

}  // namespace

ControlTip::ControlTip() { InitCommonControls(); }

void ControlTip::create(HWND parent) {
    destroy();
    parent_ = parent;
    DWORD zero = 0;
    window_.adopt(CreateWindowExA(0, TOOLTIPS_CLASSA, nullptr, ctip::windowStyle(settings.style), CW_USEDEFAULT,
                                  CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr,
                                  frame::module::instance(), &zero));
    toolFlags_ = ctip::toolFlags(settings.centered);
    for (const ctip::Message& message : ctip::messagesAfter(ctip::Change::Create, settings)) send(message);
}

void ControlTip::destroy() {
    if (window_.live()) sendRecord(TTM_DELTOOLA);
    window_.destroy();
}

void ControlTip::changed(ctip::Change change) {
    if (!window_.live()) return;
    for (const ctip::Message& message : ctip::messagesAfter(change, settings)) send(message);
}

void ControlTip::send(const ctip::Message& message) {
    // Numbers are widened as a Long is, so icon handles keep their value.
    const WPARAM wParam = static_cast<WPARAM>(static_cast<LONG_PTR>(message.wParam));
    switch (message.payload) {
        case ctip::Payload::ToolRecord:
            sendRecord(message.id);
            break;
        case ctip::Payload::Title: {
            const std::string title = frame::toAnsi(settings.title);
            window_.send(message.id, wParam, reinterpret_cast<LPARAM>(title.c_str()));
            break;
        }
        case ctip::Payload::Zero: {
            DWORD zero = 0;
            window_.send(message.id, wParam, reinterpret_cast<LPARAM>(&zero));
            break;
        }
        case ctip::Payload::Time:
            window_.send(message.id, wParam, static_cast<LPARAM>(message.time));
            break;
    }
}

void ControlTip::sendRecord(UINT message) {
    std::string text = frame::toAnsi(settings.tipText);
    TTTOOLINFOA record{};
    record.cbSize = kRecordSize;
    record.uFlags = toolFlags_;
    record.hwnd = parent_;
    record.uId = reinterpret_cast<UINT_PTR>(parent_);
    record.hinst = frame::module::instance();
    record.lpszText = text.data();
    window_.send(message, 0, reinterpret_cast<LPARAM>(&record));
}

}  // namespace lanthor
