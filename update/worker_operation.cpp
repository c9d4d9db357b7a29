#include "worker_operation.h"

#include <cstring>

#include "disc_check.h"
#include "drive/command_builders.h"
#include "drive/pass_through.h"
#include "drive/shared_state.h"
#include "framework/cwnd.h"
#include "notify.h"
#include "update_sequence.h"
#include "worker_launch.h"

namespace {

constexpr uint32_t REQUEST_SENSE_LENGTH = 22;
constexpr uint32_t INQUIRY_ALLOCATION_MASK = 0xFF;

DWORD Post(CWnd* dialog, WPARAM notification) {
    BOOL posted = dialog->PostMessage(WM_UPDATER_NOTIFY, notification, NOTIFY_FINISHED);
    if (!posted)
        InterlockedDecrement(&g_nFinalMessagesDue);
    return posted;
}

// The refreshed INQUIRY data, copied whether the command succeeded or not: after a failure the
// dialog sees what the read buffer held before.
void ReadDriveInfo() {
    CmdInquiry(INQUIRY_DATA_SIZE);
    if (g_pReadBuffer != nullptr)
        std::memcpy(g_InquiryData, g_pReadBuffer, INQUIRY_DATA_SIZE);
}

// The generic operations take their parameters from the slots of the shared state; their results
// are left in the shared state for whoever asked.
void RunGenericOperation(int operation) {
    switch (operation) {
    case OP_TEST_UNIT_READY:
        CmdTestUnitReady();
        break;
    case OP_REQUEST_SENSE:
        CmdRequestSense(REQUEST_SENSE_LENGTH);
        break;
    case OP_INQUIRY:
        CmdInquiry(static_cast<uint32_t>(g_nOpLength) & INQUIRY_ALLOCATION_MASK);
        break;
    case OP_WRITE_BUFFER:
        CmdWriteBuffer(g_OpBufferId, g_OpMode, g_nOpOffset, g_nOpLength);
        break;
    case OP_READ_BUFFER:
        CmdReadBuffer(g_OpBufferId, g_OpMode, g_nOpOffset, g_nOpLength);
        break;
    case OP_RAW_CDB:
        CmdSendCdb12(g_OpCdb, g_nOpLength, g_nOpDirection);
        break;
    case OP_CHECK_DISC:
        CheckDiscPresence();
        break;
    default: // an unknown code sends nothing and still reports the end
        break;
    }
}

} // namespace

bool PostsFinalMessage(int operation) {
    return operation != OP_IDENTIFY && operation != OP_READ_OEM_ID;
}

DWORD RunWorkerOperation(CWnd* dialog) {
    const int operation = g_nOperation;
    switch (operation) {
    case OP_IDENTIFY:
        return CmdInquiryScan();
    case OP_READ_OEM_ID:
        return CmdReadOemIdScan();
    case OP_READ_DRIVE_INFO:
        ReadDriveInfo();
        return Post(dialog, NOTIFY_DRIVE_INFO);
    case OP_UPDATE:
        return Post(dialog,
                    RunUpdateSequence(dialog) != 0 ? NOTIFY_UPDATE_OK : NOTIFY_UPDATE_FAILED);
    default:
        RunGenericOperation(operation);
        return Post(dialog, NOTIFY_NONE);
    }
}

void CloseDeviceOnFinalMessage(LPARAM lParam) {
    if (lParam == NOTIFY_FINISHED && FinalMessageLeavesDeviceFree() && g_hDrive != nullptr)
        CloseDriveDevice(&g_hDrive);
}
