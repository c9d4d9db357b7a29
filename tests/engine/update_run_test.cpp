// OP_UPDATE from the requester's start to the worker's final message, through both dialogs'
// workers and both transports: the drive ends up reporting the image's version.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "engine_test_support.h"
#include "ui/auto_dlg.h"
#include "ui/res/resource.h"
#include "ui/updater_dlg.h"
#include "update/notify.h"

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
    EngineState state_;
};

// Starts OP_UPDATE as the "update" button or the automatic start does; the window the worker
// reports to.
template <class Dialog> HWND StartUpdate(Dialog& dialog) {
    g_nOperation = OP_UPDATE;
    EXPECT_EQ(1, StartOnSelectedDrive(dialog, 0));
    return dialog.m_hWnd;
}

TEST_P(UpdateRunTest, DriveTakesTheImageAndReportsItsVersion) {
    ImageFolder images;
    std::unique_ptr<TestTransport> transport = GetParam().transport();
    transport->Install(sim::SimDrive::Kestran());
    strcpy(g_szMainImagePath, images.MainPath().c_str());
    strcpy(g_szSubImagePath, images.SubPath().c_str());
    NotifyRecorder recorder;

    HWND window;
    std::unique_ptr<IdleUpdaterDlg> interactive;
    std::unique_ptr<IdleAutoDlg> automatic;
    if (GetParam().mode == Mode::Interactive) {
        interactive = std::make_unique<IdleUpdaterDlg>();
        ASSERT_TRUE(interactive->Create(IDD_UPDATER));
        window = StartUpdate(*interactive);
    } else {
        automatic = std::make_unique<IdleAutoDlg>();
        window = StartUpdate(*automatic);
    }

    ASSERT_TRUE(recorder.PumpUntil(NOTIFY_UPDATE_OK, 60000));
    std::vector<Notification> seen = recorder.Seen();
    ASSERT_EQ(2u, seen.size());
    EXPECT_EQ(NOTIFY_OPEN_PROGRESS, seen[0].what);
    EXPECT_EQ(NOTIFY_MIDWAY, seen[0].finished);
    EXPECT_EQ(NOTIFY_FINISHED, seen[1].finished);
    EXPECT_EQ(window, seen[1].window);
    EXPECT_EQ(nullptr, g_hDrive);

    sim::SimDrive drive = transport->Drive();
    EXPECT_EQ("1.52", drive.identity.revision);
    EXPECT_EQ("06/11/07", drive.identity.firmwareDate);
    EXPECT_EQ('L', drive.DownloadState());
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
