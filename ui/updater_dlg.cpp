#include "updater_dlg.h"

#include <cstring>

#include "discovery/drive_scan.h"
#include "drive/aspi_transport.h"
#include "drive/pass_through.h"
#include "drive/shared_state.h"
#include "framework/cwinapp.h"
#include "framework/paint_dc.h"
#include "ui/about_dlg.h"
#include "ui/dialog_texts.h"
#include "ui/progress_dlg.h"
#include "ui/res/resource.h"
#include "ui/restart.h"
#include "ui/session_guard.h"
#include "ui/start_steps.h"
#include "update/notify.h"
#include "update/worker_launch.h"
#include "update/worker_operation.h"

namespace {

constexpr char NO_REVISION[] = "0000"; // a drive without firmware revision gets no disc check
constexpr int INQUIRY_REVISION_OFFSET = 32;
constexpr int INQUIRY_NAME_OFFSET = 8;
constexpr UINT SYSTEM_COMMAND_MASK = 0xFFF0;

template <size_t N> void CopyField(char (&field)[N], const uint8_t* from) {
    std::memcpy(field, from, N - 1);
    field[N - 1] = '\0';
}

// The shared paths hold IMAGE_PATH_SIZE characters with their terminator.
bool FitsSharedPath(const char* path) {
    return std::strlen(path) < static_cast<size_t>(IMAGE_PATH_SIZE);
}

} // namespace

BEGIN_MESSAGE_MAP(CUpdaterDlg, CDialog)
ON_WM_SYSCOMMAND()
ON_WM_PAINT()
ON_WM_QUERYDRAGICON()
ON_MESSAGE(WM_UPDATER_NOTIFY, &CUpdaterDlg::OnUpdaterNotify)
ON_CBN_SELCHANGE(IDC_DRIVE_LIST, &CUpdaterDlg::OnCbnSelchangeDrive)
ON_BN_CLICKED(IDC_UPDATE, &CUpdaterDlg::OnBnClickedUpdate)
ON_WM_QUERYENDSESSION()
END_MESSAGE_MAP()

CUpdaterDlg::CUpdaterDlg(CWnd* parent)
    : CDialog(IDD_UPDATER, parent),
      m_hIcon(::LoadIconA(AfxGetResourceHandle(), MAKEINTRESOURCEA(IDI_APP_ICON))),
      m_szMainImagePath(), m_szSubImagePath(), m_szImageVersion(), m_szDriveVersion(),
      m_szDriveName(), m_szDriveDate(), m_szImageDate(), m_bScreenSaverActive(FALSE),
      m_bUpdateDone(FALSE) {
    g_pUpdaterDlg = this;
}

CUpdaterDlg::~CUpdaterDlg() {
    // A drive-information read may still be running; it must not find its buffers gone.
    WaitForLastWorker();
    FreeTransferBuffers();
    RestoreScreenSaver(m_bScreenSaverActive);
}

void CUpdaterDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_DRIVE_LIST, m_cbDrive);
}

BOOL CUpdaterDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    CString aboutItem;
    aboutItem.LoadString(IDS_ABOUT_MENU_ITEM);
    CMenu* systemMenu = GetSystemMenu(FALSE);
    if (systemMenu != nullptr && !aboutItem.IsEmpty()) {
        systemMenu->AppendMenu(MF_SEPARATOR);
        systemMenu->AppendMenu(MF_STRING, IDM_ABOUTBOX, aboutItem);
    }
    SetIcon(m_hIcon, TRUE);
    SetIcon(m_hIcon, FALSE);

    if (ShowText(*this, IDS_NOTICE_OF_USE, MB_YESNO | MB_ICONINFORMATION) != IDYES ||
        !ClaimUpdaterMutex()) {
        CloseDialog();
        return TRUE;
    }
    SwitchScreenSaverOff(*this, m_bScreenSaverActive);
    AllocTransferBuffers();
    ResetSharedState();
    SelectTransport();
    if (ScanWithOneRetry([this] { return ScanForDrives(); }) == 0) {
        ShowText(*this, IDS_DRIVE_NOT_FOUND, MB_ICONWARNING);
        CloseDialog();
        return TRUE;
    }
    m_cbDrive.SetCurSel(0);
    if (RequestDriveInfo() == 0)
        CloseDialog();
    return TRUE;
}

void CUpdaterDlg::CloseDialog() {
    PostMessage(WM_SYSCOMMAND, SC_CLOSE);
}

int CUpdaterDlg::ScanForDrives() {
    return g_nTransport == TRANSPORT_ASPI ? ScanAspiDrives() : ScanLetterDrives();
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

int CUpdaterDlg::RequestDriveInfo() {
    if (LocateMainImage(m_szMainImagePath) == 0) {
        ShowText(*this, IDS_FIRMWARE_FILE_NOT_FOUND, MB_OK | MB_ICONINFORMATION,
                 CString("\r\n") + m_szMainImagePath);
        return 0;
    }
    std::memcpy(m_szSubImagePath, m_szMainImagePath, sizeof m_szSubImagePath);
    DeriveSubImagePath(m_szSubImagePath);
    g_nOperation = OP_READ_DRIVE_INFO;
    if (StartWorkerOnSelectedDrive(0) == 0)
        return 0;
    m_bDriveInfoRunning = true;
    return 1;
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
        ShowText(*this, IDS_FIRMWARE_FILE_NOT_FOUND, MB_OK | MB_ICONINFORMATION,
                 CString("\r\n") + m_szMainImagePath);
        return;
    }
    DateDigitsOfInquiry(g_InquiryData, m_szDriveDate);
    DateDigitsOfText(imageDate, m_szImageDate);
    if (!IsUpdateNeeded(m_szDriveVersion, m_szDriveDate, m_szImageVersion, m_szImageDate)) {
        ShowText(*this, IDS_UPDATE_UNNECESSARY, MB_OK | MB_ICONWARNING);
        CloseDialog();
        return;
    }
    if (std::strcmp(m_szDriveVersion, NO_REVISION) != 0 && IsDiscInDrive())
        ShowText(*this, IDS_DISC_IN_DRIVE_EJECT, MB_OKCANCEL | MB_ICONWARNING);
    ShowVersions(m_szDriveVersion, m_szImageVersion, m_szDriveName);
}

// One read at a time: a selection made meanwhile is read once the running read has reported, and
// a result that belongs to an earlier selection is not shown.
void CUpdaterDlg::OnCbnSelchangeDrive() {
    const int selection = m_cbDrive.GetCurSel();
    if (m_bDriveInfoRunning) {
        m_nPendingSelection = selection;
        return;
    }
    g_nSelectedDrive = selection;
    RequestDriveInfo();
}

void CUpdaterDlg::OnDriveInfo() {
    m_bDriveInfoRunning = false;
    // During an update the drive is the update's: no version check, no disc check.
    if (m_bUpdateRunning)
        return;
    if (m_nPendingSelection >= 0 && m_nPendingSelection != g_nSelectedDrive) {
        g_nSelectedDrive = m_nPendingSelection;
        m_nPendingSelection = -1;
        RequestDriveInfo();
        return;
    }
    m_nPendingSelection = -1;
    CheckFirmwareVersion();
}

void CUpdaterDlg::EnableSystemClose(bool enable) {
    CMenu* systemMenu = GetSystemMenu(FALSE);
    if (systemMenu != nullptr)
        systemMenu->EnableMenuItem(SC_CLOSE,
                                   MF_BYCOMMAND | (enable ? MF_ENABLED : MF_DISABLED | MF_GRAYED));
}

void CUpdaterDlg::OnBnClickedUpdate() {
    if (!FitsSharedPath(m_szMainImagePath) || !FitsSharedPath(m_szSubImagePath)) {
        ShowText(*this, IDS_FILE_OPEN_ERROR, MB_OK | MB_ICONWARNING, m_szMainImagePath);
        return;
    }
    EnableSystemClose(false);
    GetDlgItem(IDC_UPDATE)->EnableWindow(FALSE);
    GetDlgItem(IDCANCEL)->EnableWindow(FALSE);
    m_cbDrive.EnableWindow(FALSE);
    std::memcpy(g_szSubImagePath, m_szSubImagePath, IMAGE_PATH_SIZE);
    std::memcpy(g_szMainImagePath, m_szMainImagePath, IMAGE_PATH_SIZE);
    g_nOperation = OP_UPDATE;
    m_bUpdateRunning = true;
    // No worker runs, so no final message will come to end the update.
    if (StartWorkerOnSelectedDrive(0) == 0)
        RecoverFromFailedUpdate();
}

void CUpdaterDlg::RecoverFromFailedUpdate() {
    m_bUpdateRunning = false;
    EnableSystemClose(true);
    GetDlgItem(IDC_UPDATE)->EnableWindow(TRUE);
    GetDlgItem(IDCANCEL)->EnableWindow(TRUE);
    m_cbDrive.EnableWindow(TRUE);
    CloseProgressDialog(g_pIndicator);
    ShowText(*this, IDS_UPDATE_FAILED, MB_OK | MB_ICONINFORMATION);
}

void CUpdaterDlg::FinishSuccessfulUpdate() {
    m_bUpdateRunning = false;
    m_bUpdateDone = TRUE;
    ScanForDrives();
    m_cbDrive.SetCurSel(g_nSelectedDrive);
    CloseProgressDialog(g_pIndicator);
    if (g_nTransport != TRANSPORT_ASPI)
        ShowText(*this, IDS_UPDATE_DONE_RESTART, MB_OK | MB_SYSTEMMODAL | MB_ICONINFORMATION);
    // A restart that Windows refused leaves the user a way out, to restart by hand.
    if (!RequestRestart()) {
        GetDlgItem(IDCANCEL)->EnableWindow(TRUE);
        EnableSystemClose(true);
    }
}

LRESULT CUpdaterDlg::OnUpdaterNotify(WPARAM wParam, LPARAM lParam) {
    CloseDeviceOnFinalMessage(lParam);
    switch (wParam) {
    case NOTIFY_UPDATE_OK:
        FinishSuccessfulUpdate();
        break;
    case NOTIFY_UPDATE_FAILED:
        RecoverFromFailedUpdate();
        break;
    case NOTIFY_DRIVE_INFO:
        OnDriveInfo();
        break;
    case NOTIFY_OPEN_PROGRESS:
        CloseProgressDialog(g_pIndicator);
        g_pIndicator = OpenProgressDialog();
        break;
    default:
        break;
    }
    return 0;
}

void CUpdaterDlg::OnOK() {
    if (!m_bUpdateRunning)
        CDialog::OnOK();
}

void CUpdaterDlg::OnCancel() {
    if (!m_bUpdateRunning)
        CDialog::OnCancel();
}

void CUpdaterDlg::OnSysCommand(UINT nID, LPARAM lParam) {
    const UINT command = nID & SYSTEM_COMMAND_MASK;
    if (command == IDM_ABOUTBOX) {
        CAboutDlg about;
        about.DoModal();
        return;
    }
    if (command == SC_CLOSE && m_bUpdateRunning)
        return;
    CDialog::OnSysCommand(nID, lParam);
}

BOOL CUpdaterDlg::PreTranslateMessage(MSG* msg) {
    // Escape never reaches the dialog manager, which would take it for Cancel.
    if (msg->message == WM_KEYDOWN && msg->wParam == VK_ESCAPE)
        return FALSE;
    return CDialog::PreTranslateMessage(msg);
}

BOOL CUpdaterDlg::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    if (RefuseSuspend(message, wParam, result))
        return TRUE;
    return CDialog::OnWndMsg(message, wParam, lParam, result);
}

BOOL CUpdaterDlg::OnQueryEndSession() {
    return AllowSessionEnd(*this, CDialog::OnQueryEndSession(), m_bUpdateDone);
}

void CUpdaterDlg::OnPaint() {
    if (!IsIconic()) {
        CDialog::OnPaint();
        return;
    }
    CPaintDC dc(this);
    SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc.GetSafeHdc()), 0);
    const int iconWidth = GetSystemMetrics(SM_CXICON);
    const int iconHeight = GetSystemMetrics(SM_CYICON);
    RECT client;
    GetClientRect(&client);
    const int x = (client.right - client.left - iconWidth + 1) / 2;
    const int y = (client.bottom - client.top - iconHeight + 1) / 2;
    dc.DrawIcon(x, y, m_hIcon);
}

HCURSOR CUpdaterDlg::OnQueryDragIcon() {
    return static_cast<HCURSOR>(m_hIcon);
}
