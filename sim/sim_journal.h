#pragma once
// The journal of a simulated drive: every request that reached its device, in order, with what
// the host sent and how it ended.

#include <string>
#include <vector>

#include "sim_scsi.h"

namespace sim {

struct JournalEntry {
    SimCommand command;
    SimReply reply;

    // The first n CDB bytes, for comparison with a builder's 12 bytes.
    std::vector<uint8_t> CdbBytes(size_t n = 12) const {
        return {command.cdb.begin(), command.cdb.begin() + n};
    }
};

using Journal = std::vector<JournalEntry>;

// One line of text per entry, so that a journal written by one process can be read by another.
std::string FormatJournalLine(const JournalEntry& entry);
JournalEntry ParseJournalLine(const std::string& line);

void AppendJournalFile(const std::string& path, const JournalEntry& entry);
Journal ReadJournalFile(const std::string& path);

} // namespace sim
