#pragma once
// Finding the supported drives and entering them in g_DriveTable, for both dialogs: each runs its
// identification commands on `worker`, its dialog's worker procedure, and fills `driveList`, when
// given, with one line per drive entered (list index i is table entry i). Both return the count
// of entries made, also left in g_nDriveCount, never more than the table's capacity; the scan
// stops when the table is full. Both leave g_hDrive closed and g_nSelectedDrive unchanged.

#include <windows.h>

class CComboBox;

// Windows 9x: every target 0..7 of every ASPI host adapter, adapter by adapter. A device with the
// OEM identification code is entered whatever its INQUIRY data say.
int ScanAspiAdapters(LPTHREAD_START_ROUTINE worker, CComboBox* driveList);

// NT family: the drive letters C to Z in order, through pass-through. A device is entered when it
// carries the OEM identification code and its INQUIRY names the supported model exactly.
int ScanDriveLetters(LPTHREAD_START_ROUTINE worker, CComboBox* driveList);
