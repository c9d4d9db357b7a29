// The two thread procedures, apart from the operations so that the operations do not depend on
// the dialog classes; here only the dialogs' relation to CWnd is needed.
#include "worker_operation.h"

#include "drive/shared_state.h"
#include "ui/auto_dlg.h"
#include "ui/updater_dlg.h"

DWORD WINAPI UpdaterWorker(LPVOID) {
    return RunWorkerOperation(g_pUpdaterDlg);
}

DWORD WINAPI AutoWorker(LPVOID) {
    return RunWorkerOperation(g_pAutoDlg);
}
