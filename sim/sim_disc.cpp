#include "sim_disc.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "sim_drive.h"

namespace sim {

namespace {

constexpr uint8_t START_BIT = 0x01;
constexpr uint8_t LOAD_EJECT_BIT = 0x02;

uint32_t Field16(const SimCommand& command, int at) {
    return (uint32_t(command.cdb[at]) << 8) | command.cdb[at + 1];
}

// A written DVD-R with one closed session and one track.
std::vector<uint8_t> DiscInformation() {
    std::vector<uint8_t> data(34, 0);
    data[1] = 32;   // length of what follows
    data[2] = 0x0E; // last session complete, disc complete
    data[3] = 1;    // first track
    data[4] = 1;    // sessions
    data[5] = 1;    // first track of the last session
    data[6] = 1;    // last track of the last session
    return data;
}

std::vector<uint8_t> TrackInformation() {
    std::vector<uint8_t> data(36, 0);
    data[1] = 34;
    data[2] = 1; // track 1
    data[3] = 1; // session 1
    return data;
}

std::vector<uint8_t> TableOfContents() {
    std::vector<uint8_t> data(20, 0);
    data[1] = 18;
    data[2] = 1; // first track
    data[3] = 1; // last track
    data[5] = 0x14;
    data[6] = 1; // track 1 at LBA 0
    data[13] = 0x14;
    data[14] = 0xAA; // lead-out
    data[17] = 0x01; // at LBA 0x10000
    return data;
}

SimReply Send(const std::vector<uint8_t>& data, uint32_t allocation, uint32_t transferLength,
              uint8_t* dataIn) {
    SimReply reply;
    reply.bytesTransferred =
        std::min<uint32_t>({allocation, transferLength, uint32_t(data.size())});
    std::memcpy(dataIn, data.data(), reply.bytesTransferred);
    return reply;
}

} // namespace

bool SimDisc::Handles(uint8_t opcode) {
    return opcode == OP_TEST_UNIT_READY || opcode == OP_START_STOP_UNIT || opcode == OP_READ_TOC ||
           opcode == OP_GET_EVENT_STATUS || opcode == OP_READ_DISC_INFO ||
           opcode == OP_READ_TRACK_INFO;
}

SimReply SimDisc::Answer(const SimCommand& command, uint8_t* dataIn) {
    uint8_t opcode = command.Opcode();
    if (opcode == OP_START_STOP_UNIT)
        return AnswerStartStop(command);
    if (opcode == OP_GET_EVENT_STATUS)
        return AnswerEventStatus(command, dataIn);
    if (!present)
        return CheckCondition(absentSense);
    switch (opcode) {
    case OP_READ_DISC_INFO:
        return Send(DiscInformation(), Field16(command, 7), command.transferLength, dataIn);
    case OP_READ_TRACK_INFO:
        return Send(TrackInformation(), Field16(command, 7), command.transferLength, dataIn);
    case OP_READ_TOC:
        return Send(TableOfContents(), Field16(command, 7), command.transferLength, dataIn);
    default: // TEST UNIT READY
        return {};
    }
}

SimReply SimDisc::AnswerStartStop(const SimCommand& command) {
    uint8_t bits = command.cdb[4] & (START_BIT | LOAD_EJECT_BIT);
    if (bits == LOAD_EJECT_BIT) {
        trayOpen = true;
        present = false;
    } else if (bits == (LOAD_EJECT_BIT | START_BIT)) {
        trayOpen = false;
    }
    return {};
}

// Media class events only; the drive answers a request without the polled bit as if it were
// polled.
SimReply SimDisc::AnswerEventStatus(const SimCommand& command, uint8_t* dataIn) const {
    std::vector<uint8_t> data(8, 0);
    data[1] = 6;    // event data length
    data[2] = 0x04; // media class
    data[3] = 0x10; // supported: media class
    data[5] = uint8_t((present ? 0x02 : 0x00) | (trayOpen ? 0x01 : 0x00));
    return Send(data, Field16(command, 7), command.transferLength, dataIn);
}

} // namespace sim
