#include "updater_dlg.h"

#include <cstring>

#include "discovery/drive_scan.h"
#include "drive/shared_state.h"
#include "framework/cwinapp.h"
#include "ui/res/resource.h"
#include "update/notify.h"
#include "update/worker_launch.h"
#include "update/worker_operation.h"

namespace {

constexpr char NO_REVISION[] = "0000"; // a drive without firmware revision gets no disc check
constexpr int INQUIRY_REVISION_OFFSET = 32;
constexpr int INQUIRY_NAME_OFFSET = 8;
constexpr int DRIVE_NAME_LENGTH = 16;

template <size_t N> void CopyField(char (&field)[N], const uint8_t* from) {
    std::memcpy(field, from, N - 1);
    field[N - 1] = '\0';
}

} // namespace

BEGIN_MESSAGE_MAP(CUpdaterDlg, CDialog)
ON_MESSAGE(WM_UPDATER_NOTIFY, &CUpdaterDlg::OnUpdaterNotify)
END_MESSAGE_MAP()

CUpdaterDlg::CUpdaterDlg(CWnd* parent)
    : CDialog(IDD_UPDATER, parent),
      m_hIcon(::LoadIconA(AfxGetResourceHandle(), MAKEINTRESOURCEA(IDI_APP_ICON))),
      m_szMainImagePath(), m_szSubImagePath(), m_szImageVersion(), m_szDriveVersion(),
      m_szDriveName(), m_szDriveDate(), m_szImageDate(), m_bScreenSaverActive(FALSE),
      m_bUpdateDone(FALSE) {
    g_pUpdaterDlg = this;
}

void CUpdaterDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_DRIVE_LIST, m_cbDrive);
}

int CUpdaterDlg::StartWorker(int wait) {
    return StartWorkerThread(UpdaterWorker, wait);
}

int CUpdaterDlg::StartWorkerOnDrive(uint8_t letter, int wait) {
    return StartWorkerThreadOnDrive(UpdaterWorker, letter, wait);
}

int CUpdaterDlg::StartWorkerOnSelectedDrive(int wait) {
    const DriveAddress* drive = SelectedDriveEntry();
    if (drive == nullptr)
        return 0;
    if (g_nTransport == TRANSPORT_PASS_THROUGH)
        return StartWorkerOnDrive(drive->DriveLetter, wait);
    return StartWorker(wait);
}

int CUpdaterDlg::ScanAspiDrives() {
    return ScanAspiAdapters(UpdaterWorker, &m_cbDrive);
}

int CUpdaterDlg::ScanLetterDrives() {
    return ScanDriveLetters(UpdaterWorker, &m_cbDrive);
}

void CUpdaterDlg::ShowMessage(UINT textId, const char* detail, UINT type) {
    CString text;
    text.LoadString(textId);
    text += detail;
    CString caption;
    caption.LoadString(IDS_APP_CAPTION);
    MessageBox(text, caption, type);
}

int CUpdaterDlg::RequestDriveInfo() {
    if (LocateMainImage(m_szMainImagePath) == 0) {
        ShowMessage(IDS_FIRMWARE_FILE_NOT_FOUND, (CString("\r\n") + m_szMainImagePath),
                    MB_OK | MB_ICONINFORMATION);
        return 0;
    }
    std::memcpy(m_szSubImagePath, m_szMainImagePath, sizeof m_szSubImagePath);
    DeriveSubImagePath(m_szSubImagePath);
    g_nOperation = OP_READ_DRIVE_INFO;
    return StartWorkerOnSelectedDrive(0) != 0 ? 1 : 0;
}

bool CUpdaterDlg::IsDiscInDrive() {
    g_nOperation = OP_CHECK_DISC;
    // A check that could not run, or did not end in time, has not shown that the drive is empty.
    if (StartWorkerOnSelectedDrive(1) == 0 || !LastWorkerHasEnded())
        return true;
    return g_bDiscPresent == 1;
}

void CUpdaterDlg::ShowVersions(const char* drive, const char* image, const char* name) {
    SetDlgItemText(IDC_CURRENT_VERSION, drive);
    SetDlgItemText(IDC_IMAGE_VERSION, image);
    SetDlgItemText(IDC_DRIVE_NAME, name);
}

void CUpdaterDlg::CheckFirmwareVersion() {
    CopyField(m_szDriveVersion, g_InquiryData + INQUIRY_REVISION_OFFSET);
    CopyField(m_szDriveName, g_InquiryData + INQUIRY_NAME_OFFSET);
    char imageDate[DATE_TEXT_LENGTH + 1];
    if (!ReadImageVersion(m_szMainImagePath, m_szImageVersion, imageDate)) {
        // Nothing to compare with: the texts of an earlier check would be stale.
        m_szDriveVersion[0] = m_szDriveName[0] = m_szDriveDate[0] = m_szImageDate[0] = '\0';
        ShowVersions("", "", "");
        ShowMessage(IDS_FIRMWARE_FILE_NOT_FOUND, (CString("\r\n") + m_szMainImagePath),
                    MB_OK | MB_ICONINFORMATION);
        return;
    }
    DateDigitsOfInquiry(g_InquiryData, m_szDriveDate);
    DateDigitsOfText(imageDate, m_szImageDate);
    if (!IsUpdateNeeded(m_szDriveVersion, m_szDriveDate, m_szImageVersion, m_szImageDate)) {
        ShowMessage(IDS_UPDATE_UNNECESSARY, "", MB_OK | MB_ICONWARNING);
        PostMessage(WM_SYSCOMMAND, SC_CLOSE);
        return;
    }
    if (std::strcmp(m_szDriveVersion, NO_REVISION) != 0 && IsDiscInDrive())
        ShowMessage(IDS_DISC_IN_DRIVE_EJECT, "", MB_OKCANCEL | MB_ICONWARNING);
    ShowVersions(m_szDriveVersion, m_szImageVersion, m_szDriveName);
}

LRESULT CUpdaterDlg::OnUpdaterNotify(WPARAM wParam, LPARAM lParam) {
    CloseDeviceOnFinalMessage(lParam);
    if (wParam == NOTIFY_DRIVE_INFO)
        CheckFirmwareVersion();
    return 0;
}
