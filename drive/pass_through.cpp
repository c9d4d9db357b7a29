#include "pass_through.h"

#include <cstring>
#include <winioctl.h>

#include "shared_state.h"
#include "seam/system_seam.h"

PassThroughRequest g_Sptd;

namespace {

constexpr int DEVICE_PATH_SIZE = 256;

void FormatDevicePath(char driveLetter, char (&path)[DEVICE_PATH_SIZE]) {
    std::memset(path, 0, sizeof path);
    std::memcpy(path, "\\\\.\\", 4);
    path[4] = driveLetter;
    path[5] = ':';
}

HANDLE OpenDevicePath(char driveLetter, DWORD access, DWORD flagsAndAttributes) {
    char path[DEVICE_PATH_SIZE];
    FormatDevicePath(driveLetter, path);
    HANDLE device = SysOpenDevice(path, access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, flagsAndAttributes, nullptr);
    return device == INVALID_HANDLE_VALUE ? nullptr : device;
}

void FillRequest(UCHAR cdbLength, int direction, uint32_t transferLength, const uint8_t* cdb,
                 uint8_t* dataBuffer) {
    std::memset(&g_Sptd, 0, sizeof g_Sptd);
    SCSI_PASS_THROUGH_DIRECT& sptd = g_Sptd.Sptd;
    sptd.Length = sizeof(SCSI_PASS_THROUGH_DIRECT);
    sptd.CdbLength = cdbLength;
    sptd.SenseInfoLength = SPTI_SENSE_INFO_LENGTH;
    sptd.DataIn = direction == DIR_IN ? SCSI_IOCTL_DATA_IN : SCSI_IOCTL_DATA_OUT;
    sptd.DataTransferLength = transferLength;
    sptd.TimeOutValue = SPTI_TIMEOUT_SECONDS;
    sptd.DataBuffer = dataBuffer;
    sptd.SenseInfoOffset = offsetof(PassThroughRequest, SenseArea);
    std::memcpy(sptd.Cdb, cdb, CDB_SIZE);
}

// A request that Windows refuses never reached the drive, whatever ScsiStatus holds: it counts as
// an error, like a command that the drive failed.
int SptiExecute(UCHAR cdbLength, int direction, uint32_t transferLength, const uint8_t* cdb) {
    uint8_t* dataBuffer = direction == DIR_IN ? g_pReadBuffer : g_pWriteBuffer;
    FillRequest(cdbLength, direction, transferLength, cdb, dataBuffer);
    BOOL delivered = FALSE;
    if (dataBuffer != nullptr || transferLength == 0) {
        DWORD bytesReturned = 0;
        delivered =
            SysDeviceIoControl(g_hDrive, IOCTL_SCSI_PASS_THROUGH_DIRECT, &g_Sptd, sizeof g_Sptd,
                               &g_Sptd, sizeof g_Sptd, &bytesReturned, nullptr);
    }
    g_nCmdStatus = delivered && g_Sptd.Sptd.ScsiStatus == 0 ? CMD_STATUS_GOOD : CMD_STATUS_ERROR;
    return g_nCmdStatus == CMD_STATUS_GOOD ? 1 : 0;
}

} // namespace

int SptiExecute6(int direction, uint32_t transferLength, const uint8_t* cdb) {
    return SptiExecute(6, direction, transferLength, cdb);
}

int SptiExecute10(int direction, uint32_t transferLength, const uint8_t* cdb) {
    return SptiExecute(10, direction, transferLength, cdb);
}

int SptiExecute12(int direction, uint32_t transferLength, const uint8_t* cdb) {
    return SptiExecute(12, direction, transferLength, cdb);
}

HANDLE OpenDriveDevice(char driveLetter) {
    return OpenDevicePath(driveLetter, GENERIC_READ | GENERIC_WRITE, 0);
}

int CloseDriveDevice(HANDLE* device) {
    if (*device != nullptr)
        SysCloseDevice(*device);
    *device = nullptr;
    return 1;
}

HANDLE OpenDriveDeviceQuery(char driveLetter) {
    return OpenDevicePath(driveLetter, 0, FILE_ATTRIBUTE_READONLY);
}

BOOL ControlMediaChangeNotification(HANDLE device) {
    PREVENT_MEDIA_REMOVAL control = {};
    control.PreventMediaRemoval = FALSE;
    DWORD bytesReturned = 0;
    return SysDeviceIoControl(device, IOCTL_STORAGE_MCN_CONTROL, &control, sizeof control, nullptr,
                              0, &bytesReturned, nullptr);
}
