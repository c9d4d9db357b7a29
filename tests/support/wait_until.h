#pragma once
// Waiting on a condition that another thread or process brings about: polled, bounded, never a
// fixed sleep.

#include <windows.h>

#include <functional>

// True once condition holds; false when timeoutMs passed first.
inline bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs = 30000) {
    constexpr DWORD POLL_MS = 5;
    const DWORD start = GetTickCount();
    while (!condition()) {
        if (GetTickCount() - start >= timeoutMs)
            return false;
        Sleep(POLL_MS);
    }
    return true;
}
