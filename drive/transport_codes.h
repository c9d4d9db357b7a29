#pragma once

// Codes that pass between the command builders and the two transports.

// Data direction of a command, as the builders hand it to a transport.
constexpr int DIR_OUT = 0;  // from g_pWriteBuffer to the drive
constexpr int DIR_IN = 1;   // from the drive into g_pReadBuffer
constexpr int DIR_NONE = 2; // no data phase

// Command status left in g_nCmdStatus. The values are those of ASPI's completion codes, so that
// callers read one status whichever transport carried the command.
constexpr int CMD_STATUS_GOOD = 1;  // completed without error (ASPI SS_COMP)
constexpr int CMD_STATUS_ERROR = 4; // completed with an error, or never reached the drive (SS_ERR)

// Length of every command descriptor block the builders fill.
constexpr int CDB_SIZE = 12;
