// A process of its own for ShutdownWindows on the NT family, so that a test can run it under a
// token that lacks the shutdown privilege. It links the simulated restart: nothing it does can end
// the Windows session.
#include "diag/utility/shutdown.h"
#include "drive/shared_state.h"
#include "sim/sim_restart.h"
#include "tests/diag/shutdown_probe.h"

int main() {
    g_nTransport = TRANSPORT_PASS_THROUGH;
    if (ShutdownWindows(EWX_REBOOT | EWX_FORCE, 0) != 1)
        return PROBE_WRONG_RESULT;
    return sim::SimRestart::Instance().Calls().empty() ? PROBE_SEAM_NOT_CALLED : PROBE_SEAM_CALLED;
}
