#include "tests/support/message_pump.h"

#include <algorithm>

#include "framework/cwinapp.h"

namespace {
// A condition may turn true without a message for this thread (another thread's work).
constexpr DWORD CONDITION_POLL_MS = 10;
} // namespace

bool PumpMessagesUntil(const std::function<bool()>& done, DWORD timeoutMs) {
    DWORD start = GetTickCount();
    while (!done()) {
        DWORD elapsed = GetTickCount() - start;
        if (elapsed >= timeoutMs)
            return false;
        MSG msg;
        if (PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE))
            AfxPumpMessage();
        else
            MsgWaitForMultipleObjects(
                0, nullptr, FALSE, std::min(timeoutMs - elapsed, CONDITION_POLL_MS), QS_ALLINPUT);
    }
    return true;
}
