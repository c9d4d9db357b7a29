#pragma once
// The message boxes the dialogs show, by name, and their check against what the watcher saw:
// text (from the program's string table, with its detail), caption, icon, buttons and owner.

#include <windows.h>

#include <string>
#include <vector>

#include "tests/support/message_box_watcher.h"

enum class Box {
    Notice,           // 113, Yes and No
    NoDrive,          // 102
    MoreThanOne,      // 127
    ImageMissing,     // 114, "\r\n" and the main image's path
    NotNewer,         // 121
    DiscInDrive,      // 123, OK and Cancel
    UpdateFailed,     // 116
    Restart,          // 109, system-modal
    CommandError,     // 119 and the command report
    ImagePathTooLong, // 120 and the path
    CloseFirst        // 115, the end of the session refused
};

struct BoxDetail {
    std::string mainImagePath; // for ImageMissing and ImagePathTooLong
};

// The text of a string-table entry as the dialogs load it.
std::string TextOf(UINT id);

// Each seen box against the expected ones, in order, all owned by owner.
void ExpectBoxes(const std::vector<Box>& expected, const std::vector<SeenMessageBox>& seen,
                 HWND owner, const BoxDetail& detail = {});
