#include "restart.h"

#include "drive/shared_state.h"
#include "framework/scoped_handle.h"
#include "seam/system_seam.h"

namespace {

constexpr char SHUTDOWN_PRIVILEGE_NAME[] = "SeShutdownPrivilege";
constexpr UINT RESTART_FLAGS = EWX_REBOOT | EWX_FORCE;
constexpr DWORD RESTART_REASON = 0;

// Whether it worked shows only in the restart request's answer.
void EnableShutdownPrivilege() {
    ScopedHandle token;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES, token.Receive()))
        return;
    TOKEN_PRIVILEGES privileges = {};
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    if (LookupPrivilegeValueA(nullptr, SHUTDOWN_PRIVILEGE_NAME, &privileges.Privileges[0].Luid))
        AdjustTokenPrivileges(token.Get(), FALSE, &privileges, 0, nullptr, nullptr);
}

} // namespace

bool RequestRestart() {
    if (g_nTransport != TRANSPORT_ASPI)
        EnableShutdownPrivilege();
    return SysExitWindows(RESTART_FLAGS, RESTART_REASON) != FALSE;
}
