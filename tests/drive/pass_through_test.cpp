#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <windows.h>
#include <winioctl.h>

#include <functional>
#include <vector>

#include "drive_fixture.h"
#include "tests/support/bytes.h"

namespace {

using sim::Fault;
using sim::SenseCode;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;

using SptiEntry = int (*)(int, uint32_t, const uint8_t*);

const SCSI_PASS_THROUGH_DIRECT& LastRequest() {
    static sim::PassThroughCall last;
    last = sim::SimStorageStack::Instance().PassThroughCalls().back();
    return last.request;
}

struct DirectionCase {
    const char* name;
    int direction;
    uint32_t transferLength;
    UCHAR expectedDataIn;
    bool expectReadBuffer;
};

TEST_F(DriveChannelTest, RequestBlockFollowsTheDirectionCode) {
    const DirectionCase cases[] = {
        {"data in", DIR_IN, 48, SCSI_IOCTL_DATA_IN, true},
        {"data out", DIR_OUT, 256, SCSI_IOCTL_DATA_OUT, false},
        {"no data", DIR_NONE, 0, SCSI_IOCTL_DATA_OUT, false},
        {"unknown code", 7, 0, SCSI_IOCTL_DATA_OUT, false},
    };
    AttachKestranAndOpen();
    for (const DirectionCase& c : cases) {
        SCOPED_TRACE(c.name);
        const uint8_t cdb[12] = {0x3C, 0x02, 0xF1, 0, 0, 0, 0, 0, 0x30, 0, 0, 0};
        SptiExecute12(c.direction, c.transferLength, cdb);

        const sim::PassThroughCall call = Stack().PassThroughCalls().back();
        const SCSI_PASS_THROUGH_DIRECT& sent = call.request;
        EXPECT_EQ(80u, call.inSize);
        EXPECT_EQ(80u, call.outSize);
        EXPECT_EQ(44, sent.Length);
        EXPECT_EQ(0, sent.PathId);
        EXPECT_EQ(0, sent.TargetId);
        EXPECT_EQ(0, sent.Lun);
        EXPECT_EQ(12, sent.CdbLength);
        EXPECT_EQ(18, sent.SenseInfoLength);
        EXPECT_EQ(c.expectedDataIn, sent.DataIn);
        EXPECT_EQ(c.transferLength, sent.DataTransferLength);
        EXPECT_EQ(120u, sent.TimeOutValue);
        EXPECT_EQ(c.expectReadBuffer ? g_pReadBuffer : g_pWriteBuffer, sent.DataBuffer);
        EXPECT_EQ(48u, sent.SenseInfoOffset);
        EXPECT_THAT(Bytes(sent.Cdb, 16),
                    ElementsAre(0x3C, 0x02, 0xF1, 0, 0, 0, 0, 0, 0x30, 0, 0, 0, 0, 0, 0, 0));
    }
}

TEST_F(DriveChannelTest, DataOutCarriesTheWriteBufferFromItsStart) {
    sim::SimDrive& drive = AttachKestranAndOpen();
    for (int i = 0; i < 256; ++i)
        g_pWriteBuffer[i] = static_cast<uint8_t>(i ^ 0x5A);
    const uint8_t cdb[12] = {0x3B, 0x05, 0xFF, 0, 0, 0, 0, 0x01, 0x00};
    SptiExecute12(DIR_OUT, 256, cdb);
    ASSERT_EQ(1u, drive.journal.size());
    EXPECT_THAT(drive.journal[0].command.dataOut, ElementsAreArray(g_pWriteBuffer, 256));
}

TEST_F(DriveChannelTest, EachEntryNamesItsCdbLengthAndSendsAllTwelveBytes) {
    const struct {
        SptiEntry entry;
        int cdbLength;
    } entries[] = {{SptiExecute6, 6}, {SptiExecute10, 10}, {SptiExecute12, 12}};
    sim::SimDrive& drive = AttachKestranAndOpen();
    const uint8_t cdb[12] = {0x00, 0, 0, 0, 0, 0, 0x11, 0x22, 0x33, 0x44, 0x55, 0x66};
    for (const auto& e : entries) {
        SCOPED_TRACE(e.cdbLength);
        e.entry(DIR_NONE, 0, cdb);
        const sim::JournalEntry& received = drive.journal.back();
        EXPECT_EQ(e.cdbLength, received.command.cdbLength);
        EXPECT_THAT(received.CdbBytes(), ElementsAreArray(cdb));
    }
}

TEST_F(DriveChannelTest, GoodCommandReturnsOneAndLeavesTheDataInTheReadBuffer) {
    AttachKestranAndOpen();
    const uint8_t inquiry[12] = {0x12, 0, 0, 0, 0xFE};
    EXPECT_EQ(1, SptiExecute6(DIR_IN, 254, inquiry));
    EXPECT_EQ(CMD_STATUS_GOOD, g_nCmdStatus);
    EXPECT_EQ(0, memcmp(g_pReadBuffer + 8, "KESTRAN DVD-RW  XRW-T52A", 24));
    EXPECT_EQ(0, LastRequest().ScsiStatus);
}

TEST_F(DriveChannelTest, CheckConditionPlacesTheSenseInTheSenseArea) {
    sim::SimDrive& drive = AttachKestranAndOpen();
    drive.faults.push_back(Fault::CheckCondition(0x00, SenseCode{0x02, 0x3A, 0x00}));
    const uint8_t testUnitReady[12] = {};
    EXPECT_EQ(0, SptiExecute6(DIR_NONE, 0, testUnitReady));
    EXPECT_EQ(CMD_STATUS_ERROR, g_nCmdStatus);
    EXPECT_EQ(0x02, g_Sptd.Sptd.ScsiStatus);
    EXPECT_EQ(0x70, g_Sptd.SenseArea[0]);
    EXPECT_EQ(0x02, g_Sptd.SenseArea[2]);
    EXPECT_EQ(0x3A, g_Sptd.SenseArea[12]);
    EXPECT_EQ(0x00, g_Sptd.SenseArea[13]);
    // Request-block bytes 50, 60 and 61 are where the sense routines look.
    const uint8_t* block = reinterpret_cast<const uint8_t*>(&g_Sptd);
    EXPECT_EQ(0x02, block[50]);
    EXPECT_EQ(0x3A, block[60]);
    // Nothing beyond the 18 bytes asked for, and the spare bytes stay clear.
    EXPECT_THAT(Bytes(g_Sptd.SenseArea + 18, 14), ::testing::Each(0));
    EXPECT_EQ(0u, g_Sptd.Filler);
}

TEST_F(DriveChannelTest, ASecondCommandClearsTheFirstCommandsSense) {
    sim::SimDrive& drive = AttachKestranAndOpen();
    drive.faults.push_back(Fault::CheckCondition(0x00, SenseCode{0x06, 0x29, 0x00}));
    const uint8_t testUnitReady[12] = {};
    EXPECT_EQ(0, SptiExecute6(DIR_NONE, 0, testUnitReady));
    ASSERT_EQ(0x06, g_Sptd.SenseArea[2]);
    EXPECT_EQ(1, SptiExecute6(DIR_NONE, 0, testUnitReady));
    EXPECT_THAT(Bytes(g_Sptd.SenseArea, sizeof g_Sptd.SenseArea), ::testing::Each(0));
}

TEST_F(DriveChannelTest, EveryStatusOtherThanGoodIsAnError) {
    const uint8_t statuses[] = {0x02, 0x08, 0x18, 0x28};
    sim::SimDrive& drive = AttachKestranAndOpen();
    const uint8_t testUnitReady[12] = {};
    for (uint8_t status : statuses) {
        SCOPED_TRACE(static_cast<int>(status));
        drive.faults = {Fault::WithStatus(0x00, status)};
        EXPECT_EQ(0, SptiExecute6(DIR_NONE, 0, testUnitReady));
        EXPECT_EQ(CMD_STATUS_ERROR, g_nCmdStatus);
    }
}

// A request that Windows refuses never reached the drive; it must not read as good status.
TEST_F(DriveChannelTest, RefusedRequestIsAnErrorWhateverTheBlockHolds) {
    const struct {
        const char* name;
        std::function<void(sim::SimDrive&)> arrange;
    } cases[] = {
        {"no device open", [](sim::SimDrive&) { CloseDriveDevice(&g_hDrive); }},
        {"closed handle",
         [](sim::SimDrive&) {
             HANDLE copy = g_hDrive;
             CloseDriveDevice(&copy);
         }},
        {"device without pass-through",
         [](sim::SimDrive& drive) { drive.acceptsPassThrough = false; }},
        {"request refused by the stack",
         [](sim::SimDrive& drive) { drive.faults.push_back(Fault::Refusal(0x12)); }},
        {"device gone", [](sim::SimDrive& drive) { drive.faults.push_back(Fault::Removal(0x12)); }},
    };
    const uint8_t inquiry[12] = {0x12, 0, 0, 0, 0xFE};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Stack().Reset();
        sim::SimDrive& drive = AttachKestranAndOpen();
        c.arrange(drive);
        EXPECT_EQ(0, SptiExecute6(DIR_IN, 254, inquiry));
        EXPECT_EQ(CMD_STATUS_ERROR, g_nCmdStatus);
        EXPECT_EQ(0, g_Sptd.Sptd.ScsiStatus);
        g_hDrive = nullptr;
    }
}

TEST_F(DriveChannelTest, GoneDeviceCannotBeOpenedAgain) {
    sim::SimDrive& drive = AttachKestranAndOpen();
    drive.faults.push_back(Fault::Removal(0x00));
    const uint8_t testUnitReady[12] = {};
    EXPECT_EQ(0, SptiExecute6(DIR_NONE, 0, testUnitReady));
    CloseDriveDevice(&g_hDrive);
    EXPECT_EQ(nullptr, OpenDriveDevice('E'));
}

TEST_F(DriveChannelTest, OpenDriveDeviceAsksForReadWriteSharedAccessToTheLetter) {
    Stack().Attach('E', sim::SimDrive::Kestran());
    g_hDrive = OpenDriveDevice('E');
    EXPECT_NE(nullptr, g_hDrive);
    const sim::OpenCall open = Stack().OpenCalls().back();
    EXPECT_EQ("\\\\.\\E:", open.path);
    EXPECT_EQ(DWORD(GENERIC_READ | GENERIC_WRITE), open.access);
    EXPECT_EQ(DWORD(FILE_SHARE_READ | FILE_SHARE_WRITE), open.shareMode);
    EXPECT_EQ(DWORD(OPEN_EXISTING), open.disposition);
    EXPECT_EQ(0u, open.flagsAndAttributes);
}

TEST_F(DriveChannelTest, OpenDriveDeviceQueryAsksForNoAccess) {
    Stack().Attach('F', sim::SimDrive::Kestran());
    HANDLE query = OpenDriveDeviceQuery('F');
    EXPECT_NE(nullptr, query);
    const sim::OpenCall open = Stack().OpenCalls().back();
    EXPECT_EQ("\\\\.\\F:", open.path);
    EXPECT_EQ(0u, open.access);
    EXPECT_EQ(DWORD(FILE_SHARE_READ | FILE_SHARE_WRITE), open.shareMode);
    EXPECT_EQ(DWORD(OPEN_EXISTING), open.disposition);
    EXPECT_EQ(DWORD(FILE_ATTRIBUTE_READONLY), open.flagsAndAttributes);
    CloseDriveDevice(&query);
}

TEST_F(DriveChannelTest, OpeningALetterWithoutADeviceGivesZero) {
    Stack().Attach('E', sim::SimDrive::Kestran());
    EXPECT_EQ(nullptr, OpenDriveDevice('D'));
    EXPECT_EQ(nullptr, OpenDriveDeviceQuery('D'));
    EXPECT_EQ(0, Stack().OpenHandleCount());
}

TEST_F(DriveChannelTest, CloseDriveDeviceClosesOnceAndForgetsTheHandle) {
    AttachKestranAndOpen();
    EXPECT_EQ(1, CloseDriveDevice(&g_hDrive));
    EXPECT_EQ(nullptr, g_hDrive);
    EXPECT_EQ(1, Stack().CloseCount());
    EXPECT_EQ(0, Stack().OpenHandleCount());

    EXPECT_EQ(1, CloseDriveDevice(&g_hDrive));
    EXPECT_EQ(nullptr, g_hDrive);
    EXPECT_EQ(1, Stack().CloseCount());
}

TEST_F(DriveChannelTest, MediaChangeNotificationSendsOneClearedByte) {
    Stack().Attach('E', sim::SimDrive::Kestran());
    HANDLE device = OpenDriveDevice('E');
    EXPECT_TRUE(ControlMediaChangeNotification(device));
    const std::vector<sim::ControlCall> calls = Stack().ControlCalls();
    ASSERT_EQ(1u, calls.size());
    EXPECT_EQ(DWORD(IOCTL_STORAGE_MCN_CONTROL), calls[0].controlCode);
    EXPECT_THAT(calls[0].input, ElementsAre(0x00));
    EXPECT_EQ(0u, calls[0].outSize);
    CloseDriveDevice(&device);
}

} // namespace
