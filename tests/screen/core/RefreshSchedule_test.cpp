#include "screen/core/RefreshSchedule.h"

#include <gtest/gtest.h>

#include <climits>

using screen::NextRefreshDelay;
using screen::TRefreshState;

TEST(RefreshSchedule, NothingWaitingStopsTheTimerAndPendingOutputPollsFast) {
    TRefreshState s;
    s.Now = 5000;
    EXPECT_EQ(NextRefreshDelay(s), -1) << "rendered, nothing blinks, no timers";
    s.RenderPending = true;
    s.Blinking = true;
    s.TimerInterval[0] = 1000;
    EXPECT_EQ(NextRefreshDelay(s), screen::RefreshBusyMs) << "output first";
}

TEST(RefreshSchedule, BlinkStepsOnlyWhileBlinkingCellsAreShown) {
    TRefreshState s;
    s.Now = 10000;
    s.LastBlink = 10000;
    s.BlinkInterval = 700;
    EXPECT_EQ(NextRefreshDelay(s), -1);
    s.Blinking = true;
    // A step needs more than the interval: 701 ms after the last one.
    EXPECT_EQ(NextRefreshDelay(s), 701);
    s.Now = 10700;
    EXPECT_EQ(NextRefreshDelay(s), 1);
    s.Now = 12000; // overdue: at once
    EXPECT_EQ(NextRefreshDelay(s), 0);
}

TEST(RefreshSchedule, TheNearestOfTheOwnersTimersWinsAndOffTimersDoNotCount) {
    TRefreshState s;
    s.Now = 20000;
    s.TimerInterval = {5000, 0, 1000};
    s.TimerLast = {17000, 0, 19500};
    EXPECT_EQ(NextRefreshDelay(s), 500);
    s.Blinking = true;
    s.LastBlink = 19900;
    s.BlinkInterval = 300;
    EXPECT_EQ(NextRefreshDelay(s), 201);
    s.TimerInterval = {0, 0, 0};
    s.Blinking = false;
    EXPECT_EQ(NextRefreshDelay(s), -1);
}

TEST(RefreshSchedule, TickCounterWrapAndHugeIntervals) {
    TRefreshState s;
    s.TimerInterval[1] = 1000;
    s.TimerLast[1] = 0xFFFFFE00u; // 512 ms before the counter wraps
    s.Now = 0x00000100u;          // 768 ms later
    EXPECT_EQ(NextRefreshDelay(s), 232);
    s.TimerInterval[1] = 0xFFFFFFFFu;
    s.TimerLast[1] = s.Now;
    EXPECT_EQ(NextRefreshDelay(s), INT_MAX) << "clamped, never negative";
}
