#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <functional>
#include <vector>

#include "drive/command_builders.h"
#include "drive/layer_boundary_list.h"
#include "drive/shared_state.h"
#include "tests/support/shared_state_scope.h"
#include "transport_harness.h"

namespace {

using ::testing::Each;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;

constexpr Addressing DRIVE = Addressing::SelectedDrive;
constexpr Addressing SCAN = Addressing::ScanAddress;

using CdbBytes = std::array<uint8_t, CDB_SIZE>;

// Caller-made CDBs for the raw senders, which must go out as they are; bytes 6..11 are set to show
// that all 12 go out.
const CdbBytes RAW_CDB_12 = {0xA8, 0x01, 0x02, 0x03, 0x04, 0x05,
                             0x06, 0x07, 0x08, 0x09, 0x0A, 0x0B};
const CdbBytes RAW_CDB_6 = {0x15, 0x10, 0x00, 0x00, 0x10, 0x00, 0x11, 0x22, 0x33, 0x44, 0x55, 0x66};
const CdbBytes ALL_ONES = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};

// What the simulated drive answers; the in-process ASPI recorder answers every command GOOD.
enum class DriveAnswer { Good, CheckCondition };
constexpr DriveAnswer GOOD = DriveAnswer::Good;
constexpr DriveAnswer CHECK = DriveAnswer::CheckCondition;

struct BuilderCase {
    const char* call; // the call as written, to name the row
    std::function<int()> send;
    CdbBytes cdb;
    int direction;
    uint32_t transferLength;
    int cdbLength;
    Addressing addressing;
    DriveAnswer answer;
};

#define CALL(call) #call, [] { return call; }

// Every byte of a multi-byte field differs from its neighbours, so that a wrong shift or a dropped
// byte shows. The drive keeps its state from row to row: the eject rows come last, since after
// them the disc commands find no medium. READ(10) and WRITE(10) take the transfer length as
// count << 11 in 32 bits: a count of 0x200000 or more loses its top bits there, which lets the
// count field's high byte be reached with a transfer that fits the 2 MiB buffers.
// clang-format off
const BuilderCase BUILDER_CASES[] = {
    {CALL(CmdTestUnitReady()),                               {},                                                           DIR_NONE, 0,        6,  DRIVE, GOOD},
    {CALL(CmdRequestSense(22)),                              {0x03, 0, 0, 0, 22},                                          DIR_IN,   22,       6,  DRIVE, CHECK},
    {CALL(CmdRequestSense(300)),                             {0x03, 0, 0, 0, 0x2C},                                        DIR_IN,   44,       6,  DRIVE, CHECK}, // low 8 bits
    {CALL(CmdInquiryScan()),                                 {0x12, 0, 0, 0, 0xFE},                                        DIR_IN,   254,      6,  SCAN,  GOOD},
    {CALL(CmdInquiry(254)),                                  {0x12, 0, 0, 0, 0xFE},                                        DIR_IN,   254,      6,  DRIVE, GOOD},
    {CALL(CmdInquiry(0x124)),                                {0x12, 0, 0, 0, 0x24},                                        DIR_IN,   0x24,     6,  DRIVE, GOOD}, // low 8 bits
    {CALL(CmdSendCdb6(RAW_CDB_6.data(), DIR_OUT, 16)),       RAW_CDB_6,                                                    DIR_OUT,  16,       6,  DRIVE, CHECK},
    {CALL(CmdRead10(300, 16)),                               {0x28, 0, 0, 0, 0x01, 0x2C, 0, 0, 0x10},                      DIR_IN,   32768,    10, DRIVE, CHECK},
    {CALL(CmdRead10(0x8A9BACBD, 0xE00102)),                  {0x28, 0, 0x8A, 0x9B, 0xAC, 0xBD, 0xE0, 0x01, 0x02},          DIR_IN,   0x81000,  10, DRIVE, CHECK},
    {CALL(CmdWrite10(0x01020304, 0x02)),                     {0x2A, 0, 0x01, 0x02, 0x03, 0x04, 0, 0, 0x02},                DIR_OUT,  4096,     10, DRIVE, CHECK},
    {CALL(CmdWrite10(0xF1E2D3C4, 0x400101)),                 {0x2A, 0, 0xF1, 0xE2, 0xD3, 0xC4, 0x40, 0x01, 0x01},          DIR_OUT,  0x80800,  10, DRIVE, CHECK},
    {CALL(CmdReadCapacity()),                                {0x25},                                                       DIR_IN,   8,        10, DRIVE, CHECK},
    {CALL(CmdSynchronizeCache(3)),                           {0x35, 0x06},                                                 DIR_NONE, 0,        10, DRIVE, CHECK}, // not masked
    {CALL(CmdSynchronizeCache(0x80)),                        {0x35},                                                       DIR_NONE, 0,        10, DRIVE, CHECK}, // low 8 bits
    {CALL(CmdReadToc()),                                     {0x43, 0, 0, 0, 0, 0, 0x01, 0, 0x30},                         DIR_IN,   48,       10, DRIVE, GOOD},
    {CALL(CmdGetEventStatus()),                              {0x4A, 0, 0, 0, 0x10, 0, 0, 0, 0x08},                         DIR_IN,   8,        10, DRIVE, GOOD},
    {CALL(CmdReadDiscInfo()),                                {0x51, 0, 0, 0, 0, 0, 0, 0, 0x22},                            DIR_IN,   34,       10, DRIVE, GOOD},
    {CALL(CmdCloseTrackSession(0x01, 0x02, 0x12345)),        {0x5B, 0x01, 0x02, 0, 0x23, 0x45},                            DIR_NONE, 0,        10, DRIVE, CHECK},
    {CALL(CmdReserveTrack(0x11223344)),                      {0x53, 0, 0, 0, 0, 0x11, 0x22, 0x33, 0x44},                   DIR_NONE, 0,        10, DRIVE, CHECK},
    {CALL(CmdReadCd(0x100, 3, 2352, 0x41)),                  {0xBE, 0x04, 0, 0, 0x01, 0, 0, 0, 0x03, 0x10},                DIR_IN,   7056,     10, DRIVE, CHECK}, // group 10
    {CALL(CmdReadCd(0x8A9BACBD, 0x0A0B0C, 1, 0x07)),         {0xBE, 0x1C, 0x8A, 0x9B, 0xAC, 0xBD, 0x0A, 0x0B, 0x0C, 0x10}, DIR_IN,   0x0A0B0C, 10, DRIVE, CHECK},
    {CALL(CmdReadBuffer(0xF1, 2, 0, 48)),                    {0x3C, 0x02, 0xF1, 0, 0, 0, 0, 0, 0x30},                      DIR_IN,   48,       12, DRIVE, GOOD},
    {CALL(CmdReadBuffer(0xB0, 2, 0x01F40800, 2048)),         {0x3C, 0x02, 0xB0, 0xF4, 0x08, 0x00, 0, 0x08, 0x00},          DIR_IN,   2048,     12, DRIVE, GOOD},
    {CALL(CmdReadBuffer(0xB0, 2, 0xD5C6B7, 0x1A2B3C)),       {0x3C, 0x02, 0xB0, 0xD5, 0xC6, 0xB7, 0x1A, 0x2B, 0x3C},       DIR_IN,   0x1A2B3C, 12, DRIVE, GOOD},
    {CALL(CmdReadOemIdScan()),                               {0x3C, 0x02, 0xF1, 0, 0, 0, 0, 0, 0x30},                      DIR_IN,   48,       12, SCAN,  GOOD},
    {CALL(CmdWriteBuffer(0xFE, 5, 0x18000, 0x8000)),         {0x3B, 0x05, 0xFE, 0x01, 0x80, 0x00, 0x00, 0x80, 0x00},       DIR_OUT,  0x8000,   12, DRIVE, CHECK},
    {CALL(CmdWriteBuffer(0xF0, 5, 0xA1B2C3, 0x010203)),      {0x3B, 0x05, 0xF0, 0xA1, 0xB2, 0xC3, 0x01, 0x02, 0x03},       DIR_OUT,  0x010203, 12, DRIVE, CHECK},
    {CALL(CmdGetConfiguration(2, 0x12345, 0x10010)),         {0x46, 0x02, 0x23, 0x45, 0, 0, 0, 0x00, 0x10},                DIR_IN,   0x10010,  12, DRIVE, CHECK},
    {CALL(CmdReadTrackInfo(0, 0, 100)),                      {0x52, 0, 0, 0, 0, 0, 0, 0, 100},                             DIR_IN,   100,      12, DRIVE, GOOD},
    {CALL(CmdReadTrackInfo(1, 0x01020304, 0x10064)),         {0x52, 0x01, 0x01, 0x02, 0x03, 0x04, 0, 0x00, 0x64},          DIR_IN,   0x10064,  12, DRIVE, GOOD},
    {CALL(CmdReadDiscStructure(0x0A0B0C0D, 1, 0x20, 0x804)), {0xAD, 0, 0x0A, 0x0B, 0x0C, 0x0D, 0x01, 0x20, 0x08, 0x04},    DIR_IN,   0x804,    12, DRIVE, CHECK},
    {CALL(CmdSendDiscStructure(12, 0x20)),                   {0xBF, 0, 0, 0, 0, 0, 0, 0x20, 0x00, 0x0C},                   DIR_OUT,  12,       12, DRIVE, CHECK},
    {CALL(CmdSendCdb12(RAW_CDB_12.data(), 24, DIR_IN)),      RAW_CDB_12,                                                   DIR_IN,   24,       12, DRIVE, CHECK},
    {CALL(CmdAllOnes()),                                     ALL_ONES,                                                     DIR_NONE, 0,        12, DRIVE, CHECK},
    {CALL(CmdStartStopUnit(2)),                              {0x1B},                                                       DIR_NONE, 0,        6,  DRIVE, GOOD}, // does not eject
    {CALL(CmdStartStopUnit(1)),                              {0x1B, 0, 0, 0, 0x02},                                        DIR_NONE, 0,        6,  DRIVE, GOOD},
    {CALL(CmdStartStopUnit(3)),                              {0x1B, 0, 0, 0, 0x02},                                        DIR_NONE, 0,        6,  DRIVE, GOOD}, // bit 0 ejects
};
// clang-format on

#undef CALL

const void* BufferOf(int direction) {
    return direction == DIR_IN ? g_pReadBuffer : g_pWriteBuffer;
}

using CommandBuilderTest = TransportTest;

TEST_P(CommandBuilderTest, EachBuilderSendsItsCdbWithItsDirectionLengthAndEntry) {
    for (const BuilderCase& c : BUILDER_CASES) {
        SCOPED_TRACE(c.call);
        bool good = c.answer == GOOD || Transport().AnswersEveryCommandGood();
        size_t before = Transport().Received().size();
        EXPECT_EQ(good ? 1 : 0, c.send());
        EXPECT_EQ(good ? CMD_STATUS_GOOD : Transport().FailureStatus(), g_nCmdStatus);
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
        ASSERT_NE(nullptr, g_pWriteBuffer);
        std::memset(g_pWriteBuffer, 0xEE, 16);
    }

    SharedStateScope state_;

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
