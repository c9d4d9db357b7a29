#pragma once
// The process-wide state through which the dialogs, the worker threads, discovery, the update
// sequence and the command layer exchange data. The dialog of the run mode owns it for its life.

#include <windows.h>
#include <cstdint>

#include "transport_codes.h"

// The framework's window class: the workers post to the dialogs as windows, so the command layer
// needs to know no dialog class.
class CWnd;

// One drive-table entry.
struct DriveAddress {
    uint8_t HaId;        // ASPI host adapter number (ASPI scan only)
    uint8_t TargetId;    // SCSI target id 0..7 (ASPI scan only)
    uint8_t Lun;         // always 0
    uint8_t DriveLetter; // 'C'..'Z' (pass-through scan only)
};
static_assert(sizeof(DriveAddress) == 4, "a drive-table entry is four bytes");

constexpr DWORD TRANSFER_BUFFER_SIZE = 2097152;
constexpr int DRIVE_TABLE_CAPACITY = 128;
constexpr int INQUIRY_DATA_SIZE = 254;
constexpr int IMAGE_PATH_SIZE = 500;
constexpr int UNLOCK_CODE_SIZE = 4;

constexpr int TRANSPORT_NONE = 0;
constexpr int TRANSPORT_ASPI = 1;
constexpr int TRANSPORT_PASS_THROUGH = 2;

// Transfer buffers: the data of every command starts at byte 0 of one of them.
extern uint8_t* g_pWriteBuffer;
extern HGLOBAL g_hWriteBufferMem;
extern uint8_t* g_pReadBuffer;
extern HGLOBAL g_hReadBufferMem;

// Drive addressing.
extern int g_nTransport;
extern HANDLE g_hDrive;
extern DriveAddress g_DriveTable[DRIVE_TABLE_CAPACITY];
extern int g_nSelectedDrive;
// How many entries of g_DriveTable the last scan made (0..DRIVE_TABLE_CAPACITY). Entries at and
// beyond it are left over from earlier scans, or were never written; no operation addresses them.
extern int g_nDriveCount;
extern uint8_t g_ScanHa;
extern uint8_t g_ScanTarget;
extern uint8_t g_ScanLun;

// Operation request and the parameters of the generic operations.
extern int g_nOperation;
extern int g_nOpOffset;
extern int g_nOpLength;
extern uint8_t g_OpBufferId;
extern uint8_t g_OpMode;
extern uint8_t g_OpCdb[CDB_SIZE];
extern int g_nOpDirection;

// Command results.
extern int g_nCmdStatus;
extern int g_bDiscPresent;
extern uint8_t g_InquiryData[INQUIRY_DATA_SIZE];

// Update inputs and fixed values.
extern char g_szMainImagePath[IMAGE_PATH_SIZE];
extern char g_szSubImagePath[IMAGE_PATH_SIZE];
extern uint8_t g_UnlockCode[UNLOCK_CODE_SIZE];

// The dialog of the run mode, which the workers report to (the interactive CUpdaterDlg or the
// automatic-mode CAutoDlg), and the progress dialog (CDlgIndicater) each of them opens.
extern CWnd* g_pUpdaterDlg;
extern CWnd* g_pAutoDlg;
extern CWnd* g_pIndicator;
extern CWnd* g_pAutoIndicator;

// Allocates both 2 MiB transfer buffers as fixed global memory, write buffer first. When either
// cannot be had, neither is kept: both pointers stay null and every transport then refuses to
// move data, so no command is ever sent through a null buffer.
void AllocTransferBuffers();

// Sets the ASPI scan address to 0 and the unlock code to its fixed value.
void ResetSharedState();

// Frees both transfer buffers and forgets them, so that a late command finds no buffer instead of
// freed memory and a second call frees nothing twice.
void FreeTransferBuffers();
