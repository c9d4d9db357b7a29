#include <gtest/gtest.h>

#include "diag/utility/timer_period.h"

namespace {

TEST(TimerPeriod, BeginsTheOneMillisecondPeriodWhenThePlatformAcceptsItAndEndsIt) {
    // Windows and Wine both accept 1 ms, the finest period there is.
    const UINT period = BeginFinestTimerPeriod();
    EXPECT_EQ(1u, period);
    EXPECT_EQ(static_cast<MMRESULT>(TIMERR_NOERROR), EndTimerPeriod(period));
}

TEST(TimerPeriod, EndReportsThePlatformsRefusal) {
    // No period of 0 ms can have been begun.
    EXPECT_EQ(static_cast<MMRESULT>(TIMERR_NOCANDO), EndTimerPeriod(0));
}

TEST(TimerPeriod, MillisecondTimerMovesForwardInMilliseconds) {
    const DWORD start = ReadMillisecondTimer();
    DWORD now = start;
    const DWORD deadline = GetTickCount() + 2000;
    while (now == start && static_cast<LONG>(deadline - GetTickCount()) > 0)
        now = ReadMillisecondTimer();
    ASSERT_NE(start, now) << "the timer did not move in 2 s";
    // Its first step is a few milliseconds, not a coarser unit.
    EXPECT_LT(now - start, 100u);
}

} // namespace
