#pragma once
// The automatic-mode dialog (template 130): a window that is never shown, the target of the
// worker's WM_UPDATER_NOTIFY and the owner of this mode's message boxes. Constructing it creates
// the window, and its initialisation runs the whole unattended start: every ending posts the quit
// message with the run's exit code, 0 only after a successful update.

#include <windows.h>

#include <cstdint>

#include "framework/cdialog.h"
#include "update/image_files.h"

constexpr int AUTO_EXIT_SUCCESS = 0;
constexpr int AUTO_EXIT_FAILURE = 1;

class CAutoDlg : public CDialog {
    DECLARE_DYNAMIC(CAutoDlg)
public:
    explicit CAutoDlg(CWnd* parent = nullptr);
    // Waits for a worker still running, frees the transfer buffers and switches the screen saver
    // back on if this dialog switched it off.
    ~CAutoDlg() override;

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
    BOOL PreTranslateMessage(MSG* msg) override;
    BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    BOOL OnInitDialog() override;
    LRESULT OnUpdaterNotify(WPARAM wParam, LPARAM lParam);
    BOOL OnQueryEndSession();

private:
    // The steps of the start after the screen saver; each false ending has posted the quit.
    bool FindTheOneDrive();
    bool OpenTheDrive();
    bool ImageIsNewer();
    void StartUpdate();
    // Shows a text (when textId is not 0), closes the hidden dialog and posts the quit message.
    void EndRun(int exitCode, UINT textId = 0, UINT icon = 0, const char* detail = "");

    DECLARE_MESSAGE_MAP()
};
