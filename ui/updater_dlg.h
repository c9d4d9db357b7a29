#pragma once
// The interactive updater dialog (template 102). It never talks to the drive itself: it stores an
// operation in the shared state, starts a worker on UpdaterWorker and reacts to the worker's
// WM_UPDATER_NOTIFY. Its initialisation does the whole start of the interactive mode.

#include <windows.h>

#include <cstdint>

#include "framework/cdialog.h"
#include "framework/controls.h"
#include "update/image_files.h"

class CUpdaterDlg : public CDialog {
public:
    explicit CUpdaterDlg(CWnd* parent = nullptr);
    // Waits for a worker still running, frees the transfer buffers and switches the screen saver
    // back on if this dialog switched it off.
    ~CUpdaterDlg() override;

    // Worker starters (see update/worker_launch.h): 1 when the worker was started;
    // StartWorkerOnDrive gives 0, starting nothing, when no device is open and the letter's
    // device cannot be opened.
    int StartWorker(int wait);
    int StartWorkerOnDrive(uint8_t letter, int wait);

    // Discovery: fills g_DriveTable and the drive list; the count of drives entered.
    int ScanAspiDrives();
    int ScanLetterDrives();

    // Locates the image files and starts OP_READ_DRIVE_INFO without waiting: 1 when started, 0
    // when the main image is missing (after telling the user) or the drive cannot be reached.
    int RequestDriveInfo();
    // On NOTIFY_DRIVE_INFO: compares the drive's firmware with the image's and shows both.
    void CheckFirmwareVersion();
    // Runs OP_CHECK_DISC and waits: true unless the check showed that no disc is in the drive.
    bool IsDiscInDrive();

    HICON m_hIcon;
    CComboBox m_cbDrive;
    char m_szMainImagePath[IMAGE_PATH_BUFFER_SIZE];
    char m_szSubImagePath[IMAGE_PATH_BUFFER_SIZE];
    char m_szImageVersion[VERSION_LENGTH + 1];
    char m_szDriveVersion[VERSION_LENGTH + 1];
    char m_szDriveName[16 + 1];
    char m_szDriveDate[DATE_DIGITS_LENGTH + 1];
    char m_szImageDate[DATE_DIGITS_LENGTH + 1];
    BOOL m_bScreenSaverActive;
    BOOL m_bUpdateDone;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL PreTranslateMessage(MSG* msg) override;
    BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    BOOL OnInitDialog() override;
    // Refused while an update runs: nothing ends the dialog then.
    void OnOK() override;
    void OnCancel() override;

    void OnSysCommand(UINT nID, LPARAM lParam);
    void OnPaint();
    HCURSOR OnQueryDragIcon();
    LRESULT OnUpdaterNotify(WPARAM wParam, LPARAM lParam);
    void OnCbnSelchangeDrive();
    void OnBnClickedUpdate();
    BOOL OnQueryEndSession();

private:
    // Starts the worker on the drive that g_nSelectedDrive names; 0, with no command sent, when
    // that is not one of the drives found, its device cannot be opened or no thread was created.
    int StartWorkerOnSelectedDrive(int wait);
    int ScanForDrives();
    void ShowVersions(const char* drive, const char* image, const char* name);
    void CloseDialog();
    void EnableSystemClose(bool enable);
    // The controls as they are once an update has failed: usable again, in the order system
    // close, "update", "close", drive list; the progress dialog closed; text 116.
    void RecoverFromFailedUpdate();
    void FinishSuccessfulUpdate();
    void OnDriveInfo();

    // From "update" until that update's final message.
    bool m_bUpdateRunning = false;
    // A drive-information read has been started and its result has not come yet.
    bool m_bDriveInfoRunning = false;
    // The latest selection made while a drive-information read ran; -1 when none.
    int m_nPendingSelection = -1;

    DECLARE_MESSAGE_MAP()
};
