// The test build's twins of the seams: the device calls go to the simulated storage stack, the
// restart of Windows to the simulated restart.
#include "seam/system_seam.h"

#include "sim_restart.h"
#include "sim_storage_stack.h"

HANDLE SysOpenDevice(LPCSTR path, DWORD access, DWORD shareMode, LPSECURITY_ATTRIBUTES,
                     DWORD disposition, DWORD flagsAndAttributes, HANDLE) {
    return sim::SimStorageStack::Instance().Open(path, access, shareMode, disposition,
                                                 flagsAndAttributes);
}

BOOL SysDeviceIoControl(HANDLE device, DWORD controlCode, LPVOID inBuffer, DWORD inSize,
                        LPVOID outBuffer, DWORD outSize, LPDWORD bytesReturned, LPOVERLAPPED) {
    return sim::SimStorageStack::Instance().Control(device, controlCode, inBuffer, inSize,
                                                    outBuffer, outSize, bytesReturned);
}

BOOL SysCloseDevice(HANDLE device) {
    return sim::SimStorageStack::Instance().Close(device);
}

BOOL SysExitWindows(UINT flags, DWORD reason) {
    return sim::SimRestart::Instance().EndSession(flags, reason);
}
