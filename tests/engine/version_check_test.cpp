// The drive-information request, the disc check and the version check of the interactive dialog.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "engine_test_support.h"
#include "sim/sim_storage_stack.h"
#include "tests/support/message_box_watcher.h"
#include "tests/support/message_pump.h"
#include "ui/res/resource.h"
#include "ui/updater_dlg.h"
#include "update/notify.h"
#include "update/worker_launch.h"

namespace {

using sim::Fault;
using sim::SimDrive;
using sim::SimStorageStack;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::IsEmpty;

constexpr uint8_t DISC_INFO = sim::OP_READ_DISC_INFO;
constexpr uint8_t TRACK_INFO = sim::OP_READ_TRACK_INFO;
constexpr uint8_t TOC = sim::OP_READ_TOC;
constexpr uint8_t TUR = sim::OP_TEST_UNIT_READY;
constexpr uint8_t EVENTS = sim::OP_GET_EVENT_STATUS;

const char CAPTION[] = "firmware updater";
const char FILE_NOT_FOUND[] = "firmware file not found";
const char UNNECESSARY[] = "It is unnecessary to update.";
const char DISC_IN_DRIVE[] =
    "A disc is in a drive.\r\nPlease take out disc and push the \"update\" button again.";

// A box that must not appear is answered at once if it does, so that the test fails, not hangs.
constexpr DWORD NO_BOX_WAIT_MS = 1500;

std::string ControlText(CWnd& dialog, int id) {
    CString text;
    dialog.GetDlgItemText(id, text);
    return text.str();
}

class DiscCheckOverTransports
    : public ::testing::TestWithParam<std::unique_ptr<TestTransport> (*)()> {
protected:
    EngineState state_;
};

TEST_P(DiscCheckOverTransports, CommandTraceGivesTheAnswer) {
    const std::vector<uint8_t> all = {DISC_INFO, TRACK_INFO, DISC_INFO, TRACK_INFO,
                                      TOC,       TUR,        EVENTS};
    const struct {
        const char* name;
        bool discPresent;
        std::vector<uint8_t> trace;
        bool answer;
    } cases[] = {
        {"disc present", true, all, true},
        {"no disc", false, {DISC_INFO, TRACK_INFO, DISC_INFO}, false},
    };
    IdleUpdaterDlg dialog;
    ASSERT_TRUE(dialog.Create(IDD_UPDATER));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::unique_ptr<TestTransport> transport = GetParam()();
        SimDrive drive = SimDrive::Kestran();
        drive.disc.present = c.discPresent;
        transport->Install(drive);
        NotifyRecorder recorder;
        EXPECT_EQ(c.answer, dialog.IsDiscInDrive());
        EXPECT_THAT(Opcodes(transport->Drive()), ElementsAreArray(c.trace));
        ASSERT_TRUE(recorder.PumpUntil(NOTIFY_NONE));
        EXPECT_EQ(nullptr, g_hDrive);
    }
}

INSTANTIATE_TEST_SUITE_P(Transports, DiscCheckOverTransports,
                         ::testing::Values(MakePassThrough, MakeAspi),
                         [](const auto& info) { return info.param()->Name(); });

class VersionCheckTest : public ::testing::Test {
protected:
    void SetUp() override {
        MakePassThrough()->Install(SimDrive::Kestran());
        drive_ = &SimStorageStack::Instance().Drive('E');
        ASSERT_TRUE(dialog_.Create(IDD_UPDATER));
    }

    EngineState state_;
    SimDrive* drive_ = nullptr;
    IdleUpdaterDlg dialog_;
};

TEST_F(VersionCheckTest, MissingImageIsReportedWithItsPath) {
    ImageFolder images;
    images.RemoveMain();
    MessageBoxWatcher watcher({IDOK});
    EXPECT_EQ(0, dialog_.RequestDriveInfo());
    std::vector<SeenMessageBox> boxes = watcher.Wait();
    ASSERT_EQ(1u, boxes.size());
    const SeenMessageBox& box = boxes[0];
    EXPECT_TRUE(box.pressed);
    EXPECT_EQ(std::string(FILE_NOT_FOUND) + "\r\n" + images.MainPath(), box.text);
    EXPECT_EQ(CAPTION, box.caption);
    EXPECT_EQ(static_cast<UINT>(MB_ICONINFORMATION), box.icon);
    EXPECT_EQ(dialog_.m_hWnd, box.owner);
    EXPECT_THAT(Opcodes(*drive_), IsEmpty());
}

TEST_F(VersionCheckTest, UnreachableDriveFailsWithoutAMessage) {
    ImageFolder images;
    const struct {
        const char* name;
        std::function<void()> arrange;
    } cases[] = {
        {"device cannot be opened", [] { g_DriveTable[0].DriveLetter = 'Q'; }},
        {"selection beyond the drives found", [] { g_nSelectedDrive = 1; }},
        {"selection outside the table", [] { g_nSelectedDrive = DRIVE_TABLE_CAPACITY; }},
        {"negative selection", [] { g_nSelectedDrive = -1; }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        g_DriveTable[0].DriveLetter = 'E';
        g_nSelectedDrive = 0;
        c.arrange();
        MessageBoxWatcher watcher({IDOK}, NO_BOX_WAIT_MS);
        EXPECT_EQ(0, dialog_.RequestDriveInfo());
        EXPECT_TRUE(dialog_.IsDiscInDrive()); // a check that cannot run shows no empty drive
        EXPECT_THAT(watcher.Wait(), IsEmpty());
        EXPECT_EQ(nullptr, g_hDrive);
        EXPECT_TRUE(LastWorkerHasEnded());
        EXPECT_FALSE(NotificationPending(dialog_.m_hWnd));
        EXPECT_THAT(Opcodes(*drive_), IsEmpty());
    }
}

TEST_F(VersionCheckTest, DriveInformationEndsWithTheVersionsShown) {
    ImageFolder images;
    drive_->disc.present = false;
    NotifyRecorder recorder;
    MessageBoxWatcher watcher({IDOK}, NO_BOX_WAIT_MS);
    ASSERT_EQ(1, dialog_.RequestDriveInfo());
    EXPECT_EQ(images.MainPath(), dialog_.m_szMainImagePath);
    EXPECT_EQ(images.SubPath(), dialog_.m_szSubImagePath);
    ASSERT_TRUE(recorder.PumpUntil(NOTIFY_DRIVE_INFO));
    EXPECT_THAT(watcher.Wait(), IsEmpty());
    EXPECT_EQ("KESTRAN DVD-RW  ", ControlText(dialog_, IDC_DRIVE_NAME));
    EXPECT_EQ("1.00", ControlText(dialog_, IDC_CURRENT_VERSION));
    EXPECT_EQ("1.52", ControlText(dialog_, IDC_IMAGE_VERSION));
    EXPECT_STREQ("060320", dialog_.m_szDriveDate);
    EXPECT_STREQ("061107", dialog_.m_szImageDate);
}

TEST_F(VersionCheckTest, CheckShowsVersionsOrSaysWhyNot) {
    enum class Image { Whole, Missing, Short };
    const struct {
        const char* name;
        std::string revision;
        std::string imageVersion;
        bool disc;
        Image image;
        const char* boxText; // nullptr: no box
        UINT icon;
        std::vector<int> buttons;
        bool closes;
        bool versionsShown;
        bool discChecked;
    } cases[] = {
        {"newer image, no disc",
         "1.00",
         "1.52",
         false,
         Image::Whole,
         nullptr,
         0,
         {},
         false,
         true,
         true},
        {"newer image, disc in the drive",
         "1.00",
         "1.52",
         true,
         Image::Whole,
         DISC_IN_DRIVE,
         MB_ICONWARNING,
         {IDOK, IDCANCEL},
         false,
         true,
         true},
        {"drive without revision is not checked for a disc",
         "0000",
         "1.52",
         true,
         Image::Whole,
         nullptr,
         0,
         {},
         false,
         true,
         false},
        {"same version and date",
         "1.52",
         "1.52",
         false,
         Image::Whole,
         UNNECESSARY,
         MB_ICONWARNING,
         {IDOK},
         true,
         false,
         false},
        {"older image",
         "1.60",
         "1.52",
         false,
         Image::Whole,
         UNNECESSARY,
         MB_ICONWARNING,
         {IDOK},
         true,
         false,
         false},
        {"image gone",
         "1.00",
         "1.52",
         false,
         Image::Missing,
         FILE_NOT_FOUND,
         MB_ICONINFORMATION,
         {IDOK},
         false,
         false,
         false},
        {"image too short for its header",
         "1.00",
         "1.52",
         false,
         Image::Short,
         FILE_NOT_FOUND,
         MB_ICONINFORMATION,
         {IDOK},
         false,
         false,
         false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        MainImageHeader header;
        header.version = c.imageVersion;
        ImageFolder images(header);
        ASSERT_EQ(1, LocateMainImage(dialog_.m_szMainImagePath));
        if (c.image == Image::Missing)
            images.RemoveMain();
        if (c.image == Image::Short)
            images.TruncateMain(311);
        SimDrive drive = SimDrive::Kestran();
        drive.identity.revision = c.revision;
        drive.identity.firmwareDate = "06/11/07";
        drive.disc.present = c.disc;
        std::vector<uint8_t> inquiry = drive.InquiryData();
        std::memcpy(g_InquiryData, inquiry.data(), INQUIRY_DATA_SIZE);
        *drive_ = drive;
        // What an earlier check showed must not survive a check that shows nothing.
        dialog_.SetDlgItemText(IDC_CURRENT_VERSION, "old");
        dialog_.SetDlgItemText(IDC_IMAGE_VERSION, "old");
        dialog_.SetDlgItemText(IDC_DRIVE_NAME, "old");

        MessageBoxWatcher watcher({IDOK}, c.boxText != nullptr ? 10000 : NO_BOX_WAIT_MS);
        dialog_.CheckFirmwareVersion();
        std::vector<SeenMessageBox> boxes = watcher.Wait();
        ASSERT_EQ(c.boxText != nullptr ? 1u : 0u, boxes.size()) << ::testing::PrintToString(boxes);
        if (c.boxText != nullptr) {
            const SeenMessageBox& box = boxes[0];
            std::string expected = c.boxText;
            if (c.image != Image::Whole)
                expected += "\r\n" + images.MainPath();
            EXPECT_EQ(expected, box.text);
            EXPECT_EQ(CAPTION, box.caption);
            EXPECT_EQ(c.icon, box.icon);
            EXPECT_EQ(c.buttons, box.buttons);
            EXPECT_EQ(dialog_.m_hWnd, box.owner);
        }
        MSG close;
        bool closePosted =
            PeekMessageA(&close, dialog_.m_hWnd, WM_SYSCOMMAND, WM_SYSCOMMAND, PM_REMOVE) &&
            close.wParam == SC_CLOSE;
        EXPECT_EQ(c.closes, closePosted);
        if (c.versionsShown) {
            EXPECT_EQ(c.revision, ControlText(dialog_, IDC_CURRENT_VERSION));
            EXPECT_EQ(c.imageVersion, ControlText(dialog_, IDC_IMAGE_VERSION));
            EXPECT_EQ("KESTRAN DVD-RW  ", ControlText(dialog_, IDC_DRIVE_NAME));
        } else if (c.image != Image::Whole) {
            EXPECT_EQ("", ControlText(dialog_, IDC_CURRENT_VERSION));
            EXPECT_EQ("", ControlText(dialog_, IDC_IMAGE_VERSION));
            EXPECT_EQ("", ControlText(dialog_, IDC_DRIVE_NAME));
            EXPECT_STREQ("", dialog_.m_szImageVersion);
            EXPECT_STREQ("", dialog_.m_szDriveVersion);
        }
        EXPECT_EQ(c.discChecked, !drive_->journal.empty());
        WaitForLastWorker();
        PumpMessagesUntil([] { return g_hDrive == nullptr; });
    }
}

// The check's worker is still busy after the wait: the drive counts as holding a disc, even
// though the late answer says that it does not.
TEST_F(VersionCheckTest, DiscCheckPastTheWaitKeepsDiscPresent) {
    drive_->disc.present = false;
    drive_->faults.push_back(Fault::Slow(DISC_INFO, 6000));
    EXPECT_TRUE(dialog_.IsDiscInDrive());
    WaitForLastWorker();
    EXPECT_EQ(0, g_bDiscPresent);
}

} // namespace
