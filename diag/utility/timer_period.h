#pragma once
// The multimedia timer's resolution and clock.

#include <windows.h>
#include <mmsystem.h>

// Begins the finest timer period the platform accepts, trying 1 ms, then 2 ms and so on up to
// 999 ms, and returns it; that period stays begun until EndTimerPeriod. Returns 1000 with no
// period begun when none is accepted.
UINT BeginFinestTimerPeriod();

// Ends a period begun by BeginFinestTimerPeriod; the result of timeEndPeriod.
MMRESULT EndTimerPeriod(UINT period);

// Milliseconds since Windows started, from the multimedia timer (timeGetTime).
DWORD ReadMillisecondTimer();
