#pragma once
// The progress dialog (template 129) shown while the main image goes to the drive: it counts down
// the 25 seconds the update is announced to take and moves its bar once a second, driven by time
// alone. The user cannot close it; its owner closes it when the update has ended.

#include <windows.h>

#include "framework/cdialog.h"
#include "framework/controls.h"

class CDlgIndicater : public CDialog {
    DECLARE_DYNAMIC(CDlgIndicater)
public:
    static constexpr int COUNTDOWN_SECONDS = 25;

    explicit CDlgIndicater(CWnd* parent = nullptr);
    // Clears the owners' pointers (g_pIndicator, g_pAutoIndicator) that name this dialog.
    ~CDlgIndicater() override;

    CProgressCtrl m_ctlProgress;
    int m_nSecondsLeft;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL PreTranslateMessage(MSG* msg) override;
    BOOL OnInitDialog() override;
    // The owner's posted close: the dialog goes for good, window and object, so that a closed
    // progress dialog is never shown again and a later update makes a new one.
    void OnCancel() override;
    void PostNcDestroy() override;
    void OnTimer(UINT_PTR nIDEvent);

    DECLARE_MESSAGE_MAP()
};

// The owners' side. Opens a new progress dialog, shown, without owner window; it must be closed
// with CloseProgressDialog, which deletes it once its window has gone.
CDlgIndicater* OpenProgressDialog();
// Asks the progress dialog to close (a posted system close); nothing when there is none.
void CloseProgressDialog(CWnd* progress);
