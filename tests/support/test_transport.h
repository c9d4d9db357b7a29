#pragma once
// The supported drive as the one drive found, behind one transport: the simulated storage stack
// (pass-through, letter E) or the simulated ASPI library (adapter 0, target 1; the program must
// run with the Windows 98 setting). Entry 0 of the drive table is the drive, and it is selected.
//
// This one is for whole operations (discovery, workers, the update), read back from the drive's
// journal. The command layer's own tests use tests/drive/transport_harness.h, which also sees
// each request block as the transport filled it.

#include <memory>
#include <string>

#include "sim/aspi/sim_aspi_setup.h"
#include "sim/sim_drive.h"

class TestTransport {
public:
    virtual ~TestTransport() = default;
    virtual std::string Name() const = 0;
    // Puts drive behind the transport, with an empty journal, and chooses the transport.
    virtual void Install(const sim::SimDrive& drive) = 0;
    // The drive as it is now, its journal included.
    virtual sim::SimDrive Drive() const = 0;
};

std::unique_ptr<TestTransport> MakePassThrough();
std::unique_ptr<TestTransport> MakeAspi();

// Loads the simulated ASPI library once for the process (the program runs as on Windows 98).
void LoadAspiLibrary();
