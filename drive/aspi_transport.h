#pragma once
// The ASPI transport of Windows 9x, and the choice of transport at start-up.

#include <windows.h>
#include <cstdint>

#include "aspi_layout.h"

extern HMODULE g_hAspiLib;
extern GetASPI32SupportInfoProc g_pfnGetASPI32SupportInfo;
extern SendASPI32CommandProc g_pfnSendASPI32Command;
extern SRB_ExecSCSICmd g_Srb;

// Sets g_nTransport from the Windows platform (1 ASPI on Windows 9x, 2 pass-through on NT) and
// on Windows 9x loads the ASPI library. Failures go to the diagnostic queue only.
void SelectTransport();

// Each runs one command on the selected drive-table entry, with the CDB length of its name.
// Returns 1 and leaves SS_COMP in g_nCmdStatus on success; otherwise 0 and the ASPI status.
int AspiExecute6(int direction, uint32_t transferLength, const uint8_t* cdb);
int AspiExecute10(int direction, uint32_t transferLength, const uint8_t* cdb);
int AspiExecute12(int direction, uint32_t transferLength, const uint8_t* cdb);

// The same on the address that the ASPI scan is probing (g_ScanHa, g_ScanTarget, g_ScanLun).
int AspiScanExecute6(int direction, uint32_t transferLength, const uint8_t* cdb);
int AspiScanExecute12(int direction, uint32_t transferLength, const uint8_t* cdb);
