#pragma once
// The test side of the simulated ASPI library: builds its setting (adapters, drives at their
// addresses) in a folder of its own, writes the drive files and points KESTRAN_SIM_ASPI at the
// setting, for this process and for every process it starts afterwards.

#include <string>

#include "sim/sim_drive.h"
#include "sim/sim_journal.h"
#include "sim_aspi_config.h"

namespace sim {

class AspiSetup {
public:
    // Uses (and creates) the folder "<temp>\<name>.<process id>", and removes it with its files
    // when the object goes.
    explicit AspiSetup(const std::string& name);
    ~AspiSetup();
    AspiSetup(const AspiSetup&) = delete;
    AspiSetup& operator=(const AspiSetup&) = delete;
    // The folder goes with the setup; the moved-from object removes nothing.
    AspiSetup(AspiSetup&& other) noexcept;

    AspiConfig& Config() { return config_; }

    void AddAdapter(const std::string& identifier);
    // Places drive at address, with a fresh drive file and an empty journal.
    void PutDrive(AspiAddress address, const SimDrive& drive);
    // Writes the setting file and sets the environment variable.
    void Publish() const;

    std::string DriveFile(AspiAddress address) const;
    // Everything the drive at address has received so far.
    Journal JournalOf(AspiAddress address) const;
    // Replaces the saved state of the drive at address (its journal stays).
    void UpdateDrive(AspiAddress address, const SimDrive& drive) const;

private:
    std::string folder_;
    AspiConfig config_;
};

} // namespace sim
