// CToolTip's messages for any settings and change: a new window gets its
// tool first and both delay times last, with title and colours between only
// when set; a change to a live window sends at most its own message.
#include "common/testing/fuzz.h"
#include "lanthor/tooltips/ctooltip_messages.h"

using namespace lanthor::ctip;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    Settings s;
    s.backColor = in.ConsumeBool() ? 0 : in.ConsumeIntegral<std::int32_t>();
    s.foreColor = in.ConsumeBool() ? 0 : in.ConsumeIntegral<std::int32_t>();
    s.icon = in.ConsumeBool() ? 0 : in.ConsumeIntegral<std::int32_t>();
    s.centered = in.ConsumeBool();
    s.style = in.ConsumeIntegralInRange(-1, 2);
    s.visibleTime = in.ConsumeIntegral<std::int32_t>();
    s.delayTime = in.ConsumeIntegral<std::int32_t>();
    s.title = frame::fuzz::text(in, 3);
    s.tipText = frame::fuzz::text(in, 3);
    const Change change = static_cast<Change>(in.ConsumeIntegralInRange(0, static_cast<int>(Change::DelayTime)));

    FUZZ_CHECK(windowStyle(s.style) == (kAlwaysTip | kNoPrefix | (s.style == kBalloonStyle ? kBalloon : 0)));
    FUZZ_CHECK(toolFlags(s.centered) == (kIdIsHwnd | kSubclass | (s.centered ? kCenterTip : 0)));
    const std::vector<Message> sent = messagesAfter(change, s);
    const Message title{kSetTitleA, s.icon, Payload::Title}, text{kSetTipTextColor, s.foreColor, Payload::Zero},
        back{kSetTipBkColor, s.backColor, Payload::Zero};
    switch (change) {
        case Change::Create: {
            std::vector<Message> expected{{kAddToolA, 0, Payload::ToolRecord}};
            if (!s.title.empty() || s.icon != 0) expected.push_back(title);
            if (s.foreColor != 0) expected.push_back(text);
            if (s.backColor != 0) expected.push_back(back);
            expected.push_back({kSetDelayTime, kDelayAutoPop, Payload::Time, s.visibleTime});
            expected.push_back({kSetDelayTime, kDelayInitial, Payload::Time, s.delayTime});
            FUZZ_CHECK(sent == expected);
            break;
        }
        case Change::Title:
        case Change::Icon: FUZZ_CHECK(sent == (s.title.empty() || s.icon == 0 ? std::vector<Message>{} : std::vector{title})); break;
        case Change::ForeColor: FUZZ_CHECK(sent == std::vector{text}); break;
        case Change::BackColor: FUZZ_CHECK(sent == std::vector{back}); break;
        case Change::TipText: FUZZ_CHECK(sent == (std::vector<Message>{{kUpdateTipTextA, 0, Payload::ToolRecord}})); break;
        default: FUZZ_CHECK(sent.empty());
    }
    return 0;
}
