#pragma once
// The end of a test that started workers: the last one awaited, so that no test leaves a thread
// behind, and the final messages still queued dropped together with the starters' count of them,
// so that none reaches the next test's dialog or keeps its device open.

#include <windows.h>

#include "update/notify.h"
#include "update/worker_launch.h"

inline void EndWorkers() {
    WaitForLastWorker();
    MSG msg;
    while (PeekMessageA(&msg, nullptr, WM_UPDATER_NOTIFY, WM_UPDATER_NOTIFY, PM_REMOVE)) {
    }
    g_nFinalMessagesDue = 0;
}
