#include "memory_checksum.h"

#include <cstdint>
#include <cstdio>

#include "diag/diag_log.h"
#include "drive/command_builders.h"
#include "drive/drive_identity.h"
#include "drive/shared_state.h"

namespace {

constexpr uint8_t BUFFER_ID_DRIVE_MEMORY = 0xB0;
constexpr uint32_t PIECE_SIZE = 0x800;

struct MemoryRange {
    uint32_t first;
    uint32_t end; // one past the last byte
};

// The second range ends where the queued text says it does, at 0xFF9FFF inclusive (372 pieces).
// The range could also be read as stopping before the piece at 0xFF8000 (368 pieces); the text
// is the same either way, and we prefer the sum to cover what the text names.
constexpr MemoryRange CHECKSUM_RANGES[] = {
    {0x1000, 0x2000},
    {0xF40000, 0xFFA000},
};

uint32_t LittleEndian32(const uint8_t* at) {
    return uint32_t(at[0]) | (uint32_t(at[1]) << 8) | (uint32_t(at[2]) << 16) |
           (uint32_t(at[3]) << 24);
}

uint32_t SumReadBufferPiece() {
    uint32_t sum = 0;
    for (uint32_t at = 0; at < PIECE_SIZE; at += 4)
        sum += LittleEndian32(g_pReadBuffer + at);
    return sum;
}

uint32_t SumRange(const MemoryRange& range) {
    uint32_t sum = 0;
    for (uint32_t offset = range.first; offset < range.end; offset += PIECE_SIZE) {
        CmdReadBuffer(BUFFER_ID_DRIVE_MEMORY, READ_BUFFER_MODE_DATA, offset, PIECE_SIZE);
        sum += SumReadBufferPiece();
    }
    return sum;
}

} // namespace

void DiagMemoryChecksum() {
    uint32_t sum = 0;
    for (const MemoryRange& range : CHECKSUM_RANGES)
        sum += SumRange(range);
    char text[64];
    std::snprintf(text, sizeof text, "R7 sum chk(0x1000-0x1FFF, 0xF40000-0xFF9FFF = %08lx",
                  static_cast<unsigned long>(sum));
    DiagLogPush(text);
}
