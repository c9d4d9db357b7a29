#pragma once
// Bytes as the tests compare them: copies of raw memory, and the opcodes a drive received.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "sim/sim_drive.h"
#include "sim/sim_journal.h"

inline std::vector<uint8_t> Bytes(const void* data, size_t count) {
    const uint8_t* bytes = static_cast<const uint8_t*>(data);
    return std::vector<uint8_t>(bytes, bytes + count);
}

// The opcodes of the journal's commands, in the order the drive received them.
inline std::vector<uint8_t> Opcodes(const sim::Journal& journal) {
    std::vector<uint8_t> opcodes;
    for (const sim::JournalEntry& entry : journal)
        opcodes.push_back(entry.command.Opcode());
    return opcodes;
}

inline std::vector<uint8_t> Opcodes(const sim::SimDrive& drive) {
    return Opcodes(drive.journal);
}
