#include <gtest/gtest.h>

#include "drive/pass_through.h"
#include "drive/shared_state.h"
#include "sim/sim_storage_stack.h"

namespace {

TEST(SharedState, UnlockCodeLiesInMemoryInTheOrderTheDriveTakesIt) {
    ResetSharedState();
    const uint8_t expected[] = {0x8B, 0x99, 0xC9, 0x91};
    EXPECT_EQ(0, memcmp(g_UnlockCode, expected, sizeof expected));
}

TEST(SharedState, ResetClearsTheAspiScanAddress) {
    g_ScanHa = 3;
    g_ScanTarget = 6;
    g_ScanLun = 1;
    ResetSharedState();
    EXPECT_EQ(0, g_ScanHa);
    EXPECT_EQ(0, g_ScanTarget);
    EXPECT_EQ(0, g_ScanLun);
}

TEST(SharedState, TransferBuffersAreTwoSeparateFixedBlocksOfTwoMebibytes) {
    AllocTransferBuffers();
    ASSERT_NE(g_pWriteBuffer, nullptr);
    ASSERT_NE(g_pReadBuffer, nullptr);
    EXPECT_GE(GlobalSize(g_hWriteBufferMem), TRANSFER_BUFFER_SIZE);
    EXPECT_GE(GlobalSize(g_hReadBufferMem), TRANSFER_BUFFER_SIZE);
    // A fixed block's handle is its address.
    EXPECT_EQ(static_cast<void*>(g_pWriteBuffer), g_hWriteBufferMem);
    EXPECT_EQ(static_cast<void*>(g_pReadBuffer), g_hReadBufferMem);
    EXPECT_TRUE(g_pWriteBuffer + TRANSFER_BUFFER_SIZE <= g_pReadBuffer ||
                g_pReadBuffer + TRANSFER_BUFFER_SIZE <= g_pWriteBuffer);
    // Both buffers are usable from end to end.
    g_pWriteBuffer[TRANSFER_BUFFER_SIZE - 1] = 0x5A;
    g_pReadBuffer[TRANSFER_BUFFER_SIZE - 1] = 0xA5;
    FreeTransferBuffers();
}

TEST(SharedState, FreedBuffersAreForgottenSoASecondFreeDoesNothing) {
    AllocTransferBuffers();
    FreeTransferBuffers();
    EXPECT_EQ(g_pWriteBuffer, nullptr);
    EXPECT_EQ(g_pReadBuffer, nullptr);
    EXPECT_EQ(g_hWriteBufferMem, nullptr);
    EXPECT_EQ(g_hReadBufferMem, nullptr);
    FreeTransferBuffers();
    EXPECT_EQ(g_hReadBufferMem, nullptr);
}

// Without transfer buffers a command that moves data must not reach the drive at all.
TEST(SharedState, NoDataCommandIsSentWithoutTransferBuffers) {
    sim::SimStorageStack& stack = sim::SimStorageStack::Instance();
    stack.Reset();
    sim::SimDrive& drive = stack.Attach('E', sim::SimDrive::Kestran());
    g_hDrive = OpenDriveDevice('E');
    ASSERT_NE(g_hDrive, nullptr);
    FreeTransferBuffers();

    const uint8_t inquiry[12] = {0x12, 0, 0, 0, 0xFE};
    EXPECT_EQ(0, SptiExecute6(DIR_IN, 254, inquiry));
    EXPECT_EQ(CMD_STATUS_ERROR, g_nCmdStatus);
    const uint8_t writeBuffer[12] = {0x3B, 5, 0xFE, 0, 0, 0, 0, 0x80, 0};
    EXPECT_EQ(0, SptiExecute12(DIR_OUT, 0x8000, writeBuffer));
    EXPECT_EQ(CMD_STATUS_ERROR, g_nCmdStatus);
    EXPECT_TRUE(drive.journal.empty());

    // A command without data needs no buffer.
    const uint8_t testUnitReady[12] = {};
    EXPECT_EQ(1, SptiExecute6(DIR_NONE, 0, testUnitReady));
    EXPECT_EQ(1u, drive.journal.size());
    CloseDriveDevice(&g_hDrive);
}

} // namespace
