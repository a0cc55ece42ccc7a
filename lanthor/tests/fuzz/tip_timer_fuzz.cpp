// Any sequence of arming, mouse moves, ticks and shows: a show comes only
// from an armed tick before anything else is asked, a tick off the target
// ends everything, and the count of resting ticks never goes below zero.
#include "common/testing/fuzz.h"
#include "lanthor/tooltips/tip_timer.h"

using namespace lanthor;

namespace {
int actionCount(const TipActions& a) {
    return a.setTimer + a.killTimer + a.show + a.destroyTip + a.forgetTip + a.resetProperties;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    TipTimer timer;
    const std::int32_t delayTime = in.ConsumeIntegralInRange(-2, 40), killTime = in.ConsumeIntegralInRange(-2, 80);
    layout::Point cursor;
    while (in.remaining_bytes() > 0) {
        const bool armed = timer.armed(), shown = timer.shown(), over = in.ConsumeBool();
        switch (in.ConsumeIntegralInRange(0, 3)) {
            case 0:
                timer.arm();
                FUZZ_CHECK(!timer.armed() && !timer.shown());
                break;
            case 1: {
                const TipActions a = timer.mouseMove(over);
                FUZZ_CHECK(timer.armed() == over && actionCount(a) == (over && !armed ? 1 : 0) && a.setTimer == (over && !armed));
                break;
            }
            case 2: {
                if (in.ConsumeIntegralInRange(0, 3) == 0) cursor = {in.ConsumeIntegralInRange(0, 2), in.ConsumeIntegralInRange(0, 2)};
                int asked = 0;
                const TipActions a = timer.tick(cursor, [&] { ++asked; return over; }, delayTime, killTime, in.ConsumeBool());
                if (a.show) {
                    FUZZ_CHECK(armed && !shown && asked == 0 && actionCount(a) == 1 && timer.cursorPos() == cursor);
                } else {
                    FUZZ_CHECK(asked == 1);
                }
                if (!a.show && !over)
                    FUZZ_CHECK(!timer.armed() && !timer.shown() && a.killTimer && a.destroyTip && a.forgetTip && a.resetProperties);
                break;
            }
            default:
                timer.shownDone();
                FUZZ_CHECK(timer.shown());
        }
        FUZZ_CHECK(timer.tickCount() >= 0);
    }
    return 0;
}
