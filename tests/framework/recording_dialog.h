#pragma once
// The test template's dialog, recording the framework's calls into it in order. A test can run
// its own code inside OnInitDialog (after the base has bound the controls).

#include <functional>
#include <string>
#include <vector>

#include "framework/cdialog.h"
#include "framework/controls.h"
#include "tests/framework/test_resources.h"

class RecordingDialog : public CDialog {
public:
    explicit RecordingDialog(CWnd* parent = nullptr) : CDialog(IDD_TEST_DIALOG, parent) {}

    BOOL OnInitDialog() override {
        events.push_back("OnInitDialog");
        BOOL result = CDialog::OnInitDialog();
        if (onInitDialog)
            onInitDialog(*this);
        return result;
    }
    void OnOK() override {
        events.push_back("OnOK");
        CDialog::OnOK();
    }
    void OnCancel() override {
        events.push_back("OnCancel");
        CDialog::OnCancel();
    }

    std::vector<std::string> events;
    std::function<void(RecordingDialog&)> onInitDialog;
    CComboBox m_cbDrive;
    CProgressCtrl m_ctlProgress;

protected:
    void DoDataExchange(CDataExchange* pDX) override {
        events.push_back("DoDataExchange");
        CDialog::DoDataExchange(pDX);
        DDX_Control(pDX, IDC_DRIVE_LIST, m_cbDrive);
        DDX_Control(pDX, IDC_PROGRESS, m_ctlProgress);
    }
};

// Posts a key-down of `key` to the dialog's default button, as a key press would arrive.
inline void PostKeyDown(CWnd& dialog, WPARAM key) {
    ::PostMessageA(::GetDlgItem(dialog.m_hWnd, IDOK), WM_KEYDOWN, key, 1);
}

inline void PostClose(CWnd& dialog) {
    dialog.PostMessage(WM_SYSCOMMAND, SC_CLOSE, 0);
}

inline void DisableCloseItem(CWnd& dialog) {
    dialog.GetSystemMenu(FALSE)->EnableMenuItem(SC_CLOSE, MF_BYCOMMAND | MF_DISABLED | MF_GRAYED);
}
