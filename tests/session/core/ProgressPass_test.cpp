// The progress pass's percentage and its nesting lock.
#include "session/core/ProgressPass.h"

#include <gtest/gtest.h>

namespace {

TEST(ProgressPercent, RoundsHalvesToEven) {
    // 1/8 = 12.5 -> 12, 3/8 = 37.5 -> 38, 5/8 = 62.5 -> 62, 7/8 = 87.5 -> 88.
    EXPECT_EQ(session::ProgressPercent(1, 8), 12);
    EXPECT_EQ(session::ProgressPercent(3, 8), 38);
    EXPECT_EQ(session::ProgressPercent(5, 8), 62);
    EXPECT_EQ(session::ProgressPercent(7, 8), 88);
    EXPECT_EQ(session::ProgressPercent(1, 3), 33);
    EXPECT_EQ(session::ProgressPercent(2, 3), 67);
    // The last step shows the step's own start; one session shows 0. Only
    // a half at 99.5 rounds up to the even 100.
    EXPECT_EQ(session::ProgressPercent(0, 1), 0);
    EXPECT_EQ(session::ProgressPercent(99, 100), 99);
    EXPECT_EQ(session::ProgressPercent(199, 200), 100);
    EXPECT_EQ(session::ProgressPercent(0, 0), 0);
    EXPECT_EQ(session::ProgressPercent(3, -1), 0);
    // Large counts do not overflow.
    EXPECT_EQ(session::ProgressPercent(2000000000, 2000000001), 100);
    EXPECT_EQ(session::ProgressText(1, 4), "進度: 25 %");
}

TEST(PassLock, OnlyTheOutermostPassLocksAndUnlocks) {
    session::TPassLock lock;
    EXPECT_FALSE(lock.Active());
    EXPECT_TRUE(lock.Enter());
    EXPECT_FALSE(lock.Enter()); // a step runs another walking command
    EXPECT_FALSE(lock.Leave());
    EXPECT_TRUE(lock.Active());
    EXPECT_TRUE(lock.Leave());
    EXPECT_FALSE(lock.Active());
    // An unbalanced leave neither unlocks nor goes negative.
    EXPECT_FALSE(lock.Leave());
    EXPECT_TRUE(lock.Enter());
}

} // namespace
