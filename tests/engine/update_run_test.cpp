// OP_UPDATE from the requester's start to the worker's final message, through both dialogs'
// workers and both transports: the drive ends up reporting the image's version.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "engine_test_support.h"
#include "ui/auto_dlg.h"
#include "ui/res/resource.h"
#include "ui/updater_dlg.h"
#include "update/notify.h"
#include "update/worker_launch.h"

namespace {

using TransportMaker = std::unique_ptr<TestTransport> (*)();

enum class Mode { Interactive, Automatic };

struct UpdateRun {
    const char* name;
    TransportMaker transport;
    Mode mode;
};

class UpdateRunTest : public ::testing::TestWithParam<UpdateRun> {
protected:
    // Puts drive behind the run's transport with the images in place.
    void Install(const sim::SimDrive& drive) {
        if (!transport_)
            transport_ = GetParam().transport();
        transport_->Install(drive);
        strcpy(g_szMainImagePath, images_.MainPath().c_str());
        strcpy(g_szSubImagePath, images_.SubPath().c_str());
    }

    // Starts OP_UPDATE on the run's dialog as the "update" button or the automatic start does;
    // window_ is the window the worker reports to.
    void StartUpdate() {
        g_nOperation = OP_UPDATE;
        // One dialog for the whole test: a dialog's end frees the transfer buffers it owns.
        if (GetParam().mode == Mode::Interactive) {
            if (!interactive_) {
                interactive_ = std::make_unique<IdleUpdaterDlg>();
                ASSERT_TRUE(interactive_->Create(IDD_UPDATER));
            }
            window_ = interactive_->m_hWnd;
            EXPECT_EQ(1, StartOnSelectedDrive(*interactive_, 0));
        } else {
            if (!automatic_)
                automatic_ = std::make_unique<IdleAutoDlg>();
            window_ = automatic_->m_hWnd;
            EXPECT_EQ(1, StartOnSelectedDrive(*automatic_, 0));
        }
    }

    EngineState state_;
    ImageFolder images_;
    std::unique_ptr<TestTransport> transport_;
    std::unique_ptr<IdleUpdaterDlg> interactive_;
    std::unique_ptr<IdleAutoDlg> automatic_;
    HWND window_ = nullptr;
};

TEST_P(UpdateRunTest, DriveTakesTheImageAndReportsItsVersion) {
    Install(sim::SimDrive::Kestran());
    NotifyRecorder recorder;
    ASSERT_NO_FATAL_FAILURE(StartUpdate());

    ASSERT_TRUE(recorder.PumpUntil(NOTIFY_UPDATE_OK, 60000));
    std::vector<Notification> seen = recorder.Seen();
    ASSERT_EQ(2u, seen.size());
    EXPECT_EQ(NOTIFY_OPEN_PROGRESS, seen[0].what);
    EXPECT_EQ(NOTIFY_MIDWAY, seen[0].finished);
    EXPECT_EQ(NOTIFY_FINISHED, seen[1].finished);
    EXPECT_EQ(window_, seen[1].window);
    EXPECT_EQ(nullptr, g_hDrive);

    sim::SimDrive drive = transport_->Drive();
    EXPECT_EQ("1.52", drive.identity.revision);
    EXPECT_EQ("06/11/07", drive.identity.firmwareDate);
    EXPECT_EQ('L', drive.DownloadState());
}

enum class Progress { Posted, NotPosted };
constexpr Progress PROGRESS_POSTED = Progress::Posted;
constexpr Progress NO_PROGRESS = Progress::NotPosted;

using Posted = std::tuple<HWND, WPARAM, LPARAM>;

std::vector<Posted> PostedOf(const std::vector<Notification>& seen) {
    std::vector<Posted> posted;
    for (const Notification& notification : seen)
        posted.emplace_back(notification.window, notification.what, notification.finished);
    return posted;
}

constexpr uint8_t READ_BUFFER = 0x3C;
constexpr uint8_t BUFFER_IDENTIFICATION = 0xF1;

// The first READ BUFFER checks the image against the drive; the second reads the download state.
void StateReadBeforeTheSubImageFails(sim::SimDrive& drive) {
    drive.faults.push_back(sim::Fault::CheckCondition(READ_BUFFER, {0x05, 0x24, 0x00})
                               .OnBuffer(BUFFER_IDENTIFICATION)
                               .OnOccurrence(2));
}

// The image names another model, so the drive keeps its firmware after the whole download.
void OtherProduct(sim::SimDrive& drive) {
    drive.identity.product = "DVD-RW  XRW-T52B";
}

// Neither failure shows a message box, which the worker's dialog would own.
TEST_P(UpdateRunTest, FailedUpdateEndsWithTheFailureMessage) {
    const struct {
        const char* name;
        void (*drive)(sim::SimDrive&);
        Progress progress;
    } cases[] = {
        // clang-format off
        {"state read before the sub image fails", StateReadBeforeTheSubImageFails, NO_PROGRESS},
        {"drive does not take the main image",    OtherProduct,                    PROGRESS_POSTED},
        // clang-format on
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        sim::SimDrive kestran = sim::SimDrive::Kestran();
        c.drive(kestran);
        Install(kestran);
        NotifyRecorder recorder;
        ASSERT_NO_FATAL_FAILURE(StartUpdate());

        ASSERT_TRUE(recorder.PumpUntil(NOTIFY_UPDATE_FAILED, 60000));
        std::vector<Posted> expected;
        if (c.progress == PROGRESS_POSTED)
            expected.emplace_back(window_, NOTIFY_OPEN_PROGRESS, NOTIFY_MIDWAY);
        expected.emplace_back(window_, NOTIFY_UPDATE_FAILED, NOTIFY_FINISHED);
        EXPECT_EQ(expected, PostedOf(recorder.Seen()));
        EXPECT_EQ(nullptr, g_hDrive);
        EXPECT_EQ("1.00", transport_->Drive().identity.revision);
        WaitForLastWorker();
    }
}

const UpdateRun RUNS[] = {
    {"InteractiveOnPassThrough", MakePassThrough, Mode::Interactive},
    {"AutomaticOnPassThrough", MakePassThrough, Mode::Automatic},
    {"InteractiveOnAspi", MakeAspi, Mode::Interactive},
    {"AutomaticOnAspi", MakeAspi, Mode::Automatic},
};

INSTANTIATE_TEST_SUITE_P(BothWorkers, UpdateRunTest, ::testing::ValuesIn(RUNS),
                         [](const ::testing::TestParamInfo<UpdateRun>& info) {
                             return std::string(info.param.name);
                         });

} // namespace
