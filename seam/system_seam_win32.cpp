#include "seam/system_seam.h"

HANDLE SysOpenDevice(LPCSTR path, DWORD access, DWORD shareMode, LPSECURITY_ATTRIBUTES security,
                     DWORD disposition, DWORD flagsAndAttributes, HANDLE templateFile) {
    return CreateFileA(path, access, shareMode, security, disposition, flagsAndAttributes,
                       templateFile);
}

BOOL SysDeviceIoControl(HANDLE device, DWORD controlCode, LPVOID inBuffer, DWORD inSize,
                        LPVOID outBuffer, DWORD outSize, LPDWORD bytesReturned,
                        LPOVERLAPPED overlapped) {
    return DeviceIoControl(device, controlCode, inBuffer, inSize, outBuffer, outSize, bytesReturned,
                           overlapped);
}

BOOL SysCloseDevice(HANDLE device) {
    return CloseHandle(device);
}

BOOL SysExitWindows(UINT flags, DWORD reason) {
    return ExitWindowsEx(flags, reason);
}
