#pragma once
// What passes between the simulated storage stack and a simulated drive: one SCSI command as the
// drive receives it, and the drive's answer.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace sim {

constexpr uint8_t SCSI_STATUS_GOOD = 0x00;
constexpr uint8_t SCSI_STATUS_CHECK_CONDITION = 0x02;
constexpr uint8_t SCSI_STATUS_BUSY = 0x08;

constexpr int FIXED_SENSE_SIZE = 18;
constexpr int MAX_CDB_SIZE = 16;

struct SenseCode {
    uint8_t key = 0;
    uint8_t asc = 0;
    uint8_t ascq = 0;
    bool operator==(const SenseCode& other) const {
        return key == other.key && asc == other.asc && ascq == other.ascq;
    }
};

// Fixed-format sense data: response code 70h, key in byte 2, ASC and ASCQ in bytes 12 and 13.
std::array<uint8_t, FIXED_SENSE_SIZE> FixedSense(SenseCode code);

// The direction the request named: the values of the pass-through request's DataIn field.
enum class SimDirection : uint8_t { Out = 0, In = 1, Unspecified = 2 };

struct SimCommand {
    std::array<uint8_t, MAX_CDB_SIZE> cdb{};
    int cdbLength = 0;
    SimDirection direction = SimDirection::Unspecified;
    uint32_t transferLength = 0;
    std::vector<uint8_t> dataOut; // the bytes the host sent, for data-out commands

    uint8_t Opcode() const { return cdb[0]; }
};

// How a request ended: answered by the drive, refused by the host side before it reached the
// drive, or lost because the device had gone away.
enum class SimOutcome : uint8_t { Completed, Refused, DeviceGone };

struct SimReply {
    SimOutcome outcome = SimOutcome::Completed;
    uint8_t status = SCSI_STATUS_GOOD;
    SenseCode sense; // meaningful when status is CHECK CONDITION
    uint32_t bytesTransferred = 0;
};

std::string ToHex(const uint8_t* bytes, size_t count);
std::vector<uint8_t> FromHex(const std::string& hex);

} // namespace sim
