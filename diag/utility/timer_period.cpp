#include "timer_period.h"

namespace {

constexpr UINT COARSEST_PERIOD_TRIED = 999;
constexpr UINT NO_PERIOD_ACCEPTED = 1000;

} // namespace

UINT BeginFinestTimerPeriod() {
    for (UINT period = 1; period <= COARSEST_PERIOD_TRIED; ++period)
        if (timeBeginPeriod(period) == TIMERR_NOERROR)
            return period;
    return NO_PERIOD_ACCEPTED;
}

MMRESULT EndTimerPeriod(UINT period) {
    return timeEndPeriod(period);
}

DWORD ReadMillisecondTimer() {
    return timeGetTime();
}
