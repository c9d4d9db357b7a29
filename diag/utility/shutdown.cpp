#include "shutdown.h"

#include "drive/shared_state.h"
#include "framework/scoped_handle.h"
#include "seam/system_seam.h"

namespace {

constexpr char SHUTDOWN_PRIVILEGE_NAME[] = "SeShutdownPrivilege";
// The empty system name names the local machine.
constexpr char LOCAL_SYSTEM[] = "";

// True when this process's token now has the shutdown privilege enabled. AdjustTokenPrivileges
// succeeds even when the token lacks the privilege; only the last error then tells.
bool EnableShutdownPrivilege() {
    ScopedHandle token;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY,
                          token.Receive()))
        return false;
    TOKEN_PRIVILEGES privileges = {};
    if (!LookupPrivilegeValueA(LOCAL_SYSTEM, SHUTDOWN_PRIVILEGE_NAME,
                               &privileges.Privileges[0].Luid))
        return false;
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    AdjustTokenPrivileges(token.Get(), FALSE, &privileges, 0, nullptr, nullptr);
    return GetLastError() == ERROR_SUCCESS;
}

} // namespace

int ShutdownWindows(UINT flags, DWORD reason) {
    // Windows 9x has no privileges to enable.
    if (g_nTransport == TRANSPORT_ASPI || EnableShutdownPrivilege())
        SysExitWindows(flags, reason);
    return 1;
}
