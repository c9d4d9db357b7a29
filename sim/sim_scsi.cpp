#include "sim_scsi.h"

#include <stdexcept>

namespace sim {

std::array<uint8_t, FIXED_SENSE_SIZE> FixedSense(SenseCode code) {
    std::array<uint8_t, FIXED_SENSE_SIZE> sense{};
    sense[0] = 0x70;
    sense[2] = code.key;
    sense[7] = FIXED_SENSE_SIZE - 8; // additional sense length
    sense[12] = code.asc;
    sense[13] = code.ascq;
    return sense;
}

std::string ToHex(const uint8_t* bytes, size_t count) {
    static const char digits[] = "0123456789ABCDEF";
    std::string hex;
    hex.reserve(count * 2);
    for (size_t i = 0; i < count; ++i) {
        hex += digits[bytes[i] >> 4];
        hex += digits[bytes[i] & 0x0F];
    }
    return hex;
}

std::vector<uint8_t> FromHex(const std::string& hex) {
    if (hex.size() % 2 != 0)
        throw std::invalid_argument("odd number of hex digits");
    std::vector<uint8_t> bytes(hex.size() / 2);
    for (size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<uint8_t>(std::stoul(hex.substr(i * 2, 2), nullptr, 16));
    return bytes;
}

} // namespace sim
