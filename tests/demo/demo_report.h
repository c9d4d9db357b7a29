#pragma once
// What `make demo` shows of a simulated drive: its identity and firmware version in one line, and
// the commands it received, one readable line each. The 55 image chunks of an update would bury
// the few commands around them, so a run of chunks sent in order to one image becomes one line
// that says how many there were.

#include <string>
#include <vector>

#include "sim/sim_drive.h"
#include "sim/sim_journal.h"

namespace demo {

// "TEST UNIT READY", "WRITE BUFFER", ...; an opcode the program never sends as "opcode 5A".
std::string OpcodeName(uint8_t opcode);

// "KESTRAN DVD-RW  XRW-T52A, firmware 1.00 (06/03/20), download locked"
std::string DescribeDrive(const sim::SimDrive& drive);

// One line per command, numbered from 1, or per run of image chunks.
std::vector<std::string> DescribeJournal(const sim::Journal& journal);

} // namespace demo
