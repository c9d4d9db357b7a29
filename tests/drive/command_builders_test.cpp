#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <functional>
#include <vector>

#include "drive/command_builders.h"
#include "drive/layer_boundary_list.h"
#include "drive/shared_state.h"
#include "transport_harness.h"

namespace {

using ::testing::Each;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;

constexpr Addressing DRIVE = Addressing::SelectedDrive;
constexpr Addressing SCAN = Addressing::ScanAddress;

// Caller-made CDBs for the raw senders; bytes 6..11 are set to show that all 12 go out.
const uint8_t RAW_CDB_12[CDB_SIZE] = {0xA8, 0x01, 0x02, 0x03, 0x04, 0x05,
                                      0x06, 0x07, 0x08, 0x09, 0x0A, 0x0B};
const uint8_t RAW_CDB_6[CDB_SIZE] = {0x15, 0x10, 0x00, 0x00, 0x10, 0x00,
                                     0x11, 0x22, 0x33, 0x44, 0x55, 0x66};

struct BuilderCase {
    const char* name;
    std::function<int()> send;
    std::array<uint8_t, CDB_SIZE> cdb;
    int direction;
    uint32_t transferLength;
    int cdbLength;
    Addressing addressing;
};

const BuilderCase BUILDER_CASES[] = {
    {"TEST UNIT READY", [] { return CmdTestUnitReady(); }, {}, DIR_NONE, 0, 6, DRIVE},
    {"REQUEST SENSE 22",
     [] { return CmdRequestSense(22); },
     {0x03, 0, 0, 0, 22},
     DIR_IN,
     22,
     6,
     DRIVE},
    {"REQUEST SENSE uses the low 8 bits of 300",
     [] { return CmdRequestSense(300); },
     {0x03, 0, 0, 0, 0x2C},
     DIR_IN,
     44,
     6,
     DRIVE},
    {"INQUIRY scan", [] { return CmdInquiryScan(); }, {0x12, 0, 0, 0, 0xFE}, DIR_IN, 254, 6, SCAN},
    {"INQUIRY 254", [] { return CmdInquiry(254); }, {0x12, 0, 0, 0, 0xFE}, DIR_IN, 254, 6, DRIVE},
    {"INQUIRY uses the low 8 bits of 0x124",
     [] { return CmdInquiry(0x124); },
     {0x12, 0, 0, 0, 0x24},
     DIR_IN,
     0x24,
     6,
     DRIVE},
    {"START STOP UNIT eject",
     [] { return CmdStartStopUnit(1); },
     {0x1B, 0, 0, 0, 0x02},
     DIR_NONE,
     0,
     6,
     DRIVE},
    {"START STOP UNIT 3 ejects",
     [] { return CmdStartStopUnit(3); },
     {0x1B, 0, 0, 0, 0x02},
     DIR_NONE,
     0,
     6,
     DRIVE},
    {"START STOP UNIT 2 does not eject",
     [] { return CmdStartStopUnit(2); },
     {0x1B},
     DIR_NONE,
     0,
     6,
     DRIVE},
    {"raw 6-byte CDB",
     [] { return CmdSendCdb6(RAW_CDB_6, DIR_OUT, 16); },
     {0x15, 0x10, 0, 0, 0x10, 0, 0x11, 0x22, 0x33, 0x44, 0x55, 0x66},
     DIR_OUT,
     16,
     6,
     DRIVE},
    {"READ(10)",
     [] { return CmdRead10(300, 16); },
     {0x28, 0, 0, 0, 0x01, 0x2C, 0, 0, 0x10},
     DIR_IN,
     32768,
     10,
     DRIVE},
    {"WRITE(10)",
     [] { return CmdWrite10(0x01020304, 0x02); },
     {0x2A, 0, 0x01, 0x02, 0x03, 0x04, 0, 0, 0x02},
     DIR_OUT,
     4096,
     10,
     DRIVE},
    {"READ CAPACITY", [] { return CmdReadCapacity(); }, {0x25}, DIR_IN, 8, 10, DRIVE},
    {"SYNCHRONIZE CACHE shifts without masking",
     [] { return CmdSynchronizeCache(3); },
     {0x35, 0x06},
     DIR_NONE,
     0,
     10,
     DRIVE},
    {"SYNCHRONIZE CACHE keeps the low 8 bits",
     [] { return CmdSynchronizeCache(0x80); },
     {0x35},
     DIR_NONE,
     0,
     10,
     DRIVE},
    {"READ TOC",
     [] { return CmdReadToc(); },
     {0x43, 0, 0, 0, 0, 0, 0x01, 0, 0x30},
     DIR_IN,
     48,
     10,
     DRIVE},
    {"GET EVENT STATUS NOTIFICATION",
     [] { return CmdGetEventStatus(); },
     {0x4A, 0, 0, 0, 0x10, 0, 0, 0, 0x08},
     DIR_IN,
     8,
     10,
     DRIVE},
    {"READ DISC INFORMATION",
     [] { return CmdReadDiscInfo(); },
     {0x51, 0, 0, 0, 0, 0, 0, 0, 0x22},
     DIR_IN,
     34,
     10,
     DRIVE},
    {"CLOSE TRACK/SESSION",
     [] { return CmdCloseTrackSession(0x01, 0x02, 0x12345); },
     {0x5B, 0x01, 0x02, 0, 0x23, 0x45},
     DIR_NONE,
     0,
     10,
     DRIVE},
    {"RESERVE TRACK",
     [] { return CmdReserveTrack(0x11223344); },
     {0x53, 0, 0, 0, 0, 0x11, 0x22, 0x33, 0x44},
     DIR_NONE,
     0,
     10,
     DRIVE},
    {"READ CD in the 10-byte group",
     [] { return CmdReadCd(0x100, 3, 2352, 0x41); },
     {0xBE, 0x04, 0, 0, 0x01, 0, 0, 0, 0x03, 0x10},
     DIR_IN,
     7056,
     10,
     DRIVE},
    {"READ BUFFER identification",
     [] { return CmdReadBuffer(0xF1, 2, 0, 48); },
     {0x3C, 0x02, 0xF1, 0, 0, 0, 0, 0, 0x30},
     DIR_IN,
     48,
     12,
     DRIVE},
    {"READ BUFFER cuts the offset to 24 bits",
     [] { return CmdReadBuffer(0xB0, 2, 0x01F40800, 2048); },
     {0x3C, 0x02, 0xB0, 0xF4, 0x08, 0x00, 0, 0x08, 0x00},
     DIR_IN,
     2048,
     12,
     DRIVE},
    {"READ BUFFER OEM identification scan",
     [] { return CmdReadOemIdScan(); },
     {0x3C, 0x02, 0xF1, 0, 0, 0, 0, 0, 0x30},
     DIR_IN,
     48,
     12,
     SCAN},
    {"WRITE BUFFER",
     [] { return CmdWriteBuffer(0xFE, 5, 0x18000, 0x8000); },
     {0x3B, 0x05, 0xFE, 0x01, 0x80, 0x00, 0x00, 0x80, 0x00},
     DIR_OUT,
     0x8000,
     12,
     DRIVE},
    {"GET CONFIGURATION",
     [] { return CmdGetConfiguration(2, 0x12345, 0x10010); },
     {0x46, 0x02, 0x23, 0x45, 0, 0, 0, 0x00, 0x10},
     DIR_IN,
     0x10010,
     12,
     DRIVE},
    {"READ TRACK INFORMATION of the disc check",
     [] { return CmdReadTrackInfo(0, 0, 100); },
     {0x52, 0, 0, 0, 0, 0, 0, 0, 100},
     DIR_IN,
     100,
     12,
     DRIVE},
    {"READ TRACK INFORMATION cuts the allocation length",
     [] { return CmdReadTrackInfo(1, 0x01020304, 0x10064); },
     {0x52, 0x01, 0x01, 0x02, 0x03, 0x04, 0, 0x00, 0x64},
     DIR_IN,
     0x10064,
     12,
     DRIVE},
    {"READ DISC STRUCTURE",
     [] { return CmdReadDiscStructure(0x0A0B0C0D, 1, 0x20, 0x804); },
     {0xAD, 0, 0x0A, 0x0B, 0x0C, 0x0D, 0x01, 0x20, 0x08, 0x04},
     DIR_IN,
     0x804,
     12,
     DRIVE},
    {"SEND DISC STRUCTURE",
     [] { return CmdSendDiscStructure(12, 0x20); },
     {0xBF, 0, 0, 0, 0, 0, 0, 0x20, 0x00, 0x0C},
     DIR_OUT,
     12,
     12,
     DRIVE},
    {"raw 12-byte CDB",
     [] { return CmdSendCdb12(RAW_CDB_12, 24, DIR_IN); },
     {0xA8, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x09, 0x0A, 0x0B},
     DIR_IN,
     24,
     12,
     DRIVE},
    {"all ones",
     [] { return CmdAllOnes(); },
     {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF},
     DIR_NONE,
     0,
     12,
     DRIVE},
};

const void* BufferOf(int direction) {
    return direction == DIR_IN ? g_pReadBuffer : g_pWriteBuffer;
}

using CommandBuilderTest = TransportTest;

TEST_P(CommandBuilderTest, EachBuilderSendsItsCdbWithItsDirectionLengthAndEntry) {
    for (const BuilderCase& c : BUILDER_CASES) {
        SCOPED_TRACE(c.name);
        size_t before = Transport().Received().size();
        c.send();
        ASSERT_EQ(before + 1, Transport().Received().size());
        ReceivedCommand received = LastReceived();
        EXPECT_THAT(received.cdb, ElementsAreArray(c.cdb));
        EXPECT_EQ(c.cdbLength, received.cdbLength);
        EXPECT_EQ(c.direction, received.direction);
        EXPECT_EQ(c.transferLength, received.transferLength);
        EXPECT_EQ(Transport().AddressingOf(c.addressing), received.addressing);
        // A command without data names no buffer the drive could use.
        if (c.direction != DIR_NONE) {
            EXPECT_EQ(BufferOf(c.direction), received.buffer);
        }
    }
}

TEST_P(CommandBuilderTest, GoodCommandReturnsOneWithGoodStatus) {
    EXPECT_EQ(1, CmdTestUnitReady());
    EXPECT_EQ(CMD_STATUS_GOOD, g_nCmdStatus);
}

TEST_P(CommandBuilderTest, FailedCommandReturnsZeroWithTheTransportsStatusAndKeepsTheReadBuffer) {
    std::memset(g_pReadBuffer, 0xA5, 254);
    Transport().FailNextCommand(0x12, {0x02, 0x3A, 0x00});
    EXPECT_EQ(0, CmdInquiry(254));
    EXPECT_EQ(Transport().FailureStatus(), g_nCmdStatus);
    EXPECT_THAT(std::vector<uint8_t>(g_pReadBuffer, g_pReadBuffer + 254), Each(0xA5));
}

INSTANTIATE_TEST_SUITE_P(Transports, CommandBuilderTest, ::testing::ValuesIn(AllTransports()),
                         TransportName);

class LayerBoundaryListTest : public ::testing::Test {
protected:
    void SetUp() override {
        AllocTransferBuffers();
        ASSERT_NE(nullptr, g_pWriteBuffer);
        std::memset(g_pWriteBuffer, 0xEE, 16);
    }
    void TearDown() override { FreeTransferBuffers(); }

    std::vector<uint8_t> WriteBufferStart() const { return {g_pWriteBuffer, g_pWriteBuffer + 16}; }
};

TEST_F(LayerBoundaryListTest, LayerBoundaryFormatWritesTheTwelveByteList) {
    BuildLayerBoundaryList({DISC_STRUCTURE_LAYER_BOUNDARY, {}, 0x00123456});
    EXPECT_THAT(WriteBufferStart(), ElementsAre(0x00, 0x0A, 0, 0, 0, 0, 0, 0, 0x00, 0x12, 0x34,
                                                0x56, 0xEE, 0xEE, 0xEE, 0xEE));
}

TEST_F(LayerBoundaryListTest, OtherFormatsLeaveTheWriteBufferAlone) {
    BuildLayerBoundaryList({0x21, {}, 0x00123456});
    EXPECT_THAT(WriteBufferStart(), Each(0xEE));
}

} // namespace
