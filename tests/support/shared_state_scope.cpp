#include "tests/support/shared_state_scope.h"

#include <cstring>

#include "drive/aspi_transport.h"
#include "drive/pass_through.h"
#include "drive/shared_state.h"

namespace {

template <class T> void Clear(T& variable) {
    std::memset(&variable, 0, sizeof variable);
}

void ResetEveryGlobal() {
    CloseDriveDevice(&g_hDrive);
    FreeTransferBuffers();
    g_nTransport = TRANSPORT_NONE;
    Clear(g_DriveTable);
    g_nSelectedDrive = 0;
    g_nDriveCount = 0;
    g_ScanHa = g_ScanTarget = g_ScanLun = 0;
    g_nOperation = 0;
    g_nOpOffset = g_nOpLength = g_nOpDirection = 0;
    g_OpBufferId = g_OpMode = 0;
    Clear(g_OpCdb);
    g_nCmdStatus = 0;
    g_bDiscPresent = 0;
    Clear(g_InquiryData);
    Clear(g_szMainImagePath);
    Clear(g_szSubImagePath);
    Clear(g_UnlockCode);
    g_pUpdaterDlg = g_pAutoDlg = nullptr;
    g_pIndicator = g_pAutoIndicator = nullptr;
    Clear(g_Sptd);
    Clear(g_Srb);
}

} // namespace

SharedStateScope::SharedStateScope(TransferBuffers buffers) {
    ResetEveryGlobal();
    if (buffers == TransferBuffers::Allocated) {
        AllocTransferBuffers();
        ResetSharedState();
    }
}

SharedStateScope::~SharedStateScope() {
    ResetEveryGlobal();
}
