#pragma once
// Runs this thread's messages the way the application's loop does until a condition holds.

#include <windows.h>
#include <functional>

// Pumps until done() is true; false when timeoutMs passed first.
bool PumpMessagesUntil(const std::function<bool()>& done, DWORD timeoutMs = 5000);
