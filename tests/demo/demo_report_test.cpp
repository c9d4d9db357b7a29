// The lines `make demo` prints about a drive: its state, names, buffers and offsets, outcomes, and
// runs of image chunks folded into one line that counts them.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "sim/sim_disc.h"
#include "sim/sim_download.h"
#include "tests/demo/demo_report.h"

namespace {

using ::testing::ElementsAre;

sim::JournalEntry Entry(std::vector<uint8_t> cdb, uint32_t length,
                        sim::SimReply reply = sim::SimReply{}) {
    sim::JournalEntry entry;
    std::copy(cdb.begin(), cdb.end(), entry.command.cdb.begin());
    entry.command.cdbLength = static_cast<int>(cdb.size());
    entry.command.transferLength = length;
    entry.reply = reply;
    return entry;
}

sim::JournalEntry Chunk(uint8_t buffer, uint32_t offset) {
    return Entry({0x3B, 0x05, buffer, static_cast<uint8_t>(offset >> 16),
                  static_cast<uint8_t>(offset >> 8), static_cast<uint8_t>(offset), 0x00, 0x80, 0x00,
                  0x00, 0x00, 0x00},
                 sim::IMAGE_CHUNK_SIZE);
}

TEST(DemoReport, NamesTheOpcodesAndSaysWhichAreUnknown) {
    EXPECT_EQ("TEST UNIT READY", demo::OpcodeName(0x00));
    EXPECT_EQ("WRITE BUFFER", demo::OpcodeName(0x3B));
    EXPECT_EQ("GET EVENT STATUS NOTIFICATION", demo::OpcodeName(0x4A));
    EXPECT_EQ("opcode 5A", demo::OpcodeName(0x5A));
}

TEST(DemoReport, DescribesTheDriveWithItsVersionDownloadStateAndDisc) {
    sim::SimDrive drive = sim::SimDrive::Kestran();
    EXPECT_EQ("KESTRAN DVD-RW  XRW-T52A, firmware 1.00 (06/03/20), download locked, a disc in it",
              demo::DescribeDrive(drive));
    drive.SetDownloadState(sim::DOWNLOAD_OPEN);
    drive.disc.present = false;
    EXPECT_EQ("KESTRAN DVD-RW  XRW-T52A, firmware 1.00 (06/03/20), download open (unfinished), "
              "no disc",
              demo::DescribeDrive(drive));
}

TEST(DemoReport, OneLinePerCommandWithBufferOffsetAndOutcome) {
    const sim::Journal journal = {
        Entry({0x00, 0, 0, 0, 0, 0}, 0),
        Entry({0x12, 0, 0, 0, 0xFE, 0}, 254),
        Entry({0x3C, 0x02, 0xF1, 0, 0, 0, 0, 0, 0x30, 0, 0, 0}, 48),
        Entry({0x1B, 0, 0, 0, 0x02, 0}, 0, sim::CheckCondition(sim::SENSE_NO_MEDIUM)),
        Entry({0x3B, 0x05, 0xFF, 0, 0, 0, 0, 0x01, 0x00, 0, 0, 0}, 256,
              {sim::SimOutcome::Refused, 0, {}, 0}),
    };
    EXPECT_THAT(demo::DescribeJournal(journal),
                ElementsAre("      1  TEST UNIT READY  no data  good",
                            "      2  INQUIRY  254 bytes  good",
                            "      3  READ BUFFER  mode 2, buffer F1 (identification), offset "
                            "000000, 48 bytes  good",
                            "      4  START STOP UNIT  eject, no data  check condition, sense "
                            "02/3A/00 (no disc)",
                            "      5  WRITE BUFFER  mode 5, buffer FF (unlock list), offset "
                            "000000, 256 bytes  refused by Windows"));
}

TEST(DemoReport, FoldsARunOfImageChunksIntoOneLineThatCountsThem) {
    sim::Journal journal;
    for (uint32_t i = 0; i < 4; ++i)
        journal.push_back(Chunk(sim::BUFFER_ID_SUB_IMAGE, i * sim::IMAGE_CHUNK_SIZE));
    for (uint32_t i = 0; i < 3; ++i)
        journal.push_back(Chunk(sim::BUFFER_ID_MAIN_IMAGE, i * sim::IMAGE_CHUNK_SIZE));
    EXPECT_THAT(demo::DescribeJournal(journal),
                ElementsAre("  1-4    WRITE BUFFER  mode 5, buffer FE (sub image): 4 chunks of "
                            "32768 bytes at 000000..018000  all good",
                            "  5-7    WRITE BUFFER  mode 5, buffer F0 (main image): 3 chunks of "
                            "32768 bytes at 000000..010000  all good"));
}

TEST(DemoReport, AFailedChunkOrAChunkOutOfOrderStandsOnItsOwnLine) {
    sim::Journal journal = {Chunk(sim::BUFFER_ID_MAIN_IMAGE, 0),
                            Chunk(sim::BUFFER_ID_MAIN_IMAGE, 2 * sim::IMAGE_CHUNK_SIZE),
                            Chunk(sim::BUFFER_ID_MAIN_IMAGE, 3 * sim::IMAGE_CHUNK_SIZE)};
    journal[2].reply = sim::CheckCondition(sim::SENSE_COMMAND_SEQUENCE_ERROR);
    EXPECT_THAT(demo::DescribeJournal(journal),
                ElementsAre("      1  WRITE BUFFER  mode 5, buffer F0 (main image), offset "
                            "000000, 32768 bytes  good",
                            "      2  WRITE BUFFER  mode 5, buffer F0 (main image), offset "
                            "010000, 32768 bytes  good",
                            "      3  WRITE BUFFER  mode 5, buffer F0 (main image), offset "
                            "018000, 32768 bytes  check condition, sense 05/2C/00"));
}

} // namespace
