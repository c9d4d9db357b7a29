#include "sim_restart.h"

#include <cstdio>
#include <fstream>
#include <sstream>

namespace sim {

namespace {

bool IsNtFamily() {
    OSVERSIONINFOA version = {};
    version.dwOSVersionInfoSize = sizeof version;
    GetVersionExA(&version);
    return version.dwPlatformId == VER_PLATFORM_WIN32_NT;
}

bool ShutdownPrivilegeEnabled() {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token))
        return false;
    LUID shutdown = {};
    PRIVILEGE_SET wanted = {};
    BOOL held = FALSE;
    if (LookupPrivilegeValueA(nullptr, "SeShutdownPrivilege", &shutdown)) {
        wanted.PrivilegeCount = 1;
        wanted.Control = PRIVILEGE_SET_ALL_NECESSARY;
        wanted.Privilege[0].Luid = shutdown;
        wanted.Privilege[0].Attributes = SE_PRIVILEGE_ENABLED;
        if (!PrivilegeCheck(token, &wanted, &held))
            held = FALSE;
    }
    CloseHandle(token);
    return held != FALSE;
}

void AppendToLog(const RestartCall& call) {
    char path[MAX_PATH] = {};
    if (GetEnvironmentVariableA(RESTART_LOG_ENVIRONMENT_VARIABLE, path, MAX_PATH) == 0)
        return;
    std::ofstream log(path, std::ios::app);
    log << call.flags << ' ' << call.reason << ' ' << call.privilegeEnabled << ' ' << call.accepted
        << '\n';
}

} // namespace

SimRestart& SimRestart::Instance() {
    static SimRestart instance;
    return instance;
}

void SimRestart::Reset() {
    std::lock_guard<std::mutex> lock(mutex_);
    calls_.clear();
    refuseNext_ = false;
}

std::vector<RestartCall> SimRestart::Calls() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return calls_;
}

void SimRestart::RefuseNext() {
    std::lock_guard<std::mutex> lock(mutex_);
    refuseNext_ = true;
}

BOOL SimRestart::EndSession(UINT flags, DWORD reason) {
    const bool nt = IsNtFamily();
    RestartCall call{flags, reason, nt && ShutdownPrivilegeEnabled(), false};
    DWORD error = ERROR_SUCCESS;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (refuseNext_)
            error = ERROR_NOT_READY;
        else if (nt && !call.privilegeEnabled)
            error = ERROR_PRIVILEGE_NOT_HELD;
        refuseNext_ = false;
        call.accepted = error == ERROR_SUCCESS;
        calls_.push_back(call);
    }
    AppendToLog(call);
    SetLastError(error);
    return call.accepted ? TRUE : FALSE;
}

std::vector<RestartCall> ReadRestartLog(const std::string& path) {
    std::vector<RestartCall> calls;
    std::ifstream log(path);
    std::string line;
    while (std::getline(log, line)) {
        std::istringstream fields(line);
        RestartCall call{};
        int privilege = 0;
        int accepted = 0;
        if (fields >> call.flags >> call.reason >> privilege >> accepted) {
            call.privilegeEnabled = privilege != 0;
            call.accepted = accepted != 0;
            calls.push_back(call);
        }
    }
    return calls;
}

} // namespace sim
