#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <windows.h>
#include <ntddscsi.h>
#include <winioctl.h>

#include <functional>

#include "seam/system_seam.h"
#include "sim/sim_storage_stack.h"

namespace {

using namespace sim;

struct Block {
    SCSI_PASS_THROUGH_DIRECT sptd;
    ULONG filler;
    UCHAR sense[32];
};

class SimStorageStackTest : public ::testing::Test {
protected:
    void SetUp() override {
        Stack().Reset();
        drive_ = &Stack().Attach('E', SimDrive::Kestran());
        device_ =
            SysOpenDevice("\\\\.\\E:", GENERIC_READ | GENERIC_WRITE,
                          FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(INVALID_HANDLE_VALUE, device_);
    }
    void TearDown() override { Stack().Reset(); }

    static SimStorageStack& Stack() { return SimStorageStack::Instance(); }

    // A well-formed READ BUFFER 0xF1 request for 48 bytes.
    Block ReadIdRequest() {
        Block block = {};
        block.sptd.Length = sizeof block.sptd;
        block.sptd.CdbLength = 12;
        block.sptd.SenseInfoLength = 18;
        block.sptd.DataIn = SCSI_IOCTL_DATA_IN;
        block.sptd.DataTransferLength = 48;
        block.sptd.TimeOutValue = 120;
        block.sptd.DataBuffer = data_;
        block.sptd.SenseInfoOffset = offsetof(Block, sense);
        const UCHAR cdb[] = {0x3C, 0x02, 0xF1, 0, 0, 0, 0, 0, 0x30};
        memcpy(block.sptd.Cdb, cdb, sizeof cdb);
        return block;
    }

    BOOL Send(Block& block, DWORD outSize = sizeof(Block)) {
        DWORD returned = 0;
        return SysDeviceIoControl(device_, IOCTL_SCSI_PASS_THROUGH_DIRECT, &block, sizeof block,
                                  &block, outSize, &returned, nullptr);
    }

    SimDrive* drive_ = nullptr;
    HANDLE device_ = nullptr;
    uint8_t data_[256] = {};
};

TEST_F(SimStorageStackTest, MalformedRequestsAreRefusedBeforeReachingTheDrive) {
    const struct {
        const char* name;
        std::function<void(Block&)> spoil;
        DWORD outSize;
    } cases[] = {
        {"wrong structure length", [](Block& b) { b.sptd.Length = 40; }, sizeof(Block)},
        {"CDB length 8", [](Block& b) { b.sptd.CdbLength = 8; }, sizeof(Block)},
        {"CDB length 0", [](Block& b) { b.sptd.CdbLength = 0; }, sizeof(Block)},
        {"sense beyond the output", [](Block& b) { b.sptd.SenseInfoOffset = 70; }, sizeof(Block)},
        {"sense inside the request", [](Block& b) { b.sptd.SenseInfoOffset = 20; }, sizeof(Block)},
        {"output too small for the sense", [](Block&) {}, 50},
        {"no data buffer", [](Block& b) { b.sptd.DataBuffer = nullptr; }, sizeof(Block)},
        {"unknown direction", [](Block& b) { b.sptd.DataIn = 3; }, sizeof(Block)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Block block = ReadIdRequest();
        c.spoil(block);
        EXPECT_FALSE(Send(block, c.outSize));
        EXPECT_EQ(DWORD(ERROR_INVALID_PARAMETER), GetLastError());
    }
    EXPECT_TRUE(drive_->journal.empty());
}

TEST_F(SimStorageStackTest, CdbLengthSixteenAndNoDataWithoutBufferAreAccepted) {
    Block block = ReadIdRequest();
    block.sptd.CdbLength = 16;
    EXPECT_TRUE(Send(block));
    block = ReadIdRequest();
    block.sptd.Cdb[0] = 0x00;
    block.sptd.DataIn = SCSI_IOCTL_DATA_UNSPECIFIED;
    block.sptd.DataTransferLength = 0;
    block.sptd.DataBuffer = nullptr;
    EXPECT_TRUE(Send(block));
    EXPECT_EQ(2u, drive_->journal.size());
}

TEST_F(SimStorageStackTest, ReportsTheBytesActuallyTransferred) {
    Block block = ReadIdRequest();
    block.sptd.DataTransferLength = 200;
    block.sptd.Cdb[8] = 200;
    ASSERT_TRUE(Send(block));
    EXPECT_EQ(48u, block.sptd.DataTransferLength);
    EXPECT_EQ(0, block.sptd.SenseInfoLength);
}

TEST_F(SimStorageStackTest, SenseIsCutToTheLengthTheRequestAllows) {
    drive_->faults.push_back(Fault::CheckCondition(0x3C, {0x05, 0x24, 0x00}));
    Block block = ReadIdRequest();
    block.sptd.SenseInfoLength = 8;
    memset(block.sense, 0xCC, sizeof block.sense);
    ASSERT_TRUE(Send(block));
    EXPECT_EQ(SCSI_STATUS_CHECK_CONDITION, block.sptd.ScsiStatus);
    EXPECT_EQ(8, block.sptd.SenseInfoLength);
    EXPECT_EQ(0x70, block.sense[0]);
    EXPECT_EQ(0x05, block.sense[2]);
    EXPECT_EQ(0xCC, block.sense[12]);
}

TEST_F(SimStorageStackTest, UnknownAndClosedHandlesAreInvalid) {
    Block block = ReadIdRequest();
    DWORD returned = 0;
    const HANDLE handles[] = {nullptr, INVALID_HANDLE_VALUE, reinterpret_cast<HANDLE>(0x1234)};
    for (HANDLE handle : handles) {
        EXPECT_FALSE(SysDeviceIoControl(handle, IOCTL_SCSI_PASS_THROUGH_DIRECT, &block,
                                        sizeof block, &block, sizeof block, &returned, nullptr));
        EXPECT_EQ(DWORD(ERROR_INVALID_HANDLE), GetLastError());
    }
    EXPECT_TRUE(SysCloseDevice(device_));
    EXPECT_FALSE(Send(block));
    EXPECT_EQ(DWORD(ERROR_INVALID_HANDLE), GetLastError());
    EXPECT_FALSE(SysCloseDevice(device_));
    EXPECT_EQ(DWORD(ERROR_INVALID_HANDLE), GetLastError());
}

TEST_F(SimStorageStackTest, OnlyConfiguredDriveLetterDevicesOpen) {
    const char* const paths[] = {"\\\\.\\D:", "\\\\.\\E:\\", "E:", "\\\\.\\PhysicalDrive0",
                                 "\\\\.\\CdRom0"};
    for (const char* path : paths) {
        SCOPED_TRACE(path);
        HANDLE handle =
            SysOpenDevice(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        EXPECT_EQ(INVALID_HANDLE_VALUE, handle);
        EXPECT_EQ(DWORD(ERROR_FILE_NOT_FOUND), GetLastError());
    }
    HANDLE lowerCase = SysOpenDevice("\\\\.\\e:", GENERIC_READ, FILE_SHARE_READ, nullptr,
                                     OPEN_EXISTING, 0, nullptr);
    EXPECT_NE(INVALID_HANDLE_VALUE, lowerCase);
}

TEST_F(SimStorageStackTest, OtherControlCodesAreNotSupported) {
    Block block = ReadIdRequest();
    DWORD returned = 0;
    EXPECT_FALSE(SysDeviceIoControl(device_, IOCTL_SCSI_PASS_THROUGH, &block, sizeof block, &block,
                                    sizeof block, &returned, nullptr));
    EXPECT_EQ(DWORD(ERROR_INVALID_FUNCTION), GetLastError());
}

// A drive unplugged, at once or after a number of opens: nothing opens or answers any more.
TEST_F(SimStorageStackTest, AGoneDeviceNeitherOpensNorAnswers) {
    const struct {
        const char* name;
        std::function<void(SimStorageStack&)> removal;
        int opensThatWork;
    } cases[] = {
        {"unplugged", [](SimStorageStack& stack) { stack.Unplug('E'); }, 0},
        {"gone after two opens",
         [](SimStorageStack& stack) { stack.Drive('E').opensBeforeGone = 2; }, 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        c.removal(Stack());
        for (int open = 0; open <= c.opensThatWork; ++open) {
            HANDLE handle =
                SysOpenDevice("\\\\.\\E:", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
            EXPECT_EQ(open < c.opensThatWork, handle != INVALID_HANDLE_VALUE) << open;
        }
        Block block = ReadIdRequest();
        EXPECT_FALSE(Send(block));
        SetUp();
    }
}

} // namespace
