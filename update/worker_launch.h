#pragma once
// Starting the worker threads that run every drive command outside the user-interface thread.
// At most one worker exists at a time: a start first waits for the previous worker to end, since
// two workers would share the one request block and the transfer buffers. A requester that waits
// gives its worker WORKER_WAIT_MS; a worker still running then has failed for that requester,
// which must not read the results it may still write.

#include <windows.h>

#include <cstdint>

#include "drive/shared_state.h"

constexpr DWORD WORKER_WAIT_MS = 5000;

// The body of each dialog's StartWorker: runs `procedure` on a new thread once the previous
// worker has ended; with `wait` not 0, waits up to WORKER_WAIT_MS for it. 1 when the worker was
// started, 0 when no thread could be created (nothing runs and no message will come).
int StartWorkerThread(LPTHREAD_START_ROUTINE procedure, int wait);

// The body of each dialog's StartWorkerOnDrive: opens the device of `letter` when no device is
// open, then starts as StartWorkerThread. 0, and no thread, when no device could be opened or no
// thread created; a device this call opened is then closed again. A device that is already open
// is used whatever its letter.
int StartWorkerThreadOnDrive(LPTHREAD_START_ROUTINE procedure, uint8_t letter, int wait);

// The receiving side of a final message (lParam NOTIFY_FINISHED): true when no worker started
// since still has its own final message to come, so that the device is nobody's and may be
// closed. A worker's final message can still wait in the queue when the next worker has already
// started on the same device; that message must not close the device under the new worker.
bool FinalMessageLeavesDeviceFree();

// Final messages that started workers owe and that have not been received yet. A worker that
// cannot post its message takes its own count back.
extern LONG g_nFinalMessagesDue;

// True when the worker started last has ended (or none was ever started): its results are
// complete and nothing is in flight.
bool LastWorkerHasEnded();

// Waits, as long as it takes, for the worker started last.
void WaitForLastWorker();

// The drive-table entry that operations outside discovery address, or nullptr when
// g_nSelectedDrive is not one of the entries the last scan made.
const DriveAddress* SelectedDriveEntry();
