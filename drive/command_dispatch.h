#pragma once
// The one place that picks the transport entry for a command: by the transport chosen at start-up,
// the builder's CDB-length group and whether the builder addresses the drive the ASPI scan is
// probing.

#include <cstdint>

// The CDB length a builder announces. It belongs to the builder, not to the opcode: some builders
// announce a group other than their opcode's standard length.
enum class CdbGroup { Six, Ten, Twelve };

enum class Addressing {
    SelectedDrive, // the drive-table entry g_nSelectedDrive (on ASPI)
    ScanAddress,   // g_ScanHa, g_ScanTarget, g_ScanLun (on ASPI); the discovery probes use it
};

// Sends the 12 bytes at cdb through ASPI when g_nTransport is 1 and through pass-through for every
// other value (including 0, not yet chosen). Pass-through has no scan entries: scan-addressed
// commands use its ordinary ones. Returns the entry's result (1 good, 0 otherwise) with its status
// in g_nCmdStatus.
int SendCdb(CdbGroup group, Addressing addressing, int direction, uint32_t transferLength,
            const uint8_t* cdb);
