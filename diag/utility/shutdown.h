#pragma once
// Ending the Windows session from the updater.

#include <windows.h>

// Ends the session with ExitWindowsEx's flags and reason. On Windows 9x (ASPI transport) the
// request goes out at once; on the NT family the process first enables its shutdown privilege,
// and nothing is requested when that privilege cannot be enabled. Always 1: the caller has no
// other way on when Windows refuses.
int ShutdownWindows(UINT flags, DWORD reason);
