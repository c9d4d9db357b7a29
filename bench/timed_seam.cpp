// Stands in for sim_seam in the in-process benchmark: the same forwarding to the simulated
// storage stack and the simulated restart, plus the clock around each IOCTL. The readings go into
// a fixed array, so that timing a request allocates nothing.
#include "bench/timed_seam.h"

#include "bench/bench_timing.h"
#include "seam/system_seam.h"
#include "sim/sim_restart.h"
#include "sim/sim_storage_stack.h"

namespace {

TimedRequest g_requests[TIMED_REQUEST_CAPACITY];
// Only one worker sends at a time, and the reader looks only once it has ended.
volatile LONG g_count = 0;

} // namespace

void ResetTimedRequests() {
    g_count = 0;
}

size_t TimedRequestCount() {
    return static_cast<size_t>(g_count);
}

const TimedRequest& TimedRequestAt(size_t index) {
    return g_requests[index];
}

HANDLE SysOpenDevice(LPCSTR path, DWORD access, DWORD shareMode, LPSECURITY_ATTRIBUTES,
                     DWORD disposition, DWORD flagsAndAttributes, HANDLE) {
    return sim::SimStorageStack::Instance().Open(path, access, shareMode, disposition,
                                                 flagsAndAttributes);
}

BOOL SysDeviceIoControl(HANDLE device, DWORD controlCode, LPVOID inBuffer, DWORD inSize,
                        LPVOID outBuffer, DWORD outSize, LPDWORD bytesReturned, LPOVERLAPPED) {
    const double sent = NowMs();
    const BOOL result = sim::SimStorageStack::Instance().Control(
        device, controlCode, inBuffer, inSize, outBuffer, outSize, bytesReturned);
    const LONG index = g_count;
    if (static_cast<size_t>(index) < TIMED_REQUEST_CAPACITY) {
        g_requests[index] = {sent, NowMs()};
        g_count = index + 1;
    }
    return result;
}

BOOL SysCloseDevice(HANDLE device) {
    return sim::SimStorageStack::Instance().Close(device);
}

BOOL SysExitWindows(UINT flags, DWORD reason) {
    return sim::SimRestart::Instance().EndSession(flags, reason);
}
