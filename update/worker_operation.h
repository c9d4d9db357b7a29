#pragma once
// What a worker thread does: the operation stored in g_nOperation, then (except for the two
// identification operations of discovery) one WM_UPDATER_NOTIFY posted to the dialog it belongs
// to, with NOTIFY_FINISHED as the worker's very last act.

#include <windows.h>

class CWnd;

// False for the identification operations of discovery, which end without a message.
bool PostsFinalMessage(int operation);

// Runs the operation of g_nOperation for `dialog` and returns the thread's exit code: the result
// of the posting call, or the command's result for the identification operations.
DWORD RunWorkerOperation(CWnd* dialog);

// The thread procedures of the two dialogs: the same operations, reported to g_pUpdaterDlg or to
// g_pAutoDlg. The parameter is not used.
DWORD WINAPI UpdaterWorker(LPVOID unused);
DWORD WINAPI AutoWorker(LPVOID unused);

// The receiving side, the same in both dialogs: the worker's final message (lParam
// NOTIFY_FINISHED) says that it is done with the device, which is then closed unless a worker
// started since is using it.
void CloseDeviceOnFinalMessage(LPARAM lParam);
