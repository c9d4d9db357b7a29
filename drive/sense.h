#pragma once
// Reading the sense data and the CDB that the last command left in the active transport's request
// block (g_Srb on ASPI, g_Sptd otherwise), as sense classes and as the report shown after a failed
// command. Call these right after the failed command, before the next one overwrites the block.

#include <cstdint>
#include <string>

// Sense classes. Every combination the table in ClassifySense does not name is OTHER; no class has
// the value 2 or 4.
constexpr int SENSE_CLASS_NONE = 0;                // 00/00/00
constexpr int SENSE_CLASS_OTHER = 1;               // everything else
constexpr int SENSE_CLASS_NO_MEDIUM = 3;           // 02/3A/00 medium not present
constexpr int SENSE_CLASS_BECOMING_READY = 5;      // 02/04/01 logical unit becoming ready
constexpr int SENSE_CLASS_COMM_TIMEOUT = 6;        // 04/08/01 communication time-out
constexpr int SENSE_CLASS_RESET = 7;               // 06/29/00 power on or reset occurred
constexpr int SENSE_CLASS_MEDIUM_CHANGED = 8;      // 06/28/00 not ready to ready change
constexpr int SENSE_CLASS_INIT_REQUIRED = 9;       // 02/04/02 initializing command required
constexpr int SENSE_CLASS_SELF_CONFIG_FAILED = 10; // 04/4C/00 self-configuration failed

// The class of one sense code. senseKey is the whole of fixed-format sense byte 2: a set filemark,
// end-of-medium or incorrect-length flag makes the code OTHER.
int ClassifySense(uint8_t senseKey, uint8_t asc, uint8_t ascq);

// ClassifySense of the active transport's last sense data.
int ClassifyLastSense();

// 1 when the last sense key byte is 0x06 (UNIT ATTENTION) and the ASC is 0x29 (reset) or 0x28
// (medium changed), whatever the ASCQ; else 0.
int IsResetOrMediumAttention();

// Replaces report with the two lines of the last command, each ended by "\r\n":
//   "Command    : 3b 05 fe 00 80 00 00 80 00 00 00 00 "
//   "Sense Code : 05-24-00"
// All 12 CDB bytes are shown whatever the command's CDB length. The 8-bit string type of the
// dialogs takes the text as it is (CString(report.c_str())).
void FormatCommandReport(std::string& report);

// The index of the first of count bytes where first and second differ; -1 when they are equal
// (and for count 0).
int FindFirstDifference(const uint8_t* first, const uint8_t* second, uint32_t count);
