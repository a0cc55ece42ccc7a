#include <gtest/gtest.h>

#include "lanthor/tooltips/tip_timer.h"

using lanthor::TipActions;
using lanthor::TipTimer;
using lanthor::layout::Point;

namespace {
struct Driver {
    TipTimer timer;
    bool over = true;
    bool haveTip = false;
    int delay = 100, kill = 500;
    int shows = 0, destroys = 0, resets = 0;
    TipActions step(Point p) {
        TipActions a = timer.tick(p, [&] { return over; }, delay, kill, haveTip);
        if (a.show) {
            ++shows;
            haveTip = true;
            timer.shownDone();
        }
        if (a.destroyTip) ++destroys;
        if (a.forgetTip) haveTip = false;
        if (a.resetProperties) ++resets;
        return a;
    }
};
}  // namespace

TEST(TipTimer, ArmsOnceOnAMoveOverTheTarget) {
    TipTimer t;
    EXPECT_FALSE(t.mouseMove(false).setTimer);
    EXPECT_TRUE(t.mouseMove(true).setTimer);
    EXPECT_TRUE(t.armed());
    EXPECT_FALSE(t.mouseMove(true).setTimer);
    t.mouseMove(false);
    EXPECT_FALSE(t.armed());
}

TEST(TipTimer, ShowsOnThe101stStillTickAndDestroysOnThe501stAfter) {
    Driver r;
    r.timer.mouseMove(true);
    r.step({5, 5});  // first reading: x changed from 0
    int tick = 0;
    while (r.shows == 0 && tick < 1000) {
        r.step({5, 5});
        ++tick;
    }
    EXPECT_EQ(tick, 101);
    EXPECT_TRUE(r.timer.shown());
    int after = 0;
    while (r.destroys == 0 && after < 1000) {
        r.step({5, 5});
        ++after;
    }
    EXPECT_EQ(after, 501);
    EXPECT_EQ(r.resets, 1);
    EXPECT_TRUE(r.haveTip);  // the handle stays stored
    // Every later tick repeats the destruction; nothing new is shown.
    r.step({5, 5});
    r.step({6, 7});
    EXPECT_EQ(r.destroys, 3);
    EXPECT_EQ(r.shows, 1);
}

TEST(TipTimer, AnyMoveRestartsTheStillCount) {
    Driver r;
    r.delay = 3;
    r.timer.mouseMove(true);
    r.step({5, 5});
    r.step({5, 5});
    r.step({5, 5});
    EXPECT_EQ(r.timer.tickCount(), 2);
    r.step({6, 5});  // one pixel across
    EXPECT_EQ(r.timer.tickCount(), 0);
    r.step({6, 5});
    r.step({6, 6});  // purely vertical
    EXPECT_EQ(r.timer.tickCount(), 0);
    for (int i = 0; i < 4; ++i) r.step({6, 6});
    EXPECT_EQ(r.shows, 1);
}

TEST(TipTimer, LeavingTheTargetEndsEverything) {
    Driver r;
    r.delay = 1;
    r.timer.mouseMove(true);
    r.step({1, 1});
    r.step({1, 1});
    r.step({1, 1});
    ASSERT_EQ(r.shows, 1);
    r.over = false;
    const TipActions a = r.step({1, 1});
    EXPECT_TRUE(a.killTimer);
    EXPECT_TRUE(a.destroyTip);
    EXPECT_TRUE(a.forgetTip);
    EXPECT_TRUE(a.resetProperties);
    EXPECT_FALSE(r.timer.armed());
    EXPECT_FALSE(r.timer.shown());
}

TEST(TipTimer, UnarmedTicksOnlyWatchForLeaving) {
    Driver r;
    r.step({1, 1});
    r.step({1, 1});
    EXPECT_EQ(r.timer.tickCount(), 0);
    EXPECT_EQ(r.shows, 0);
}

TEST(TipTimer, AFailedShowIsRetriedAfterAnotherDelay) {
    TipTimer t;
    t.mouseMove(true);
    auto over = [] { return true; };
    int shows = 0, ticks = 0;
    while (shows < 2 && ticks < 100) {
        // The show fails: shownDone is never called.
        if (t.tick({3, 3}, over, 4, 500, false).show) ++shows;
        ++ticks;
    }
    EXPECT_EQ(shows, 2);
    EXPECT_EQ(ticks, 1 + 5 + 5);
    EXPECT_FALSE(t.shown());
}

TEST(TipTimer, AKillTimeBelowTheDelayResetsBeforeShowing) {
    Driver r;
    r.delay = 10;
    r.kill = 3;
    r.timer.mouseMove(true);
    for (int i = 0; i < 5; ++i) r.step({2, 2});
    EXPECT_EQ(r.shows, 0);
    EXPECT_GE(r.resets, 1);
}
