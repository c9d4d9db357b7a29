#include "restart.h"

#include "diag/utility/shutdown_privilege.h"
#include "drive/shared_state.h"
#include "seam/system_seam.h"

namespace {
constexpr UINT RESTART_FLAGS = EWX_REBOOT | EWX_FORCE;
constexpr DWORD RESTART_REASON = 0;
} // namespace

bool RequestRestart() {
    // Windows 9x has no privileges. On the NT family a privilege that could not be enabled shows
    // in the request's answer, which Windows then refuses.
    if (g_nTransport != TRANSPORT_ASPI)
        EnableShutdownPrivilege();
    return SysExitWindows(RESTART_FLAGS, RESTART_REASON) != FALSE;
}
