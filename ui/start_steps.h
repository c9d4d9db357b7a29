#pragma once
// The start steps that both run modes' dialogs take in their initialisation: the named mutex that
// lets one updater run at a time, the screen saver switched off for the dialog's life, and drive
// discovery with its one retry.

#include <windows.h>

#include <functional>

class CWnd;

constexpr char UPDATER_MUTEX_NAME[] = "ORVE_UPDATER_BY_KESTRAN";
constexpr DWORD DISCOVERY_RETRY_PAUSE_MS = 3500;

// The updater mutex this process created and owns: held until the process ends.
extern HANDLE g_hUpdaterMutex;

// False when another updater holds the mutex (nothing is shown). Otherwise creates it, owned by
// this thread, and keeps it in g_hUpdaterMutex.
bool ClaimUpdaterMutex();

// Reads whether the screen saver is active into wasActive and, when it is, switches it off for
// this session only (the user's profile keeps it on). A state that cannot be read is reported
// with the "FALSE" box, owned by owner, and the start goes on.
void SwitchScreenSaverOff(CWnd& owner, BOOL& wasActive);

// Switches the screen saver on again when SwitchScreenSaverOff found it active.
void RestoreScreenSaver(BOOL wasActive);

// Runs scan; when it finds nothing, waits DISCOVERY_RETRY_PAUSE_MS on this thread and runs it
// once more. The count the last scan found.
int ScanWithOneRetry(const std::function<int()>& scan);
