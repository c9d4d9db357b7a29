#pragma once
// The simulated restart of Windows behind the restart seam: it answers each request to end the
// session as Windows would and records it, so that tests can assert on the flags and reason, and
// ends nothing. On the NT family Windows refuses the request (ERROR_PRIVILEGE_NOT_HELD) unless
// the caller's token has the shutdown privilege enabled; Windows 9x has no privileges.
//
// A program under test in a process of its own records its requests in the file named by the
// environment variable KESTRAN_SIM_RESTART_LOG, one line per request, read back with
// ReadRestartLog.

#include <windows.h>

#include <mutex>
#include <string>
#include <vector>

namespace sim {

constexpr char RESTART_LOG_ENVIRONMENT_VARIABLE[] = "KESTRAN_SIM_RESTART_LOG";

struct RestartCall {
    UINT flags;
    DWORD reason;
    bool privilegeEnabled; // the caller's shutdown privilege was enabled (NT family)
    bool accepted;         // the result the caller got
};

class SimRestart {
public:
    static SimRestart& Instance();

    // Forgets every recorded call and every planned refusal.
    void Reset();
    std::vector<RestartCall> Calls() const;
    // The next request is refused (ERROR_NOT_READY) whatever the privilege: another program
    // vetoed the end of the session.
    void RefuseNext();

    // The twin of the seam's call.
    BOOL EndSession(UINT flags, DWORD reason);

private:
    SimRestart() = default;

    mutable std::mutex mutex_;
    std::vector<RestartCall> calls_;
    bool refuseNext_ = false;
};

// The requests a process recorded in a restart log, oldest first.
std::vector<RestartCall> ReadRestartLog(const std::string& path);

} // namespace sim
