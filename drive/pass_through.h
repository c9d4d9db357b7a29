#pragma once
// SCSI pass-through on the NT family: one IOCTL_SCSI_PASS_THROUGH_DIRECT request per command, on
// the drive letter's device held in g_hDrive.

#include <windows.h>
#include <ntddscsi.h>
#include <cstddef>
#include <cstdint>

constexpr UCHAR SPTI_SENSE_INFO_LENGTH = 18;
constexpr ULONG SPTI_TIMEOUT_SECONDS = 120;
constexpr int SPTI_SENSE_AREA_SIZE = 32;

// The one request block of every pass-through command: the platform's request, four spare bytes,
// and the area that receives the sense data.
struct PassThroughRequest {
    SCSI_PASS_THROUGH_DIRECT Sptd;
    ULONG Filler;
    UCHAR SenseArea[SPTI_SENSE_AREA_SIZE];
};
static_assert(sizeof(SCSI_PASS_THROUGH_DIRECT) == 44, "the 32-bit pass-through request");
static_assert(sizeof(PassThroughRequest) == 80, "the request block is 80 bytes");
static_assert(offsetof(PassThroughRequest, SenseArea) == 48, "sense data at byte 48");

extern PassThroughRequest g_Sptd;

// Each sends the 12 bytes at cdb with the CDB length of its name. Returns 1 and leaves status 1 in
// g_nCmdStatus when the drive answered with GOOD status; otherwise returns 0 with status 4.
int SptiExecute6(int direction, uint32_t transferLength, const uint8_t* cdb);
int SptiExecute10(int direction, uint32_t transferLength, const uint8_t* cdb);
int SptiExecute12(int direction, uint32_t transferLength, const uint8_t* cdb);

// Opens \\.\X: for reading and writing; 0 when it cannot be opened.
HANDLE OpenDriveDevice(char driveLetter);

// Closes *device if open and sets it to 0. Always 1.
int CloseDriveDevice(HANDLE* device);

// Opens \\.\X: without read or write access (enough for storage queries); 0 on failure.
HANDLE OpenDriveDeviceQuery(char driveLetter);

// Re-enables the device's media change notification; the result of the IOCTL.
BOOL ControlMediaChangeNotification(HANDLE device);
