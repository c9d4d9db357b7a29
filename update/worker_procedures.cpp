// The two thread procedures: one body, reported to the dialog of each run mode.
#include "worker_operation.h"

#include "drive/shared_state.h"

DWORD WINAPI UpdaterWorker(LPVOID) {
    return RunWorkerOperation(g_pUpdaterDlg);
}

DWORD WINAPI AutoWorker(LPVOID) {
    return RunWorkerOperation(g_pAutoDlg);
}
