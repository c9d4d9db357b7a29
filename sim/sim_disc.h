#pragma once
// The medium side of a simulated drive: whether a disc is in it and whether the tray is open.
//
// Without a disc, READ DISC INFORMATION, READ TRACK INFORMATION, READ TOC and TEST UNIT READY end
// with CHECK CONDITION and the drive's "no medium" sense (02/3A/00 unless a test chooses another,
// such as 02/3A/01, 02/3A/02 or 02/04/01). GET EVENT STATUS NOTIFICATION always answers, with
// media presence in byte 5 bit 1 and the tray in bit 0. START STOP UNIT with the eject bit and the
// start bit clear opens the tray, and the disc is then out of the drive; with both bits set it
// closes the tray.

#include <cstdint>

#include "sim_scsi.h"

namespace sim {

constexpr uint8_t OP_START_STOP_UNIT = 0x1B;
constexpr uint8_t OP_READ_TOC = 0x43;
constexpr uint8_t OP_GET_EVENT_STATUS = 0x4A;
constexpr uint8_t OP_READ_DISC_INFO = 0x51;
constexpr uint8_t OP_READ_TRACK_INFO = 0x52;

constexpr SenseCode SENSE_NO_MEDIUM{0x02, 0x3A, 0x00};

struct SimDisc {
    bool present = true;
    bool trayOpen = false;
    SenseCode absentSense = SENSE_NO_MEDIUM;

    static bool Handles(uint8_t opcode);
    SimReply Answer(const SimCommand& command, uint8_t* dataIn);

private:
    SimReply AnswerStartStop(const SimCommand& command);
    SimReply AnswerEventStatus(const SimCommand& command, uint8_t* dataIn) const;
};

} // namespace sim
