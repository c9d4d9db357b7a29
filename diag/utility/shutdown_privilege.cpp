#include "shutdown_privilege.h"

#include <windows.h>

#include "framework/scoped_handle.h"

namespace {

constexpr char SHUTDOWN_PRIVILEGE_NAME[] = "SeShutdownPrivilege";
// The empty system name names the local machine.
constexpr char LOCAL_SYSTEM[] = "";

} // namespace

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
