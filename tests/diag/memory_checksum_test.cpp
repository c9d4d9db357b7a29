#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "diag/diag_log.h"
#include "diag/utility/memory_checksum.h"
#include "tests/drive/drive_fixture.h"

namespace {

using ::testing::ElementsAreArray;

// Pieces of 2048 bytes: two from 0x1000, then 0xF40000 up to the one that ends at 0xFF9FFF.
std::vector<uint32_t> ExpectedPieceOffsets() {
    std::vector<uint32_t> offsets = {0x1000, 0x1800};
    for (uint32_t offset = 0xF40000; offset < 0xFFA000; offset += 0x800)
        offsets.push_back(offset);
    return offsets;
}

class MemoryChecksumTest : public DriveChannelTest {
protected:
    void SetUp() override {
        DriveChannelTest::SetUp();
        std::memset(g_DiagLog, 0, sizeof g_DiagLog);
        g_nDiagWrite = g_nDiagRead = g_nDiagCount = 0;
        // Not zero, so that a zero sum shows the drive's zeros arrived.
        std::memset(g_pReadBuffer, 0xEE, 2048);
    }

    std::string QueuedText() {
        EXPECT_EQ(1, g_nDiagCount);
        return DiagLogHasEntries() ? DiagLogPeek() : "";
    }
};

TEST_F(MemoryChecksumTest, ReadsEveryPieceOfBothRangesFromBufferB0) {
    sim::SimDrive& drive = AttachKestranAndOpen();
    DiagMemoryChecksum();

    const std::vector<uint32_t> offsets = ExpectedPieceOffsets();
    ASSERT_EQ(372u + 2u, offsets.size());
    ASSERT_EQ(offsets.size(), drive.journal.size());
    for (size_t i = 0; i < offsets.size(); ++i) {
        SCOPED_TRACE(::testing::Message() << "piece at 0x" << std::hex << offsets[i]);
        const sim::JournalEntry& entry = drive.journal[i];
        const uint8_t cdb[12] = {0x3C,
                                 0x02,
                                 0xB0,
                                 uint8_t(offsets[i] >> 16),
                                 uint8_t(offsets[i] >> 8),
                                 uint8_t(offsets[i]),
                                 0x00,
                                 0x08,
                                 0x00};
        EXPECT_THAT(entry.CdbBytes(), ElementsAreArray(cdb));
        EXPECT_EQ(12, entry.command.cdbLength);
        EXPECT_EQ(sim::SimDirection::In, entry.command.direction);
        EXPECT_EQ(2048u, entry.command.transferLength);
        EXPECT_EQ(sim::SCSI_STATUS_GOOD, entry.reply.status);
    }
}

TEST_F(MemoryChecksumTest, MemoryOfZerosGivesAZeroSum) {
    AttachKestranAndOpen();
    DiagMemoryChecksum();
    EXPECT_EQ("R7 sum chk(0x1000-0x1FFF, 0xF40000-0xFF9FFF = 00000000", QueuedText());
}

// Words at both ends of both ranges count, modulo 2^32; bytes just outside them do not.
TEST_F(MemoryChecksumTest, SumsTheLittleEndianWordsOfBothRanges) {
    sim::SimDrive& drive = AttachKestranAndOpen();
    drive.SetMemory(0x0FFC, {0x07, 0, 0, 0});
    drive.SetMemory(0x1000, {0x44, 0x33, 0x22, 0x11});
    drive.SetMemory(0x1FFC, {0xFF, 0xFF, 0xFF, 0xFF});
    drive.SetMemory(0x2000, {0x07, 0, 0, 0});
    drive.SetMemory(0xF3FFFC, {0x07, 0, 0, 0});
    drive.SetMemory(0xF40000, {0x00, 0x01, 0x00, 0x00});
    drive.SetMemory(0xFF9FFC, {0x01, 0x00, 0x00, 0xA0});
    drive.SetMemory(0xFFA000, {0x07, 0, 0, 0});
    DiagMemoryChecksum();
    // 0x11223344 + 0xFFFFFFFF + 0x100 + 0xA0000001 = 0xB1223444 (mod 2^32)
    EXPECT_EQ("R7 sum chk(0x1000-0x1FFF, 0xF40000-0xFF9FFF = b1223444", QueuedText());
}

// A failed read is not retried: the piece adds what the read buffer still holds.
TEST_F(MemoryChecksumTest, FailedReadsAddWhatTheReadBufferHolds) {
    sim::SimDrive& drive = AttachKestranAndOpen();
    drive.answersReadBuffer = false;
    std::memset(g_pReadBuffer, 0, 2048);
    g_pReadBuffer[0] = 0x01;
    DiagMemoryChecksum();
    EXPECT_EQ(374u, drive.journal.size());
    EXPECT_EQ("R7 sum chk(0x1000-0x1FFF, 0xF40000-0xFF9FFF = 00000176", QueuedText());
}

} // namespace
