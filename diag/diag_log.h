#pragma once
// A small ring of diagnostic texts for failures that nothing shows to the user (the ASPI library
// missing, an unknown platform) and for the drive memory checksum.

#include <cstdint>

constexpr int DIAG_LOG_SLOTS = 30;
constexpr int DIAG_LOG_SLOT_SIZE = 200;

extern char g_DiagLog[DIAG_LOG_SLOTS][DIAG_LOG_SLOT_SIZE];
extern int g_nDiagWrite;
extern int g_nDiagRead;
extern int g_nDiagCount;

// Queues a copy of text, cut to 199 characters. When the ring is full the oldest unread text is
// overwritten; the count goes on counting.
void DiagLogPush(const char* text);

// Queues the string table text with this number.
void DiagLogPushString(unsigned int stringId);

// The oldest unread text. Call only when DiagLogHasEntries gives 1.
const char* DiagLogPeek();

// Drops the oldest unread text. Call only when DiagLogHasEntries gives 1.
void DiagLogPop();

int DiagLogHasEntries();
