#pragma once
// What the dialog tests share: a scene (drives behind one transport, the image files in the
// current directory, the screen saver in a chosen state) that a dialog starts in, and the user of
// the interactive dialog, who acts on it from a thread of their own while it runs modally on the
// test's thread, as the program runs it.

#include <windows.h>

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "sim/aspi/sim_aspi_setup.h"
#include "sim/sim_drive.h"
#include "tests/support/bytes.h"
#include "tests/support/firmware_images.h"
#include "tests/support/shared_state_scope.h"
#include "tests/support/wait_until.h"
#include "ui/auto_dlg.h"
#include "ui/updater_dlg.h"

enum class Transport { PassThrough, Aspi };

// The program's transport on this run: ASPI when the process runs with the Windows 98 setting.
Transport TransportOfThisRun();

// Everything a dialog's start meets, set up before it and put back after it: no drive, the
// shared state as at process start, the updater mutex free, no restart recorded.
class DialogScene {
public:
    explicit DialogScene(const MainImageHeader& image = {});
    ~DialogScene();
    DialogScene(const DialogScene&) = delete;
    DialogScene& operator=(const DialogScene&) = delete;

    // Drives in the order discovery finds them: on pass-through the letters E, F, ...; on ASPI
    // adapter 0, targets 1, 2, ... Whatever the drive's state, it is the scene's from here on.
    void AddDrive(const sim::SimDrive& drive);
    // Runs `happening` on a thread of its own while the dialog runs; the scene waits for it at
    // its end.
    void Meanwhile(std::function<void()> happening);
    // A drive that becomes ready once the first, empty discovery has ended: on pass-through its
    // open of the last letter shows that; the ASPI layer shows nothing, so there it comes 2 s in.
    void AddDriveAfterTheFirstScan(const sim::SimDrive& drive);
    // The device of drive `index` is unplugged: every open and request fails from now on.
    void Unplug(int index);
    // The drive as it is now, with everything it received.
    sim::SimDrive Drive(int index) const;
    std::vector<uint8_t> Received(int index) const { return Opcodes(Drive(index)); }
    // Every open of a device, in order (pass-through only).
    std::vector<std::string> Opens() const;

    ImageFolder& Images() { return m_images; }
    void SetScreenSaverActive(bool active);
    static bool ScreenSaverActive();

private:
    Transport m_transport;
    SharedStateScope m_state{TransferBuffers::None};
    ImageFolder m_images;
    BOOL m_screenSaverBefore = FALSE;
    std::unique_ptr<sim::AspiSetup> m_aspi;
    int m_drives = 0;
    std::vector<std::thread> m_happenings;
};

// The interactive dialog as the program runs it, watched: its window handle from the start of
// its initialisation on, and whether its initialisation has ended.
class WatchedUpdaterDlg : public CUpdaterDlg {
public:
    std::atomic<HWND> window{nullptr};
    std::atomic<bool> initialised{false};

protected:
    BOOL OnInitDialog() override;
};

// The user's side of a running dialog, used from the user's thread.
class DialogUser {
public:
    explicit DialogUser(HWND dialog) : m_dialog(dialog) {}

    HWND Dialog() const { return m_dialog; }
    // Waits for a condition, polling; false when it did not come within timeoutMs.
    bool WaitFor(const std::function<bool()>& condition, DWORD timeoutMs = 30000) const;
    std::string Text(int controlId) const;
    bool Enabled(int controlId) const;
    bool SystemCloseEnabled() const;
    // Clicks a button as the mouse would: the button's notification, posted.
    void Click(int controlId) const;
    // Picks entry `index` of the drive list as the user would, and waits until the dialog has
    // taken the change.
    void Select(int index) const;
    LRESULT Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
    void Post(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
    // Posts a key press to the focused control of the dialog and waits until the dialog's thread
    // has handled it.
    void PressKey(WPARAM virtualKey) const;
    // Waits until the dialog's thread has handled every message posted to it so far.
    void Settle() const;

private:
    HWND m_dialog;
};

// True when the versions are on screen: the start, or a drive-information read, has ended.
bool VersionsShown(const DialogUser& user);

// The progress dialog of this process, when one is on screen.
HWND VisibleProgressDialog();

struct ModalRun {
    INT_PTR result = 0;
    HWND window = nullptr; // the dialog's window, recorded at the start of its initialisation
    bool userDone = false; // the user's script ran to its end
};

// Runs the dialog modally on this thread. Once its initialisation has ended and it is on screen,
// `user` runs on a thread of its own; a dialog that ends in its initialisation never meets the
// user. Returns when the dialog has ended and the user's thread is over.
ModalRun RunModal(WatchedUpdaterDlg& dialog, const std::function<void(DialogUser&)>& user = {});

struct AutoRun {
    int exitCode = -1; // the code of the quit message; -1 when none came in time
    HWND window = nullptr;
    bool userDone = false;
};

// Runs the automatic mode as the program does: the dialog made (its start runs), the message
// loop until the quit message, the dialog destroyed. `user` acts meanwhile from its own thread;
// `afterQuit` runs on this thread between the end of the loop and the dialog's destruction.
AutoRun RunAutoMode(const std::function<void(DialogUser&)>& user = {},
                    const std::function<void(CAutoDlg&)>& afterQuit = {}, DWORD timeoutMs = 60000);

// Records, on this thread, the order in which the dialog's controls are enabled again, with the
// state of the system-menu close at each step.
class EnableRecorder {
public:
    struct Step {
        int controlId;
        bool enabled;
        bool systemCloseEnabled;
    };
    EnableRecorder();
    ~EnableRecorder();
    EnableRecorder(const EnableRecorder&) = delete;
    EnableRecorder& operator=(const EnableRecorder&) = delete;
    std::vector<Step> Steps() const;
    void Clear();

private:
    HHOOK m_hook;
};
