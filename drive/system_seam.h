#pragma once
// The calls whose real effect a test cannot have: opening, controlling and closing the drive's
// device. The product links system_seam_win32.cpp, which forwards each call to Windows unchanged;
// the tests link the simulated storage stack instead. Nothing else in the program calls
// CreateFileA on a device, DeviceIoControl or CloseHandle on a device handle.

#include <windows.h>

HANDLE SysOpenDevice(LPCSTR path, DWORD access, DWORD shareMode, LPSECURITY_ATTRIBUTES security,
                     DWORD disposition, DWORD flagsAndAttributes, HANDLE templateFile);

BOOL SysDeviceIoControl(HANDLE device, DWORD controlCode, LPVOID inBuffer, DWORD inSize,
                        LPVOID outBuffer, DWORD outSize, LPDWORD bytesReturned,
                        LPOVERLAPPED overlapped);

BOOL SysCloseDevice(HANDLE device);
