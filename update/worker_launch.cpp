#include "worker_launch.h"

#include "drive/pass_through.h"
#include "framework/scoped_handle.h"
#include "worker_operation.h"

LONG g_nFinalMessagesDue = 0;

namespace {

// The handle of the worker started last, kept until a later start or wait has seen it end.
ScopedHandle g_lastWorker;

// Waits for a thread while still answering messages that other threads send to this thread's
// windows: a worker showing a message box owned by the dialog needs them answered.
bool WaitForThread(HANDLE thread, DWORD timeoutMs) {
    DWORD start = GetTickCount();
    for (;;) {
        DWORD elapsed = GetTickCount() - start;
        DWORD remaining = timeoutMs == INFINITE  ? INFINITE
                          : elapsed >= timeoutMs ? 0
                                                 : timeoutMs - elapsed;
        DWORD result = MsgWaitForMultipleObjects(1, &thread, FALSE, remaining, QS_SENDMESSAGE);
        if (result == WAIT_OBJECT_0)
            return true;
        if (result != WAIT_OBJECT_0 + 1)
            return false;
        MSG msg;
        PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
}

} // namespace

void WaitForLastWorker() {
    if (g_lastWorker.Get() == nullptr)
        return;
    WaitForThread(g_lastWorker.Get(), INFINITE);
    g_lastWorker.Reset();
}

bool LastWorkerHasEnded() {
    if (g_lastWorker.Get() == nullptr)
        return true;
    if (WaitForSingleObject(g_lastWorker.Get(), 0) != WAIT_OBJECT_0)
        return false;
    g_lastWorker.Reset();
    return true;
}

int StartWorkerThread(LPTHREAD_START_ROUTINE procedure, int wait) {
    WaitForLastWorker();
    // Counted before the thread exists, since the worker may post at once.
    const bool postsFinalMessage = PostsFinalMessage(g_nOperation);
    if (postsFinalMessage)
        InterlockedIncrement(&g_nFinalMessagesDue);
    HANDLE thread = CreateThread(nullptr, 0, procedure, nullptr, 0, nullptr);
    if (thread == nullptr) {
        if (postsFinalMessage)
            InterlockedDecrement(&g_nFinalMessagesDue);
        return 0;
    }
    g_lastWorker.Reset(thread);
    if (wait != 0 && WaitForThread(thread, WORKER_WAIT_MS))
        g_lastWorker.Reset();
    return 1;
}

int StartWorkerThreadOnDrive(LPTHREAD_START_ROUTINE procedure, uint8_t letter, int wait) {
    const bool opensDevice = g_hDrive == nullptr;
    if (opensDevice)
        g_hDrive = OpenDriveDevice(static_cast<char>(letter));
    if (g_hDrive == nullptr)
        return 0;
    if (StartWorkerThread(procedure, wait) != 0)
        return 1;
    // No worker will ever send its final message to close it.
    if (opensDevice)
        CloseDriveDevice(&g_hDrive);
    return 0;
}

bool FinalMessageLeavesDeviceFree() {
    if (g_nFinalMessagesDue <= 0)
        return true;
    return InterlockedDecrement(&g_nFinalMessagesDue) <= 0;
}

const DriveAddress* SelectedDriveEntry() {
    if (g_nSelectedDrive < 0 || g_nSelectedDrive >= g_nDriveCount ||
        g_nSelectedDrive >= DRIVE_TABLE_CAPACITY)
        return nullptr;
    return &g_DriveTable[g_nSelectedDrive];
}
