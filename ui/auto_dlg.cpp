#include "auto_dlg.h"

#include <cstring>

#include "discovery/drive_scan.h"
#include "drive/command_builders.h"
#include "drive/aspi_transport.h"
#include "drive/pass_through.h"
#include "drive/shared_state.h"
#include "ui/dialog_texts.h"
#include "ui/progress_dlg.h"
#include "ui/res/resource.h"
#include "ui/session_guard.h"
#include "ui/start_steps.h"
#include "update/image_file.h"
#include "update/notify.h"
#include "update/worker_launch.h"
#include "update/worker_operation.h"

IMPLEMENT_DYNAMIC(CAutoDlg, CDialog)

BEGIN_MESSAGE_MAP(CAutoDlg, CDialog)
ON_MESSAGE(WM_UPDATER_NOTIFY, &CAutoDlg::OnUpdaterNotify)
ON_WM_QUERYENDSESSION()
END_MESSAGE_MAP()

namespace {

constexpr int INQUIRY_REVISION_OFFSET = 32;

// The first drive found is the one drive: automatic mode never selects another.
const DriveAddress& TheDrive() {
    return g_DriveTable[0];
}

} // namespace

CAutoDlg::CAutoDlg(CWnd* parent)
    : CDialog(IDD_AUTO_MODE, parent), m_szImageVersion(), m_szDriveVersion(), m_szDriveDate(),
      m_szImageDate(), m_bScreenSaverActive(FALSE), m_bUpdateDone(FALSE) {
    g_pAutoDlg = this;
    // The window is the mode's main window from here on; the template keeps it invisible.
    Create(IDD_AUTO_MODE, nullptr);
}

CAutoDlg::~CAutoDlg() {
    // The update's worker may still be running when the run is cut short.
    WaitForLastWorker();
    FreeTransferBuffers();
    RestoreScreenSaver(m_bScreenSaverActive);
}

void CAutoDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
}

BOOL CAutoDlg::PreTranslateMessage(MSG* msg) {
    return CDialog::PreTranslateMessage(msg);
}

int CAutoDlg::StartWorker(int wait) {
    return StartWorkerThread(AutoWorker, wait);
}

int CAutoDlg::StartWorkerOnDrive(uint8_t letter, int wait) {
    return StartWorkerThreadOnDrive(AutoWorker, letter, wait);
}

int CAutoDlg::ScanAspiDrives() {
    return ScanAspiAdapters(AutoWorker, nullptr);
}

int CAutoDlg::ScanLetterDrives() {
    return ScanDriveLetters(AutoWorker, nullptr);
}

void CAutoDlg::EndRun(int exitCode, UINT textId, UINT icon, const char* detail) {
    if (textId != 0)
        ShowText(*this, textId, MB_OK | icon, detail);
    PostMessage(WM_SYSCOMMAND, SC_CLOSE);
    PostQuitMessage(exitCode);
}

BOOL CAutoDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    if (!ClaimUpdaterMutex()) {
        EndRun(AUTO_EXIT_FAILURE);
        return TRUE;
    }
    SwitchScreenSaverOff(*this, m_bScreenSaverActive);
    AllocTransferBuffers();
    ResetSharedState();
    SelectTransport();
    // Automatic mode runs on pass-through only; a platform of neither family is tried as NT.
    if (g_nTransport == TRANSPORT_ASPI) {
        PostQuitMessage(AUTO_EXIT_FAILURE);
        return TRUE;
    }
    if (!FindTheOneDrive() || !OpenTheDrive() || !ImageIsNewer())
        return TRUE;
    StartUpdate();
    return FALSE;
}

bool CAutoDlg::FindTheOneDrive() {
    const int found = ScanWithOneRetry([this] { return ScanLetterDrives(); });
    if (found == 0) {
        EndRun(AUTO_EXIT_FAILURE, IDS_DRIVE_NOT_FOUND, MB_ICONWARNING);
        return false;
    }
    if (found > 1) {
        EndRun(AUTO_EXIT_FAILURE, IDS_MORE_THAN_ONE_DRIVE, MB_ICONWARNING);
        return false;
    }
    return true;
}

bool CAutoDlg::OpenTheDrive() {
    if (g_hDrive == nullptr)
        g_hDrive = OpenDriveDevice(static_cast<char>(TheDrive().DriveLetter));
    if (g_hDrive != nullptr)
        return true;
    PostQuitMessage(AUTO_EXIT_FAILURE);
    return false;
}

// The drive's INQUIRY is read here, on this thread: no worker runs at this point. A failed
// command leaves whatever the read buffer held, as the version check of the interactive mode.
bool CAutoDlg::ImageIsNewer() {
    CmdInquiry(INQUIRY_DATA_SIZE);
    uint8_t inquiry[INQUIRY_DATA_SIZE] = {};
    if (g_pReadBuffer != nullptr)
        std::memcpy(inquiry, g_pReadBuffer, sizeof inquiry);
    std::memcpy(m_szDriveVersion, inquiry + INQUIRY_REVISION_OFFSET, VERSION_LENGTH);
    m_szDriveVersion[VERSION_LENGTH] = '\0';

    char imageDate[DATE_TEXT_LENGTH + 1];
    if (!ReadImageVersion(MAIN_IMAGE_NAME, m_szImageVersion, imageDate)) {
        // Nothing to compare the drive with: never a decision on unset memory.
        char fullPath[MAX_PATH] = {};
        if (GetFullPathNameA(MAIN_IMAGE_NAME, MAX_PATH, fullPath, nullptr) == 0)
            std::strcpy(fullPath, MAIN_IMAGE_NAME);
        EndRun(AUTO_EXIT_FAILURE, IDS_FIRMWARE_FILE_NOT_FOUND, MB_ICONINFORMATION,
               CString("\r\n") + fullPath);
        return false;
    }
    DateDigitsOfInquiry(inquiry, m_szDriveDate);
    DateDigitsOfText(imageDate, m_szImageDate);
    if (!IsUpdateNeeded(m_szDriveVersion, m_szDriveDate, m_szImageVersion, m_szImageDate)) {
        EndRun(AUTO_EXIT_FAILURE, IDS_UPDATE_UNNECESSARY, MB_ICONWARNING);
        return false;
    }
    return true;
}

void CAutoDlg::StartUpdate() {
    std::strcpy(g_szSubImagePath, SUB_IMAGE_NAME);
    std::strcpy(g_szMainImagePath, MAIN_IMAGE_NAME);
    g_nOperation = OP_UPDATE;
    const int started = g_nTransport == TRANSPORT_PASS_THROUGH
                            ? StartWorkerOnDrive(TheDrive().DriveLetter, 0)
                            : StartWorker(0);
    // No worker runs, so no final message will end the run.
    if (started == 0) {
        CloseDriveDevice(&g_hDrive);
        EndRun(AUTO_EXIT_FAILURE, IDS_UPDATE_FAILED, MB_ICONINFORMATION);
    }
}

LRESULT CAutoDlg::OnUpdaterNotify(WPARAM wParam, LPARAM lParam) {
    CloseDeviceOnFinalMessage(lParam);
    switch (wParam) {
    case NOTIFY_UPDATE_OK:
        m_bUpdateDone = TRUE;
        ScanLetterDrives();
        CloseProgressDialog(g_pAutoIndicator);
        PostQuitMessage(AUTO_EXIT_SUCCESS);
        break;
    case NOTIFY_UPDATE_FAILED:
        CloseProgressDialog(g_pAutoIndicator);
        ShowText(*this, IDS_UPDATE_FAILED, MB_OK | MB_ICONINFORMATION);
        PostQuitMessage(AUTO_EXIT_FAILURE);
        break;
    case NOTIFY_OPEN_PROGRESS:
        CloseProgressDialog(g_pAutoIndicator);
        g_pAutoIndicator = OpenProgressDialog();
        break;
    default:
        break;
    }
    return 0;
}

BOOL CAutoDlg::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    if (RefuseSuspend(message, wParam, result))
        return TRUE;
    return CDialog::OnWndMsg(message, wParam, lParam, result);
}

BOOL CAutoDlg::OnQueryEndSession() {
    return AllowSessionEnd(*this, CDialog::OnQueryEndSession(), m_bUpdateDone);
}
