#pragma once
// The automatic-mode dialog (template 130): a window that is never shown, the target of the
// worker's WM_UPDATER_NOTIFY and the owner of this mode's message boxes. Constructing it creates
// the window.

#include <windows.h>

#include <cstdint>

#include "framework/cdialog.h"
#include "update/image_files.h"

class CAutoDlg : public CDialog {
    DECLARE_DYNAMIC(CAutoDlg)
public:
    explicit CAutoDlg(CWnd* parent = nullptr);

    // Worker starters on AutoWorker, as CUpdaterDlg's.
    int StartWorker(int wait);
    int StartWorkerOnDrive(uint8_t letter, int wait);

    // Discovery: fills g_DriveTable only; the count of drives entered.
    int ScanAspiDrives();
    int ScanLetterDrives();

    char m_szImageVersion[VERSION_LENGTH + 1];
    char m_szDriveVersion[VERSION_LENGTH + 1];
    char m_szDriveDate[DATE_DIGITS_LENGTH + 1];
    char m_szImageDate[DATE_DIGITS_LENGTH + 1];
    BOOL m_bScreenSaverActive;
    BOOL m_bUpdateDone;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    LRESULT OnUpdaterNotify(WPARAM wParam, LPARAM lParam);

    DECLARE_MESSAGE_MAP()
};
