#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "sim/sim_drive.h"
#include "sim/sim_drive_file.h"
#include "tests/support/temporary_drive_file.h"

namespace {

using namespace sim;
using ::testing::ElementsAre;

SimCommand Command(std::vector<uint8_t> cdb, SimDirection direction, uint32_t length) {
    SimCommand command;
    std::copy(cdb.begin(), cdb.end(), command.cdb.begin());
    command.cdbLength = cdb.size() <= 6 ? 6 : 12;
    command.direction = direction;
    command.transferLength = length;
    return command;
}

SimCommand ReadIdBuffer(uint8_t bufferId = BUFFER_ID_IDENTIFICATION, uint8_t mode = 2) {
    return Command({0x3C, mode, bufferId, 0, 0, 0, 0, 0, 0x30, 0, 0, 0}, SimDirection::In, 48);
}

SimCommand ReadMemory(uint32_t offset, uint32_t length, uint8_t mode = 2) {
    return Command({0x3C, mode, BUFFER_ID_DRIVE_MEMORY, uint8_t(offset >> 16), uint8_t(offset >> 8),
                    uint8_t(offset), uint8_t(length >> 16), uint8_t(length >> 8), uint8_t(length),
                    0, 0, 0},
                   SimDirection::In, length);
}

std::string Text(const uint8_t* at, size_t count) {
    return std::string(reinterpret_cast<const char*>(at), count);
}

TEST(SimDrive, InquiryCarriesIdentityAndDateDigitsAtTheirBytes) {
    SimDrive drive = SimDrive::Kestran();
    uint8_t data[300] = {};
    SimReply reply = drive.Receive(Command({0x12, 0, 0, 0, 0xFE, 0}, SimDirection::In, 254), data);
    EXPECT_EQ(SCSI_STATUS_GOOD, reply.status);
    EXPECT_EQ(254u, reply.bytesTransferred);
    EXPECT_EQ("KESTRAN DVD-RW  XRW-T52A", Text(data + 8, 24));
    EXPECT_EQ("1.00", Text(data + 32, 4));
    EXPECT_EQ(" 06/03/20", Text(data + 36, 9));
    EXPECT_EQ(0x05, data[0]);
}

TEST(SimDrive, ShortAllocationSendsOnlyWhatWasAskedFor) {
    SimDrive drive = SimDrive::Kestran();
    uint8_t data[64];
    memset(data, 0xEE, sizeof data);
    SimReply reply = drive.Receive(Command({0x12, 0, 0, 0, 36, 0}, SimDirection::In, 36), data);
    EXPECT_EQ(36u, reply.bytesTransferred);
    EXPECT_EQ(0xEE, data[36]);
}

TEST(SimDrive, IdentificationBufferHoldsTheOemCodeAndTheDownloadState) {
    SimDrive drive = SimDrive::Kestran();
    uint8_t data[48] = {};
    SimReply reply = drive.Receive(ReadIdBuffer(), data);
    EXPECT_EQ(SCSI_STATUS_GOOD, reply.status);
    EXPECT_EQ(48u, reply.bytesTransferred);
    EXPECT_EQ("0068ORVEDT  ", Text(data + 16, 12));
    EXPECT_EQ(drive.DownloadState(), data[32]);
}

TEST(SimDrive, CommandsItDoesNotAnswerEndWithTheirSense) {
    const struct {
        const char* name;
        SimCommand command;
        bool answersReadBuffer;
        SenseCode sense;
    } cases[] = {
        {"unknown opcode", Command({0xA8}, SimDirection::In, 2048), true, SENSE_INVALID_OPCODE},
        {"other buffer id", ReadIdBuffer(0xF0), true, SENSE_INVALID_FIELD_IN_CDB},
        {"other mode", ReadIdBuffer(0xF1, 3), true, SENSE_INVALID_FIELD_IN_CDB},
        {"drive memory in another mode", ReadMemory(0x1000, 2048, 3), true,
         SENSE_INVALID_FIELD_IN_CDB},
        {"drive memory past its end", ReadMemory(0xFFF800, 2049), true, SENSE_INVALID_FIELD_IN_CDB},
        {"drive without READ BUFFER", ReadIdBuffer(), false, SENSE_INVALID_OPCODE},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SimDrive drive = SimDrive::Kestran();
        drive.answersReadBuffer = c.answersReadBuffer;
        uint8_t data[2048] = {};
        SimReply reply = drive.Receive(c.command, data);
        EXPECT_EQ(SCSI_STATUS_CHECK_CONDITION, reply.status);
        EXPECT_EQ(c.sense, reply.sense);
        EXPECT_EQ(0u, reply.bytesTransferred);
    }
}

TEST(SimDrive, DriveMemoryReadsItsRunsAndZeroElsewhere) {
    SimDrive drive = SimDrive::Kestran();
    drive.SetMemory(0x1FFE, {0x11, 0x22, 0x33, 0x44});
    std::vector<uint8_t> data(2048, 0xEE);

    SimReply reply = drive.Receive(ReadMemory(0x1800, 2048), data.data());
    EXPECT_EQ(SCSI_STATUS_GOOD, reply.status);
    EXPECT_EQ(2048u, reply.bytesTransferred);
    EXPECT_EQ(std::vector<uint8_t>(2046, 0), std::vector<uint8_t>(data.begin(), data.end() - 2));
    EXPECT_THAT(std::vector<uint8_t>(data.end() - 2, data.end()), ElementsAre(0x11, 0x22));

    drive.Receive(ReadMemory(0x2000, 2048), data.data());
    EXPECT_THAT(std::vector<uint8_t>(data.begin(), data.begin() + 3), ElementsAre(0x33, 0x44, 0));

    reply = drive.Receive(ReadMemory(0xFFF800, 2048), data.data());
    EXPECT_EQ(SCSI_STATUS_GOOD, reply.status);
}

TEST(SimDrive, FaultFiresOnTheNthMatchingCommandOnly) {
    SimDrive drive = SimDrive::Kestran();
    drive.faults.push_back(
        Fault::CheckCondition(0x3C, {0x04, 0x08, 0x01}).OnBuffer(0xF1).OnOccurrence(2));
    uint8_t data[48];
    EXPECT_EQ(SCSI_STATUS_CHECK_CONDITION, drive.Receive(ReadIdBuffer(0xF0), data).status);
    EXPECT_EQ(SCSI_STATUS_GOOD, drive.Receive(ReadIdBuffer(), data).status);
    SimReply second = drive.Receive(ReadIdBuffer(), data);
    EXPECT_EQ(SCSI_STATUS_CHECK_CONDITION, second.status);
    EXPECT_EQ((SenseCode{0x04, 0x08, 0x01}), second.sense);
    EXPECT_EQ(SCSI_STATUS_GOOD, drive.Receive(ReadIdBuffer(), data).status);
    EXPECT_EQ(4u, drive.journal.size());
}

class SimDriveFile : public ::testing::Test {
protected:
    TemporaryDriveFile file_{"sim_drive_file"};
    const std::string path_ = file_.Path();
};

TEST_F(SimDriveFile, DescriptionSurvivesTheRoundTripWithItsSpaces) {
    SimDrive original = SimDrive::Kestran();
    original.identity.product = "DVD-RW  XRW-T52 ";
    original.SetDownloadState(' ');
    original.answersReadBuffer = false;
    original.faults.push_back(Fault::Refusal(0x3B).OnBuffer(0xFE).OnOccurrence(3));
    original.SetMemory(0xF40000, {0xDE, 0xAD, 0x00, 0xEF});
    original.SetMemory(0x1000, {0x01});
    CreateDriveFile(path_, original);

    SimDrive loaded = OpenDriveFile(path_);
    EXPECT_EQ("KESTRAN ", loaded.identity.vendor);
    EXPECT_EQ("DVD-RW  XRW-T52 ", loaded.identity.product);
    EXPECT_EQ(original.idBuffer, loaded.idBuffer);
    EXPECT_FALSE(loaded.answersReadBuffer);
    ASSERT_EQ(1u, loaded.faults.size());
    EXPECT_EQ(FaultKind::Refused, loaded.faults[0].kind);
    EXPECT_EQ(0xFE, loaded.faults[0].bufferId.value());
    EXPECT_EQ(3, loaded.faults[0].occurrence);
    EXPECT_EQ(original.memory, loaded.memory);
}

// Two users of one file, as two processes would be: each sees what the other did.
TEST_F(SimDriveFile, StateAndJournalCarryFromOneUserToTheNext) {
    SimDrive original = SimDrive::Kestran();
    original.faults.push_back(Fault::Removal(0x00).OnOccurrence(2));
    CreateDriveFile(path_, original);
    SimDrive first = OpenDriveFile(path_);
    SimDrive second = OpenDriveFile(path_);

    uint8_t data[48];
    EXPECT_EQ(SimOutcome::Completed,
              first.Receive(Command({0x00}, SimDirection::Out, 0), data).outcome);
    EXPECT_EQ(SimOutcome::DeviceGone,
              second.Receive(Command({0x00}, SimDirection::Out, 0), data).outcome);
    EXPECT_EQ(SimOutcome::DeviceGone, first.Receive(ReadIdBuffer(), data).outcome);

    Journal journal = ReadJournalFile(path_ + ".journal");
    ASSERT_EQ(3u, journal.size());
    EXPECT_EQ(SimOutcome::Completed, journal[0].reply.outcome);
    EXPECT_EQ(SimOutcome::DeviceGone, journal[1].reply.outcome);
    EXPECT_THAT(journal[2].CdbBytes(), ElementsAre(0x3C, 0x02, 0xF1, 0, 0, 0, 0, 0, 0x30, 0, 0, 0));
}

TEST(SimJournal, LineKeepsEveryFieldOfTheEntry) {
    JournalEntry entry;
    entry.command = Command({0x3B, 0x05, 0xFE, 0x01, 0x80, 0, 0, 0x80, 0}, SimDirection::Out, 3);
    entry.command.dataOut = {0x00, 0x7F, 0xFF};
    entry.reply.status = SCSI_STATUS_CHECK_CONDITION;
    entry.reply.sense = {0x05, 0x24, 0x00};
    entry.reply.bytesTransferred = 1;

    JournalEntry parsed = ParseJournalLine(FormatJournalLine(entry));
    EXPECT_EQ(entry.command.cdb, parsed.command.cdb);
    EXPECT_EQ(12, parsed.command.cdbLength);
    EXPECT_EQ(SimDirection::Out, parsed.command.direction);
    EXPECT_EQ(3u, parsed.command.transferLength);
    EXPECT_EQ(entry.command.dataOut, parsed.command.dataOut);
    EXPECT_EQ(SCSI_STATUS_CHECK_CONDITION, parsed.reply.status);
    EXPECT_EQ(entry.reply.sense, parsed.reply.sense);
    EXPECT_EQ(1u, parsed.reply.bytesTransferred);
}

} // namespace
