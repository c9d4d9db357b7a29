#include "framework/cdialog.h"

#include "framework/cwinapp.h"

IMPLEMENT_DYNAMIC(CDialog, CWnd)

BEGIN_MESSAGE_MAP(CDialog, CWnd)
ON_MESSAGE(WM_INITDIALOG, &CDialog::HandleInitDialog)
ON_COMMAND(IDOK, &CDialog::OnOK)
ON_COMMAND(IDCANCEL, &CDialog::OnCancel)
END_MESSAGE_MAP()

namespace {

// The dialog manager needs a dialog procedure; everything is handled in the window procedure
// of the dialog's object, so this one leaves every message to the dialog manager.
INT_PTR CALLBACK LeaveToDialogManager(HWND, UINT, WPARAM, LPARAM) {
    return FALSE;
}

} // namespace

void DDX_Control(CDataExchange* pDX, int controlId, CWnd& control) {
    if (control.m_hWnd == nullptr)
        control.SubclassWindow(::GetDlgItem(pDX->m_pDlgWnd->m_hWnd, controlId));
}

CDialog::CDialog(UINT templateId, CWnd* parent) : m_nIDTemplate(templateId), m_pParentWnd(parent) {}

HWND CDialog::CreateFromTemplate(HWND owner) {
    WindowCreationScope creation(this);
    return ::CreateDialogParamA(AfxGetResourceHandle(), MAKEINTRESOURCEA(m_nIDTemplate), owner,
                                &LeaveToDialogManager, 0);
}

BOOL CDialog::Create(UINT templateId, CWnd* parent) {
    m_nIDTemplate = templateId;
    m_pParentWnd = parent;
    m_bModal = false;
    return CreateFromTemplate(parent ? parent->m_hWnd : nullptr) != nullptr;
}

HWND CDialog::ModalOwner() const {
    if (m_pParentWnd != nullptr)
        return m_pParentWnd->m_hWnd;
    CWnd* mainWnd = AfxGetMainWnd();
    if (mainWnd != nullptr && mainWnd != this && ::IsWindow(mainWnd->m_hWnd))
        return mainWnd->m_hWnd;
    return nullptr;
}

INT_PTR CDialog::DoModal() {
    HWND owner = ModalOwner();
    bool ownerDisabled = owner != nullptr && ::IsWindowEnabled(owner);
    if (ownerDisabled)
        ::EnableWindow(owner, FALSE);

    m_bModal = true;
    m_bContinueModal = true;
    m_nModalResult = -1;
    if (CreateFromTemplate(owner) != nullptr) {
        if (m_bContinueModal)
            ShowWindow(SW_SHOWNORMAL);
        while (m_bContinueModal && m_hWnd != nullptr) {
            if (!AfxPumpMessage()) {
                ::PostQuitMessage(static_cast<int>(AfxGetLastPumpedMessage().wParam));
                m_nModalResult = -1;
                break;
            }
        }
    }
    m_bModal = false;

    if (ownerDisabled)
        ::EnableWindow(owner, TRUE);
    if (m_hWnd != nullptr) {
        ::SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0,
                       SWP_HIDEWINDOW | SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE | SWP_NOZORDER);
        DestroyWindow();
    }
    return m_nModalResult;
}

void CDialog::EndDialog(int result) {
    if (m_bModal) {
        m_nModalResult = result;
        m_bContinueModal = false;
    }
    ::EndDialog(m_hWnd, result);
}

LRESULT CDialog::HandleInitDialog(WPARAM, LPARAM) {
    return OnInitDialog();
}

BOOL CDialog::OnInitDialog() {
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::OnOK() {
    UpdateData(TRUE);
    EndDialog(IDOK);
}

void CDialog::OnCancel() {
    EndDialog(IDCANCEL);
}

BOOL CDialog::PreTranslateMessage(MSG* msg) {
    return ::IsDialogMessageA(m_hWnd, msg);
}

BOOL CDialog::UpdateData(BOOL save) {
    CDataExchange exchange(this, save);
    DoDataExchange(&exchange);
    return TRUE;
}

void CDialog::DoDataExchange(CDataExchange*) {}
