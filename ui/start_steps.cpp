#include "start_steps.h"

#include "framework/cwnd.h"

HANDLE g_hUpdaterMutex = nullptr;

namespace {
constexpr char SCREEN_SAVER_FAILURE[] = "FALSE";
} // namespace

bool ClaimUpdaterMutex() {
    HANDLE existing = OpenMutexA(MUTEX_ALL_ACCESS, FALSE, UPDATER_MUTEX_NAME);
    if (existing != nullptr) {
        CloseHandle(existing);
        return false;
    }
    HANDLE created = CreateMutexA(nullptr, TRUE, UPDATER_MUTEX_NAME);
    // Another updater may have made it between the two calls; it is then that one's.
    if (created != nullptr && GetLastError() == ERROR_ALREADY_EXISTS) {
        CloseHandle(created);
        return false;
    }
    g_hUpdaterMutex = created;
    return true;
}

void SwitchScreenSaverOff(CWnd& owner, BOOL& wasActive) {
    if (!SystemParametersInfoA(SPI_GETSCREENSAVEACTIVE, 0, &wasActive, SPIF_UPDATEINIFILE))
        owner.MessageBox(SCREEN_SAVER_FAILURE, SCREEN_SAVER_FAILURE, MB_OK);
    if (wasActive)
        SystemParametersInfoA(SPI_SETSCREENSAVEACTIVE, FALSE, nullptr, SPIF_SENDCHANGE);
}

void RestoreScreenSaver(BOOL wasActive) {
    if (wasActive)
        SystemParametersInfoA(SPI_SETSCREENSAVEACTIVE, TRUE, nullptr, SPIF_SENDCHANGE);
}

int ScanWithOneRetry(const std::function<int()>& scan) {
    int found = scan();
    if (found == 0) {
        Sleep(DISCOVERY_RETRY_PAUSE_MS);
        found = scan();
    }
    return found;
}
