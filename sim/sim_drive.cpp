#include "sim_drive.h"

#include <windows.h>

#include <algorithm>
#include <cstring>

#include "sim_drive_file.h"

namespace sim {

namespace {

void PutText(uint8_t* at, const std::string& text, size_t width) {
    std::memset(at, ' ', width);
    std::memcpy(at, text.data(), std::min(text.size(), width));
}

// Copies as much of a reply as the host asked for.
SimReply SendData(const std::vector<uint8_t>& data, uint32_t allocationLength, uint8_t* dataIn) {
    SimReply reply;
    reply.bytesTransferred = std::min<uint32_t>(allocationLength, data.size());
    std::memcpy(dataIn, data.data(), reply.bytesTransferred);
    return reply;
}

uint32_t Field24(const std::array<uint8_t, MAX_CDB_SIZE>& cdb, int at) {
    return (uint32_t(cdb[at]) << 16) | (uint32_t(cdb[at + 1]) << 8) | cdb[at + 2];
}

SimReply FaultReply(const Fault& fault) {
    SimReply reply;
    if (fault.kind == FaultKind::Refused)
        reply.outcome = SimOutcome::Refused;
    else if (fault.kind == FaultKind::DeviceGone)
        reply.outcome = SimOutcome::DeviceGone;
    else
        reply.status = fault.status;
    if (reply.status == SCSI_STATUS_CHECK_CONDITION)
        reply.sense = fault.sense;
    return reply;
}

} // namespace

SimReply CheckCondition(SenseCode sense) {
    SimReply reply;
    reply.status = SCSI_STATUS_CHECK_CONDITION;
    reply.sense = sense;
    return reply;
}

SimDrive SimDrive::Kestran() {
    SimDrive drive;
    drive.identity = {"KESTRAN ", "DVD-RW  XRW-T52A", "1.00", "06/03/20"};
    drive.SetIdText(ID_TEXT_OFFSET, "0068ORVEDT      ");
    drive.SetDownloadState('L');
    return drive;
}

SimDrive SimDrive::OtherModel() {
    SimDrive drive;
    drive.identity = {"OTHERCO ", "CD-ROM  CDR-8000", "2.10", "04/05/06"};
    drive.SetIdText(ID_TEXT_OFFSET, "0012OTHRCD      ");
    return drive;
}

void SimDrive::SetIdText(int offset, const std::string& text) {
    std::memcpy(idBuffer.data() + offset, text.data(),
                std::min<size_t>(text.size(), idBuffer.size() - offset));
}

std::vector<uint8_t> SimDrive::InquiryData() const {
    std::vector<uint8_t> data(INQUIRY_REPLY_SIZE, 0);
    data[0] = 0x05; // CD/DVD device
    data[1] = 0x80; // removable medium
    data[2] = 0x00;
    data[3] = 0x32; // response data format 2, HiSup
    data[4] = INQUIRY_REPLY_SIZE - 5;
    PutText(&data[8], identity.vendor, 8);
    PutText(&data[16], identity.product, 16);
    PutText(&data[32], identity.revision, 4);
    PutText(&data[36], " " + identity.firmwareDate, 9);
    return data;
}

SimReply SimDrive::Receive(const SimCommand& command, uint8_t* dataIn) {
    if (!backingFile.empty())
        LoadDriveState(backingFile, *this);
    SimReply reply;
    const Fault* fault = TakeFault(command);
    if (fault != nullptr && fault->kind == FaultKind::Slow)
        Sleep(fault->delayMs);
    if (fault != nullptr && fault->kind != FaultKind::Slow) {
        reply = FaultReply(*fault);
        if (fault->kind == FaultKind::DeviceGone)
            present = false;
    } else if (!present) {
        reply.outcome = SimOutcome::DeviceGone;
    } else if (!acceptsPassThrough) {
        reply.outcome = SimOutcome::Refused;
    } else {
        reply = Answer(command, dataIn);
    }
    Record(command, reply);
    return reply;
}

SimReply SimDrive::Answer(const SimCommand& command, uint8_t* dataIn) {
    if (SimDisc::Handles(command.Opcode()))
        return disc.Answer(command, dataIn);
    switch (command.Opcode()) {
    case OP_WRITE_BUFFER:
        return download.Answer(command, idBuffer[DOWNLOAD_STATE_OFFSET], identity);
    case OP_INQUIRY:
        return AnswerInquiry(command, dataIn);
    case OP_READ_BUFFER:
        if (answersReadBuffer)
            return AnswerReadBuffer(command, dataIn);
        break;
    }
    return CheckCondition(SENSE_INVALID_OPCODE);
}

SimReply SimDrive::AnswerInquiry(const SimCommand& command, uint8_t* dataIn) const {
    uint32_t allocationLength = (uint32_t(command.cdb[3]) << 8) | command.cdb[4];
    return SendData(InquiryData(), std::min(allocationLength, command.transferLength), dataIn);
}

std::vector<uint8_t> SimDrive::ReadMemory(uint32_t offset, uint32_t length) const {
    std::vector<uint8_t> data(length, 0);
    for (const auto& [start, bytes] : memory) {
        uint64_t from = std::max<uint64_t>(start, offset);
        uint64_t to = std::min<uint64_t>(uint64_t(start) + bytes.size(), uint64_t(offset) + length);
        for (uint64_t at = from; at < to; ++at)
            data[at - offset] = bytes[at - start];
    }
    return data;
}

// Mode 2 (data) only: the identification buffer from offset 0, or any stretch of drive memory.
SimReply SimDrive::AnswerReadBuffer(const SimCommand& command, uint8_t* dataIn) const {
    uint8_t mode = command.cdb[1] & 0x1F;
    uint8_t bufferId = command.cdb[2];
    uint32_t offset = Field24(command.cdb, 3);
    uint32_t allocationLength = Field24(command.cdb, 6);
    uint32_t length = std::min(allocationLength, command.transferLength);
    if (mode != READ_BUFFER_MODE_DATA)
        return CheckCondition(SENSE_INVALID_FIELD_IN_CDB);
    if (bufferId == BUFFER_ID_IDENTIFICATION && offset == 0)
        return SendData({idBuffer.begin(), idBuffer.end()}, length, dataIn);
    if (bufferId == BUFFER_ID_DRIVE_MEMORY && offset + allocationLength <= DRIVE_MEMORY_SIZE)
        return SendData(ReadMemory(offset, length), length, dataIn);
    return CheckCondition(SENSE_INVALID_FIELD_IN_CDB);
}

const Fault* SimDrive::TakeFault(const SimCommand& command) {
    const Fault* firing = nullptr;
    for (Fault& fault : faults) {
        if (!fault.Matches(command))
            continue;
        ++fault.matchesSeen;
        if (fault.matchesSeen == fault.occurrence && firing == nullptr)
            firing = &fault;
    }
    return firing;
}

void SimDrive::Record(const SimCommand& command, const SimReply& reply) {
    journal.push_back({command, reply});
    if (backingFile.empty())
        return;
    SaveDriveState(backingFile, *this);
    AppendJournalFile(backingFile + ".journal", journal.back());
}

} // namespace sim
