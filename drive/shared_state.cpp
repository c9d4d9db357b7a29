#include "shared_state.h"

#include <cstring>

uint8_t* g_pWriteBuffer = nullptr;
HGLOBAL g_hWriteBufferMem = nullptr;
uint8_t* g_pReadBuffer = nullptr;
HGLOBAL g_hReadBufferMem = nullptr;

int g_nTransport = TRANSPORT_NONE;
HANDLE g_hDrive = nullptr;
DriveAddress g_DriveTable[DRIVE_TABLE_CAPACITY] = {};
int g_nSelectedDrive = 0;
int g_nDriveCount = 0;
uint8_t g_ScanHa = 0;
uint8_t g_ScanTarget = 0;
uint8_t g_ScanLun = 0;

int g_nOperation = 0;
int g_nOpOffset = 0;
int g_nOpLength = 0;
uint8_t g_OpBufferId = 0;
uint8_t g_OpMode = 0;
uint8_t g_OpCdb[CDB_SIZE] = {};
int g_nOpDirection = 0;

int g_nCmdStatus = 0;
int g_bDiscPresent = 0;
uint8_t g_InquiryData[INQUIRY_DATA_SIZE] = {};

char g_szMainImagePath[IMAGE_PATH_SIZE] = {};
char g_szSubImagePath[IMAGE_PATH_SIZE] = {};
uint8_t g_UnlockCode[UNLOCK_CODE_SIZE] = {};

CWnd* g_pUpdaterDlg = nullptr;
CWnd* g_pAutoDlg = nullptr;
CWnd* g_pIndicator = nullptr;
CWnd* g_pAutoIndicator = nullptr;

namespace {

// The drive's unlock code: the bytes 8B 99 C9 91, in that order, after the unlock string. Held as
// one 32-bit value stored in the processor's (little-endian) order.
constexpr uint32_t UNLOCK_CODE_VALUE = 0x91C9998B;

void FreeBuffer(HGLOBAL& memory, uint8_t*& buffer) {
    if (memory != nullptr)
        GlobalFree(memory);
    memory = nullptr;
    buffer = nullptr;
}

void AllocBuffer(HGLOBAL& memory, uint8_t*& buffer) {
    memory = GlobalAlloc(GMEM_FIXED, TRANSFER_BUFFER_SIZE);
    buffer = memory != nullptr ? static_cast<uint8_t*>(GlobalLock(memory)) : nullptr;
}

} // namespace

void AllocTransferBuffers() {
    AllocBuffer(g_hWriteBufferMem, g_pWriteBuffer);
    AllocBuffer(g_hReadBufferMem, g_pReadBuffer);
    if (g_pWriteBuffer == nullptr || g_pReadBuffer == nullptr)
        FreeTransferBuffers();
}

void ResetSharedState() {
    g_ScanHa = 0;
    g_ScanTarget = 0;
    g_ScanLun = 0;
    std::memcpy(g_UnlockCode, &UNLOCK_CODE_VALUE, sizeof g_UnlockCode);
}

void FreeTransferBuffers() {
    FreeBuffer(g_hWriteBufferMem, g_pWriteBuffer);
    FreeBuffer(g_hReadBufferMem, g_pReadBuffer);
}
