#pragma once
// What the engine tests share: the shared state set up and torn down around a test, a record of
// the WM_UPDATER_NOTIFY messages this thread takes from its queue, firmware image files in a
// folder of their own, and the supported drive behind either transport.

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "drive/shared_state.h"
#include "sim/aspi/sim_aspi_setup.h"
#include "sim/sim_drive.h"
#include "tests/support/bytes.h"
#include "tests/support/firmware_images.h"
#include "tests/support/shared_state_scope.h"
#include "tests/support/test_folder.h"
#include "tests/support/test_transport.h"
#include "tests/support/updater_mutex_held.h"
#include "ui/auto_dlg.h"
#include "ui/updater_dlg.h"

// The shared state as a dialog's start leaves it (SharedStateScope) for the test. At the end the
// last worker is waited for, so that no test leaves a thread behind, and the final messages still
// queued are dropped with the workers' count of them.
class EngineState {
public:
    EngineState() = default;
    ~EngineState();
    EngineState(const EngineState&) = delete;
    EngineState& operator=(const EngineState&) = delete;

private:
    SharedStateScope m_state;
};

struct Notification {
    HWND window;
    WPARAM what;
    LPARAM finished;
};

// Records each WM_UPDATER_NOTIFY that this thread's message loops retrieve, before the dialog
// handles it. One recorder at a time.
class NotifyRecorder {
public:
    NotifyRecorder();
    ~NotifyRecorder();
    NotifyRecorder(const NotifyRecorder&) = delete;
    NotifyRecorder& operator=(const NotifyRecorder&) = delete;

    std::vector<Notification> Seen() const;
    // Pumps this thread's messages until a message `what` has been handled; false on time-out.
    bool PumpUntil(WPARAM what, DWORD timeoutMs = 10000) const;

private:
    HHOOK m_hook;
};

// True when a WM_UPDATER_NOTIFY waits in this thread's queue for window.
bool NotificationPending(HWND window);

// The dialogs as the engine sees them: their windows, starters, scans and requests, but not
// their start or their reactions beyond the protocol's receiving side (the device closed on a
// final message; the version check on NOTIFY_DRIVE_INFO), so that a test drives the engine step
// by step. The dialogs' own behaviour is tested in tests/ui.

// Without its start: no notice, no discovery, no drive-information read.
class IdleUpdaterDlg : public CUpdaterDlg {
protected:
    BOOL OnInitDialog() override { return CDialog::OnInitDialog(); }
    LRESULT OnEngineNotify(WPARAM wParam, LPARAM lParam);

    DECLARE_MESSAGE_MAP()
};

// With its start ended at once: the test holds the updater mutex, so the start ends at its mutex
// step, and the close and quit it posts are taken back from the queue. The window stays, for the
// workers to report to.
class IdleAutoDlg : private UpdaterMutexHeld, public CAutoDlg {
public:
    IdleAutoDlg();

protected:
    LRESULT OnEngineNotify(WPARAM wParam, LPARAM lParam);

    DECLARE_MESSAGE_MAP()
};

// Starts the dialog's worker on the selected drive as the dialogs' requesters do.
template <class Dialog> int StartOnSelectedDrive(Dialog& dialog, int wait) {
    if (g_nTransport == TRANSPORT_PASS_THROUGH)
        return dialog.StartWorkerOnDrive(g_DriveTable[g_nSelectedDrive].DriveLetter, wait);
    return dialog.StartWorker(wait);
}
