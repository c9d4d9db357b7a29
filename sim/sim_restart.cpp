#include "sim_restart.h"

namespace sim {

SimRestart& SimRestart::Instance() {
    static SimRestart instance;
    return instance;
}

void SimRestart::Reset() {
    std::lock_guard<std::mutex> lock(mutex_);
    calls_.clear();
}

std::vector<RestartCall> SimRestart::Calls() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return calls_;
}

BOOL SimRestart::EndSession(UINT flags, DWORD reason) {
    std::lock_guard<std::mutex> lock(mutex_);
    calls_.push_back({flags, reason});
    return TRUE;
}

} // namespace sim
