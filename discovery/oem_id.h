#pragma once
// The OEM identification codes that mark a drive this updater supports, found in the text of the
// drive's identification buffer (READ BUFFER 0xF1, from byte 16).

constexpr int OEM_ID_CODE_COUNT = 1;
constexpr int OEM_ID_CODE_LENGTH = 12;

extern const char g_OemIdCodes[OEM_ID_CODE_COUNT][OEM_ID_CODE_LENGTH + 1];

// 1 when any code of g_OemIdCodes occurs in text (a NUL-terminated text in the process's
// multibyte code page), else 0.
int FindOemId(const char* text);
