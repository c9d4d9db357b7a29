#include "aspi_transport.h"

#include <cstring>

#include "diag/diag_log.h"
#include "framework/scoped_handle.h"
#include "shared_state.h"
#include "ui/res/resource.h"

HMODULE g_hAspiLib = nullptr;
GetASPI32SupportInfoProc g_pfnGetASPI32SupportInfo = nullptr;
SendASPI32CommandProc g_pfnSendASPI32Command = nullptr;
SRB_ExecSCSICmd g_Srb;

namespace {

constexpr DWORD OSVERSIONINFOA_SIZE = 148;

struct ScsiAddress {
    uint8_t haId;
    uint8_t target;
    uint8_t lun;
};

ScsiAddress SelectedDriveAddress() {
    const DriveAddress& entry = g_DriveTable[g_nSelectedDrive];
    return {entry.HaId, entry.TargetId, entry.Lun};
}

ScsiAddress ScanAddress() {
    return {g_ScanHa, g_ScanTarget, g_ScanLun};
}

// The ordinary entries leave the direction to the command when it is neither in nor out; the
// scan entries know only in and out.
uint8_t DirectionFlags(int direction, bool scan) {
    if (direction == DIR_IN)
        return SRB_DIR_IN | SRB_EVENT_NOTIFY;
    if (direction == DIR_OUT || scan)
        return SRB_DIR_OUT | SRB_EVENT_NOTIFY;
    return SRB_EVENT_NOTIFY;
}

uint8_t* DataBufferFor(uint8_t flags) {
    if (flags & SRB_DIR_IN)
        return g_pReadBuffer;
    if (flags & SRB_DIR_OUT)
        return g_pWriteBuffer;
    return nullptr;
}

// Fills the fields a command sets; everything else keeps what the layer or an earlier command
// left there.
void FillRequest(ScsiAddress address, uint8_t flags, uint32_t transferLength, uint8_t cdbLength,
                 const uint8_t* cdb, HANDLE completion) {
    g_Srb.SRB_Cmd = SC_EXEC_SCSI_CMD;
    g_Srb.SRB_HaId = address.haId;
    g_Srb.SRB_Target = address.target;
    g_Srb.SRB_Lun = address.lun;
    g_Srb.SRB_PostProc = completion;
    g_Srb.SRB_Flags = flags;
    g_Srb.SRB_BufPointer = DataBufferFor(flags);
    g_Srb.SRB_BufLen = transferLength;
    g_Srb.SRB_SenseLen = ASPI_SENSE_LENGTH;
    g_Srb.SRB_CDBLen = cdbLength;
    std::memcpy(g_Srb.CDBByte, cdb, CDB_SIZE);
}

// Sends the filled request and returns its completion status. The layer signals the event only
// for a request it has accepted as pending; one it refuses at once carries its status in the
// return value, and waiting for it would never end.
uint8_t SendAndWait(HANDLE completion) {
    DWORD accepted = g_pfnSendASPI32Command(&g_Srb);
    if (static_cast<uint8_t>(accepted) != SS_PENDING)
        return static_cast<uint8_t>(accepted);
    WaitForSingleObject(completion, INFINITE);
    return g_Srb.SRB_Status;
}

int AspiExecute(ScsiAddress address, bool scan, uint8_t cdbLength, int direction,
                uint32_t transferLength, const uint8_t* cdb) {
    uint8_t flags = DirectionFlags(direction, scan);
    // A request without a direction names no buffer: the layer would move its data through 0.
    bool bufferMissing = transferLength > 0 && DataBufferFor(flags) == nullptr;
    ScopedHandle completion(CreateEventA(nullptr, FALSE, FALSE, nullptr));
    FillRequest(address, flags, transferLength, cdbLength, cdb, completion.Get());
    g_nCmdStatus = SS_ERR;
    if (completion.IsValid() && g_pfnSendASPI32Command != nullptr && !bufferMissing)
        g_nCmdStatus = SendAndWait(completion.Get());
    return g_nCmdStatus == SS_COMP ? 1 : 0;
}

void LoadAspiLibrary() {
    g_hAspiLib = LoadLibraryA("wnaspi32");
    if (g_hAspiLib == nullptr)
        DiagLogPushString(IDS_ASPI_LOAD_FAILED);
    // Looked up even without a library, so that each missing piece is queued.
    g_pfnGetASPI32SupportInfo = reinterpret_cast<GetASPI32SupportInfoProc>(
        reinterpret_cast<void*>(GetProcAddress(g_hAspiLib, "GetASPI32SupportInfo")));
    if (g_pfnGetASPI32SupportInfo == nullptr)
        DiagLogPushString(IDS_ASPI_SUPPORT_INFO_MISSING);
    g_pfnSendASPI32Command = reinterpret_cast<SendASPI32CommandProc>(
        reinterpret_cast<void*>(GetProcAddress(g_hAspiLib, "SendASPI32Command")));
    if (g_pfnSendASPI32Command == nullptr)
        DiagLogPushString(IDS_ASPI_SEND_COMMAND_MISSING);
}

} // namespace

void SelectTransport() {
    OSVERSIONINFOA version = {};
    version.dwOSVersionInfoSize = OSVERSIONINFOA_SIZE;
    GetVersionExA(&version);
    if (version.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS) {
        LoadAspiLibrary();
        g_nTransport = TRANSPORT_ASPI;
    } else if (version.dwPlatformId == VER_PLATFORM_WIN32_NT) {
        g_nTransport = TRANSPORT_PASS_THROUGH;
    } else {
        DiagLogPushString(IDS_UNKNOWN_OS);
    }
}

int AspiExecute6(int direction, uint32_t transferLength, const uint8_t* cdb) {
    return AspiExecute(SelectedDriveAddress(), false, 6, direction, transferLength, cdb);
}

int AspiExecute10(int direction, uint32_t transferLength, const uint8_t* cdb) {
    return AspiExecute(SelectedDriveAddress(), false, 10, direction, transferLength, cdb);
}

int AspiExecute12(int direction, uint32_t transferLength, const uint8_t* cdb) {
    return AspiExecute(SelectedDriveAddress(), false, 12, direction, transferLength, cdb);
}

int AspiScanExecute6(int direction, uint32_t transferLength, const uint8_t* cdb) {
    return AspiExecute(ScanAddress(), true, 6, direction, transferLength, cdb);
}

int AspiScanExecute12(int direction, uint32_t transferLength, const uint8_t* cdb) {
    return AspiExecute(ScanAddress(), true, 12, direction, transferLength, cdb);
}
