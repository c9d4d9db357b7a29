// The update sequence on the simulated drive, through pass-through and through the simulated ASPI
// library (this program runs with the Windows 98 setting): what the drive received, byte for
// byte, and what the user was shown.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "drive/aspi_transport.h"
#include "drive/pass_through.h"
#include "drive/shared_state.h"
#include "framework/cdialog.h"
#include "tests/support/firmware_images.h"
#include "tests/support/message_box_watcher.h"
#include "tests/support/test_transport.h"
#include "ui/res/resource.h"
#include "update/notify.h"
#include "update/update_sequence.h"

namespace {

using namespace sim;
using ::testing::ElementsAreArray;
using ::testing::IsEmpty;

using TransportMaker = std::unique_ptr<TestTransport> (*)();

// ---------------------------------------------------------------------------------------------
// What the drive received, in a form that reads like the command list of an update.

constexpr uint8_t READ_BUFFER = 0x3C;
constexpr uint8_t WRITE_BUFFER = 0x3B;
constexpr uint8_t TEST_UNIT_READY = 0x00;
constexpr uint8_t START_STOP_UNIT = 0x1B;

struct Step {
    uint8_t opcode;
    uint8_t bufferId; // READ/WRITE BUFFER only
    uint32_t offset;  // WRITE BUFFER only
    bool operator==(const Step& other) const {
        return opcode == other.opcode && bufferId == other.bufferId && offset == other.offset;
    }
};

void PrintTo(const Step& step, std::ostream* out) {
    *out << std::hex << "{" << int(step.opcode) << " " << int(step.bufferId) << " " << step.offset
         << "}";
}

Step StepOf(const JournalEntry& entry) {
    const auto& cdb = entry.command.cdb;
    bool buffer = cdb[0] == READ_BUFFER || cdb[0] == WRITE_BUFFER;
    uint32_t offset = (uint32_t(cdb[3]) << 16) | (uint32_t(cdb[4]) << 8) | cdb[5];
    return {cdb[0], buffer ? cdb[2] : uint8_t(0), cdb[0] == WRITE_BUFFER ? offset : 0};
}

std::vector<Step> StepsOf(const Journal& journal) {
    std::vector<Step> steps;
    for (const JournalEntry& entry : journal)
        steps.push_back(StepOf(entry));
    return steps;
}

const Step STATE_READ{READ_BUFFER, 0xF1, 0};
const Step UNLOCK{WRITE_BUFFER, 0xFF, 0};

void AddChunks(std::vector<Step>& steps, uint8_t bufferId, int count) {
    for (int i = 0; i < count; ++i)
        steps.push_back({WRITE_BUFFER, bufferId, uint32_t(i) * 0x8000});
}

// The commands of a whole update; unlockBeforeSub is false for a drive already open.
std::vector<Step> FullRun(bool unlockBeforeSub = true) {
    std::vector<Step> steps = {STATE_READ,
                               {TEST_UNIT_READY, 0, 0},
                               {TEST_UNIT_READY, 0, 0},
                               {START_STOP_UNIT, 0, 0},
                               STATE_READ};
    if (unlockBeforeSub)
        steps.push_back(UNLOCK);
    AddChunks(steps, 0xFE, 4);
    steps.push_back(STATE_READ);
    steps.push_back(UNLOCK);
    AddChunks(steps, 0xF0, 51);
    steps.push_back(UNLOCK);
    steps.push_back(STATE_READ);
    return steps;
}

std::vector<uint8_t> ExpectedUnlockList() {
    std::vector<uint8_t> list(256, 0);
    std::memcpy(list.data(), "ICKDIOI  JGE-948", 16);
    const uint8_t code[] = {0x8B, 0x99, 0xC9, 0x91};
    std::memcpy(list.data() + 16, code, 4);
    return list;
}

// ---------------------------------------------------------------------------------------------

class UpdateSequenceTest : public ::testing::TestWithParam<TransportMaker> {
protected:
    void SetUp() override {
        AllocTransferBuffers();
        ASSERT_NE(nullptr, g_pWriteBuffer);
        ResetSharedState();
        ASSERT_TRUE(dialog_.Create(IDD_AUTO_MODE));
        images_.WriteMainImage(mainImage_);
        images_.WriteSubImage(subImage_);
        SetPaths(images_.MainImagePath(), images_.SubImagePath());
        transport_ = GetParam()();
    }

    void TearDown() override {
        CloseDriveDevice(&g_hDrive);
        dialog_.DestroyWindow();
        FreeTransferBuffers();
    }

    static void SetPaths(const std::string& main, const std::string& sub) {
        strncpy(g_szMainImagePath, main.c_str(), IMAGE_PATH_SIZE - 1);
        strncpy(g_szSubImagePath, sub.c_str(), IMAGE_PATH_SIZE - 1);
    }

    // Runs routine on this thread with a watcher ready to answer one box with OK (and any box
    // beyond it with its first button); boxes receives every box shown.
    int RunWatched(const std::function<int()>& routine, std::vector<SeenMessageBox>& boxes) {
        MessageBoxWatcher watcher({IDOK});
        int result = routine();
        boxes = watcher.StopWatching();
        return result;
    }

    int RunSequence(std::vector<SeenMessageBox>& boxes) {
        return RunWatched([this] { return RunUpdateSequence(&dialog_); }, boxes);
    }

    bool ProgressWasRequested() {
        MSG message;
        while (PeekMessageA(&message, dialog_.m_hWnd, WM_UPDATER_NOTIFY, WM_UPDATER_NOTIFY,
                            PM_REMOVE)) {
            if (message.wParam == NOTIFY_OPEN_PROGRESS && message.lParam == NOTIFY_MIDWAY)
                return true;
        }
        return false;
    }

    void ExpectErrorBox(const std::vector<SeenMessageBox>& boxes, const std::string& text) {
        ASSERT_EQ(1u, boxes.size()) << ::testing::PrintToString(boxes);
        const SeenMessageBox& box = boxes[0];
        EXPECT_EQ(text, box.text);
        EXPECT_EQ("firmware updater", box.caption);
        EXPECT_EQ(UINT(MB_ICONERROR), box.icon);
        EXPECT_EQ(std::vector<int>{IDOK}, box.buttons);
        EXPECT_EQ(dialog_.m_hWnd, box.owner);
    }

    // Puts drive behind the transport; on pass-through the device is opened, as the worker's
    // starter does before an update.
    void Place(const SimDrive& drive) {
        CloseDriveDevice(&g_hDrive);
        transport_->Install(drive);
        if (g_nTransport == TRANSPORT_PASS_THROUGH)
            g_hDrive = OpenDriveDevice('E');
    }

    Journal Received() const { return transport_->Drive().journal; }

    CDialog dialog_;
    FirmwareFolder images_{"kestran_update_sequence_images"};
    std::vector<uint8_t> mainImage_ = MakeMainImage();
    std::vector<uint8_t> subImage_ = MakeSubImage();
    std::unique_ptr<TestTransport> transport_;
};

TEST_P(UpdateSequenceTest, FullRunSendsBothImagesAndTheDriveTakesTheNewFirmware) {
    Place(SimDrive::Kestran());
    std::vector<SeenMessageBox> boxes;
    EXPECT_EQ(1, RunSequence(boxes));
    EXPECT_THAT(boxes, IsEmpty());
    EXPECT_TRUE(ProgressWasRequested());

    const Journal journal = Received();
    EXPECT_THAT(StepsOf(journal), ElementsAreArray(FullRun()));
    for (const JournalEntry& entry : journal) {
        Step step = StepOf(entry);
        if (step.opcode != WRITE_BUFFER)
            continue;
        SCOPED_TRACE(::testing::PrintToString(step));
        const std::vector<uint8_t>& data = entry.command.dataOut;
        if (step.bufferId == 0xFF) {
            EXPECT_EQ(ExpectedUnlockList(), data);
            continue;
        }
        const std::vector<uint8_t>& image = step.bufferId == 0xFE ? subImage_ : mainImage_;
        ASSERT_EQ(0x8000u, data.size());
        EXPECT_TRUE(std::equal(data.begin(), data.end(), image.begin() + step.offset));
        EXPECT_EQ(0x05, entry.command.cdb[1]);
    }
    SimDrive after = transport_->Drive();
    EXPECT_EQ("1.52", after.identity.revision);
    EXPECT_EQ("06/11/07", after.identity.firmwareDate);
    EXPECT_FALSE(after.disc.present); // ejected
}

TEST_P(UpdateSequenceTest, DriveAlreadyOpenGetsNoUnlockBeforeTheSubImage) {
    SimDrive drive = SimDrive::Kestran();
    drive.SetDownloadState(' ');
    Place(drive);
    std::vector<SeenMessageBox> boxes;
    EXPECT_EQ(1, RunSequence(boxes));
    EXPECT_THAT(StepsOf(Received()), ElementsAreArray(FullRun(false)));
}

// One row per way an update can end early: the fault the drive or the files bring, what the user
// is shown, and the last command the drive received (nothing follows a failure).
struct FailureCase {
    const char* name;
    std::function<void(SimDrive&)> drive;
    std::function<void(FirmwareFolder&)> files;
    int result;
    std::string message;  // empty: no message box
    size_t stepsReceived; // how many of a full run's commands reached the drive
};

std::string CommandError(const std::string& cdb, const std::string& sense) {
    return "command error occured\r\nCommand    : " + cdb + "\r\nSense Code : " + sense + "\r\n";
}

Fault Failing(uint8_t opcode, uint8_t bufferId, int occurrence, SenseCode sense = {5, 0x24, 0}) {
    return Fault::CheckCondition(opcode, sense).OnBuffer(bufferId).OnOccurrence(occurrence);
}

void NoFault(SimDrive&) {}
void KeepFiles(FirmwareFolder&) {}

const std::string READ_ID_CDB = "3c 02 f1 00 00 00 00 00 30 00 00 00 ";
const std::string UNLOCK_CDB = "3b 05 ff 00 00 00 00 01 00 00 00 00 ";

std::vector<FailureCase> FailureCases() {
    MainImageHeader otherId1, otherId2, otherModel, otherDate;
    otherId1.identification1 = "0068ORVF";
    otherId2.identification2 = "DT     X";
    otherModel.model = "KESTRAN DVD-RW  XRW-T52B";
    otherDate.date = "06/11/08";
    auto header = [](MainImageHeader h) {
        return [h](FirmwareFolder& f) { f.WriteMainImage(MakeMainImage(h)); };
    };
    return {
        {"identification READ BUFFER fails",
         [](SimDrive& d) { d.faults.push_back(Failing(READ_BUFFER, 0xF1, 1)); }, KeepFiles, 0,
         CommandError(READ_ID_CDB, "05-24-00"), 1},
        {"main image missing at the check", NoFault, [](FirmwareFolder& f) { f.RemoveMainImage(); },
         0, "", 1},
        {"identification 1 differs", NoFault, header(otherId1), 0, "imcompatible firmware file", 1},
        {"identification 2 differs", NoFault, header(otherId2), 0, "imcompatible firmware file", 1},
        {"model differs", NoFault, header(otherModel), 0, "imcompatible firmware file", 1},
        {"date differs", NoFault, header(otherDate), 0, "imcompatible firmware file", 1},
        {"sub image missing", NoFault, [](FirmwareFolder& f) { f.RemoveSubImage(); }, 0,
         "file open error", 1},
        {"main image short", NoFault,
         [](FirmwareFolder& f) { f.WriteMainImage(MakeMainImage({}, MAIN_IMAGE_BYTES - 1)); }, 0,
         "imcompatible firmware file", 1},
        {"sub image short", NoFault,
         [](FirmwareFolder& f) { f.WriteSubImage(MakeSubImage(SUB_IMAGE_BYTES - 0x8000)); }, 0,
         "imcompatible firmware file", 1},
        {"eject fails, not for want of a medium",
         [](SimDrive& d) {
             d.faults.push_back(Fault::CheckCondition(START_STOP_UNIT, {0x02, 0x04, 0x01}));
         },
         KeepFiles, 0, "", 4},
        {"eject finds no medium",
         [](SimDrive& d) {
             d.faults.push_back(Fault::CheckCondition(START_STOP_UNIT, {0x02, 0x3A, 0x00}));
         },
         KeepFiles, 1, "", FullRun().size()},
        {"state read before the sub image fails",
         [](SimDrive& d) { d.faults.push_back(Failing(READ_BUFFER, 0xF1, 2)); }, KeepFiles, 0, "",
         5},
        {"unlock before the sub image fails",
         [](SimDrive& d) { d.faults.push_back(Failing(WRITE_BUFFER, 0xFF, 1)); }, KeepFiles, 0,
         CommandError(UNLOCK_CDB, "05-24-00"), 6},
        {"second sub image chunk fails",
         [](SimDrive& d) {
             d.faults.push_back(Failing(WRITE_BUFFER, 0xFE, 2, {0x03, 0x0C, 0x00}));
         },
         KeepFiles, 0, CommandError("3b 05 fe 00 80 00 00 80 00 00 00 00 ", "03-0c-00"), 8},
        {"state read before the main image fails",
         [](SimDrive& d) { d.faults.push_back(Failing(READ_BUFFER, 0xF1, 3)); }, KeepFiles, 0, "",
         11},
        {"unlock before the main image fails",
         [](SimDrive& d) { d.faults.push_back(Failing(WRITE_BUFFER, 0xFF, 2)); }, KeepFiles, 0,
         CommandError(UNLOCK_CDB, "05-24-00"), 12},
        {"a main image chunk fails",
         [](SimDrive& d) {
             d.faults.push_back(Fault::CheckCondition(WRITE_BUFFER, {0x03, 0x0C, 0x00})
                                    .OnBuffer(0xF0)
                                    .AtOffset(0x100000));
         },
         KeepFiles, 0, CommandError("3b 05 f0 10 00 00 00 80 00 00 00 00 ", "03-0c-00"), 45},
        {"unlock after the main image fails",
         [](SimDrive& d) { d.faults.push_back(Failing(WRITE_BUFFER, 0xFF, 3)); }, KeepFiles, 0,
         CommandError(UNLOCK_CDB, "05-24-00"), 64},
        {"drive does not take the main image",
         [](SimDrive& d) { d.identity.product = "DVD-RW  XRW-T52B"; }, KeepFiles, 0, "",
         FullRun().size()},
        {"final state read fails",
         [](SimDrive& d) { d.faults.push_back(Failing(READ_BUFFER, 0xF1, 4)); }, KeepFiles, 1, "",
         FullRun().size()},
    };
}

TEST_P(UpdateSequenceTest, EveryEarlyEndIsReportedAndNothingFollowsIt) {
    for (const FailureCase& c : FailureCases()) {
        SCOPED_TRACE(c.name);
        images_.WriteMainImage(mainImage_);
        images_.WriteSubImage(subImage_);
        c.files(images_);
        SimDrive drive = SimDrive::Kestran();
        c.drive(drive);
        Place(drive);

        std::vector<SeenMessageBox> boxes;
        EXPECT_EQ(c.result, RunSequence(boxes));
        std::string expected = c.message;
        if (expected == "file open error")
            expected += images_.SubImagePath();
        if (expected.empty()) {
            EXPECT_THAT(boxes, IsEmpty());
        } else {
            ExpectErrorBox(boxes, expected);
        }
        std::vector<Step> expectedSteps = FullRun();
        expectedSteps.resize(c.stepsReceived);
        EXPECT_THAT(StepsOf(Received()), ElementsAreArray(expectedSteps));
        ProgressWasRequested();
    }
}

// A file that ends inside a chunk (it changed after the check): the incomplete chunk is never sent.
TEST_P(UpdateSequenceTest, ShortReadStopsTheDownloadBeforeTheIncompleteChunk) {
    const struct {
        const char* name;
        std::function<void(FirmwareFolder&)> shorten;
        std::function<int(CWnd*)> download;
        uint8_t bufferId;
        int chunksSent;
    } cases[] = {
        {"sub image", [](FirmwareFolder& f) { f.WriteSubImage(MakeSubImage(3 * 0x8000 + 0x4000)); },
         DownloadSubImage, 0xFE, 3},
        {"main image",
         [](FirmwareFolder& f) { f.WriteMainImage(MakeMainImage({}, 50 * 0x8000 + 0x7FFF)); },
         DownloadMainImage, 0xF0, 50},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        c.shorten(images_);
        Place(SimDrive::Kestran());
        std::vector<SeenMessageBox> boxes;
        EXPECT_EQ(0, RunWatched([&] { return c.download(&dialog_); }, boxes));
        EXPECT_THAT(boxes, IsEmpty());
        std::vector<Step> expected = {STATE_READ, UNLOCK};
        AddChunks(expected, c.bufferId, c.chunksSent);
        EXPECT_THAT(StepsOf(Received()), ElementsAreArray(expected));
        ProgressWasRequested();
    }
}

INSTANTIATE_TEST_SUITE_P(Transports, UpdateSequenceTest,
                         ::testing::Values(MakePassThrough, MakeAspi),
                         [](const ::testing::TestParamInfo<TransportMaker>& info) {
                             return info.param()->Name();
                         });

} // namespace
