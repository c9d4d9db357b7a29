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
};

struct Fault {
    uint8_t opcode = 0;
    std::optional<uint8_t> bufferId; // CDB byte 2 of READ BUFFER / WRITE BUFFER
    int occurrence = 1;              // fire on this matching command (1 = the first)
    FaultKind kind = FaultKind::Status;
    uint8_t status = SCSI_STATUS_CHECK_CONDITION;
    SenseCode sense;
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
    Fault& OnBuffer(uint8_t id) {
        bufferId = id;
        return *this;
    }
    Fault& OnOccurrence(int n) {
        occurrence = n;
        return *this;
    }

    bool Matches(const SimCommand& command) const {
        return command.Opcode() == opcode && (!bufferId || command.cdb[2] == *bufferId);
    }
};

} // namespace sim
