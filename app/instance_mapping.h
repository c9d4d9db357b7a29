#pragma once
// The named mapping "KESTRANCBC1" that tells a later start of the program that one is running,
// and which window of the running one to bring forward: 10 bytes of the paging file, bytes 0-3
// the window handle (32-bit little-endian), 0 until one is published.

#include <windows.h>

constexpr char INSTANCE_MAPPING_NAME[] = "KESTRANCBC1";
constexpr DWORD INSTANCE_MAPPING_SIZE = 10;

// Creates the mapping. The handle, or null when it cannot be made; alreadyExists tells whether
// another instance made it first (the handle then refers to that instance's mapping).
HANDLE CreateInstanceMapping(bool& alreadyExists);

// Brings the running instance's published window to the foreground. False when the mapping's
// view cannot be mapped.
bool BringRunningInstanceForward(HANDLE mapping);

// Writes window into bytes 0-3 and flushes them; a view that cannot be mapped is ignored.
void PublishWindow(HANDLE mapping, HWND window);
