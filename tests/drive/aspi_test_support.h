#pragma once
// Helpers shared by the tests of transport selection.

#include <string>
#include <vector>

#include "diag/diag_log.h"

// Empties the diagnostic queue and returns its texts, oldest first.
inline std::vector<std::string> TakeDiagLog() {
    std::vector<std::string> texts;
    while (DiagLogHasEntries()) {
        texts.emplace_back(DiagLogPeek());
        DiagLogPop();
    }
    return texts;
}
