// The simulated restart answers as the NT family does: refused without the caller's shutdown
// privilege, refused when another program vetoes it, and logged for a test in another process.
#include <gtest/gtest.h>

#include <windows.h>

#include "framework/scoped_handle.h"
#include "seam/system_seam.h"
#include "sim/sim_restart.h"
#include "tests/support/test_folder.h"

namespace {

using sim::RestartCall;
using sim::SimRestart;

void SetShutdownPrivilege(DWORD attributes) {
    ScopedHandle token;
    ASSERT_TRUE(OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES, token.Receive()));
    TOKEN_PRIVILEGES privileges = {};
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Attributes = attributes;
    ASSERT_TRUE(
        LookupPrivilegeValueA(nullptr, "SeShutdownPrivilege", &privileges.Privileges[0].Luid));
    ASSERT_TRUE(AdjustTokenPrivileges(token.Get(), FALSE, &privileges, 0, nullptr, nullptr));
}

TEST(SimRestart, AnswersAsTheNtFamilyDoes) {
    const struct {
        const char* name;
        DWORD privilege;
        bool vetoed;
        bool accepted;
        DWORD error;
    } cases[] = {
        // clang-format off
        {"privilege enabled",          SE_PRIVILEGE_ENABLED, false, true,  ERROR_SUCCESS},
        {"privilege not enabled",      0,                    false, false, ERROR_PRIVILEGE_NOT_HELD},
        {"another program vetoes it",  SE_PRIVILEGE_ENABLED, true,  false, ERROR_NOT_READY},
        // clang-format on
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SimRestart::Instance().Reset();
        SetShutdownPrivilege(c.privilege);
        if (c.vetoed)
            SimRestart::Instance().RefuseNext();
        EXPECT_EQ(c.accepted, SysExitWindows(EWX_REBOOT | EWX_FORCE, 7) != FALSE);
        EXPECT_EQ(c.error, GetLastError());
        const std::vector<RestartCall> calls = SimRestart::Instance().Calls();
        ASSERT_EQ(1u, calls.size());
        EXPECT_EQ(UINT(EWX_REBOOT | EWX_FORCE), calls[0].flags);
        EXPECT_EQ(7u, calls[0].reason);
        EXPECT_EQ(c.privilege != 0, calls[0].privilegeEnabled);
        EXPECT_EQ(c.accepted, calls[0].accepted);
    }
    SetShutdownPrivilege(0);
    SimRestart::Instance().Reset();
}

TEST(SimRestart, LogsEachRequestWhereTheEnvironmentSays) {
    TestFolder folder("restart_log");
    const std::string log = folder.File("restart.log");
    ASSERT_TRUE(SetEnvironmentVariableA(sim::RESTART_LOG_ENVIRONMENT_VARIABLE, log.c_str()));
    SetShutdownPrivilege(SE_PRIVILEGE_ENABLED);
    SysExitWindows(EWX_REBOOT, 0);
    SetShutdownPrivilege(0);
    SysExitWindows(EWX_LOGOFF, 3);
    SetEnvironmentVariableA(sim::RESTART_LOG_ENVIRONMENT_VARIABLE, nullptr);

    const std::vector<RestartCall> logged = sim::ReadRestartLog(log);
    ASSERT_EQ(2u, logged.size());
    EXPECT_EQ(UINT(EWX_REBOOT), logged[0].flags);
    EXPECT_TRUE(logged[0].accepted);
    EXPECT_EQ(UINT(EWX_LOGOFF), logged[1].flags);
    EXPECT_EQ(3u, logged[1].reason);
    EXPECT_FALSE(logged[1].privilegeEnabled);
    EXPECT_FALSE(logged[1].accepted);
    SimRestart::Instance().Reset();
}

} // namespace
