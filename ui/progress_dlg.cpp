#include "progress_dlg.h"

#include "drive/shared_state.h"
#include "ui/res/resource.h"

IMPLEMENT_DYNAMIC(CDlgIndicater, CDialog)

BEGIN_MESSAGE_MAP(CDlgIndicater, CDialog)
ON_WM_TIMER()
END_MESSAGE_MAP()

namespace {

constexpr UINT_PTR COUNTDOWN_TIMER = 1;
constexpr UINT TICK_MS = 1000;
constexpr UINT JAPANESE_OEM_CODE_PAGE = 932;

// "残り%d秒" in code page 932. Each byte is an escape of its own: 0x63 and 0x62 are the letters
// 'c' and 'b', which a preceding \x escape would swallow as hex digits.
constexpr char JAPANESE_COUNTDOWN[] = "\x8E\x63\x82\xE8"
                                      "%d"
                                      "\x95\x62";
constexpr char SINGULAR_COUNTDOWN[] = "%d second";
constexpr char PLURAL_COUNTDOWN[] = "%d seconds";

const char* CountdownFormat(int secondsLeft) {
    if (GetOEMCP() == JAPANESE_OEM_CODE_PAGE)
        return JAPANESE_COUNTDOWN;
    return secondsLeft == 1 || secondsLeft == 0 ? SINGULAR_COUNTDOWN : PLURAL_COUNTDOWN;
}

// One text buffer for every progress dialog of the process, made at the first tick.
CString& CountdownText() {
    static CString text;
    return text;
}

void ForgetIfNamed(CWnd*& pointer, const CWnd* dialog) {
    if (pointer == dialog)
        pointer = nullptr;
}

} // namespace

CDlgIndicater::CDlgIndicater(CWnd* parent)
    : CDialog(IDD_PROGRESS, parent), m_nSecondsLeft(COUNTDOWN_SECONDS) {}

CDlgIndicater::~CDlgIndicater() {
    ForgetIfNamed(g_pIndicator, this);
    ForgetIfNamed(g_pAutoIndicator, this);
}

void CDlgIndicater::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_PROGRESS_BAR, m_ctlProgress);
}

BOOL CDlgIndicater::OnInitDialog() {
    CDialog::OnInitDialog();
    SetTimer(COUNTDOWN_TIMER, TICK_MS);
    m_ctlProgress.SetRange32(0, COUNTDOWN_SECONDS);
    m_ctlProgress.SetPos(0);
    CMenu* systemMenu = GetSystemMenu(FALSE);
    if (systemMenu != nullptr)
        systemMenu->EnableMenuItem(SC_CLOSE, MF_BYCOMMAND | MF_DISABLED | MF_GRAYED);
    return TRUE;
}

BOOL CDlgIndicater::PreTranslateMessage(MSG* msg) {
    // Escape never reaches the dialog manager, which would take it for Cancel.
    if (msg->message == WM_KEYDOWN && msg->wParam == VK_ESCAPE)
        return FALSE;
    return CDialog::PreTranslateMessage(msg);
}

void CDlgIndicater::OnTimer(UINT_PTR nIDEvent) {
    CString& text = CountdownText();
    --m_nSecondsLeft;
    text.Format(CountdownFormat(m_nSecondsLeft), m_nSecondsLeft);
    if (m_nSecondsLeft >= 0) {
        SetDlgItemText(IDC_COUNTDOWN, text);
        m_ctlProgress.OffsetPos(1);
    } else {
        text.LoadString(IDS_PLEASE_WAIT);
        SetDlgItemText(IDC_COUNTDOWN, text);
    }
    CDialog::OnTimer(nIDEvent);
}

void CDlgIndicater::OnCancel() {
    DestroyWindow();
}

void CDlgIndicater::PostNcDestroy() {
    delete this;
}

CDlgIndicater* OpenProgressDialog() {
    CDlgIndicater* progress = new CDlgIndicater(nullptr);
    progress->Create(IDD_PROGRESS, nullptr);
    progress->ShowWindow(SW_SHOW);
    return progress;
}

void CloseProgressDialog(CWnd* progress) {
    if (progress != nullptr)
        progress->PostMessage(WM_SYSCOMMAND, SC_CLOSE);
}
