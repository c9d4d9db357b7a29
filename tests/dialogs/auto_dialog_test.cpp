// The automatic-mode dialog as the program runs it: made by the application (its start runs in
// the making), the message loop until the quit message, then destroyed. Every ending's exit code,
// what it showed and what the drive received.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "dialog_scene.h"
#include "drive/shared_state.h"
#include "expected_boxes.h"
#include "sim/sim_download.h"
#include "sim/sim_restart.h"
#include "tests/support/message_box_watcher.h"
#include "tests/support/updater_mutex_held.h"
#include "ui/start_steps.h"
#include "update/image_files.h"

namespace {

using sim::Fault;
using sim::SimDrive;
using ::testing::ElementsAreArray;
using ::testing::IsEmpty;

constexpr uint8_t READ_BUFFER = sim::OP_READ_BUFFER;
constexpr uint8_t INQUIRY = sim::OP_INQUIRY;
constexpr DWORD BOX_TIMEOUT_MS = 15000;

const std::vector<uint8_t> NOTHING;
const std::vector<uint8_t> DISCOVERY = {READ_BUFFER, INQUIRY};
const std::vector<uint8_t> TO_VERSION_CHECK = {READ_BUFFER, INQUIRY, INQUIRY};

enum class Mutex { Free, HeldElsewhere };
enum class Retry { None, After3500Ms };
// Whether the update's commands followed the start's.
enum class Sent { StartOnly, AndTheUpdate };

void OneDrive(DialogScene& scene) {
    scene.AddDrive(SimDrive::Kestran());
}
void NoDrive(DialogScene&) {}
void TwoDrives(DialogScene& scene) {
    scene.AddDrive(SimDrive::Kestran());
    scene.AddDrive(SimDrive::Kestran());
}
void ImageMissing(DialogScene& scene) {
    OneDrive(scene);
    scene.Images().RemoveMain();
}
// One byte short of the header fields the version check reads.
void ImageTooShortForItsHeader(DialogScene& scene) {
    OneDrive(scene);
    scene.Images().TruncateMain(IMAGE_HEADER_END - 1);
}
void DeviceGoneAfterDiscovery(DialogScene& scene) {
    SimDrive drive = SimDrive::Kestran();
    drive.opensBeforeGone = 1;
    scene.AddDrive(drive);
}
void ImageNotNewer(DialogScene& scene) {
    SimDrive drive = SimDrive::Kestran();
    drive.identity.revision = "1.52";
    drive.identity.firmwareDate = "06/11/07";
    scene.AddDrive(drive);
}
void DriveRefusesTheMainImage(DialogScene& scene) {
    SimDrive drive = SimDrive::Kestran();
    drive.faults.push_back(Fault::CheckCondition(sim::OP_WRITE_BUFFER, {0x03, 0x0C, 0x00})
                               .OnBuffer(sim::BUFFER_ID_MAIN_IMAGE)
                               .AtOffset(0x8000));
    scene.AddDrive(drive);
}
void DriveReadyLater(DialogScene& scene) {
    scene.AddDriveAfterTheFirstScan(SimDrive::Kestran());
}

struct AutoCase {
    const char* name;
    void (*arrange)(DialogScene&);
    Mutex mutex;
    std::vector<int> answers;
    std::vector<Box> boxes;
    int exitCode;
    std::vector<uint8_t> received; // by the first drive: the start's own commands only
    Retry retry;
    Sent sent;
    const char* revision; // the first drive's, at the end
};

std::vector<uint8_t> StartCommands(const std::vector<uint8_t>& all, size_t count) {
    return std::vector<uint8_t>(all.begin(), all.begin() + std::min(count, all.size()));
}

// Automatic mode runs on pass-through only: this is the NT program's table.
TEST(AutoDialog, EveryEndingWithItsExitCode) {
    if (TransportOfThisRun() != Transport::PassThrough)
        GTEST_SKIP() << "on Windows 9x the run ends at once; see the next test";
    const Mutex free = Mutex::Free;
    const Retry once = Retry::None;
    const Sent start = Sent::StartOnly;
    const Sent update = Sent::AndTheUpdate;
    // clang-format off
    const AutoCase cases[] = {
        {"another updater runs",     OneDrive,                  Mutex::HeldElsewhere, {},           {},                                   1, NOTHING,          once, start,  "1.00"},
        {"no drive after the retry", NoDrive,                   free,                 {IDOK},       {Box::NoDrive},                       1, NOTHING,          Retry::After3500Ms, start,  "1.00"},
        {"drive ready after a scan", DriveReadyLater,           free,                 {},           {},                                   0, TO_VERSION_CHECK, Retry::After3500Ms, update, "1.52"},
        {"two drives",               TwoDrives,                 free,                 {IDOK},       {Box::MoreThanOne},                   1, DISCOVERY,        once, start,  "1.00"},
        {"main image missing",       ImageMissing,              free,                 {IDOK},       {Box::ImageMissing},                  1, TO_VERSION_CHECK, once, start,  "1.00"},
        {"main image too short",     ImageTooShortForItsHeader, free,                 {IDOK},       {Box::ImageMissing},                  1, TO_VERSION_CHECK, once, start,  "1.00"},
        {"device cannot be opened",  DeviceGoneAfterDiscovery,  free,                 {},           {},                                   1, DISCOVERY,        once, start,  "1.00"},
        {"image not newer",          ImageNotNewer,             free,                 {IDOK},       {Box::NotNewer},                      1, TO_VERSION_CHECK, once, start,  "1.52"},
        {"update fails",             DriveRefusesTheMainImage,  free,                 {IDOK, IDOK}, {Box::CommandError, Box::UpdateFailed}, 1, TO_VERSION_CHECK, once, update, "1.00"},
        {"update succeeds",          OneDrive,                  free,                 {},           {},                                   0, TO_VERSION_CHECK, once, update, "1.52"},
    };
    // clang-format on
    for (const AutoCase& c : cases) {
        SCOPED_TRACE(c.name);
        DialogScene scene;
        scene.SetScreenSaverActive(true);
        c.arrange(scene);
        std::unique_ptr<UpdaterMutexHeld> otherUpdater;
        if (c.mutex == Mutex::HeldElsewhere)
            otherUpdater = std::make_unique<UpdaterMutexHeld>();

        MessageBoxWatcher watcher(c.answers, BOX_TIMEOUT_MS);
        bool screenSaverWhileAlive = true;
        bool progressLeft = true;
        const DWORD start = GetTickCount();
        AutoRun run = RunAutoMode({}, [&](CAutoDlg&) {
            screenSaverWhileAlive = DialogScene::ScreenSaverActive();
            progressLeft = g_pAutoIndicator != nullptr;
        });
        const DWORD took = GetTickCount() - start;
        const std::vector<SeenMessageBox> boxes =
            c.answers.empty() ? watcher.StopWatching() : watcher.Wait();

        EXPECT_EQ(c.exitCode, run.exitCode);
        std::string fullPath(MAX_PATH, '\0');
        fullPath.resize(GetFullPathNameA(MAIN_IMAGE_NAME, MAX_PATH, &fullPath[0], nullptr));
        ExpectBoxes(c.boxes, boxes, run.window, {fullPath});
        if (c.arrange != NoDrive) {
            const std::vector<uint8_t> received = scene.Received(0);
            EXPECT_THAT(StartCommands(received, c.received.size()), ElementsAreArray(c.received));
            EXPECT_EQ(c.sent == Sent::AndTheUpdate, received.size() > c.received.size());
            EXPECT_EQ(c.revision, scene.Drive(0).identity.revision);
        }
        EXPECT_EQ(c.retry == Retry::After3500Ms, took >= DISCOVERY_RETRY_PAUSE_MS) << took;
        EXPECT_EQ(c.mutex == Mutex::HeldElsewhere, screenSaverWhileAlive);
        EXPECT_TRUE(DialogScene::ScreenSaverActive());
        EXPECT_FALSE(progressLeft);
        EXPECT_THAT(sim::SimRestart::Instance().Calls(), IsEmpty()) << "no restart in this mode";
        EXPECT_EQ(0, g_nSelectedDrive);
        ReleaseUpdaterMutex();
    }
}

TEST(AutoDialog, OnWindows9xTheRunEndsAtOnceWithoutAWord) {
    if (TransportOfThisRun() != Transport::Aspi)
        GTEST_SKIP() << "the NT program runs the table above";
    DialogScene scene;
    OneDrive(scene);
    MessageBoxWatcher watcher({});
    AutoRun run = RunAutoMode();
    EXPECT_EQ(1, run.exitCode);
    EXPECT_THAT(watcher.StopWatching(), IsEmpty());
    EXPECT_THAT(scene.Received(0), IsEmpty());
}

// The end of the session is refused, with text 115, until the update has succeeded; suspending
// is refused always.
TEST(AutoDialog, SessionEndRefusedUntilTheUpdateSucceededAndSuspendAlways) {
    if (TransportOfThisRun() != Transport::PassThrough)
        GTEST_SKIP() << "automatic mode runs on pass-through only";
    DialogScene scene;
    SimDrive drive = SimDrive::Kestran();
    // The main image's first chunk is slow: the update is still running, with its progress
    // dialog on screen, while the user asks.
    drive.faults.push_back(
        Fault::Slow(sim::OP_WRITE_BUFFER, 3000).OnBuffer(sim::BUFFER_ID_MAIN_IMAGE).AtOffset(0));
    scene.AddDrive(drive);
    MessageBoxWatcher watcher({IDOK}, BOX_TIMEOUT_MS);
    LRESULT duringUpdate = -1;
    LRESULT suspend = -1;
    LRESULT afterSuccess = -1;
    bool progressShown = false;
    AutoRun run = RunAutoMode(
        [&](DialogUser& user) {
            progressShown = user.WaitFor([] { return VisibleProgressDialog() != nullptr; });
            duringUpdate = user.Send(WM_QUERYENDSESSION, 0, 0);
            suspend = user.Send(WM_POWERBROADCAST, PBT_APMQUERYSUSPEND);
        },
        [&](CAutoDlg& dialog) { afterSuccess = dialog.SendMessage(WM_QUERYENDSESSION, 0, 0); });
    ExpectBoxes({Box::CloseFirst}, watcher.Wait(), run.window);
    EXPECT_EQ(0, run.exitCode);
    EXPECT_EQ(FALSE, duringUpdate);
    EXPECT_EQ(BROADCAST_QUERY_DENY, suspend);
    EXPECT_EQ(TRUE, afterSuccess);
    EXPECT_TRUE(progressShown);
}

} // namespace
