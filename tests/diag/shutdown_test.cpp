#include <gtest/gtest.h>

#include <windows.h>
#include <reason.h>

#include <optional>
#include <string>

#include "diag/utility/shutdown.h"
#include "drive/shared_state.h"
#include "framework/scoped_handle.h"
#include "sim/sim_restart.h"
#include "tests/support/child_process.h"
#include "tests/support/shared_state_scope.h"
#include "tests/diag/shutdown_probe.h"

namespace {

LUID ShutdownPrivilege() {
    LUID luid = {};
    EXPECT_TRUE(LookupPrivilegeValueA(nullptr, "SeShutdownPrivilege", &luid));
    return luid;
}

void SetShutdownPrivilege(DWORD attributes) {
    ScopedHandle token;
    ASSERT_TRUE(OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES, token.Receive()));
    TOKEN_PRIVILEGES privileges = {};
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Luid = ShutdownPrivilege();
    privileges.Privileges[0].Attributes = attributes;
    ASSERT_TRUE(AdjustTokenPrivileges(token.Get(), FALSE, &privileges, 0, nullptr, nullptr));
    ASSERT_EQ(static_cast<DWORD>(ERROR_SUCCESS), GetLastError())
        << "this process's token must hold the shutdown privilege";
}

// The shutdown privilege's attributes in the token, or nothing when the token does not hold it.
std::optional<DWORD> ShutdownPrivilegeAttributes(HANDLE token) {
    DWORD size = 0;
    GetTokenInformation(token, TokenPrivileges, nullptr, 0, &size);
    std::string storage(size, '\0');
    auto* privileges = reinterpret_cast<TOKEN_PRIVILEGES*>(&storage[0]);
    EXPECT_TRUE(GetTokenInformation(token, TokenPrivileges, privileges, size, &size));
    const LUID wanted = ShutdownPrivilege();
    for (DWORD i = 0; i < privileges->PrivilegeCount; ++i) {
        const LUID_AND_ATTRIBUTES& entry = privileges->Privileges[i];
        if (entry.Luid.LowPart == wanted.LowPart && entry.Luid.HighPart == wanted.HighPart)
            return entry.Attributes;
    }
    return std::nullopt;
}

bool IsShutdownPrivilegeEnabled() {
    ScopedHandle token;
    EXPECT_TRUE(OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.Receive()));
    const std::optional<DWORD> attributes = ShutdownPrivilegeAttributes(token.Get());
    return attributes && (*attributes & SE_PRIVILEGE_ENABLED) != 0;
}

class ShutdownWindowsTest : public ::testing::Test {
protected:
    void SetUp() override { sim::SimRestart::Instance().Reset(); }

    SharedStateScope state_{TransferBuffers::None};
};

struct TransportCase {
    const char* name;
    int transport;
    UINT flags;
    DWORD reason;
    bool enablesPrivilege;
};

TEST_F(ShutdownWindowsTest, RequestsTheRestartWithTheCallersFlagsAndReason) {
    const TransportCase cases[] = {
        // Windows 9x has no privileges: the request goes out as it is.
        {"ASPI (Windows 9x)", TRANSPORT_ASPI, EWX_REBOOT | EWX_FORCE, 0, false},
        {"pass-through (NT)", TRANSPORT_PASS_THROUGH, EWX_SHUTDOWN,
         SHTDN_REASON_MAJOR_APPLICATION | SHTDN_REASON_MINOR_UPGRADE | SHTDN_REASON_FLAG_PLANNED,
         true},
        // Anything but ASPI is taken for the NT family.
        {"no transport chosen", TRANSPORT_NONE, EWX_LOGOFF, SHTDN_REASON_MAJOR_SOFTWARE, true},
    };
    for (const TransportCase& c : cases) {
        SCOPED_TRACE(c.name);
        sim::SimRestart::Instance().Reset();
        SetShutdownPrivilege(0);
        ScopedOverride<int> transport(g_nTransport, c.transport);

        EXPECT_EQ(1, ShutdownWindows(c.flags, c.reason));

        const std::vector<sim::RestartCall> calls = sim::SimRestart::Instance().Calls();
        ASSERT_EQ(1u, calls.size());
        EXPECT_EQ(c.flags, calls[0].flags);
        EXPECT_EQ(c.reason, calls[0].reason);
        EXPECT_EQ(c.enablesPrivilege, IsShutdownPrivilegeEnabled());
    }
}

std::string ProbePath() {
    return ProgramFolder() + SHUTDOWN_PROBE_EXE;
}

// A token like this process's without the shutdown privilege, so that AdjustTokenPrivileges
// cannot enable it. The privilege is named: Wine 8 ignores DISABLE_MAX_PRIVILEGE but honours a
// list of privileges to delete.
void MakeTokenWithoutShutdownPrivilege(ScopedHandle* restricted) {
    ScopedHandle own;
    ASSERT_TRUE(OpenProcessToken(
        GetCurrentProcess(), TOKEN_DUPLICATE | TOKEN_ASSIGN_PRIMARY | TOKEN_QUERY, own.Receive()));
    LUID_AND_ATTRIBUTES shutdown = {};
    shutdown.Luid = ShutdownPrivilege();
    ASSERT_TRUE(CreateRestrictedToken(own.Get(), 0, 0, nullptr, 1, &shutdown, 0, nullptr,
                                      restricted->Receive()))
        << "error " << GetLastError();
    ASSERT_EQ(std::nullopt, ShutdownPrivilegeAttributes(restricted->Get()));
}

// Runs the probe, under the given token or (null) this process's own, and returns its exit code.
DWORD RunProbe(HANDLE token) {
    ChildOptions options;
    options.token = token;
    const std::optional<DWORD> exitCode = RunChildToEnd("\"" + ProbePath() + "\"", options);
    EXPECT_TRUE(exitCode.has_value()) << "the probe did not start or did not end";
    return exitCode.value_or(0);
}

TEST(ShutdownWindowsPrivilege, NothingIsRequestedWhenTheShutdownPrivilegeCannotBeEnabled) {
    ScopedHandle withoutPrivilege;
    MakeTokenWithoutShutdownPrivilege(&withoutPrivilege);
    ASSERT_FALSE(HasFatalFailure());

    // The same probe under this process's own token shows that it does reach the seam.
    EXPECT_EQ(PROBE_SEAM_CALLED, RunProbe(nullptr));
    EXPECT_EQ(PROBE_SEAM_NOT_CALLED, RunProbe(withoutPrivilege.Get()));
}

} // namespace
