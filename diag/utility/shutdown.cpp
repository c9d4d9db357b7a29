#include "shutdown.h"

#include "drive/shared_state.h"
#include "seam/system_seam.h"
#include "shutdown_privilege.h"

int ShutdownWindows(UINT flags, DWORD reason) {
    // Windows 9x has no privileges to enable.
    if (g_nTransport == TRANSPORT_ASPI || EnableShutdownPrivilege())
        SysExitWindows(flags, reason);
    return 1;
}
