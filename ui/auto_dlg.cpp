#include "auto_dlg.h"

#include "discovery/drive_scan.h"
#include "drive/shared_state.h"
#include "ui/res/resource.h"
#include "update/notify.h"
#include "update/worker_launch.h"
#include "update/worker_operation.h"

IMPLEMENT_DYNAMIC(CAutoDlg, CDialog)

BEGIN_MESSAGE_MAP(CAutoDlg, CDialog)
ON_MESSAGE(WM_UPDATER_NOTIFY, &CAutoDlg::OnUpdaterNotify)
END_MESSAGE_MAP()

CAutoDlg::CAutoDlg(CWnd* parent)
    : CDialog(IDD_AUTO_MODE, parent), m_szImageVersion(), m_szDriveVersion(), m_szDriveDate(),
      m_szImageDate(), m_bScreenSaverActive(FALSE), m_bUpdateDone(FALSE) {
    g_pAutoDlg = this;
    // The window is the mode's main window from here on; the template keeps it invisible.
    Create(IDD_AUTO_MODE, nullptr);
}

void CAutoDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
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

LRESULT CAutoDlg::OnUpdaterNotify(WPARAM, LPARAM lParam) {
    CloseDeviceOnFinalMessage(lParam);
    return 0;
}
