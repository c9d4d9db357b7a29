// The interactive updater dialog as the program runs it (modally, on this thread), with a user
// acting on it from another thread: every ending of its start, the update with its success and
// failure, the refusals, and the ways it must not end while an update runs.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
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
void DriveReadyLater(DialogScene& scene) {
    scene.AddDriveAfterTheFirstScan(WithoutDisc());
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

struct WatchedRun {
    ModalRun run;
    std::vector<SeenMessageBox> boxes;
};

// The interactive dialog from its start to its end, run as the program runs it, its boxes
// answered in turn; `whileItLives` runs once the boxes are in, before the dialog goes.
WatchedRun RunWithAnswers(const std::vector<int>& answers,
                          const std::function<void(WatchedUpdaterDlg&, DialogUser&)>& user,
                          const std::function<void()>& whileItLives = {}) {
    WatchedRun watched;
    WatchedUpdaterDlg dialog;
    MessageBoxWatcher watcher(answers, BOX_TIMEOUT_MS);
    watched.run = RunModal(dialog, [&](DialogUser& acting) { user(dialog, acting); });
    watched.boxes = watcher.Wait();
    if (whileItLives)
        whileItLives();
    return watched;
}

// The controls that an update holds: "update", "close", the drive list and the system-menu close.
std::vector<bool> HeldControls(const DialogUser& user) {
    return {user.Enabled(IDC_UPDATE), user.Enabled(IDCANCEL), user.Enabled(IDC_DRIVE_LIST),
            user.SystemCloseEnabled()};
}
const std::vector<bool> ALL_HELD = {false, false, false, false};
const std::vector<bool> ALL_FREE = {true, true, true, true};

bool Restarted() {
    return !sim::SimRestart::Instance().Calls().empty();
}

// The main image goes slowly enough for the user to see the progress dialog.
SimDrive WithSlowMainImage(SimDrive drive = WithoutDisc()) {
    drive.faults.push_back(
        Fault::Slow(WRITE_BUFFER, 1500).OnBuffer(sim::BUFFER_ID_MAIN_IMAGE).AtOffset(0));
    return drive;
}

std::vector<int> AnswersUntilTheRestart() {
    if (TransportOfThisRun() == Transport::Aspi)
        return {IDYES}; // Windows 9x restarts at once, without a word
    return {IDYES, IDOK};
}

std::vector<Box> BoxesUntilTheRestart() {
    if (TransportOfThisRun() == Transport::Aspi)
        return {Box::Notice};
    return {Box::Notice, Box::Restart};
}

struct UpdateSeen {
    std::vector<bool> whileRunning;
    std::vector<bool> afterRestart;
    bool progressShown = false;
    bool progressGone = false;
};

// Ready, "update", and the update to its end; the user then closes the dialog as a restart
// would have ended it.
UpdateSeen UpdateToTheRestart(DialogUser& user, const std::function<void()>& beforeClosing = {}) {
    UpdateSeen seen;
    EXPECT_TRUE(user.WaitFor([&] { return VersionsShown(user); }));
    user.Click(IDC_UPDATE);
    EXPECT_TRUE(user.WaitFor([&] { return !user.Enabled(IDC_UPDATE); }));
    user.Settle(); // the button's handler has ended
    seen.whileRunning = HeldControls(user);
    seen.progressShown = user.WaitFor([] { return VisibleProgressDialog() != nullptr; });
    EXPECT_TRUE(user.WaitFor(Restarted, 60000));
    seen.progressGone = user.WaitFor([] { return VisibleProgressDialog() == nullptr; });
    user.Settle();
    seen.afterRestart = HeldControls(user);
    if (beforeClosing)
        beforeClosing();
    user.Send(WM_COMMAND, IDCANCEL);
    return seen;
}

TEST(UpdaterDialogUpdate, TheDriveTakesTheImageAndWindowsIsRestarted) {
    DialogScene scene;
    scene.AddDrive(WithSlowMainImage());
    ModalRun run;
    UpdateSeen seen;
    std::vector<SeenMessageBox> boxes;
    {
        WatchedUpdaterDlg dialog;
        MessageBoxWatcher watcher(AnswersUntilTheRestart(), BOX_TIMEOUT_MS);
        run = RunModal(dialog, [&](DialogUser& user) { seen = UpdateToTheRestart(user); });
        boxes = watcher.Wait();
        EXPECT_EQ(nullptr, g_pIndicator);
    }
    ExpectBoxes(BoxesUntilTheRestart(), boxes, run.window);
    EXPECT_TRUE(run.userDone);
    EXPECT_EQ(ALL_HELD, seen.whileRunning);
    // Nothing is given back before the restart.
    EXPECT_EQ(ALL_HELD, seen.afterRestart);
    EXPECT_TRUE(seen.progressShown);
    EXPECT_TRUE(seen.progressGone);

    const std::vector<sim::RestartCall> restarts = sim::SimRestart::Instance().Calls();
    ASSERT_EQ(1u, restarts.size());
    EXPECT_EQ(UINT(EWX_REBOOT | EWX_FORCE), restarts[0].flags);
    EXPECT_EQ(0u, restarts[0].reason);
    EXPECT_TRUE(restarts[0].accepted);
    EXPECT_EQ(TransportOfThisRun() == Transport::PassThrough, restarts[0].privilegeEnabled);
    const SimDrive drive = scene.Drive(0);
    EXPECT_EQ("1.52", drive.identity.revision);
    EXPECT_EQ(sim::DOWNLOAD_LOCKED, drive.DownloadState());
}

// A failed update gives the controls back (system-menu close, "update", "close", drive list, in
// this order), closes the progress dialog and says so; "update" again, with the same inputs, then
// succeeds.
TEST(UpdaterDialogUpdate, AfterAFailureTheControlsComeBackAndUpdateAgainSucceeds) {
    DialogScene scene;
    SimDrive drive = WithSlowMainImage();
    drive.faults.push_back(Fault::CheckCondition(WRITE_BUFFER, {0x03, 0x0C, 0x00})
                               .OnBuffer(sim::BUFFER_ID_MAIN_IMAGE)
                               .AtOffset(0x18000));
    scene.AddDrive(drive);
    std::vector<int> answers = {IDYES, IDOK /* command error */, IDOK /* 116 */};
    if (TransportOfThisRun() == Transport::PassThrough)
        answers.push_back(IDOK); // 109, after the second update
    EnableRecorder enabling;
    ModalRun run;
    bool progressShown = false;
    bool progressGoneAfterFailure = false;
    std::vector<bool> afterFailure;
    std::vector<EnableRecorder::Step> givenBack;
    std::vector<SeenMessageBox> boxes;
    {
        WatchedUpdaterDlg dialog;
        MessageBoxWatcher watcher(answers, BOX_TIMEOUT_MS);
        run = RunModal(dialog, [&](DialogUser& user) {
            ASSERT_TRUE(user.WaitFor([&] { return VersionsShown(user); }));
            enabling.Clear();
            user.Click(IDC_UPDATE);
            progressShown = user.WaitFor([] { return VisibleProgressDialog() != nullptr; });
            ASSERT_TRUE(user.WaitFor([&] { return user.Enabled(IDC_UPDATE); }, 60000));
            progressGoneAfterFailure =
                user.WaitFor([] { return VisibleProgressDialog() == nullptr; });
            user.Settle();
            afterFailure = HeldControls(user);
            givenBack = enabling.Steps();
            UpdateToTheRestart(user);
        });
        boxes = watcher.Wait();
    }
    std::vector<Box> expected = {Box::Notice, Box::CommandError, Box::UpdateFailed};
    if (TransportOfThisRun() == Transport::PassThrough)
        expected.push_back(Box::Restart);
    ExpectBoxes(expected, boxes, run.window);
    EXPECT_TRUE(run.userDone);
    EXPECT_TRUE(progressShown);
    EXPECT_TRUE(progressGoneAfterFailure);
    EXPECT_EQ(ALL_FREE, afterFailure);

    std::vector<int> enabledAgain;
    for (const EnableRecorder::Step& step : givenBack) {
        if (step.enabled && (step.controlId == IDC_UPDATE || step.controlId == IDCANCEL ||
                             step.controlId == IDC_DRIVE_LIST)) {
            enabledAgain.push_back(step.controlId);
            EXPECT_TRUE(step.systemCloseEnabled) << "the system-menu close comes back first";
        }
    }
    EXPECT_THAT(enabledAgain, ElementsAre(IDC_UPDATE, IDCANCEL, IDC_DRIVE_LIST));
    EXPECT_EQ("1.52", scene.Drive(0).identity.revision);
    EXPECT_EQ(1u, sim::SimRestart::Instance().Calls().size());
}

// The end of the session is refused, with text 115, until an update has succeeded; suspending is
// refused always; Escape does nothing.
TEST(UpdaterDialogRefusals, SessionEndUntilTheUpdateSucceededAndSuspendAlways) {
    DialogScene scene;
    scene.AddDrive(WithoutDisc());
    std::vector<int> answers = {IDYES, IDOK};
    std::vector<Box> expected = {Box::Notice, Box::CloseFirst};
    if (TransportOfThisRun() == Transport::PassThrough) {
        answers.push_back(IDOK);
        expected.push_back(Box::Restart);
    }
    LRESULT endBefore = -1;
    LRESULT endAfter = -1;
    std::vector<LRESULT> suspend;
    bool visibleAfterEscape = false;
    const auto [run, boxes] = RunWithAnswers(answers, [&](WatchedUpdaterDlg&, DialogUser& user) {
        ASSERT_TRUE(user.WaitFor([&] { return VersionsShown(user); }));
        user.PressKey(VK_ESCAPE);
        visibleAfterEscape = IsWindowVisible(user.Dialog()) != FALSE;
        endBefore = user.Send(WM_QUERYENDSESSION, 0, 0);
        suspend = {user.Send(WM_POWERBROADCAST, PBT_APMQUERYSUSPEND),
                   user.Send(WM_POWERBROADCAST, PBT_APMRESUMESUSPEND)};
        UpdateToTheRestart(user, [&] { endAfter = user.Send(WM_QUERYENDSESSION, 0, 0); });
    });
    ExpectBoxes(expected, boxes, run.window);
    EXPECT_TRUE(visibleAfterEscape);
    EXPECT_EQ(FALSE, endBefore);
    EXPECT_EQ(TRUE, endAfter);
    ASSERT_EQ(2u, suspend.size());
    EXPECT_EQ(BROADCAST_QUERY_DENY, suspend[0]);
    EXPECT_NE(BROADCAST_QUERY_DENY, suspend[1]) << "another power event takes its normal way";
}

// From "update" to the update's final message nothing ends the dialog: not Escape, not Enter,
// not the OK or Cancel command, not WM_CLOSE, not a system close sent or posted from outside.
TEST(UpdaterDialogRefusals, NothingEndsARunningUpdate) {
    DialogScene scene;
    SimDrive drive = WithoutDisc();
    drive.faults.push_back(
        Fault::Slow(WRITE_BUFFER, 1500).OnBuffer(sim::BUFFER_ID_SUB_IMAGE).AtOffset(0));
    scene.AddDrive(drive);
    bool updatingThroughout = false;
    UpdateSeen seen;
    const auto [run, boxes] =
        RunWithAnswers(AnswersUntilTheRestart(), [&](WatchedUpdaterDlg&, DialogUser& user) {
            ASSERT_TRUE(user.WaitFor([&] { return VersionsShown(user); }));
            user.Click(IDC_UPDATE);
            ASSERT_TRUE(user.WaitFor([&] { return !user.Enabled(IDC_UPDATE); }));
            user.PressKey(VK_ESCAPE);
            user.PressKey(VK_RETURN);
            user.Post(WM_COMMAND, IDOK);
            user.Post(WM_COMMAND, IDCANCEL);
            user.Post(WM_CLOSE);
            user.Post(WM_SYSCOMMAND, SC_CLOSE);
            user.Send(WM_SYSCOMMAND, SC_CLOSE);
            user.Settle();
            updatingThroughout = IsWindowVisible(user.Dialog()) && !Restarted();
            EXPECT_TRUE(user.WaitFor(Restarted, 60000));
            user.Settle();
            user.Send(WM_COMMAND, IDCANCEL);
        });
    EXPECT_TRUE(updatingThroughout);
    // The dialog lived to the final message: it restarted Windows.
    ExpectBoxes(BoxesUntilTheRestart(), boxes, run.window);
    EXPECT_EQ(1u, sim::SimRestart::Instance().Calls().size());
    EXPECT_EQ(IDCANCEL, run.result);
}

TEST(UpdaterDialogSystemMenu, TheVersionBoxItemOpensTheVersionBox) {
    DialogScene scene;
    scene.AddDrive(WithoutDisc());
    std::string item;
    UINT separator = 0;
    HICON icons[3] = {};
    const auto [run, boxes] =
        RunWithAnswers({IDYES, IDOK}, [&](WatchedUpdaterDlg&, DialogUser& user) {
            ASSERT_TRUE(user.WaitFor([&] { return VersionsShown(user); }));
            HMENU menu = GetSystemMenu(user.Dialog(), FALSE);
            char text[128] = {};
            GetMenuStringA(menu, IDM_ABOUTBOX, text, sizeof text, MF_BYCOMMAND);
            item = text;
            separator = GetMenuState(menu, GetMenuItemCount(menu) - 2, MF_BYPOSITION);
            icons[0] = reinterpret_cast<HICON>(user.Send(WM_GETICON, ICON_BIG));
            icons[1] = reinterpret_cast<HICON>(user.Send(WM_GETICON, ICON_SMALL));
            icons[2] = reinterpret_cast<HICON>(user.Send(WM_QUERYDRAGICON));
            user.Post(WM_SYSCOMMAND, IDM_ABOUTBOX);
            ASSERT_TRUE(user.WaitFor([] { return VisibleProgressDialog() == nullptr; }));
            user.Settle();
            user.Click(IDCANCEL);
        });
    EXPECT_EQ(TextOf(IDS_ABOUT_MENU_ITEM), item);
    EXPECT_NE(0u, separator & MF_SEPARATOR);
    HICON appIcon = LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_APP_ICON));
    EXPECT_EQ(appIcon, icons[0]);
    EXPECT_EQ(appIcon, icons[1]);
    EXPECT_EQ(appIcon, icons[2]);
    ASSERT_EQ(2u, boxes.size());
    EXPECT_EQ("veriosn info firmware updater", boxes[1].caption);
    EXPECT_EQ("TRELMAST_GUI.EXE version 1.03", boxes[1].text);
    EXPECT_EQ(std::vector<int>({IDOK}), boxes[1].buttons);
    EXPECT_EQ(IDCANCEL, run.result);
}

// The drive's device cannot be opened for the update: no worker runs, so no final message will
// come; the dialog gives everything back at once, as after a failed update.
TEST(UpdaterDialogDecisions, AnUpdateThatCannotStartIsAFailedUpdate) {
    if (TransportOfThisRun() != Transport::PassThrough)
        GTEST_SKIP() << "only pass-through opens a device";
    DialogScene scene;
    scene.AddDrive(WithoutDisc());
    std::vector<bool> afterClick;
    const auto [run, boxes] =
        RunWithAnswers({IDYES, IDOK}, [&](WatchedUpdaterDlg&, DialogUser& user) {
            ASSERT_TRUE(user.WaitFor([&] { return VersionsShown(user); }));
            scene.Unplug(0);
            user.Click(IDC_UPDATE);
            user.Settle();
            afterClick = HeldControls(user);
            user.Click(IDCANCEL);
        });
    ExpectBoxes({Box::Notice, Box::UpdateFailed}, boxes, run.window);
    EXPECT_EQ(ALL_FREE, afterClick);
    EXPECT_EQ(IDCANCEL, run.result);
    EXPECT_THAT(scene.Received(0), ElementsAreArray(START_TO_READY));
}

// One drive-information read at a time: a selection made while a read runs is read once it has
// reported, and only the latest selection's versions are shown.
TEST(UpdaterDialogDecisions, SelectionChangesWhileAReadRunsShowOnlyTheLatest) {
    DialogScene scene;
    scene.AddDrive(WithoutDisc());
    SimDrive slow = WithRevision("1.10");
    slow.faults.push_back(Fault::Slow(INQUIRY, 1500).OnOccurrence(2)); // its first read
    scene.AddDrive(slow);
    std::vector<std::string> shown;
    const auto [run, boxes] = RunWithAnswers({IDYES}, [&](WatchedUpdaterDlg&, DialogUser& user) {
        ASSERT_TRUE(user.WaitFor([&] { return VersionsShown(user); }));
        user.Select(1);
        user.Select(0);
        // The first drive is read again once the slow read of the second has reported, and
        // its disc check follows.
        const size_t checksOfTheFirst = 2;
        ASSERT_TRUE(user.WaitFor([&] {
            shown.push_back(user.Text(IDC_CURRENT_VERSION));
            const std::vector<uint8_t> first = scene.Received(0);
            return static_cast<size_t>(std::count(first.begin(), first.end(), DISC_INFO)) ==
                   2 * checksOfTheFirst;
        }));
        user.Settle();
        shown.push_back(user.Text(IDC_CURRENT_VERSION));
        user.Click(IDCANCEL);
    });
    ExpectBoxes({Box::Notice}, boxes, run.window);
    EXPECT_THAT(shown, ::testing::Each(std::string("1.00")));
    EXPECT_THAT(scene.Received(0),
                ElementsAre(READ_BUFFER, INQUIRY, INQUIRY, DISC_INFO, TRACK_INFO, DISC_INFO,
                            INQUIRY, DISC_INFO, TRACK_INFO, DISC_INFO));
    // The second drive's read came, and was not followed by a version check of its own.
    EXPECT_THAT(scene.Received(1), ElementsAre(READ_BUFFER, INQUIRY, INQUIRY));
    EXPECT_EQ(0, sim::SimStorageStack::Instance().ClosesWhileBusy());
}

// A path that does not fit the shared 500-character fields is refused before anything is
// disabled or sent.
TEST(UpdaterDialogDecisions, AnImagePathTooLongForTheSharedFieldsIsRefused) {
    DialogScene scene;
    scene.AddDrive(WithoutDisc());
    const std::string longPath = "C:\\" + std::string(IMAGE_PATH_SIZE, 'd') + "\\Q4830251.520";
    std::vector<bool> afterClick;
    const auto [run, boxes] = RunWithAnswers(
        {IDYES, IDOK},
        [&](WatchedUpdaterDlg& dialog, DialogUser& user) {
            ASSERT_TRUE(user.WaitFor([&] { return VersionsShown(user); }));
            user.Settle();
            std::strcpy(dialog.m_szMainImagePath, longPath.c_str());
            std::strcpy(dialog.m_szSubImagePath, longPath.c_str());
            user.Click(IDC_UPDATE);
            user.Settle();
            afterClick = HeldControls(user);
            user.Click(IDCANCEL);
        },
        [&] { EXPECT_STREQ("", g_szMainImagePath); });
    ExpectBoxes({Box::Notice, Box::ImagePathTooLong}, boxes, run.window, {longPath});
    EXPECT_EQ(ALL_FREE, afterClick);
    EXPECT_THAT(scene.Received(0), ElementsAreArray(START_TO_READY));
}

// When Windows refuses the restart the user gets a way out: "close" and the system-menu close
// work again, and the end of the session is allowed; "update" and the drive list stay disabled.
TEST(UpdaterDialogDecisions, ARefusedRestartLeavesAWayOut) {
    DialogScene scene;
    scene.AddDrive(WithoutDisc());
    sim::SimRestart::Instance().RefuseNext();
    UpdateSeen seen;
    LRESULT sessionEnd = -1;
    const auto [run, boxes] =
        RunWithAnswers(AnswersUntilTheRestart(), [&](WatchedUpdaterDlg&, DialogUser& user) {
            seen =
                UpdateToTheRestart(user, [&] { sessionEnd = user.Send(WM_QUERYENDSESSION, 0, 0); });
        });
    ExpectBoxes(BoxesUntilTheRestart(), boxes, run.window);
    EXPECT_EQ(std::vector<bool>({false, true, false, true}), seen.afterRestart);
    EXPECT_EQ(TRUE, sessionEnd);
    const std::vector<sim::RestartCall> restarts = sim::SimRestart::Instance().Calls();
    ASSERT_EQ(1u, restarts.size());
    EXPECT_FALSE(restarts[0].accepted);
}

} // namespace
