#pragma once
// Fault injection: a planned failure of the n-th command that matches an opcode (and, for the
// buffer commands, a buffer id).

#include <cstdint>
#include <optional>

#include "sim_scsi.h"

namespace sim {

enum class FaultKind : uint8_t {
    Status,     // the drive ends the command with the fault's status and sense
    Refused,    // the host side refuses the request before it reaches the drive
    DeviceGone, // the device disappears: this request and everything after it fail
    Slow,       // the drive answers as usual, but only after delayMs
};

struct Fault {
    uint8_t opcode = 0;
    std::optional<uint8_t> bufferId; // CDB byte 2 of READ BUFFER / WRITE BUFFER
    std::optional<uint32_t> offset;  // CDB bytes 3..5 of READ BUFFER / WRITE BUFFER
    int occurrence = 1;              // fire on this matching command (1 = the first)
    FaultKind kind = FaultKind::Status;
    uint8_t status = SCSI_STATUS_CHECK_CONDITION;
    SenseCode sense;
    uint32_t delayMs = 0;
    int matchesSeen = 0; // how many matching commands the drive has received so far

    static Fault CheckCondition(uint8_t opcode, SenseCode sense) {
        Fault fault;
        fault.opcode = opcode;
        fault.sense = sense;
        return fault;
    }
    static Fault WithStatus(uint8_t opcode, uint8_t status) {
        Fault fault;
        fault.opcode = opcode;
        fault.status = status;
        return fault;
    }
    static Fault Refusal(uint8_t opcode) {
        Fault fault;
        fault.opcode = opcode;
        fault.kind = FaultKind::Refused;
        return fault;
    }
    static Fault Removal(uint8_t opcode) {
        Fault fault;
        fault.opcode = opcode;
        fault.kind = FaultKind::DeviceGone;
        return fault;
    }
    static Fault Slow(uint8_t opcode, uint32_t delayMs) {
        Fault fault;
        fault.opcode = opcode;
        fault.kind = FaultKind::Slow;
        fault.delayMs = delayMs;
        return fault;
    }
    Fault& AtOffset(uint32_t bufferOffset) {
        offset = bufferOffset;
        return *this;
    }
    Fault& OnBuffer(uint8_t id) {
        bufferId = id;
        return *this;
    }
    Fault& OnOccurrence(int n) {
        occurrence = n;
        return *this;
    }

    bool Matches(const SimCommand& command) const {
        uint32_t commandOffset =
            (uint32_t(command.cdb[3]) << 16) | (uint32_t(command.cdb[4]) << 8) | command.cdb[5];
        return command.Opcode() == opcode && (!bufferId || command.cdb[2] == *bufferId) &&
               (!offset || commandOffset == *offset);
    }
};

} // namespace sim
