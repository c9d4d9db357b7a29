#include "oem_id.h"

#include <mbstring.h>

const char g_OemIdCodes[OEM_ID_CODE_COUNT][OEM_ID_CODE_LENGTH + 1] = {"0068ORVEDT  "};

int FindOemId(const char* text) {
    const auto* haystack = reinterpret_cast<const unsigned char*>(text);
    for (const char* code : g_OemIdCodes)
        if (_mbsstr(haystack, reinterpret_cast<const unsigned char*>(code)) != nullptr)
            return 1;
    return 0;
}
