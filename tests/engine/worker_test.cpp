// The worker's operations and messages, the starters and the one-worker-at-a-time rule.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "drive/pass_through.h"
#include "engine_test_support.h"
#include "sim/sim_storage_stack.h"
#include "ui/auto_dlg.h"
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

constexpr int UNKNOWN_OPERATION = 1;

class WorkerTest : public ::testing::Test {
protected:
    void SetUp() override {
        SimStorageStack::Instance().Reset();
        drive_ = &SimStorageStack::Instance().Attach('E', SimDrive::Kestran());
        g_nTransport = TRANSPORT_PASS_THROUGH;
    }

    EngineState state_;
    SimDrive* drive_ = nullptr;
};

TEST_F(WorkerTest, EachOperationPostsItsMessageAndTheFinalMessageClosesTheDevice) {
    const struct {
        const char* name;
        int operation;
        std::vector<uint8_t> commands;
        WPARAM message;
    } cases[] = {
        {"unknown code", UNKNOWN_OPERATION, {}, NOTIFY_NONE},
        {"test unit ready", OP_TEST_UNIT_READY, {sim::OP_TEST_UNIT_READY}, NOTIFY_NONE},
        {"drive information", OP_READ_DRIVE_INFO, {sim::OP_INQUIRY}, NOTIFY_DRIVE_INFO},
    };
    IdleAutoDlg dialog;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        drive_->journal.clear();
        NotifyRecorder recorder;
        g_nOperation = c.operation;
        ASSERT_EQ(1, dialog.StartWorkerOnDrive('E', 0));
        ASSERT_TRUE(recorder.PumpUntil(c.message));
        std::vector<Notification> seen = recorder.Seen();
        ASSERT_EQ(1u, seen.size());
        EXPECT_EQ(dialog.m_hWnd, seen[0].window);
        EXPECT_EQ(NOTIFY_FINISHED, seen[0].finished);
        EXPECT_EQ(nullptr, g_hDrive);
        EXPECT_EQ(0, SimStorageStack::Instance().OpenHandleCount());
        EXPECT_THAT(Opcodes(*drive_), ElementsAreArray(c.commands));
    }
}

TEST_F(WorkerTest, IdentificationOperationsPostNothingAndLeaveTheDeviceOpen) {
    const int operations[] = {OP_IDENTIFY, OP_READ_OEM_ID};
    IdleUpdaterDlg dialog;
    ASSERT_TRUE(dialog.Create(IDD_UPDATER));
    for (int operation : operations) {
        SCOPED_TRACE(operation);
        g_nOperation = operation;
        ASSERT_EQ(1, dialog.StartWorkerOnDrive('E', 1));
        ASSERT_TRUE(LastWorkerHasEnded());
        EXPECT_FALSE(NotificationPending(dialog.m_hWnd));
        EXPECT_NE(nullptr, g_hDrive);
        EXPECT_EQ(1, SimStorageStack::Instance().OpenHandleCount());
    }
    EXPECT_THAT(Opcodes(*drive_), ElementsAre(sim::OP_INQUIRY, sim::OP_READ_BUFFER));
}

TEST_F(WorkerTest, DriveInformationIsCopiedEvenWhenInquiryFails) {
    drive_->faults.push_back(Fault::CheckCondition(sim::OP_INQUIRY, {0x05, 0x24, 0x00}));
    std::memset(g_pReadBuffer, 0xA5, INQUIRY_DATA_SIZE);
    std::memset(g_InquiryData, 0, INQUIRY_DATA_SIZE);
    IdleAutoDlg dialog;
    NotifyRecorder recorder;
    g_nOperation = OP_READ_DRIVE_INFO;
    ASSERT_EQ(1, dialog.StartWorkerOnDrive('E', 0));
    ASSERT_TRUE(recorder.PumpUntil(NOTIFY_DRIVE_INFO));
    EXPECT_EQ(std::vector<uint8_t>(INQUIRY_DATA_SIZE, 0xA5),
              std::vector<uint8_t>(g_InquiryData, g_InquiryData + INQUIRY_DATA_SIZE));
}

TEST_F(WorkerTest, StartOnALetterWithoutDeviceStartsNothing) {
    IdleUpdaterDlg dialog;
    g_nOperation = UNKNOWN_OPERATION;
    EXPECT_EQ(0, dialog.StartWorkerOnDrive('Q', 1));
    EXPECT_EQ(nullptr, g_hDrive);
    EXPECT_EQ(UNKNOWN_OPERATION, g_nOperation);
    std::vector<sim::OpenCall> opens = SimStorageStack::Instance().OpenCalls();
    ASSERT_EQ(1u, opens.size());
    EXPECT_EQ("\\\\.\\Q:", opens[0].path);
    EXPECT_FALSE(NotificationPending(nullptr));
}

TEST_F(WorkerTest, AnOpenDeviceIsUsedWhateverTheLetter) {
    SimDrive& driveD = SimStorageStack::Instance().Attach('D', SimDrive::Kestran());
    g_hDrive = OpenDriveDevice('D');
    ASSERT_NE(nullptr, g_hDrive);
    IdleUpdaterDlg dialog;
    g_nOperation = OP_READ_OEM_ID;
    ASSERT_EQ(1, dialog.StartWorkerOnDrive('E', 1));
    ASSERT_TRUE(LastWorkerHasEnded());
    EXPECT_THAT(Opcodes(driveD), ElementsAre(sim::OP_READ_BUFFER));
    EXPECT_THAT(Opcodes(*drive_), IsEmpty());
    EXPECT_EQ(1u, SimStorageStack::Instance().OpenCalls().size());
}

// A worker still busy after the wait has failed for its requester; the next start waits for it.
TEST_F(WorkerTest, AWorkerPastTheWaitIsAwaitedBeforeTheNextStarts) {
    drive_->faults.push_back(Fault::Slow(sim::OP_READ_BUFFER, 6000));
    IdleUpdaterDlg dialog;
    ASSERT_TRUE(dialog.Create(IDD_UPDATER));
    g_nOperation = OP_READ_OEM_ID;
    DWORD start = GetTickCount();
    ASSERT_EQ(1, dialog.StartWorkerOnDrive('E', 1));
    DWORD waited = GetTickCount() - start;
    EXPECT_GE(waited, WORKER_WAIT_MS - 50);
    EXPECT_LT(waited, 6000u);
    EXPECT_FALSE(LastWorkerHasEnded());

    NotifyRecorder recorder;
    g_nOperation = UNKNOWN_OPERATION;
    ASSERT_EQ(1, dialog.StartWorker(0));
    // The slow READ BUFFER has been answered before the new worker was created.
    ASSERT_EQ(1u, drive_->journal.size());
    EXPECT_EQ(sim::SCSI_STATUS_GOOD, drive_->journal[0].reply.status);
    ASSERT_TRUE(recorder.PumpUntil(NOTIFY_NONE));
    EXPECT_EQ(nullptr, g_hDrive);
}

// A worker's final message may still wait in the queue when the next worker starts on the same
// device: handled then, it must not close the device under the running command.
TEST_F(WorkerTest, ALateFinalMessageLeavesTheNextWorkersDeviceOpen) {
    IdleAutoDlg dialog;
    NotifyRecorder recorder;
    g_nOperation = UNKNOWN_OPERATION;
    ASSERT_EQ(1, dialog.StartWorkerOnDrive('E', 0));
    WaitForLastWorker();
    ASSERT_TRUE(NotificationPending(dialog.m_hWnd));

    drive_->faults.push_back(Fault::Slow(sim::OP_INQUIRY, 1500));
    g_nOperation = OP_READ_DRIVE_INFO;
    ASSERT_EQ(1, dialog.StartWorkerOnDrive('E', 0));
    ASSERT_TRUE(recorder.PumpUntil(NOTIFY_NONE));
    EXPECT_NE(nullptr, g_hDrive);

    ASSERT_TRUE(recorder.PumpUntil(NOTIFY_DRIVE_INFO));
    EXPECT_EQ(nullptr, g_hDrive);
    EXPECT_EQ(0, SimStorageStack::Instance().ClosesWhileBusy());
    EXPECT_EQ(0, SimStorageStack::Instance().OpenHandleCount());
    ASSERT_EQ(1u, drive_->journal.size());
    EXPECT_EQ(sim::SCSI_STATUS_GOOD, drive_->journal[0].reply.status);
}

// Reserves every free range of the address space while it lives, so that no thread can get a
// stack: the way a real system runs out of room for a new thread.
class AddressSpaceExhausted {
public:
    AddressSpaceExhausted() {
        for (SIZE_T size = 256u << 20; size >= 64u << 10; size /= 2) {
            while (void* range = VirtualAlloc(nullptr, size, MEM_RESERVE, PAGE_NOACCESS))
                ranges_.push_back(range);
        }
    }
    ~AddressSpaceExhausted() {
        for (void* range : ranges_)
            VirtualFree(range, 0, MEM_RELEASE);
    }

private:
    std::vector<void*> ranges_;
};

TEST_F(WorkerTest, AWorkerThatCannotBeCreatedIsNotReportedAsStarted) {
    IdleAutoDlg dialog;
    g_nOperation = UNKNOWN_OPERATION;
    int started = -1;
    {
        AddressSpaceExhausted exhausted;
        started = dialog.StartWorkerOnDrive('E', 0);
    }
    EXPECT_EQ(0, started);
    EXPECT_EQ(nullptr, g_hDrive);
    EXPECT_EQ(0, SimStorageStack::Instance().OpenHandleCount());
    EXPECT_EQ(0, g_nFinalMessagesDue);
    EXPECT_FALSE(NotificationPending(dialog.m_hWnd));
    EXPECT_THAT(Opcodes(*drive_), IsEmpty());
}

} // namespace
