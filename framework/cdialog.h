#pragma once
// A dialog from a template number of the program's resources, modal (DoModal) or modeless
// (Create). The dialog manager's keys reach OnOK and OnCancel: Enter, Escape, and the standard
// close handling of a posted WM_SYSCOMMAND/SC_CLOSE. A modal dialog ends there; a modeless one
// is hidden.

#include <windows.h>

#include "framework/cwnd.h"
#include "framework/ddx.h"

class CDialog : public CWnd {
    DECLARE_DYNAMIC(CDialog)
public:
    explicit CDialog(UINT templateId = 0, CWnd* parent = nullptr);

    // Creates the dialog with its owner disabled and runs its modal loop until EndDialog; returns
    // the result given to EndDialog, or -1 when the dialog could not be created or the loop met
    // WM_QUIT (which it posts again).
    virtual INT_PTR DoModal();
    // Creates the dialog modeless; OnInitDialog has run when this returns.
    virtual BOOL Create(UINT templateId, CWnd* parent = nullptr);
    void EndDialog(int result);

    virtual BOOL OnInitDialog();
    virtual void OnOK();
    virtual void OnCancel();
    BOOL PreTranslateMessage(MSG* msg) override;
    // Runs DoDataExchange; save FALSE fills the controls, TRUE reads them.
    BOOL UpdateData(BOOL save = TRUE);

protected:
    virtual void DoDataExchange(CDataExchange* pDX);
    LRESULT HandleInitDialog(WPARAM wParam, LPARAM lParam);

    UINT m_nIDTemplate;
    CWnd* m_pParentWnd;

private:
    HWND CreateFromTemplate(HWND owner);
    HWND ModalOwner() const;

    bool m_bModal = false;
    bool m_bContinueModal = false;
    INT_PTR m_nModalResult = -1;

    DECLARE_MESSAGE_MAP()
};
