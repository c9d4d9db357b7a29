#pragma once
// The privilege that the NT family asks of a process before it lets it end the Windows session.

// Enables SeShutdownPrivilege in this process's token. True when the token now has it enabled:
// AdjustTokenPrivileges succeeds even for a token that lacks the privilege, and only the last
// error then tells.
bool EnableShutdownPrivilege();
