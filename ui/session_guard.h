#pragma once
// What both run modes' dialogs refuse while they live: the end of the Windows session before an
// update has succeeded, and every request to suspend.

#include <windows.h>

class CWnd;

// The answer to WM_QUERYENDSESSION, given the framework's own answer: refused before a successful
// update, with text 115 shown by dialog.
BOOL AllowSessionEnd(CWnd& dialog, BOOL frameworkAllows, BOOL updateDone);

// True, with *result set to BROADCAST_QUERY_DENY, for a query to suspend; false for every other
// message, which takes its normal way.
bool RefuseSuspend(UINT message, WPARAM wParam, LRESULT* result);
