#pragma once
// The simulated restart of Windows behind the restart seam: it records each request to end the
// session, so that tests can assert on the flags and reason, and ends nothing.

#include <windows.h>

#include <mutex>
#include <vector>

namespace sim {

struct RestartCall {
    UINT flags;
    DWORD reason;
};

class SimRestart {
public:
    static SimRestart& Instance();

    // Forgets every recorded call.
    void Reset();
    std::vector<RestartCall> Calls() const;

    // The twin of the seam's call: records it and reports success, as Windows does when it
    // accepts the request.
    BOOL EndSession(UINT flags, DWORD reason);

private:
    SimRestart() = default;

    mutable std::mutex mutex_;
    std::vector<RestartCall> calls_;
};

} // namespace sim
