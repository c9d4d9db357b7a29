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
// worker has ended; with `wait` not 0, waits up to WORKER_WAIT_MS for it. Always 1.
int StartWorkerThread(LPTHREAD_START_ROUTINE procedure, int wait);

// The body of each dialog's StartWorkerOnDrive: opens the device of `letter` when no device is
// open, then starts as StartWorkerThread. 0, and no thread, when no device could be opened. A
// device that is already open is used whatever its letter.
int StartWorkerThreadOnDrive(LPTHREAD_START_ROUTINE procedure, uint8_t letter, int wait);

// True when the worker started last has ended (or none was ever started): its results are
// complete and nothing is in flight.
bool LastWorkerHasEnded();

// Waits, as long as it takes, for the worker started last.
void WaitForLastWorker();

// The drive-table entry that operations outside discovery address, or nullptr when
// g_nSelectedDrive is not one of the entries the last scan made.
const DriveAddress* SelectedDriveEntry();
