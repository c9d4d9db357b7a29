#pragma once
// The updater mutex held by the test, as another updater would hold it, while the object lives:
// a dialog's start then ends at its mutex step.

#include <windows.h>

#include "framework/scoped_handle.h"
#include "ui/start_steps.h"

class UpdaterMutexHeld {
public:
    UpdaterMutexHeld() : m_mutex(CreateMutexA(nullptr, FALSE, UPDATER_MUTEX_NAME)) {}
    bool Held() const { return m_mutex.IsValid(); }

private:
    ScopedHandle m_mutex;
};

// Closes the mutex a dialog's start claimed in this process (the program never lets it go), so
// that the next start in the same test program can claim it again.
inline void ReleaseUpdaterMutex() {
    if (g_hUpdaterMutex != nullptr) {
        ReleaseMutex(g_hUpdaterMutex);
        CloseHandle(g_hUpdaterMutex);
        g_hUpdaterMutex = nullptr;
    }
}
