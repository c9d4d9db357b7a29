#pragma once
// What the simulated ASPI library serves: its host adapters and the drives at their addresses.
//
// The test process and the library keep separate copies of the simulator's state, so the library
// reads its setting from a file that the environment variable KESTRAN_SIM_ASPI names. The file
// is read again on every call, so a test may change it between commands. One setting a line:
//
//   support 01                       status that GetASPI32SupportInfo reports (hex, default 01)
//   adapter "SIM ADAPTER 0"          one line per host adapter, in adapter order: HA_Identifier
//   drive 0 1 0 C:\tmp\first.drive   adapter, target, lun, then the path of a drive file
//   latency 200                      milliseconds before a pending command completes (default 0)
//
// The adapter count is the number of adapter lines, so a file without any has no adapters. The
// drive files are those of sim/sim_drive_file.h: each drive reloads its state before a command,
// saves it after, and appends its journal to "<drive file>.journal". Lines starting with '#'
// are comments.

#include <cstdint>
#include <map>
#include <string>
#include <tuple>
#include <vector>

namespace sim {

constexpr char ASPI_ENVIRONMENT_VARIABLE[] = "KESTRAN_SIM_ASPI";

struct AspiAddress {
    uint8_t haId = 0;
    uint8_t target = 0;
    uint8_t lun = 0;
    bool operator<(const AspiAddress& other) const {
        return std::tie(haId, target, lun) < std::tie(other.haId, other.target, other.lun);
    }
};

struct AspiConfig {
    uint8_t supportStatus = 0x01;
    std::vector<std::string> adapterIdentifiers;
    std::map<AspiAddress, std::string> driveFiles;
    uint32_t latencyMs = 0;

    // The drive file at address, or an empty text when no device answers there.
    std::string DriveFileAt(AspiAddress address) const;
};

// Throws std::runtime_error when the file cannot be read or a line is malformed.
AspiConfig ReadAspiConfig(const std::string& path);
void WriteAspiConfig(const std::string& path, const AspiConfig& config);

} // namespace sim
