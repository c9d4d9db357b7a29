#pragma once
// What the shutdown probe reports through its exit code. None is 0 or 1, so that a probe that
// did not run to its end cannot be mistaken for an answer.

#include <windows.h>

constexpr DWORD PROBE_SEAM_NOT_CALLED = 10;
constexpr DWORD PROBE_SEAM_CALLED = 11;
constexpr DWORD PROBE_WRONG_RESULT = 12;

constexpr char SHUTDOWN_PROBE_EXE[] = "shutdown_probe.exe";
