#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "sim/sim_drive.h"
#include "sim/sim_drive_file.h"
#include "tests/support/temporary_drive_file.h"

namespace {

using namespace sim;

SimCommand Command(std::vector<uint8_t> cdb, SimDirection direction, uint32_t length,
                   std::vector<uint8_t> dataOut = {}) {
    SimCommand command;
    std::copy(cdb.begin(), cdb.end(), command.cdb.begin());
    command.cdbLength = cdb.size() <= 6 ? 6 : cdb.size() <= 10 ? 10 : 12;
    command.direction = direction;
    command.transferLength = length;
    command.dataOut = std::move(dataOut);
    return command;
}

SimCommand WriteBuffer(uint8_t bufferId, uint32_t offset, std::vector<uint8_t> data,
                       uint8_t mode = WRITE_BUFFER_MODE_DOWNLOAD) {
    uint32_t length = static_cast<uint32_t>(data.size());
    return Command({OP_WRITE_BUFFER, mode, bufferId, uint8_t(offset >> 16), uint8_t(offset >> 8),
                    uint8_t(offset), uint8_t(length >> 16), uint8_t(length >> 8), uint8_t(length),
                    0, 0, 0},
                   SimDirection::Out, length, std::move(data));
}

std::vector<uint8_t> UnlockList() {
    std::vector<uint8_t> list(UNLOCK_LIST_SIZE, 0xA5);
    std::memcpy(list.data(), "ICKDIOI  JGE-948", 16);
    const uint8_t code[] = {0x8B, 0x99, 0xC9, 0x91};
    std::memcpy(list.data() + 16, code, 4);
    return list;
}

std::vector<uint8_t> MainImage(const std::string& model = "KESTRAN DVD-RW  XRW-T52A") {
    std::vector<uint8_t> image(MAIN_IMAGE_SIZE, 0x3C);
    std::memcpy(&image[IMAGE_MODEL_OFFSET], model.data(), 24);
    std::memcpy(&image[IMAGE_VERSION_OFFSET], "1.52", 4);
    std::memcpy(&image[IMAGE_DATE_OFFSET], "06/11/07", 8);
    return image;
}

class DriveModelTest : public ::testing::Test {
protected:
    SimReply Send(const SimCommand& command) { return drive_.Receive(command, data_); }

    SimReply Unlock() { return Send(WriteBuffer(BUFFER_ID_UNLOCK, 0, UnlockList())); }

    // Sends chunks [first, last) of an image; stops at the first that does not end GOOD.
    SimReply SendChunks(uint8_t bufferId, const std::vector<uint8_t>& image, uint32_t first,
                        uint32_t last) {
        SimReply reply;
        for (uint32_t chunk = first; chunk < last; ++chunk) {
            auto start = image.begin() + chunk * IMAGE_CHUNK_SIZE;
            reply = Send(
                WriteBuffer(bufferId, chunk * IMAGE_CHUNK_SIZE, {start, start + IMAGE_CHUNK_SIZE}));
            if (reply.status != SCSI_STATUS_GOOD)
                break;
        }
        return reply;
    }

    std::string InquiryText(int offset, int length) {
        Send(Command({OP_INQUIRY, 0, 0, 0, 254, 0}, SimDirection::In, 254));
        return std::string(reinterpret_cast<char*>(data_) + offset, length);
    }

    SimDrive drive_ = SimDrive::Kestran();
    uint8_t data_[0x100] = {};
};

TEST_F(DriveModelTest, WithoutADiscTheMediumCommandsReportTheChosenSense) {
    const SenseCode senses[] = {
        {0x02, 0x3A, 0x00}, {0x02, 0x3A, 0x01}, {0x02, 0x3A, 0x02}, {0x02, 0x04, 0x01}};
    const SimCommand mediumCommands[] = {
        Command({OP_READ_DISC_INFO, 0, 0, 0, 0, 0, 0, 0, 34, 0}, SimDirection::In, 34),
        Command({OP_READ_TRACK_INFO, 0, 0, 0, 0, 0, 0, 0, 100, 0, 0, 0}, SimDirection::In, 100),
        Command({OP_READ_TOC, 0, 0, 0, 0, 0, 1, 0, 48, 0}, SimDirection::In, 48),
        Command({OP_TEST_UNIT_READY}, SimDirection::Out, 0),
    };
    for (const SenseCode& sense : senses) {
        drive_.disc.present = false;
        drive_.disc.absentSense = sense;
        for (const SimCommand& command : mediumCommands) {
            SCOPED_TRACE(testing::Message() << "opcode " << int(command.Opcode()) << " asc "
                                            << int(sense.asc) << "/" << int(sense.ascq));
            SimReply reply = Send(command);
            EXPECT_EQ(SCSI_STATUS_CHECK_CONDITION, reply.status);
            EXPECT_EQ(sense, reply.sense);
            drive_.disc.present = true;
            EXPECT_EQ(SCSI_STATUS_GOOD, Send(command).status);
            drive_.disc.present = false;
        }
    }
}

TEST_F(DriveModelTest, EjectTakesTheDiscOutAndEventStatusTellsIt) {
    const SimCommand eventStatus =
        Command({OP_GET_EVENT_STATUS, 0, 0, 0, 0x10, 0, 0, 0, 8, 0}, SimDirection::In, 8);
    ASSERT_EQ(SCSI_STATUS_GOOD, Send(eventStatus).status);
    EXPECT_EQ(0x02, data_[5]);

    EXPECT_EQ(SCSI_STATUS_GOOD,
              Send(Command({OP_START_STOP_UNIT, 0, 0, 0, 0x02, 0}, SimDirection::Out, 0)).status);
    EXPECT_FALSE(drive_.disc.present);
    EXPECT_TRUE(drive_.disc.trayOpen);
    ASSERT_EQ(SCSI_STATUS_GOOD, Send(eventStatus).status);
    EXPECT_EQ(0x01, data_[5]);
    EXPECT_EQ(SCSI_STATUS_CHECK_CONDITION,
              Send(Command({OP_TEST_UNIT_READY}, SimDirection::Out, 0)).status);
}

TEST_F(DriveModelTest, FullDownloadCommitsTheNewFirmware) {
    const std::vector<uint8_t> sub(SUB_IMAGE_SIZE, 0x11);
    const std::vector<uint8_t> main = MainImage();
    ASSERT_EQ(DOWNLOAD_LOCKED, drive_.DownloadState());
    EXPECT_EQ(SCSI_STATUS_GOOD, Unlock().status);
    EXPECT_EQ(DOWNLOAD_OPEN, drive_.DownloadState());
    EXPECT_EQ(SCSI_STATUS_GOOD, SendChunks(BUFFER_ID_SUB_IMAGE, sub, 0, 4).status);
    EXPECT_EQ(DOWNLOAD_SUB_STORED, drive_.DownloadState());
    EXPECT_EQ(SCSI_STATUS_GOOD, Unlock().status);
    EXPECT_EQ(SCSI_STATUS_GOOD, SendChunks(BUFFER_ID_MAIN_IMAGE, main, 0, 51).status);
    EXPECT_EQ(DOWNLOAD_OPEN, drive_.DownloadState());
    EXPECT_EQ(SCSI_STATUS_GOOD, Unlock().status);
    EXPECT_EQ(DOWNLOAD_LOCKED, drive_.DownloadState());
    EXPECT_EQ("1.52", InquiryText(32, 4));
    EXPECT_EQ(" 06/11/07", InquiryText(36, 9));
}

TEST_F(DriveModelTest, DriveThatIsOpenAlreadyTakesTheSubImageWithoutUnlock) {
    drive_.SetDownloadState(DOWNLOAD_OPEN);
    EXPECT_EQ(SCSI_STATUS_GOOD,
              SendChunks(BUFFER_ID_SUB_IMAGE, std::vector<uint8_t>(SUB_IMAGE_SIZE), 0, 4).status);
}

TEST_F(DriveModelTest, FinalUnlockLeavesTheStateOpenAfterABadMainImage) {
    const struct {
        const char* name;
        std::vector<uint8_t> image;
        uint32_t chunks;
    } cases[] = {
        {"incomplete", MainImage(), 50},
        {"another drive's image", MainImage("KESTRAN DVD-RW  XRW-T52B"), 51},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        drive_ = SimDrive::Kestran();
        ASSERT_EQ(SCSI_STATUS_GOOD, Unlock().status);
        ASSERT_EQ(SCSI_STATUS_GOOD, SendChunks(BUFFER_ID_MAIN_IMAGE, c.image, 0, c.chunks).status);
        EXPECT_EQ(SCSI_STATUS_GOOD, Unlock().status);
        EXPECT_EQ(DOWNLOAD_OPEN, drive_.DownloadState());
        EXPECT_EQ("1.00", InquiryText(32, 4));
    }
}

TEST_F(DriveModelTest, RefusedDownloadCommandsKeepTheState) {
    std::vector<uint8_t> badCode = UnlockList();
    badCode[19] = 0x92;
    std::vector<uint8_t> badText = UnlockList();
    badText[0] = 'i';
    const std::vector<uint8_t> chunk(IMAGE_CHUNK_SIZE);
    const struct {
        const char* name;
        bool unlockFirst;
        SimCommand command;
        SenseCode sense;
    } cases[] = {
        {"wrong unlock code", false, WriteBuffer(BUFFER_ID_UNLOCK, 0, badCode),
         SENSE_INVALID_PARAMETER_LIST},
        {"wrong unlock text", false, WriteBuffer(BUFFER_ID_UNLOCK, 0, badText),
         SENSE_INVALID_PARAMETER_LIST},
        {"chunk while locked", false, WriteBuffer(BUFFER_ID_SUB_IMAGE, 0, chunk),
         SENSE_COMMAND_SEQUENCE_ERROR},
        {"chunk out of order", true, WriteBuffer(BUFFER_ID_MAIN_IMAGE, 0x8000, chunk),
         SENSE_COMMAND_SEQUENCE_ERROR},
        {"wrong mode", true, WriteBuffer(BUFFER_ID_MAIN_IMAGE, 0, chunk, 0x04),
         SENSE_INVALID_FIELD_IN_CDB},
        {"short chunk", true, WriteBuffer(BUFFER_ID_MAIN_IMAGE, 0, std::vector<uint8_t>(0x4000)),
         SENSE_INVALID_FIELD_IN_CDB},
        {"chunk past the sub image", true, WriteBuffer(BUFFER_ID_SUB_IMAGE, 0x20000, chunk),
         SENSE_INVALID_FIELD_IN_CDB},
        {"unknown buffer", true, WriteBuffer(0xF2, 0, chunk), SENSE_INVALID_FIELD_IN_CDB},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        drive_ = SimDrive::Kestran();
        if (c.unlockFirst) {
            ASSERT_EQ(SCSI_STATUS_GOOD, Unlock().status);
        }
        uint8_t stateBefore = drive_.DownloadState();
        SimReply reply = Send(c.command);
        EXPECT_EQ(SCSI_STATUS_CHECK_CONDITION, reply.status);
        EXPECT_EQ(c.sense, reply.sense);
        EXPECT_EQ(stateBefore, drive_.DownloadState());
    }
}

// A host that retries after a failure sends the image from its first chunk again.
TEST_F(DriveModelTest, AChunkAtOffsetZeroStartsTheImageAgain) {
    ASSERT_EQ(SCSI_STATUS_GOOD, Unlock().status);
    ASSERT_EQ(SCSI_STATUS_GOOD, SendChunks(BUFFER_ID_MAIN_IMAGE, MainImage(), 0, 7).status);
    ASSERT_EQ(SCSI_STATUS_GOOD, SendChunks(BUFFER_ID_MAIN_IMAGE, MainImage(), 0, 51).status);
    EXPECT_EQ(MAIN_IMAGE_SIZE, drive_.download.mainReceived);
    EXPECT_EQ(SCSI_STATUS_GOOD, Unlock().status);
    EXPECT_EQ(DOWNLOAD_LOCKED, drive_.DownloadState());
    EXPECT_EQ("1.52", InquiryText(32, 4));
}

TEST_F(DriveModelTest, FaultCanAimAtOneChunkOffset) {
    drive_.faults.push_back(Fault::CheckCondition(OP_WRITE_BUFFER, {0x03, 0x0C, 0x00})
                                .OnBuffer(BUFFER_ID_MAIN_IMAGE)
                                .AtOffset(0x10000));
    ASSERT_EQ(SCSI_STATUS_GOOD, Unlock().status);
    SimReply reply = SendChunks(BUFFER_ID_MAIN_IMAGE, MainImage(), 0, 51);
    EXPECT_EQ(SCSI_STATUS_CHECK_CONDITION, reply.status);
    EXPECT_EQ((SenseCode{0x03, 0x0C, 0x00}), reply.sense);
    EXPECT_EQ(4u, drive_.journal.size()); // unlock and chunks 0, 0x8000, 0x10000
}

TEST_F(DriveModelTest, SlowFaultAnswersNormallyAfterItsDelay) {
    drive_.faults.push_back(Fault::Slow(OP_TEST_UNIT_READY, 300));
    DWORD start = GetTickCount();
    SimReply reply = Send(Command({OP_TEST_UNIT_READY}, SimDirection::Out, 0));
    EXPECT_GE(GetTickCount() - start, 250u);
    EXPECT_EQ(SCSI_STATUS_GOOD, reply.status);
}

class DriveModelFile : public DriveModelTest {
protected:
    TemporaryDriveFile file_{"drive_model_file"};
    const std::string path_ = file_.Path();
};

// The download runs in two users of one drive file, as the program's processes would.
TEST_F(DriveModelFile, DownloadStateAndNewFirmwareCarryAcrossUsers) {
    SimDrive original = SimDrive::Kestran();
    original.disc.absentSense = {0x02, 0x3A, 0x02};
    original.faults.push_back(Fault::Slow(OP_INQUIRY, 5).OnOccurrence(9).AtOffset(0));
    CreateDriveFile(path_, original);

    drive_ = OpenDriveFile(path_);
    ASSERT_EQ(SCSI_STATUS_GOOD, Unlock().status);
    ASSERT_EQ(SCSI_STATUS_GOOD, SendChunks(BUFFER_ID_MAIN_IMAGE, MainImage(), 0, 51).status);
    ASSERT_EQ(SCSI_STATUS_GOOD,
              Send(Command({OP_START_STOP_UNIT, 0, 0, 0, 0x02, 0}, SimDirection::Out, 0)).status);

    drive_ = OpenDriveFile(path_);
    EXPECT_EQ(MAIN_IMAGE_SIZE, drive_.download.mainReceived);
    EXPECT_EQ((SenseCode{0x02, 0x3A, 0x02}), drive_.disc.absentSense);
    EXPECT_FALSE(drive_.disc.present);
    ASSERT_EQ(1u, drive_.faults.size());
    EXPECT_EQ(FaultKind::Slow, drive_.faults[0].kind);
    EXPECT_EQ(0u, drive_.faults[0].offset.value());
    EXPECT_EQ(5u, drive_.faults[0].delayMs);
    EXPECT_EQ(SCSI_STATUS_GOOD, Unlock().status);
    EXPECT_EQ("1.52", InquiryText(32, 4));
}

} // namespace
