// The interactive updater dialog as the program runs it (modally, on this thread), with a user
// acting on it from another thread: every ending of its start, the update with its success and
// failure, the refusals, and the ways it must not end while an update runs.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "dialog_scene.h"
#include "drive/shared_state.h"
#include "expected_boxes.h"
#include "sim/sim_disc.h"
#include "sim/sim_download.h"
#include "sim/sim_restart.h"
#include "sim/sim_storage_stack.h"
#include "tests/support/message_box_watcher.h"
#include "tests/support/updater_mutex_held.h"
#include "ui/res/resource.h"
#include "ui/start_steps.h"

namespace {

using sim::Fault;
using sim::SimDrive;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::IsEmpty;

constexpr uint8_t READ_BUFFER = sim::OP_READ_BUFFER;
constexpr uint8_t INQUIRY = sim::OP_INQUIRY;
constexpr uint8_t DISC_INFO = sim::OP_READ_DISC_INFO;
constexpr uint8_t TRACK_INFO = sim::OP_READ_TRACK_INFO;
constexpr uint8_t WRITE_BUFFER = sim::OP_WRITE_BUFFER;

// Discovery's two commands, the drive-information read, and a disc check that finds no medium.
const std::vector<uint8_t> DISCOVERY = {READ_BUFFER, INQUIRY};
const std::vector<uint8_t> START_TO_READY = {READ_BUFFER, INQUIRY,    INQUIRY,
                                             DISC_INFO,   TRACK_INFO, DISC_INFO};

constexpr DWORD BOX_TIMEOUT_MS = 15000;
const std::string DRIVE_NAME = "KESTRAN DVD-RW  "; // vendor and the first 8 product characters

SimDrive WithoutDisc(SimDrive drive = SimDrive::Kestran()) {
    drive.disc.present = false;
    return drive;
}

SimDrive WithRevision(const std::string& revision) {
    SimDrive drive = WithoutDisc();
    drive.identity.revision = revision;
    return drive;
}

enum class Ending { ByItself, ReadyUntilClosed };
enum class Mutex { Free, HeldElsewhere };
enum class Retry { None, After3500Ms };
// What the start has touched when it ends: nothing (before the mutex step), or the mutex, the
// screen saver and the buffers.
enum class Touched { Nothing, Everything };
enum class Applies { BothTransports, PassThroughOnly };

void OneDrive(DialogScene& scene) {
    scene.AddDrive(WithoutDisc());
}
void NoDrive(DialogScene&) {}
void DiscInDrive(DialogScene& scene) {
    scene.AddDrive(SimDrive::Kestran());
}
void ImageMissing(DialogScene& scene) {
    scene.AddDrive(WithoutDisc());
    scene.Images().RemoveMain();
}
void ImageNotNewer(DialogScene& scene) {
    SimDrive drive = WithoutDisc();
    drive.identity.revision = "1.52";
    drive.identity.firmwareDate = "06/11/07";
    scene.AddDrive(drive);
}
// Unplugged between discovery (its one open) and the drive-information read.
void DeviceGoneAfterDiscovery(DialogScene& scene) {
    SimDrive drive = WithoutDisc();
    drive.opensBeforeGone = 1;
    scene.AddDrive(drive);
}
void TwoDrives(DialogScene& scene) {
    scene.AddDrive(WithoutDisc());
    scene.AddDrive(WithRevision("1.10"));
}
// The drive becomes ready once the first, empty discovery has ended (on pass-through its last
// open shows that; the ASPI layer shows nothing, so there it comes after 2 s).
void DriveReadyLater(DialogScene& scene) {
    scene.Meanwhile([&scene] {
        if (TransportOfThisRun() == Transport::PassThrough) {
            const std::string lastLetter = "\\\\.\\Z:";
            WaitUntil([&] {
                std::vector<std::string> opens = scene.Opens();
                return std::find(opens.begin(), opens.end(), lastLetter) != opens.end();
            });
        } else {
            Sleep(2000);
        }
        scene.AddDrive(WithoutDisc());
    });
}

const std::vector<uint8_t> DISC_PRESENT_CHECK = {READ_BUFFER,
                                                 INQUIRY,
                                                 INQUIRY,
                                                 DISC_INFO,
                                                 TRACK_INFO,
                                                 DISC_INFO,
                                                 TRACK_INFO,
                                                 sim::OP_READ_TOC,
                                                 sim::OP_TEST_UNIT_READY,
                                                 sim::OP_GET_EVENT_STATUS};
const std::vector<uint8_t> TO_VERSION_CHECK = {READ_BUFFER, INQUIRY, INQUIRY};
const std::vector<uint8_t> NOTHING;

struct StartCase {
    const char* name;
    void (*arrange)(DialogScene&);
    Mutex mutex;
    std::vector<int> answers;
    std::vector<Box> boxes;
    Ending ending;
    std::vector<uint8_t> received; // by the first drive, when there is one
    int driveLines;                // in the list once ready
    Retry retry;
    Touched touched;
    Applies applies;
};

// What the user sees once the dialog is ready.
struct ReadyState {
    std::vector<std::string> texts; // 1004, 1005, 1006
    std::vector<bool> enabled;      // 1002, 2, 1000, system-menu close
    int driveLines = 0;
    bool screenSaverActive = true;
};

ReadyState Observe(const DialogUser& user) {
    ReadyState seen;
    seen.texts = {user.Text(IDC_DRIVE_NAME), user.Text(IDC_CURRENT_VERSION),
                  user.Text(IDC_IMAGE_VERSION)};
    seen.enabled = {user.Enabled(IDC_UPDATE), user.Enabled(IDCANCEL), user.Enabled(IDC_DRIVE_LIST),
                    user.SystemCloseEnabled()};
    seen.driveLines =
        static_cast<int>(SendDlgItemMessageA(user.Dialog(), IDC_DRIVE_LIST, CB_GETCOUNT, 0, 0));
    seen.screenSaverActive = DialogScene::ScreenSaverActive();
    return seen;
}

bool UpdaterMutexExists() {
    HANDLE mutex = OpenMutexA(SYNCHRONIZE, FALSE, UPDATER_MUTEX_NAME);
    if (mutex != nullptr)
        CloseHandle(mutex);
    return mutex != nullptr;
}

TEST(UpdaterDialogStart, EveryEnding) {
    const Ending gone = Ending::ByItself;
    const Ending ready = Ending::ReadyUntilClosed;
    const Mutex free = Mutex::Free;
    const Retry once = Retry::None;
    const Retry retried = Retry::After3500Ms;
    const Applies both = Applies::BothTransports;
    const Touched nothing = Touched::Nothing;
    const Touched all = Touched::Everything;
    // clang-format off
    const StartCase cases[] = {
        {"No to the notice",            OneDrive,                 free,                 {IDNO},        {Box::Notice},                    gone,  NOTHING,            0, once,    nothing, both},
        {"another updater runs",        OneDrive,                 Mutex::HeldElsewhere, {IDYES},       {Box::Notice},                    gone,  NOTHING,            0, once,    nothing, both},
        {"no drive after the retry",    NoDrive,                  free,                 {IDYES, IDOK}, {Box::Notice, Box::NoDrive},      gone,  NOTHING,            0, retried, all,     both},
        {"drive ready after the first", DriveReadyLater,          free,                 {IDYES},       {Box::Notice},                    ready, START_TO_READY,     1, retried, all,     both},
        {"one drive",                   OneDrive,                 free,                 {IDYES},       {Box::Notice},                    ready, START_TO_READY,     1, once,    all,     both},
        {"two drives",                  TwoDrives,                free,                 {IDYES},       {Box::Notice},                    ready, START_TO_READY,     2, once,    all,     both},
        {"main image missing",          ImageMissing,             free,                 {IDYES, IDOK}, {Box::Notice, Box::ImageMissing}, gone,  DISCOVERY,          0, once,    all,     both},
        {"image not newer",             ImageNotNewer,            free,                 {IDYES, IDOK}, {Box::Notice, Box::NotNewer},     gone,  TO_VERSION_CHECK,   0, once,    all,     both},
        {"disc in the drive",           DiscInDrive,              free,                 {IDYES, IDOK}, {Box::Notice, Box::DiscInDrive},  ready, DISC_PRESENT_CHECK, 1, once,    all,     both},
        {"device cannot be opened",     DeviceGoneAfterDiscovery, free,                 {IDYES},       {Box::Notice},                    gone,  DISCOVERY,          0, once,    all,     Applies::PassThroughOnly},
    };
    // clang-format on
    for (const StartCase& c : cases) {
        if (c.applies == Applies::PassThroughOnly && TransportOfThisRun() != Transport::PassThrough)
            continue;
        SCOPED_TRACE(c.name);
        DialogScene scene;
        scene.SetScreenSaverActive(true);
        c.arrange(scene);
        std::unique_ptr<UpdaterMutexHeld> otherUpdater;
        if (c.mutex == Mutex::HeldElsewhere)
            otherUpdater = std::make_unique<UpdaterMutexHeld>();
        const bool untouched = c.touched == nothing;

        ReadyState seen;
        ModalRun run;
        std::vector<SeenMessageBox> boxes;
        DWORD took = 0;
        {
            WatchedUpdaterDlg dialog;
            MessageBoxWatcher watcher(c.answers, BOX_TIMEOUT_MS);
            const DWORD start = GetTickCount();
            run = RunModal(dialog, [&](DialogUser& user) {
                if (c.ending != ready)
                    return;
                ASSERT_TRUE(user.WaitFor([&] { return VersionsShown(user); }));
                seen = Observe(user);
                user.Click(IDCANCEL);
            });
            took = GetTickCount() - start;
            boxes = watcher.Wait();
            if (untouched) {
                EXPECT_EQ(nullptr, g_pReadBuffer) << "the transfer buffers were allocated";
                EXPECT_EQ(nullptr, g_hUpdaterMutex);
                EXPECT_TRUE(DialogScene::ScreenSaverActive());
            }
        }

        ExpectBoxes(c.boxes, boxes, run.window, {scene.Images().MainPath()});
        EXPECT_EQ(IDCANCEL, run.result);
        if (c.arrange != NoDrive) {
            EXPECT_THAT(scene.Received(0), ElementsAreArray(c.received));
        }
        EXPECT_EQ(c.mutex == Mutex::HeldElsewhere || !untouched, UpdaterMutexExists());
        EXPECT_EQ(c.retry == retried, took >= DISCOVERY_RETRY_PAUSE_MS) << took << " ms";
        // Switched off while the dialog lived, on again once it has gone.
        EXPECT_TRUE(DialogScene::ScreenSaverActive());
        if (c.ending == ready) {
            EXPECT_TRUE(run.userDone);
            EXPECT_FALSE(seen.screenSaverActive);
            EXPECT_EQ(std::vector<std::string>({DRIVE_NAME, "1.00", "1.52"}), seen.texts);
            EXPECT_EQ(std::vector<bool>({true, true, true, true}), seen.enabled);
            EXPECT_EQ(c.driveLines, seen.driveLines);
        }
        ReleaseUpdaterMutex();
    }
}

TEST(UpdaterDialogStart, ScreenSaverThatWasOffStaysOff) {
    DialogScene scene;
    scene.SetScreenSaverActive(false);
    OneDrive(scene);
    bool activeWhileReady = true;
    {
        WatchedUpdaterDlg dialog;
        MessageBoxWatcher watcher({IDYES}, BOX_TIMEOUT_MS);
        RunModal(dialog, [&](DialogUser& user) {
            ASSERT_TRUE(user.WaitFor([&] { return VersionsShown(user); }));
            activeWhileReady = DialogScene::ScreenSaverActive();
            user.Click(IDCANCEL);
        });
        watcher.Wait();
    }
    EXPECT_FALSE(activeWhileReady);
    EXPECT_FALSE(DialogScene::ScreenSaverActive());
    ReleaseUpdaterMutex();
}

} // namespace
