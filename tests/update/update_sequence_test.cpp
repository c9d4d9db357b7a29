// The update sequence on the simulated drive, through pass-through and through the simulated ASPI
// library (this program runs with the Windows 98 setting): what the drive received, byte for
// byte, and what the user was shown.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "drive/aspi_transport.h"
#include "drive/pass_through.h"
#include "drive/shared_state.h"
#include "framework/cdialog.h"
#include "tests/support/firmware_images.h"
#include "tests/support/message_box_watcher.h"
#include "tests/support/shared_state_scope.h"
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
constexpr uint8_t START_STOP_UNIT = 0x1B;
constexpr uint8_t BUFFER_UNLOCK = 0xFF;
constexpr uint8_t BUFFER_SUB_IMAGE = 0xFE;
constexpr uint8_t BUFFER_MAIN_IMAGE = 0xF0;
constexpr uint32_t CHUNK = 0x8000;
constexpr int SUB_CHUNKS = 4;
constexpr int MAIN_CHUNKS = 51;

// One command as the drive received it: the 12 CDB bytes the builders fill (of the 16 the journal
// keeps), the CDB length and the transfer length.
struct Step {
    std::array<uint8_t, 12> cdb;
    int cdbLength;
    uint32_t transferLength;

    uint8_t Opcode() const { return cdb[0]; }
    uint8_t BufferId() const { return cdb[2]; }
    uint32_t Offset() const { return (uint32_t(cdb[3]) << 16) | (uint32_t(cdb[4]) << 8) | cdb[5]; }
    bool operator==(const Step& other) const {
        return cdb == other.cdb && cdbLength == other.cdbLength &&
               transferLength == other.transferLength;
    }
};

void PrintTo(const Step& step, std::ostream* out) {
    *out << ToHex(step.cdb.data(), step.cdb.size()) << " length " << step.cdbLength << " transfer "
         << step.transferLength;
}

Step StepOf(const JournalEntry& entry) {
    Step step{{}, entry.command.cdbLength, entry.command.transferLength};
    std::copy_n(entry.command.cdb.begin(), step.cdb.size(), step.cdb.begin());
    return step;
}

std::vector<Step> StepsOf(const Journal& journal) {
    std::vector<Step> steps;
    for (const JournalEntry& entry : journal)
        steps.push_back(StepOf(entry));
    return steps;
}

// clang-format off
const Step STATE_READ = {{0x3C, 0x02, 0xF1, 0, 0, 0, 0, 0,    0x30, 0, 0, 0}, 12, 48};
const Step TEST_READY = {{0x00, 0,    0,    0, 0, 0, 0, 0,    0,    0, 0, 0}, 6,  0};
const Step EJECT      = {{0x1B, 0,    0,    0, 2, 0, 0, 0,    0,    0, 0, 0}, 6,  0};
const Step UNLOCK     = {{0x3B, 0x05, 0xFF, 0, 0, 0, 0, 0x01, 0x00, 0, 0, 0}, 12, 256};
// clang-format on

// WRITE BUFFER mode 5 of one 0x8000-byte chunk at its offset.
Step ChunkAt(uint8_t bufferId, uint32_t offset) {
    return {{WRITE_BUFFER, 0x05, bufferId, uint8_t(offset >> 16), uint8_t(offset >> 8),
             uint8_t(offset), 0x00, 0x80, 0x00, 0, 0, 0},
            12,
            CHUNK};
}

void AddChunks(std::vector<Step>& steps, uint8_t bufferId, int count) {
    for (int i = 0; i < count; ++i)
        steps.push_back(ChunkAt(bufferId, uint32_t(i) * CHUNK));
}

enum class DownloadState { Locked, AlreadyOpen };
constexpr DownloadState LOCKED = DownloadState::Locked;
constexpr DownloadState ALREADY_OPEN = DownloadState::AlreadyOpen;

// The commands of a whole update; a drive already open gets no unlock before the sub image.
std::vector<Step> FullRun(DownloadState state = LOCKED) {
    // clang-format off
    std::vector<Step> steps = {
        STATE_READ, // does the image suit this drive
        TEST_READY,
        TEST_READY,
        EJECT,
        STATE_READ, // download state before the sub image
    };
    // clang-format on
    if (state == LOCKED)
        steps.push_back(UNLOCK);
    AddChunks(steps, BUFFER_SUB_IMAGE, SUB_CHUNKS);
    steps.push_back(STATE_READ);
    steps.push_back(UNLOCK);
    AddChunks(steps, BUFFER_MAIN_IMAGE, MAIN_CHUNKS);
    steps.push_back(UNLOCK); // the drive takes the new firmware
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
// The progress request the sequence posts to its dialog just before the main image.

struct Notice {
    WPARAM what;
    LPARAM finished;
    bool operator==(const Notice& other) const {
        return what == other.what && finished == other.finished;
    }
};

void PrintTo(const Notice& notice, std::ostream* out) {
    *out << "{" << notice.what << ", " << notice.finished << "}";
}

const Notice PROGRESS_REQUEST = {NOTIFY_OPEN_PROGRESS, NOTIFY_MIDWAY};

enum class Progress { Posted, NotPosted };
constexpr Progress PROGRESS_POSTED = Progress::Posted;
constexpr Progress NO_PROGRESS = Progress::NotPosted;

// Records each WM_UPDATER_NOTIFY for one window that this thread takes from its queue. A message
// box of the sequence runs its own loop, which takes the request too, so a look into the queue
// afterwards would miss it.
class NoticeRecorder {
public:
    NoticeRecorder()
        : hook_(SetWindowsHookExA(WH_GETMESSAGE, &Record, nullptr, GetCurrentThreadId())) {
        seen_.clear();
    }
    ~NoticeRecorder() { UnhookWindowsHookEx(hook_); }
    NoticeRecorder(const NoticeRecorder&) = delete;
    NoticeRecorder& operator=(const NoticeRecorder&) = delete;

    // Takes what is still queued for window, and gives everything seen for it since the last call.
    std::vector<Notice> Take(HWND window) {
        MSG message;
        while (PeekMessageA(&message, window, WM_UPDATER_NOTIFY, WM_UPDATER_NOTIFY, PM_REMOVE)) {
        }
        std::vector<Notice> taken;
        for (const Seen& seen : seen_)
            if (seen.window == window)
                taken.push_back(seen.notice);
        seen_.clear();
        return taken;
    }

private:
    struct Seen {
        HWND window;
        Notice notice;
    };

    // A thread hook: it runs on this thread only.
    static LRESULT CALLBACK Record(int code, WPARAM removal, LPARAM lParam) {
        const MSG* message = reinterpret_cast<const MSG*>(lParam);
        if (code == HC_ACTION && removal == PM_REMOVE && message->message == WM_UPDATER_NOTIFY)
            seen_.push_back({message->hwnd, {message->wParam, message->lParam}});
        return CallNextHookEx(nullptr, code, removal, lParam);
    }

    static std::vector<Seen> seen_;
    HHOOK hook_;
};

std::vector<NoticeRecorder::Seen> NoticeRecorder::seen_;

class UpdateSequenceTest : public ::testing::TestWithParam<TransportMaker> {
protected:
    void SetUp() override {
        ASSERT_NE(nullptr, g_pWriteBuffer);
        ASSERT_TRUE(dialog_.Create(IDD_AUTO_MODE));
        images_.WriteMainImage(mainImage_);
        images_.WriteSubImage(subImage_);
        SetPaths(images_.MainImagePath(), images_.SubImagePath());
        transport_ = GetParam()();
    }

    void TearDown() override { dialog_.DestroyWindow(); }

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

    // The WM_UPDATER_NOTIFY messages posted to the dialog since the last call.
    std::vector<Notice> Posted() { return notices_.Take(dialog_.m_hWnd); }

    static std::vector<Notice> Expected(Progress progress) {
        if (progress == PROGRESS_POSTED)
            return {PROGRESS_REQUEST};
        return {};
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

    SharedStateScope state_;
    NoticeRecorder notices_;
    CDialog dialog_;
    FirmwareFolder images_{"update_sequence_images"};
    std::vector<uint8_t> mainImage_ = MakeMainImage();
    std::vector<uint8_t> subImage_ = MakeSubImage();
    std::unique_ptr<TestTransport> transport_;
};

TEST_P(UpdateSequenceTest, FullRunSendsBothImagesAndTheDriveTakesTheNewFirmware) {
    Place(SimDrive::Kestran());
    std::vector<SeenMessageBox> boxes;
    EXPECT_EQ(1, RunSequence(boxes));
    EXPECT_THAT(boxes, IsEmpty());
    EXPECT_THAT(Posted(), ElementsAreArray(Expected(PROGRESS_POSTED)));

    const Journal journal = Received();
    EXPECT_THAT(StepsOf(journal), ElementsAreArray(FullRun()));
    for (const JournalEntry& entry : journal) {
        Step step = StepOf(entry);
        if (step.Opcode() != WRITE_BUFFER)
            continue;
        SCOPED_TRACE(::testing::PrintToString(step));
        const std::vector<uint8_t>& data = entry.command.dataOut;
        if (step.BufferId() == BUFFER_UNLOCK) {
            EXPECT_EQ(ExpectedUnlockList(), data);
            continue;
        }
        const std::vector<uint8_t>& image =
            step.BufferId() == BUFFER_SUB_IMAGE ? subImage_ : mainImage_;
        ASSERT_EQ(0x8000u, data.size());
        EXPECT_TRUE(std::equal(data.begin(), data.end(), image.begin() + step.Offset()));
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
    EXPECT_THAT(boxes, IsEmpty());
    EXPECT_THAT(Posted(), ElementsAreArray(Expected(PROGRESS_POSTED)));
    EXPECT_THAT(StepsOf(Received()), ElementsAreArray(FullRun(ALREADY_OPEN)));
}

constexpr int SEQUENCE_FAILED = 0;
constexpr int SEQUENCE_DONE = 1;
const std::string NO_BOX; // the sequence shows no message box

// One row per way an update can end early: the fault the drive or the files bring, what the
// sequence returns and shows, how many of a full run's commands reached the drive (nothing follows
// a failure), and whether the progress request was posted.
struct FailureCase {
    const char* name;
    std::function<void(SimDrive&)> drive;
    std::function<void(FirmwareFolder&)> files;
    int result;
    std::string message;
    size_t stepsReceived;
    Progress progress;
};

std::string CommandError(const std::string& cdb, const std::string& sense) {
    return "command error occured\r\nCommand    : " + cdb + "\r\nSense Code : " + sense + "\r\n";
}

using DriveChange = std::function<void(SimDrive&)>;
using FilesChange = std::function<void(FirmwareFolder&)>;

DriveChange WithFault(const Fault& fault) {
    return [fault](SimDrive& drive) { drive.faults.push_back(fault); };
}

// The n-th command on this buffer fails.
DriveChange Failing(uint8_t opcode, uint8_t bufferId, int occurrence,
                    SenseCode sense = {5, 0x24, 0}) {
    return WithFault(
        Fault::CheckCondition(opcode, sense).OnBuffer(bufferId).OnOccurrence(occurrence));
}

const SenseCode BECOMING_READY = {0x02, 0x04, 0x01};
const SenseCode NO_MEDIUM = {0x02, 0x3A, 0x00};
const SenseCode WRITE_ERROR = {0x03, 0x0C, 0x00};

DriveChange EjectFailing(SenseCode sense) {
    return WithFault(Fault::CheckCondition(START_STOP_UNIT, sense));
}
// The identification buffer is read for the image check and for each download state.
DriveChange IdReadFailing(int occurrence) {
    return Failing(READ_BUFFER, 0xF1, occurrence);
}
DriveChange UnlockFailing(int occurrence) {
    return Failing(WRITE_BUFFER, BUFFER_UNLOCK, occurrence);
}
DriveChange SubChunkWriteError(int occurrence) {
    return Failing(WRITE_BUFFER, BUFFER_SUB_IMAGE, occurrence, WRITE_ERROR);
}
DriveChange MainChunkWriteErrorAt(uint32_t offset) {
    return WithFault(Fault::CheckCondition(WRITE_BUFFER, WRITE_ERROR)
                         .OnBuffer(BUFFER_MAIN_IMAGE)
                         .AtOffset(offset));
}

void NoFault(SimDrive&) {}
void OtherProduct(SimDrive& drive) {
    drive.identity.product = "DVD-RW  XRW-T52B";
}

void KeepFiles(FirmwareFolder&) {}
void RemoveMain(FirmwareFolder& files) {
    files.RemoveMainImage();
}
void RemoveSub(FirmwareFolder& files) {
    files.RemoveSubImage();
}
FilesChange MainWithHeader(const MainImageHeader& header) {
    return [header](FirmwareFolder& files) { files.WriteMainImage(MakeMainImage(header)); };
}
FilesChange MainOfSize(size_t size) {
    return [size](FirmwareFolder& files) { files.WriteMainImage(MakeMainImage({}, size)); };
}
FilesChange SubOfSize(size_t size) {
    return [size](FirmwareFolder& files) { files.WriteSubImage(MakeSubImage(size)); };
}

MainImageHeader HeaderWith(std::string MainImageHeader::*field, const std::string& value) {
    MainImageHeader header;
    header.*field = value;
    return header;
}

const std::string READ_ID_ERROR = CommandError("3c 02 f1 00 00 00 00 00 30 00 00 00 ", "05-24-00");
const std::string UNLOCK_ERROR = CommandError("3b 05 ff 00 00 00 00 01 00 00 00 00 ", "05-24-00");
const std::string SUB_CHUNK_1_ERROR =
    CommandError("3b 05 fe 00 80 00 00 80 00 00 00 00 ", "03-0c-00");
const std::string MAIN_CHUNK_32_ERROR =
    CommandError("3b 05 f0 10 00 00 00 80 00 00 00 00 ", "03-0c-00");
const std::string INCOMPATIBLE = "imcompatible firmware file";
const std::string FILE_OPEN_ERROR = "file open error"; // followed by the file's path

std::vector<FailureCase> FailureCases() {
    const MainImageHeader otherId1 = HeaderWith(&MainImageHeader::identification1, "0068ORVF");
    const MainImageHeader otherId2 = HeaderWith(&MainImageHeader::identification2, "DT     X");
    const MainImageHeader otherModel =
        HeaderWith(&MainImageHeader::model, "KESTRAN DVD-RW  XRW-T52B");
    const MainImageHeader otherDate = HeaderWith(&MainImageHeader::date, "06/11/08");
    const size_t all = FullRun().size();
    // clang-format off
    return {
        {"identification READ BUFFER fails",       IdReadFailing(1),                KeepFiles,                          SEQUENCE_FAILED, READ_ID_ERROR,       1,   NO_PROGRESS},
        {"main image missing at the check",        NoFault,                         RemoveMain,                         SEQUENCE_FAILED, NO_BOX,              1,   NO_PROGRESS},
        {"identification 1 differs",               NoFault,                         MainWithHeader(otherId1),           SEQUENCE_FAILED, INCOMPATIBLE,        1,   NO_PROGRESS},
        {"identification 2 differs",               NoFault,                         MainWithHeader(otherId2),           SEQUENCE_FAILED, INCOMPATIBLE,        1,   NO_PROGRESS},
        {"model differs",                          NoFault,                         MainWithHeader(otherModel),         SEQUENCE_FAILED, INCOMPATIBLE,        1,   NO_PROGRESS},
        {"date differs",                           NoFault,                         MainWithHeader(otherDate),          SEQUENCE_FAILED, INCOMPATIBLE,        1,   NO_PROGRESS},
        {"sub image missing",                      NoFault,                         RemoveSub,                          SEQUENCE_FAILED, FILE_OPEN_ERROR,     1,   NO_PROGRESS},
        {"main image short",                       NoFault,                         MainOfSize(MAIN_IMAGE_BYTES - 1),   SEQUENCE_FAILED, INCOMPATIBLE,        1,   NO_PROGRESS},
        {"sub image short",                        NoFault,                         SubOfSize(SUB_IMAGE_BYTES - CHUNK), SEQUENCE_FAILED, INCOMPATIBLE,        1,   NO_PROGRESS},
        {"eject fails, not for want of a medium",  EjectFailing(BECOMING_READY),    KeepFiles,                          SEQUENCE_FAILED, NO_BOX,              4,   NO_PROGRESS},
        {"eject finds no medium",                  EjectFailing(NO_MEDIUM),         KeepFiles,                          SEQUENCE_DONE,   NO_BOX,              all, PROGRESS_POSTED},
        {"state read before the sub image fails",  IdReadFailing(2),                KeepFiles,                          SEQUENCE_FAILED, NO_BOX,              5,   NO_PROGRESS},
        {"unlock before the sub image fails",      UnlockFailing(1),                KeepFiles,                          SEQUENCE_FAILED, UNLOCK_ERROR,        6,   NO_PROGRESS},
        {"second sub image chunk fails",           SubChunkWriteError(2),           KeepFiles,                          SEQUENCE_FAILED, SUB_CHUNK_1_ERROR,   8,   NO_PROGRESS},
        {"state read before the main image fails", IdReadFailing(3),                KeepFiles,                          SEQUENCE_FAILED, NO_BOX,              11,  NO_PROGRESS},
        {"unlock before the main image fails",     UnlockFailing(2),                KeepFiles,                          SEQUENCE_FAILED, UNLOCK_ERROR,        12,  NO_PROGRESS},
        {"a main image chunk fails",               MainChunkWriteErrorAt(0x100000), KeepFiles,                          SEQUENCE_FAILED, MAIN_CHUNK_32_ERROR, 45,  PROGRESS_POSTED},
        {"unlock after the main image fails",      UnlockFailing(3),                KeepFiles,                          SEQUENCE_FAILED, UNLOCK_ERROR,        64,  PROGRESS_POSTED},
        {"drive does not take the main image",     OtherProduct,                    KeepFiles,                          SEQUENCE_FAILED, NO_BOX,              all, PROGRESS_POSTED},
        {"final state read fails",                 IdReadFailing(4),                KeepFiles,                          SEQUENCE_DONE,   NO_BOX,              all, PROGRESS_POSTED},
    };
    // clang-format on
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
        if (expected == FILE_OPEN_ERROR)
            expected += images_.SubImagePath();
        if (expected.empty()) {
            EXPECT_THAT(boxes, IsEmpty());
        } else {
            ExpectErrorBox(boxes, expected);
        }
        std::vector<Step> expectedSteps = FullRun();
        expectedSteps.resize(c.stepsReceived);
        EXPECT_THAT(StepsOf(Received()), ElementsAreArray(expectedSteps));
        EXPECT_THAT(Posted(), ElementsAreArray(Expected(c.progress)));
    }
}

// A file that ends inside a chunk (it changed after the check): the incomplete chunk is never sent.
TEST_P(UpdateSequenceTest, ShortReadStopsTheDownloadBeforeTheIncompleteChunk) {
    const struct {
        const char* name;
        FilesChange shorten;
        std::function<int(CWnd*)> download;
        uint8_t bufferId;
        int chunksSent;
        Progress progress;
    } cases[] = {
        // clang-format off
        {"sub image",  SubOfSize(3 * CHUNK + 0x4000),   DownloadSubImage,  BUFFER_SUB_IMAGE,  3,  NO_PROGRESS},
        {"main image", MainOfSize(50 * CHUNK + 0x7FFF), DownloadMainImage, BUFFER_MAIN_IMAGE, 50, PROGRESS_POSTED},
        // clang-format on
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
        EXPECT_THAT(Posted(), ElementsAreArray(Expected(c.progress)));
    }
}

INSTANTIATE_TEST_SUITE_P(Transports, UpdateSequenceTest,
                         ::testing::Values(MakePassThrough, MakeAspi),
                         [](const ::testing::TestParamInfo<TransportMaker>& info) {
                             return info.param()->Name();
                         });

} // namespace
