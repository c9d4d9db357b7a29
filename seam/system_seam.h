#pragma once
// The calls whose real effect a test cannot have: opening, controlling and closing the drive's
// device, and restarting Windows. The product links system_seam_win32.cpp, which forwards each
// call to Windows unchanged; the tests link the simulator's twins instead. Nothing else in the
// program calls CreateFileA on a device, DeviceIoControl, CloseHandle on a device handle or
// ExitWindowsEx.

#include <windows.h>

HANDLE SysOpenDevice(LPCSTR path, DWORD access, DWORD shareMode, LPSECURITY_ATTRIBUTES security,
                     DWORD disposition, DWORD flagsAndAttributes, HANDLE templateFile);

BOOL SysDeviceIoControl(HANDLE device, DWORD controlCode, LPVOID inBuffer, DWORD inSize,
                        LPVOID outBuffer, DWORD outSize, LPDWORD bytesReturned,
                        LPOVERLAPPED overlapped);

BOOL SysCloseDevice(HANDLE device);

// Ends the Windows session as ExitWindowsEx does. Under Wine a forced restart would end every
// process of the prefix, the test runner included, so no test may reach the real call.
BOOL SysExitWindows(UINT flags, DWORD reason);
