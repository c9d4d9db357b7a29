#include "diag_log.h"

#include <cstring>

#include "framework/cstring.h"

char g_DiagLog[DIAG_LOG_SLOTS][DIAG_LOG_SLOT_SIZE];
int g_nDiagWrite = 0;
int g_nDiagRead = 0;
int g_nDiagCount = 0;

void DiagLogPush(const char* text) {
    char* slot = g_DiagLog[g_nDiagWrite];
    std::strncpy(slot, text, DIAG_LOG_SLOT_SIZE - 1);
    slot[DIAG_LOG_SLOT_SIZE - 1] = '\0';
    ++g_nDiagCount;
    if (++g_nDiagWrite == DIAG_LOG_SLOTS)
        g_nDiagWrite = 0;
}

void DiagLogPushString(unsigned int stringId) {
    CString text;
    text.LoadString(stringId);
    DiagLogPush(text);
}

const char* DiagLogPeek() {
    return g_DiagLog[g_nDiagRead];
}

void DiagLogPop() {
    --g_nDiagCount;
    if (++g_nDiagRead == DIAG_LOG_SLOTS)
        g_nDiagRead = 0;
}

int DiagLogHasEntries() {
    return g_nDiagCount != 0 ? 1 : 0;
}
