#pragma once
// The simulated ASPI for Win32 layer behind the two entry points of our wnaspi32.dll.
//
// It answers as a real layer does: host adapter inquiries at once; SCSI commands on a drive are
// accepted with SS_PENDING and completed on a thread of the layer, which writes the data, the
// status and (on CHECK CONDITION) the sense into the request and then signals SRB_PostProc. A
// request that cannot be accepted comes back at once with its error and is never signalled:
// SS_INVALID_HA for an adapter that does not exist, SS_NO_DEVICE for an address without a drive
// or a drive that has gone, SS_INVALID_CMD for a request the drive's host side refuses.

#include <windows.h>

namespace sim {

// (status << 8) | adapter count, as GetASPI32SupportInfo reports it.
DWORD AspiSupportInfo();

// The result of SendASPI32Command for the request block at request.
DWORD AspiSendCommand(void* request);

} // namespace sim
