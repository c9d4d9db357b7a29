#include "updater_app.h"

#include <commctrl.h>

#include "administrator.h"
#include "command_line.h"
#include "instance_mapping.h"
#include "ui/auto_dlg.h"
#include "ui/res/resource.h"
#include "ui/updater_dlg.h"

namespace {

// The interactive dialog publishes its window from the start of its initialisation, so that a
// second start of the program brings it forward.
class PublishedUpdaterDlg : public CUpdaterDlg {
public:
    explicit PublishedUpdaterDlg(HANDLE mapping) : m_mapping(mapping) {}

protected:
    BOOL OnInitDialog() override {
        PublishWindow(m_mapping, m_hWnd);
        return CUpdaterDlg::OnInitDialog();
    }

private:
    HANDLE m_mapping;
};

void TellNotAdministrator() {
    CString text;
    text.LoadString(IDS_NOT_ADMINISTRATOR);
    CString caption;
    caption.LoadString(IDS_APP_CAPTION);
    MessageBoxA(nullptr, text, caption, MB_SYSTEMMODAL | MB_ICONWARNING);
}

} // namespace

CUpdaterApp::CUpdaterApp() : CWinApp(nullptr), m_hMapping(nullptr) {}

CUpdaterApp::~CUpdaterApp() = default;

BOOL CUpdaterApp::InitInstance() {
    bool alreadyExists = false;
    HANDLE mapping = CreateInstanceMapping(alreadyExists);
    if (mapping == nullptr)
        return FALSE;
    if (alreadyExists) {
        // The handle is released with the process; the other instance keeps the mapping.
        BringRunningInstanceForward(mapping);
        return FALSE;
    }
    m_hMapping = mapping;
    InitCommonControls();
    CWinApp::InitInstance();
    if (!UserIsAdministrator()) {
        TellNotAdministrator();
        return FALSE;
    }
    if (!HasAutoModeSwitch(GetCommandLineA())) {
        RunInteractiveMode();
        return FALSE;
    }
    StartAutomaticMode();
    return TRUE;
}

void CUpdaterApp::RunInteractiveMode() {
    m_bInteractive = true;
    PublishedUpdaterDlg dialog(m_hMapping);
    m_pMainWnd = &dialog;
    dialog.DoModal();
    m_pMainWnd = nullptr;
}

void CUpdaterApp::StartAutomaticMode() {
    m_pAutoDlg = new CAutoDlg(nullptr);
    m_pMainWnd = m_pAutoDlg;
    m_pAutoDlg->ShowWindow(SW_HIDE);
    m_pAutoDlg->UpdateWindow();
    PublishWindow(m_hMapping, m_pAutoDlg->m_hWnd);
}

int CUpdaterApp::ExitInstance() {
    // The dialog's end frees the buffers and switches the screen saver back on.
    delete m_pAutoDlg;
    m_pAutoDlg = nullptr;
    if (m_hMapping != nullptr) {
        CloseHandle(m_hMapping);
        m_hMapping = nullptr;
    }
    const int code = CWinApp::ExitInstance();
    return m_bInteractive ? 0 : code;
}

BOOL CUpdaterApp::OnCommand(UINT id) {
    if (id == ID_HELP) {
        OnHelp();
        return TRUE;
    }
    return CWinApp::OnCommand(id);
}
