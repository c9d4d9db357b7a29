#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "drive/aspi_transport.h"
#include "drive/command_builders.h"
#include "drive/pass_through.h"
#include "drive/sense.h"
#include "drive/shared_state.h"
#include "tests/support/shared_state_scope.h"
#include "transport_harness.h"

namespace {

// Byte 2 of fixed-format sense carries the FILEMARK (0x80), EOM (0x40) and ILI (0x20) flags beside
// the 4-bit key. The whole byte is compared, so a code with any flag set is OTHER.
TEST(ClassifySense, EachCodeGivesItsClass) {
    const struct {
        uint8_t key, asc, ascq;
        int senseClass;
    } cases[] = {
        {0x00, 0x00, 0x00, SENSE_CLASS_NONE},
        {0x02, 0x04, 0x01, SENSE_CLASS_BECOMING_READY},
        {0x02, 0x04, 0x02, SENSE_CLASS_INIT_REQUIRED},
        {0x02, 0x3A, 0x00, SENSE_CLASS_NO_MEDIUM},
        {0x04, 0x08, 0x01, SENSE_CLASS_COMM_TIMEOUT},
        {0x04, 0x4C, 0x00, SENSE_CLASS_SELF_CONFIG_FAILED},
        {0x06, 0x28, 0x00, SENSE_CLASS_MEDIUM_CHANGED},
        {0x06, 0x29, 0x00, SENSE_CLASS_RESET},
        // Everything else, near misses included.
        {0x00, 0x00, 0x01, SENSE_CLASS_OTHER},
        {0x02, 0x3A, 0x01, SENSE_CLASS_OTHER}, // medium not present, tray closed
        {0x02, 0x3A, 0x02, SENSE_CLASS_OTHER}, // medium not present, tray open
        {0x22, 0x3A, 0x00, SENSE_CLASS_OTHER}, // the incorrect-length flag is not masked off
        {0x62, 0x3A, 0x00, SENSE_CLASS_OTHER}, // EOM and ILI
        {0x82, 0x04, 0x01, SENSE_CLASS_OTHER}, // FILEMARK
        {0xE2, 0x04, 0x02, SENSE_CLASS_OTHER}, // all three flags
        {0x44, 0x08, 0x01, SENSE_CLASS_OTHER}, // EOM
        {0x24, 0x4C, 0x00, SENSE_CLASS_OTHER}, // ILI
        {0x26, 0x28, 0x00, SENSE_CLASS_OTHER}, // ILI
        {0x20, 0x00, 0x00, SENSE_CLASS_OTHER}, // ILI on "no sense"
        {0x02, 0x04, 0x00, SENSE_CLASS_OTHER},
        {0x06, 0x29, 0x01, SENSE_CLASS_OTHER},
        {0x04, 0x3A, 0x00, SENSE_CLASS_OTHER},
        {0x01, 0x00, 0x00, SENSE_CLASS_OTHER},
        {0x03, 0x11, 0x00, SENSE_CLASS_OTHER},
        {0x05, 0x24, 0x00, SENSE_CLASS_OTHER},
        {0x86, 0x29, 0x00, SENSE_CLASS_OTHER},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message()
                     << std::hex << int(c.key) << '/' << int(c.asc) << '/' << int(c.ascq));
        EXPECT_EQ(c.senseClass, ClassifySense(c.key, c.asc, c.ascq));
    }
}

TEST(FindFirstDifference, GivesTheFirstDifferingIndexOrMinusOne) {
    const uint8_t base[16] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15};
    uint8_t lastDiffers[16];
    std::memcpy(lastDiffers, base, 16);
    lastDiffers[15] = 0xFF;
    uint8_t twoDiffer[16];
    std::memcpy(twoDiffer, base, 16);
    twoDiffer[3] = twoDiffer[9] = 0xFF;
    const struct {
        const char* name;
        const uint8_t* second;
        uint32_t count;
        int index;
    } cases[] = {
        {"equal", base, 16, -1},
        {"last byte differs", lastDiffers, 16, 15},
        {"difference beyond the count", lastDiffers, 15, -1},
        {"first of two differences", twoDiffer, 16, 3},
        {"count 0", twoDiffer, 0, -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.index, FindFirstDifference(base, c.second, c.count));
    }
}

// The sense routines read the block of the transport that g_nTransport names.
TEST(LastSense, ComesFromTheActiveTransportsRequestBlock) {
    SharedStateScope state(TransferBuffers::None);
    g_Srb.SenseArea[2] = 0x02;
    g_Srb.SenseArea[12] = 0x3A;
    g_Sptd.SenseArea[2] = 0x06;
    g_Sptd.SenseArea[12] = 0x29;
    const struct {
        int transport;
        int senseClass;
    } cases[] = {{TRANSPORT_ASPI, SENSE_CLASS_NO_MEDIUM},
                 {TRANSPORT_PASS_THROUGH, SENSE_CLASS_RESET},
                 {TRANSPORT_NONE, SENSE_CLASS_RESET}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.transport);
        g_nTransport = c.transport;
        EXPECT_EQ(c.senseClass, ClassifyLastSense());
    }
}

using SenseTest = TransportTest;

constexpr int ATTENTION = 1;
constexpr int NO_ATTENTION = 0;

// The sense byte goes through each transport as the drive sent it, flag bits included, and the
// report shows it whole.
TEST_P(SenseTest, FailedCommandsSenseIsClassified) {
    const struct {
        sim::SenseCode sense;
        int senseClass;
        int attention;
        const char* reported; // the report's sense code line
    } cases[] = {
        // clang-format off
        {{0x02, 0x3A, 0x00}, SENSE_CLASS_NO_MEDIUM,      NO_ATTENTION, "Sense Code : 02-3a-00"},
        {{0x02, 0x3A, 0x01}, SENSE_CLASS_OTHER,          NO_ATTENTION, "Sense Code : 02-3a-01"},
        {{0x06, 0x29, 0x00}, SENSE_CLASS_RESET,          ATTENTION,    "Sense Code : 06-29-00"},
        {{0x06, 0x29, 0x01}, SENSE_CLASS_OTHER,          ATTENTION,    "Sense Code : 06-29-01"},
        {{0x06, 0x28, 0x00}, SENSE_CLASS_MEDIUM_CHANGED, ATTENTION,    "Sense Code : 06-28-00"},
        {{0x06, 0x2A, 0x00}, SENSE_CLASS_OTHER,          NO_ATTENTION, "Sense Code : 06-2a-00"},
        {{0x05, 0x29, 0x00}, SENSE_CLASS_OTHER,          NO_ATTENTION, "Sense Code : 05-29-00"},
        {{0x62, 0x3A, 0x00}, SENSE_CLASS_OTHER,          NO_ATTENTION, "Sense Code : 62-3a-00"}, // EOM, ILI
        {{0xA2, 0x04, 0x01}, SENSE_CLASS_OTHER,          NO_ATTENTION, "Sense Code : a2-04-01"}, // FILEMARK, ILI
        {{0x26, 0x29, 0x00}, SENSE_CLASS_OTHER,          NO_ATTENTION, "Sense Code : 26-29-00"}, // ILI
        {{0x86, 0x28, 0x00}, SENSE_CLASS_OTHER,          NO_ATTENTION, "Sense Code : 86-28-00"}, // FILEMARK
        // clang-format on
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << std::hex << int(c.sense.key) << '/' << int(c.sense.asc)
                                          << '/' << int(c.sense.ascq));
        Transport().FailNextCommand(0x00, c.sense);
        ASSERT_EQ(0, CmdTestUnitReady());
        EXPECT_EQ(c.senseClass, ClassifyLastSense());
        EXPECT_EQ(c.attention, IsResetOrMediumAttention());
        std::string report;
        FormatCommandReport(report);
        EXPECT_EQ("Command    : 00 00 00 00 00 00 00 00 00 00 00 00 \r\n" +
                      std::string(c.reported) + "\r\n",
                  report);
    }
}

TEST_P(SenseTest, ReportShowsTheFailedCommandAndItsSense) {
    Transport().FailNextCommand(0x3B, {0x05, 0x24, 0x00});
    ASSERT_EQ(0, CmdWriteBuffer(0xFE, 5, 0x8000, 0x8000));
    std::string report = "earlier text";
    FormatCommandReport(report);
    EXPECT_EQ("Command    : 3b 05 fe 00 80 00 00 80 00 00 00 00 \r\n"
              "Sense Code : 05-24-00\r\n",
              report);
}

TEST_P(SenseTest, ReportOfASixByteCommandShowsAllTwelveBytes) {
    const uint8_t cdb[12] = {0x1E, 0, 0, 0, 0x01, 0, 0xA1, 0xB2, 0xC3, 0xD4, 0xE5, 0xF6};
    Transport().FailNextCommand(0x1E, {0x02, 0x3A, 0x00});
    ASSERT_EQ(0, CmdSendCdb6(cdb, DIR_NONE, 0));
    std::string report;
    FormatCommandReport(report);
    EXPECT_EQ("Command    : 1e 00 00 00 01 00 a1 b2 c3 d4 e5 f6 \r\n"
              "Sense Code : 02-3a-00\r\n",
              report);
}

INSTANTIATE_TEST_SUITE_P(Transports, SenseTest, ::testing::ValuesIn(AllTransports()),
                         TransportName);

} // namespace
