// Test support: every message text of the updater, as the user must see it in each language.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

struct ExpectedText {
    UINT id;
    const wchar_t* english;
    const wchar_t* japanese;
};

// Texts 101 to 127, in order.
const std::vector<ExpectedText>& ExpectedTexts();
